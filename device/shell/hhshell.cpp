// The emulated handheld's shell: the taskbar across the top of the screen (Start, the foreground
// window's title, a clock, the smart-minimise button) and the Today screen behind every program.
// At boot it starts the StartUp folder's shortcuts; the off key (223) puts the device to sleep; Start
// (or the Windows key) opens the Start menu (startmenu.cpp).
//   \Windows\shell32.exe [-nostartup]   (the device installs and starts it under that name)
#include <windows.h>
#include <shellapi.h>
#include <strsafe.h>
#include "device_profile.h"
#include "devicekit.h"
#include "startmenu.h"
#include "wm.h"
#include "wm_shell.h"

namespace {

const UINT_PTR kFollowTimer = 1;
const DWORD kOffKey = 223;

struct ShellState {
  HINSTANCE instance;
  HWND taskbar;
  HWND today;
  int width, height, barHeight;
  HWND shownWindow;      // the window whose title the taskbar shows
  WCHAR shownTitle[128];
  WCHAR shownClock[16];
  bool minimisePressed;
  HWND sleep;            // black, topmost, covering the screen while the device sleeps
  HHOOK keyHook;
  DWORD wakeKey;         // the key that woke the device: its release is not passed on either
} g_Shell;

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

  // Start: a four-pane flag.
  int s = h / 2, x0 = h / 4, y0 = h / 4;
  const COLORREF panes[4] = {RGB(240, 80, 40), RGB(120, 200, 60), RGB(40, 150, 240), RGB(250, 200, 40)};
  for (int i = 0; i < 4; i++) {
    RECT pane = {x0 + (i % 2) * (s / 2 + 1), y0 + (i / 2) * (s / 2 + 1), 0, 0};
    pane.right = pane.left + s / 2;
    pane.bottom = pane.top + s / 2;
    HBRUSH b = CreateSolidBrush(panes[i]);
    FillRect(mem, &pane, b);
    DeleteObject(b);
  }

  RECT clock = {w - h - h * 3, 0, w - h - h / 4, h};
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

void FollowForeground() {
  HWND current = CurrentWindow();
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
      FollowForeground();
      return 0;
    case WM_LBUTTONDOWN: {
      POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
      RECT btn = MinimiseButtonRect();
      if (PtInRect(&btn, pt)) {
        g_Shell.minimisePressed = true;
        SetCapture(hwnd);
        InvalidateRect(hwnd, NULL, FALSE);
      } else if (pt.x < g_Shell.barHeight + g_Shell.barHeight / 4) {
        PostMessageW(hwnd, WM_START_MENU, 0, 0);
      }
      return 0;
    }
    case WM_START_MENU:
      ShowStartMenu(hwnd, g_Shell.today, g_Shell.barHeight);
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

void PaintToday(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  FillGradient(mem, rc, RGB(228, 232, 244), RGB(168, 178, 214));
  int unit = g_Shell.barHeight;
  WCHAR date[64] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, NULL, NULL, date, ARRAYSIZE(date));
  RECT line = {unit / 2, unit / 2, rc.right - unit / 2, unit / 2 + unit};
  DrawLabel(mem, date, line, unit * 11 / 20, FW_BOLD, RGB(30, 34, 70), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  WCHAR oem[128] = L"";
  WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0);
  OffsetRect(&line, 0, unit);
  DrawLabel(mem, oem, line, unit * 9 / 20, FW_NORMAL, RGB(60, 64, 100), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TodayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      PaintToday(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      return 0;  // the Today screen stays as long as the shell runs
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Sleep: the off key darkens the screen until the next tap or key ----

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

// ---- StartUp ----

// Every shortcut of the StartUp folder, once per boot; other files there are opened as they are.
void RunStartupFolder() {
  WCHAR folder[MAX_PATH], pattern[MAX_PATH];
  if (!WmGetSpecialFolderPath(NULL, folder, CSIDL_STARTUP, TRUE)) return;
  if (FAILED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\*", folder))) return;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(pattern, &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    WCHAR file[MAX_PATH], target[MAX_PATH];
    if (FAILED(StringCchPrintfW(file, MAX_PATH, L"%s\\%s", folder, fd.cFileName))) continue;
    const WCHAR *dot = wcsrchr(fd.cFileName, L'.');
    if (dot && !lstrcmpiW(dot, L".lnk")) {
      if (SHGetShortcutTarget(file, target, MAX_PATH)) RunCommandLine(target, folder);
    } else if (!lstrcmpiW(fd.cFileName, L"desktop.ini")) {
      continue;
    } else {
      ShellExecuteW(NULL, NULL, file, NULL, folder, SW_SHOWNORMAL);
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
}

}  // namespace

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
  return 0;
}
