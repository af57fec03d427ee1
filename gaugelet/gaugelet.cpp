// Start-up and the two windows of the battery meter.
#include "gaugelet.h"
#include "programstatics.h"
#include "gradient.h"
#include "resource.h"
#include "debuglog.h"
#include "device.h"

GaugeletState g_Gauge;

static const int kTaskbarTries = 20;
static const DWORD kTaskbarRetryMs = 500;

static void PaintBar(HWND bar, HDC dc) {
  RECT rc;
  GetClientRect(bar, &rc);
  PaintBatteryGradient(dc, g_Gauge.taskbarWidth, rc.bottom - rc.top);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      WriteDebugLog(LOG_GAUGELET, L"WndProc::WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
      ZeroMemory(&g_Gauge.barActivate, sizeof(g_Gauge.barActivate));
      g_Gauge.barActivate.cbSize = sizeof(g_Gauge.barActivate);
      g_Gauge.bar = hwnd;
      return 0;
    case WM_DESTROY:
      WriteDebugLog(LOG_GAUGELET, L"WndProc::WM_DESTROY");
      if (g_Gauge.bar == hwnd) g_Gauge.bar = NULL;
      PostQuitMessage(0);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the bar is painted whole
    case WM_TIMER:
      GetBatteryStatus(hwnd);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      PaintBar(hwnd, dc);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      // The layer shows the bar, a window on the shell's taskbar, through a surface of its own.
      PaintBar(hwnd, (HDC)wParam);
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwnd, wParam, lParam, &g_Gauge.barActivate, 0);
      return 0;
    case WM_SETTINGCHANGE:
      SHHandleWMSettingChange(hwnd, wParam, lParam, &g_Gauge.barActivate);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK WndProcTopLvl(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      WriteDebugLog(LOG_GAUGELET, L"WndProcTopLvl::WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
      ZeroMemory(&g_Gauge.topLevelActivate, sizeof(g_Gauge.topLevelActivate));
      g_Gauge.topLevelActivate.cbSize = sizeof(g_Gauge.topLevelActivate);
      return 0;
    case WM_DESTROY:
      WriteDebugLog(LOG_GAUGELET, L"WndProcTopLvl WM_DESTROY");
      PostQuitMessage(0);
      return 0;
    case WM_PAINT:
      ValidateRect(hwnd, NULL);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTINGCHANGE:
      // A rotation, say: the taskbar has a new width.
      FollowTaskbarWidth();
      SHHandleWMSettingChange(hwnd, wParam, lParam, &g_Gauge.topLevelActivate);
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwnd, wParam, lParam, &g_Gauge.topLevelActivate, 0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

static BOOL RegisterGaugeletClass(LPCWSTR name, WNDPROC proc) {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = g_Gauge.instance;
  wc.hIcon = LoadIconW(g_Gauge.instance, MAKEINTRESOURCEW(IDI_GAUGELET));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0;
}

static HWND WaitForTaskbar(void) {
  for (int attempt = 1; attempt <= kTaskbarTries; attempt++) {
    HWND taskbar = FindTaskbarWindow();
    if (taskbar) return taskbar;
    if (attempt < kTaskbarTries) Sleep(kTaskbarRetryMs);
  }
  return NULL;
}

int GaugeletMain(HINSTANCE instance, LPWSTR commandLine, int showCommand) {
  g_Gauge.instance = instance;
  ReadDebugSwitch();
  WriteDebugLog(LOG_GAUGELET, L"Battery meter start.");

  HWND running;
  if (!TakeInstanceName(L"VantoraSuite.GaugeletApp", GAUGELET_TOPLVL_CLASS, GAUGELET_TOPLVL_TITLE, INSTANCE_WAIT_MS,
                        &running)) {
    WriteDebugLog(LOG_GAUGELET, running ? L"Duplicate instance: GL top lvl window found!"
                                        : L"Duplicate instance: another copy is starting.");
    return 0;
  }

  g_Gauge.taskbar = WaitForTaskbar();
  if (!g_Gauge.taskbar) {
    WriteDebugLog(LOG_GAUGELET, L"Taskbar handler not found!");
    return 0;
  }
  RECT rc = {};
  GetWindowRect(g_Gauge.taskbar, &rc);
  g_Gauge.taskbarWidth = rc.right - rc.left;
  WriteDebugLog(LOG_GAUGELET, L"Taskbar 0x%X width=%d", (unsigned)(UINT_PTR)g_Gauge.taskbar, g_Gauge.taskbarWidth);

  if (!RegisterGaugeletClass(GAUGELET_TOPLVL_CLASS, WndProcTopLvl)) return 0;
  g_Gauge.topLevel = CreateWindowExW(0, GAUGELET_TOPLVL_CLASS, GAUGELET_TOPLVL_TITLE, WS_BORDER, 0, 0, 0, 0, NULL,
                                     NULL, instance, NULL);
  WriteDebugLog(LOG_GAUGELET, L"WinMain::Top level wnd [%s][%s] 0x%X", GAUGELET_TOPLVL_CLASS, GAUGELET_TOPLVL_TITLE,
                (unsigned)(UINT_PTR)g_Gauge.topLevel);
  // Without it the main program could neither find nor stop us.
  if (!g_Gauge.topLevel) return 0;

  if (!RegisterGaugeletClass(GAUGELET_BAR_CLASS, WndProc)) {
    DestroyWindow(g_Gauge.topLevel);
    return 0;
  }
  // Disabled so that taps on the bar reach the taskbar under it; a disabled child still paints.
  HWND bar = WmCreateWindow(0, GAUGELET_BAR_CLASS, GAUGELET_BAR_TITLE, WS_CHILD | WS_VISIBLE | WS_DISABLED, 0, 0, 0,
                            0, g_Gauge.taskbar, (HMENU)(UINT_PTR)GAUGELET_BAR_ID, instance, NULL);
  WriteDebugLog(LOG_GAUGELET, L"WinMain::Top level wnd [%s][%s] 0x%X", GAUGELET_BAR_CLASS, GAUGELET_BAR_TITLE,
                (unsigned)(UINT_PTR)bar);
  if (!bar) {
    DestroyWindow(g_Gauge.topLevel);
    return 0;
  }
  ShowWindow(bar, showCommand);
  UpdateWindow(bar);

  SetTimer(bar, GAUGELET_TIMER, GAUGELET_PERIOD_MS, NULL);
  // The first reading does not wait for the first period.
  SendMessageW(bar, WM_TIMER, GAUGELET_TIMER, 0);
  WriteDebugLog(LOG_GAUGELET, L"WinMain::timer on [%d ms]", GAUGELET_PERIOD_MS);

  MSG msg = {};
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The bar lives in another program's window: take it off the taskbar before we go.
  if (g_Gauge.bar) DestroyWindow(g_Gauge.bar);
  if (IsWindow(g_Gauge.topLevel)) DestroyWindow(g_Gauge.topLevel);
  WriteDebugLog(LOG_GAUGELET, L"GaugeletApp:WinMain terminate");
  return (int)msg.wParam;
}
