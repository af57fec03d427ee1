// What the device's small shell programs share: one full-screen window holding one child control,
// kept to the work area when the screen rotates, closed by the Back key.
#pragma once
#include <windows.h>
#include "wm.h"
#include "devicekit.h"

inline void FitToWorkArea(HWND hwnd) {
  RECT work;
  if (WmGetWorkArea(&work))
    SetWindowPos(hwnd, NULL, work.left, work.top, work.right - work.left, work.bottom - work.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

inline HFONT ShellProgramFont(void) { return CreateDeviceFont(WmBarHeight() * 9 / 20, FW_NORMAL); }

// What every shell program's window does alike: follow the work area, hand the focus to its one
// control, end the program when it goes.
inline LRESULT ShellProgramDefault(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, HWND child) {
  switch (msg) {
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      FitToWorkArea(hwnd);
      return 0;
    case WM_SETFOCUS:
      if (child) SetFocus(child);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The message loop; Escape (the Back key) anywhere in the window closes it.
inline int RunShellProgram(HWND main) {
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      PostMessageW(main, WM_CLOSE, 0, 0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return (int)msg.wParam;
}
