// The emulated handheld's shell: the taskbar across the top of the screen (Start, the foreground
// window's title, a clock, the smart-minimise button) and the Today screen behind every program.
// At boot it starts the StartUp folder's shortcuts; the off key (223) puts the device to sleep; Start
// (or the Windows key) opens the Start menu (startmenu.cpp).
//   \Windows\shell32.exe [-nostartup]   (the device installs and starts it under that name)
#include <windows.h>
#include <objbase.h>
#include <strsafe.h>
#include "device_profile.h"
#include "devicekit.h"
#include "shellstate.h"
#include "wm.h"

namespace {

const UINT_PTR kFollowTimer = 1;

}  // namespace

ShellState g_Shell;

void MeasureScreen() {
  WmGetScreenSize(&g_Shell.width, &g_Shell.height);
  g_Shell.barHeight = WmBarHeight();
}

void DrawLabel(HDC dc, LPCWSTR text, RECT rc, int height, int weight, COLORREF colour, UINT flags) {
  HFONT font = CreateDeviceFont(height, weight);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  DrawTextW(dc, text, -1, &rc, flags | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
  if (FindWindowW(DEVICE_TASKBAR_CLASS, L"")) return 0;
  g_Shell.instance = instance;
  MeasureScreen();

  WNDCLASSW wc = {};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.lpfnWndProc = TodayProc;
  wc.lpszClassName = DEVICE_TODAY_CLASS;
  RegisterClassW(&wc);
  wc.lpfnWndProc = TaskbarProc;
  wc.lpszClassName = DEVICE_TASKBAR_CLASS;
  RegisterClassW(&wc);
  wc.lpfnWndProc = SleepProc;
  wc.lpszClassName = DEVICE_SLEEP_CLASS;
  RegisterClassW(&wc);

  g_Shell.today = CreateWindowExW(0, DEVICE_TODAY_CLASS, DEVICE_TODAY_TITLE, WS_POPUP | WS_VISIBLE, 0,
                                  g_Shell.barHeight, g_Shell.width, g_Shell.height - g_Shell.barHeight, NULL,
                                  NULL, instance, NULL);
  g_Shell.taskbar = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, DEVICE_TASKBAR_CLASS,
                                    L"", WS_POPUP | WS_VISIBLE, 0, 0, g_Shell.width, g_Shell.barHeight, NULL,
                                    NULL, instance, NULL);
  if (!g_Shell.today || !g_Shell.taskbar) return 1;
  // The device's files report every change below its root to each program that asks, as the
  // handheld's do. The desktop keeps track of the watched tree's folders only while some watch over
  // the whole tree lasts: when the last one ends, it loses the folders two levels down for good, and
  // later watches never hear of a file written in them. The shell watches from boot to switch-off, so
  // a program's watch ending never is the last.
  WCHAR root[MAX_PATH];
  HANDLE storeWatch = INVALID_HANDLE_VALUE;
  if (WmDevicePath(L"\\", root, MAX_PATH))
    storeWatch = FindFirstChangeNotificationW(
        root, TRUE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_ATTRIBUTES |
            FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_CREATION |
            FILE_NOTIFY_CHANGE_SECURITY);
  FollowForeground();
  SetTimer(g_Shell.taskbar, kFollowTimer, 250, NULL);
  g_Shell.keyHook = SetWindowsHookExW(WH_KEYBOARD_LL, KeyHook, instance, 0);
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  if (!cmdLine || !wcsstr(cmdLine, L"-nostartup")) RunStartupFolder();

  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (g_Shell.keyHook) UnhookWindowsHookEx(g_Shell.keyHook);
  if (storeWatch != INVALID_HANDLE_VALUE) FindCloseChangeNotification(storeWatch);
  return 0;
}
