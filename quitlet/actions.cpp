// What the button does to the system: the taskbar's own minimise button, closing an application,
// switching the device off.
#include "quitlet.h"
#include "debuglog.h"
#include "device.h"
#include "wm.h"

namespace {

const UINT kOffKey = 223;
const DWORD kAnswerMs = 2000;  // a program that does not answer by then is not waited for

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
  DWORD_PTR result;
  // A program that hangs must not hang the taskbar button with it.
  SendMessageTimeoutW(hwnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result);
  Sleep(50);
  if (IsWindow(hwnd)) WmCloseWindow(hwnd);
}

void PowerOff(void) {
  keybd_event((BYTE)kOffKey, 0, 0, 0);
  Sleep(100);
  keybd_event((BYTE)kOffKey, 0, KEYEVENTF_KEYUP, 0);
}
