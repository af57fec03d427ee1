// What the button does to the system: the taskbar's own minimise button, closing an application,
// switching the device off.
#include "quitlet.h"
#include "appclose.h"
#include "debuglog.h"
#include "device.h"
#include "strings.h"
#include "wm.h"
#include <strsafe.h>

namespace {

const UINT kOffKey = 223;
const DWORD kAnswerMs = 2000;  // a taskbar that does not answer by then is not waited for

}  // namespace

void ForwardTaskbarTap(QuitletState *state) {
  RECT rc;
  if (!IsWindow(state->taskbar) || !GetWindowRect(state->taskbar, &rc)) return;
  // The system's button lies under this one: tap it at the bar's bottom-right corner.
  POINT at = {rc.right - ScaleX(10), rc.bottom - ScaleY(10)};
  ScreenToClient(state->taskbar, &at);
  DWORD_PTR result;
  SendMessageTimeoutW(state->taskbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y), SMTO_ABORTIFHUNG,
                      kAnswerMs, &result);
  SendMessageTimeoutW(state->taskbar, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y), SMTO_ABORTIFHUNG, kAnswerMs,
                      &result);
}

void CloseTaskWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  WriteDebugLog(LOG_QUITLET, L"Close window [0x%X]", (unsigned)(UINT_PTR)hwnd);
  // The string table is read on this thread only; the close itself runs on a worker, so that the
  // button never waits for the program.
  WCHAR question[LOCALISED_STRING_MAX + 1];
  StringCchCopyW(question, ARRAYSIZE(question),
                 GetLocalisedString(&g_Strings, L"String16Quitlet", LOCALISED_STRING_MAX));
  CloseAppWindowInBackground(hwnd, question, L"Vantora", LOG_QUITLET);
}

void PowerOff(void) {
  keybd_event((BYTE)kOffKey, 0, 0, 0);
  Sleep(100);
  keybd_event((BYTE)kOffKey, 0, KEYEVENTF_KEYUP, 0);
}
