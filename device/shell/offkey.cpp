// Sleep and the off key: the off key (223) darkens the screen until the next tap or key; the Windows
// key opens the Start menu.
#include <windows.h>
#include "device_profile.h"
#include "shellstate.h"
#include "startmenu.h"

namespace {

const DWORD kOffKey = 223;

void GoToSleep() {
  if (!g_Shell.sleep) {
    g_Shell.sleep = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, DEVICE_SLEEP_CLASS, L"",
                                    WS_POPUP, 0, 0, 0, 0, NULL, NULL, g_Shell.instance, NULL);
    if (!g_Shell.sleep) return;
  }
  MeasureScreen();
  SetWindowPos(g_Shell.sleep, HWND_TOPMOST, 0, 0, g_Shell.width, g_Shell.height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

bool Asleep() { return g_Shell.sleep && IsWindowVisible(g_Shell.sleep); }

void Wake() {
  if (g_Shell.sleep) ShowWindow(g_Shell.sleep, SW_HIDE);
}

}  // namespace

LRESULT CALLBACK SleepProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      FillRect(dc, &ps.rcPaint, (HBRUSH)GetStockObject(BLACK_BRUSH));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      Wake();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Keys of the whole device pass here first: the off key is the shell's, and while asleep a key only
// wakes the device.
LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HC_ACTION) {
    const KBDLLHOOKSTRUCT *key = (const KBDLLHOOKSTRUCT *)lp;
    bool up = wp == WM_KEYUP || wp == WM_SYSKEYUP;
    if (Asleep()) {
      if (!up) {
        g_Shell.wakeKey = key->vkCode;
        Wake();
      }
      return 1;
    }
    if (up && g_Shell.wakeKey == key->vkCode) {
      g_Shell.wakeKey = 0;
      return 1;
    }
    if (key->vkCode == kOffKey) {
      if (up) GoToSleep();
      return 1;
    }
    if (key->vkCode == VK_LWIN || key->vkCode == VK_RWIN) {
      if (up) PostMessageW(g_Shell.taskbar, WM_START_MENU, 0, 0);
      return 1;
    }
  }
  return CallNextHookEx(g_Shell.keyHook, code, wp, lp);
}
