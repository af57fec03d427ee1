// The taskbar across the top of the screen: Start, the foreground window's title, a clock and the
// smart-minimise button. Start opens the Start menu (startmenu.cpp).
#include <windows.h>
#include <strsafe.h>
#include "device_profile.h"
#include "devicekit.h"
#include "shellstate.h"
#include "startmenu.h"
#include "wm.h"

namespace {

RECT MinimiseButtonRect() {
  RECT rc = {g_Shell.width - g_Shell.barHeight, 0, g_Shell.width, g_Shell.barHeight};
  return rc;
}

// The window the user works in: the foreground window, or the Today screen when none.
HWND CurrentWindow() {
  HWND fg = GetForegroundWindow();
  if (!fg || fg == g_Shell.taskbar || fg == GetDesktopWindow()) fg = g_Shell.today;
  return fg;
}

void PaintTaskbar(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  int w = g_Shell.width, h = g_Shell.barHeight;
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  RECT all = {0, 0, w, h};
  FillGradient(mem, all, RGB(38, 44, 78), RGB(14, 18, 40));

  // Start: a four-pane flag (none while a full-screen window hides it).
  int s = h / 2, x0 = h / 4, y0 = h / 4;
  const COLORREF panes[4] = {RGB(240, 80, 40), RGB(120, 200, 60), RGB(40, 150, 240), RGB(250, 200, 40)};
  for (int i = 0; i < 4 && !g_Shell.startHider; i++) {
    RECT pane = {x0 + (i % 2) * (s / 2 + 1), y0 + (i / 2) * (s / 2 + 1), 0, 0};
    pane.right = pane.left + s / 2;
    pane.bottom = pane.top + s / 2;
    HBRUSH b = CreateSolidBrush(panes[i]);
    FillRect(mem, &pane, b);
    DeleteObject(b);
  }

  // The clock takes the room its text needs; the title has the rest.
  RECT clock = {0, 0, w - h - h / 4, h};
  HFONT clockFont = CreateDeviceFont(h * 9 / 20, FW_NORMAL);
  HGDIOBJ oldFont = SelectObject(mem, clockFont);
  SIZE clockSize = {};
  GetTextExtentPoint32W(mem, g_Shell.shownClock, lstrlenW(g_Shell.shownClock), &clockSize);
  SelectObject(mem, oldFont);
  DeleteObject(clockFont);
  clock.left = clock.right - clockSize.cx;
  DrawLabel(mem, g_Shell.shownClock, clock, h * 9 / 20, FW_NORMAL, RGB(230, 230, 240),
            DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  RECT title = {h + h / 4, 0, clock.left - h / 4, h};
  DrawLabel(mem, g_Shell.shownTitle, title, h * 10 / 20, FW_BOLD, RGB(255, 255, 255),
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);

  // Smart-minimise: a round button with an X at the right end.
  RECT btn = MinimiseButtonRect();
  InflateRect(&btn, -h / 6, -h / 6);
  HBRUSH face = CreateSolidBrush(g_Shell.minimisePressed ? RGB(92, 3, 134) : RGB(70, 78, 120));
  HPEN rim = CreatePen(PS_SOLID, 1, RGB(170, 176, 210));
  HGDIOBJ oldBrush = SelectObject(mem, face), oldPen = SelectObject(mem, rim);
  Ellipse(mem, btn.left, btn.top, btn.right, btn.bottom);
  SelectObject(mem, oldBrush);
  SelectObject(mem, oldPen);
  DeleteObject(face);
  DeleteObject(rim);
  DrawLabel(mem, L"X", btn, h * 9 / 20, FW_BOLD, RGB(255, 255, 255), DT_CENTER | DT_VCENTER | DT_SINGLELINE);

  BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  EndPaint(hwnd, &ps);
}

}  // namespace

void FollowForeground() {
  HWND current = CurrentWindow();
  // A hidden window in front (a taskbar companion's menu owner while its menu is open) is nothing the
  // user works in: the taskbar keeps showing the window it showed.
  if (current != g_Shell.today && !IsWindowVisible(current) && IsWindow(g_Shell.shownWindow))
    current = g_Shell.shownWindow;
  WCHAR title[128] = L"";
  if (current == g_Shell.today)
    StringCchCopyW(title, ARRAYSIZE(title), L"Start");
  else
    GetWindowTextW(current, title, ARRAYSIZE(title));
  SYSTEMTIME now;
  GetLocalTime(&now);
  WCHAR clock[16];
  StringCchPrintfW(clock, ARRAYSIZE(clock), L"%d:%02d", now.wHour, now.wMinute);
  if (current != g_Shell.shownWindow || lstrcmpW(title, g_Shell.shownTitle) || lstrcmpW(clock, g_Shell.shownClock)) {
    g_Shell.shownWindow = current;
    SetPropW(g_Shell.taskbar, DEVICE_SHOWN_WINDOW_PROP, (HANDLE)current);
    StringCchCopyW(g_Shell.shownTitle, ARRAYSIZE(g_Shell.shownTitle), title);
    StringCchCopyW(g_Shell.shownClock, ARRAYSIZE(g_Shell.shownClock), clock);
    InvalidateRect(g_Shell.taskbar, NULL, FALSE);
  }
}

void ApplyFullScreen(HWND window, DWORD flags) {
  HWND startBefore = g_Shell.startHider;
  if (flags & SHFS_HIDETASKBAR) g_Shell.taskbarHider = window;
  if (flags & SHFS_SHOWTASKBAR) g_Shell.taskbarHider = NULL;
  if (flags & SHFS_HIDESTARTICON) g_Shell.startHider = window;
  if (flags & SHFS_SHOWSTARTICON) g_Shell.startHider = NULL;
  if (g_Shell.taskbarHider && !IsWindow(g_Shell.taskbarHider)) g_Shell.taskbarHider = NULL;
  if (g_Shell.startHider && !IsWindow(g_Shell.startHider)) g_Shell.startHider = NULL;
  bool hide = g_Shell.taskbarHider != NULL, hidden = !IsWindowVisible(g_Shell.taskbar);
  if (hide && !hidden) ShowWindow(g_Shell.taskbar, SW_HIDE);
  if (!hide && hidden)
    SetWindowPos(g_Shell.taskbar, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (hide != hidden || startBefore != g_Shell.startHider) InvalidateRect(g_Shell.taskbar, NULL, FALSE);
}

namespace {

// Smart minimise: the program goes behind the others and the Today screen comes forward; it keeps
// running.
void MinimiseCurrent() {
  HWND current = CurrentWindow();
  if (current && current != g_Shell.today) SetWindowPos(current, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(g_Shell.today, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(g_Shell.today);
  FollowForeground();
}

void PlaceWindows() {
  MeasureScreen();
  SetWindowPos(g_Shell.taskbar, HWND_TOPMOST, 0, 0, g_Shell.width, g_Shell.barHeight, SWP_NOACTIVATE);
  SetWindowPos(g_Shell.today, NULL, 0, g_Shell.barHeight, g_Shell.width, g_Shell.height - g_Shell.barHeight,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      PaintTaskbar(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_TIMER:
      ApplyFullScreen(NULL, 0);
      FollowForeground();
      return 0;
    case DEVICE_FULLSCREEN_MSG:
      if (!IsWindow((HWND)wp)) return 0;
      ApplyFullScreen((HWND)wp, (DWORD)lp);
      return 1;
    case WM_LBUTTONDOWN: {
      POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
      RECT btn = MinimiseButtonRect();
      if (PtInRect(&btn, pt)) {
        g_Shell.minimisePressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, NULL, FALSE);
      } else if (pt.x < g_Shell.barHeight + g_Shell.barHeight / 4 && !g_Shell.startHider) {
        PostMessageW(hwnd, WM_START_MENU, 0, 0);
      }
      return 0;
    }
    case WM_START_MENU:
      if (!g_Shell.startHider) ShowStartMenu(hwnd, g_Shell.today, g_Shell.barHeight);
      return 0;
    case WM_LBUTTONUP:
      if (g_Shell.minimisePressed) {
        POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
        RECT btn = MinimiseButtonRect();
        g_Shell.minimisePressed = false;
        ReleaseCapture();
        InvalidateRect(hwnd, NULL, FALSE);
        if (PtInRect(&btn, pt)) MinimiseCurrent();
      }
      return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      // A rotation: the taskbar and Today follow the new screen.
      PlaceWindows();
      InvalidateRect(hwnd, NULL, FALSE);
      InvalidateRect(g_Shell.today, NULL, FALSE);
      return 0;
    case WM_CLOSE:
      // Closing the taskbar ends the shell.
      DestroyWindow(g_Shell.today);
      DestroyWindow(hwnd);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
