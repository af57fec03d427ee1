// Start-up and shutdown of the main program.
#include "mainwindow.h"
#include "screen.h"
#include "../resource.h"
#include "../tasks/database.h"
#include "../tasks/taskops.h"
#include "../companions/companions.h"
#include "../tweaks/tweaks.h"
#include "pagemodel.h"
#include "layout.h"
#include "pagecatalogue.h"
#include "skin.h"
#include "debuglog.h"
#include "device.h"
#include "programstatics.h"

static void FindTaskbar(void) {
  for (int tries = 0; !g_Main.taskbar && tries < 10; tries++) {
    g_Main.taskbar = FindTaskbarWindow();
    if (!g_Main.taskbar) Sleep(100);
  }
  RECT rc;
  if (g_Main.taskbar && GetClientRect(g_Main.taskbar, &rc))
    g_Screen.taskbarHeight = rc.bottom - rc.top;
  else
    g_Screen.taskbarHeight = ScaleY(26);
  WriteDebugLog(LOG_GUI, L"Taskbar 0x%X height = %d", (unsigned)(UINT_PTR)g_Main.taskbar, g_Screen.taskbarHeight);
}

static BOOL RegisterMainClass(void) {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = g_Main.instance;
  wc.hIcon = LoadIconW(g_Main.instance, MAKEINTRESOURCEW(IDI_VANTORA));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = VANTORA_CLASS;
  return RegisterClassW(&wc) != 0;
}

int VantoraMain(HINSTANCE instance, LPWSTR commandLine, int showCommand) {
  g_Main.instance = instance;
  ReadDebugSwitch();
  WriteDebugLog(LOG_GUI, L"Vantora app start.");

  HWND first;
  if (!TakeInstanceName(L"VantoraSuite.Vantora", VANTORA_CLASS, VANTORA_TITLE, INSTANCE_WAIT_MS, &first)) {
    if (!first) {
      WriteDebugLog(LOG_GUI, L"Duplicate instance: another copy is starting.");
      return 0;
    }
    WriteDebugLog(LOG_GUI, L"Duplicate instance found, set focus on first and exit. ");
    // The low bit brings the window's owned windows (a dialog, a message box) forward with it.
    WmSetForegroundWindow((HWND)((ULONG_PTR)first | 1));
    return 0;
  }

  // The task list's CPU figures need a 200 ms window, and the pictures take a while to decode: both
  // start first, and the rest of the start runs meanwhile (the pictures on a thread of their own).
  StartProcessListWindow();
  BeginLoadSkinImages();
  WmSetWaitCursor(TRUE);

  GetScreenSize(&g_Screen.width, &g_Screen.height);
  WriteDebugLog(LOG_GUI, L"Screen size=%dx%d.", g_Screen.width, g_Screen.height);

  LoadDefaultRegistryInfo();

  g_Main.isPocketPC = IsPocketPC() != 0;
  WriteDebugLog(LOG_GUI, L"Platform: [%s].", g_Main.isPocketPC ? L"POCKET PC" : L"SMARTPHONE");

  FindTaskbar();

  g_Main.monitorRunning = FindVTMonitorWindow() != NULL;
  WriteDebugLog(LOG_GUI, L"Monitor running [%s]", g_Main.monitorRunning ? L"YES" : L"NO");

  g_TaskDatabase.count = 0;
  LoadSettings();

  g_Main.currentPage = 0;
  for (int page = 0; page < PAGE_COUNT; page++) InitPageItems(page);
  // The rows and the layout need the pictures' sizes.
  EndLoadSkinImages();
  for (int page = 0; page < PAGE_COUNT; page++) SetupPageRows(page);
  for (int page = 0; page < PAGE_COUNT; page++) LayoutPage(page, false);

  CheckCompanionsAtStart();

  SHInitExtraControls();
  if (!RegisterMainClass()) return 0;
  HWND hwnd = WmCreateWindow(0, VANTORA_CLASS, VANTORA_TITLE, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!hwnd) return 0;
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);
  SetFocus(hwnd);
  WriteDebugLog(LOG_GUI, L"Window [%s][%s] 0x%X created.", VANTORA_CLASS, VANTORA_TITLE, (unsigned)(UINT_PTR)hwnd);

  WriteDebugLog(LOG_GUI, L"Refresh timer set [%d ms]", REFRESH_PERIOD_MS);
  g_Main.refreshTimer = SetTimer(hwnd, REFRESH_TIMER_ID, REFRESH_PERIOD_MS, NULL);
  // The task list's icons and CPU figures once its measuring window is over.
  DWORD due = ProcessListFiguresDue();
  if (due != INFINITE) SetTimer(hwnd, LIST_FIGURES_TIMER_ID, due ? due : USER_TIMER_MINIMUM, NULL);
  WmSetWaitCursor(FALSE);

  MSG msg = {};
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  WriteDebugLog(LOG_GUI, L"App terminating.");
  return (int)msg.wParam;
}
