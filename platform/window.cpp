// Window semantics of the handheld: full-screen borderless top-level windows below the shell's
// taskbar, closing windows of other programs, the wait cursor, the shell's desktop window.
#include "wm.h"
#include "device_profile.h"

int WmScaleFactorFor(int pixels) {
  // 440 lies halfway between the largest factor-1 dimension (400) and the smallest factor-2 one (480).
  return pixels >= 440 ? 2 : 1;
}

void WmGetScreenSize(int *width, int *height) {
  HDC dc = GetDC(NULL);
  *width = dc ? GetDeviceCaps(dc, HORZRES) : 0;
  *height = dc ? GetDeviceCaps(dc, VERTRES) : 0;
  if (dc) ReleaseDC(NULL, dc);
}

int WmBarHeight(void) {
  int width, height;
  WmGetScreenSize(&width, &height);
  return 26 * WmScaleFactorFor(height);
}

BOOL WmGetWorkArea(RECT *rc) {
  if (!rc) return FALSE;
  int width, height;
  WmGetScreenSize(&width, &height);
  if (!width || !height) return FALSE;
  SetRect(rc, 0, 0, width, height);
  HWND taskbar = FindWindowW(DEVICE_TASKBAR_CLASS, L"");
  RECT bar;
  if (taskbar && IsWindowVisible(taskbar) && GetWindowRect(taskbar, &bar) && bar.top <= 0 && bar.bottom > 0)
    rc->top = bar.bottom;
  return TRUE;
}

HWND WmCreateWindow(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  bool topLevel = !(style & WS_CHILD);
  if (topLevel && (style & WS_CAPTION) != WS_CAPTION) {
    // No caption: the desktop would add one, the handheld draws the window borderless.
    style = (style & ~(WS_CAPTION | WS_THICKFRAME | WS_SYSMENU)) | WS_POPUP;
    RECT work;
    if (WmGetWorkArea(&work)) {
      // As on the desktop, a default x makes y a default too.
      if (x == (int)CW_USEDEFAULT) {
        x = work.left;
        y = work.top;
      }
      if (cx == (int)CW_USEDEFAULT) cx = work.right - x;
      if (cy == (int)CW_USEDEFAULT) cy = work.bottom - y;
    }
  }
  HWND hwnd = CreateWindowExW(exStyle, className, title, style, x, y, cx, cy, parent, menu, instance, param);
  if (hwnd && !topLevel) WmShowChildOfOtherProgram(hwnd);
  return hwnd;
}

BOOL WmCloseWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  if (GetWindowThreadProcessId(hwnd, NULL) == GetCurrentThreadId()) return DestroyWindow(hwnd);
  // The desktop refuses to destroy a window of another thread; its owner destroys it on WM_CLOSE.
  return PostMessageW(hwnd, WM_CLOSE, 0, 0);
}

void WmSetWaitCursor(BOOL wait) {
  if (wait) {
    SetCursor(LoadCursorW(NULL, (LPCWSTR)IDC_WAIT));
    ShowCursor(TRUE);
  } else {
    SetCursor(NULL);
    ShowCursor(FALSE);
  }
}

BOOL WmSetForegroundWindow(HWND hwnd) {
  bool withOwned = ((ULONG_PTR)hwnd & 1) != 0;
  hwnd = (HWND)((ULONG_PTR)hwnd & ~(ULONG_PTR)1);
  if (!IsWindow(hwnd)) return FALSE;
  if (IsIconic(hwnd)) ShowWindow(hwnd, SW_RESTORE);
  BOOL ok = SetForegroundWindow(hwnd);
  if (withOwned) {
    HWND popup = GetLastActivePopup(hwnd);
    if (popup && popup != hwnd) ok = SetForegroundWindow(popup);
  }
  return ok;
}

HWND WmGetDesktopWindow(void) { return FindWindowW(DEVICE_TODAY_CLASS, DEVICE_TODAY_TITLE); }

BOOL SHInitExtraControls(void) { return TRUE; }

BOOL SHFullScreen(HWND hwnd, DWORD flags) {
  if (!IsWindow(hwnd)) return FALSE;
  HWND taskbar = FindWindowW(DEVICE_TASKBAR_CLASS, L"");
  if (!taskbar) return FALSE;
  DWORD_PTR done = 0;
  // Sent, not posted: a window that hid the taskbar can take the room at once.
  return SendMessageTimeoutW(taskbar, DEVICE_FULLSCREEN_MSG, (WPARAM)hwnd, (LPARAM)flags, SMTO_ABORTIFHUNG, 2000,
                             &done) && done;
}

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai, DWORD dwFlags) {
  if (!psai) return FALSE;
  psai->fActive = LOWORD(wParam) != WA_INACTIVE;
  if (!psai->fActive) {
    psai->hwndLastFocus = GetFocus();
    return TRUE;
  }
  // The soft keys come forward with their window: the desktop does not always raise owned windows
  // with their owner (after the shell sent the program behind the Today screen, say).
  HWND bar = SHFindMenuBar(hwnd);
  // A bar already above its owner in the window list is not restacked on the screen; passing it
  // through the topmost band puts it on top for real, then back among the ordinary windows.
  if (bar && IsWindowVisible(bar)) {
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(bar, HWND_TOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(bar, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  }
  return TRUE;
}

// A full-screen window follows the work area when the screen changes (rotation); its menu bar
// follows on its own.
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai) {
  if (!IsWindow(hwnd) || (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return FALSE;
  if ((GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION) == WS_CAPTION) return TRUE;
  RECT work;
  if (!WmGetWorkArea(&work)) return FALSE;
  HWND bar = SHFindMenuBar(hwnd);
  RECT barRect;
  if (bar && IsWindowVisible(bar) && GetWindowRect(bar, &barRect) && barRect.top < work.bottom)
    work.bottom = barRect.top;
  SetWindowPos(hwnd, NULL, work.left, work.top, work.right - work.left, work.bottom - work.top,
               SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}
