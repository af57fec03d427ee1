// Stand-ins until the companion control lands: they keep the enabled flags only.
#include "settings.h"

void SetQuitletEnabled(bool on) {
  DWORD value = on ? 1 : 0;
  WriteMachineSetting(PRODUCT_KEY, L"RealQuitlet", REG_DWORD, &value, sizeof(value));
}

void SetGaugeletEnabled(bool on) {
  DWORD value = on ? 1 : 0;
  WriteMachineSetting(PRODUCT_KEY, L"Gaugelet", REG_DWORD, &value, sizeof(value));
}
