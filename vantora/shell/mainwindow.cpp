// The main window procedure: routes messages to the pages, handles the menu bar commands.
#include "mainwindow.h"
#include "screen.h"
#include "layout.h"
#include "pagecatalogue.h"
#include "pagecommands.h"
#include "currentpage.h"
#include "skin.h"
#include "../resource.h"
#include "../tasks/processfigures.h"
#include "../tasks/tasklist.h"
#include "../tasks/taskops.h"
#include "../companions/companions.h"
#include "debuglog.h"
#include "device.h"
#include "paths.h"
#include "settings.h"

static void MainWindow_OnCreate(HWND hwnd) {
  g_Main.window = hwnd;
  SHMENUBARINFO mbi;
  ZeroMemory(&mbi, sizeof(mbi));
  mbi.cbSize = sizeof(mbi);
  mbi.hwndParent = hwnd;
  mbi.nToolBarId = IDR_MENUBAR;
  mbi.hInstRes = g_Main.instance;
  g_Main.menuBar = SHCreateMenuBar(&mbi) ? mbi.hwndMB : NULL;
  WriteDebugLog(LOG_GUI, L"Menubar: 0x%X", (unsigned)(UINT_PTR)g_Main.menuBar);
  ZeroMemory(&g_Main.activateInfo, sizeof(g_Main.activateInfo));
  g_Main.activateInfo.cbSize = sizeof(g_Main.activateInfo);
  // Back comes to the window as WM_HOTKEY instead of leaving the program.
  SendMessageW(SHFindMenuBar(hwnd), SHCMBM_OVERRIDEKEY, VK_TBACK,
               MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY));
}

static void MainWindow_OnDestroy(void) {
  FreeSkinImages();
  if (g_Main.menuBar) DestroyWindow(g_Main.menuBar);
  g_Main.menuBar = NULL;
  PostQuitMessage(0);
}

static void MainWindow_OnSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  GetScreenSize(&g_Screen.width, &g_Screen.height);
  // A turned screen fits another number of rows.
  RecomputeVisibleRows();
  LayoutPage(g_Main.currentPage, false);
  SHHandleWMSettingChange(hwnd, wParam, lParam, &g_Main.activateInfo);
}

static void MainWindow_OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, g_Screen.width, g_Screen.height);
  HGDIOBJ old = SelectObject(mem, bitmap);
  RECT client;
  GetClientRect(hwnd, &client);
  if (g_Main.aboutShown) {
    DrawAboutOverlay(mem, &client);
  } else {
    // Only what was invalidated reaches the screen: draw no more than that.
    IntersectClipRect(mem, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom);
    DrawPage(mem);
  }
  BitBlt(dc, 0, 0, g_Screen.width, g_Screen.height, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bitmap);
  EndPaint(hwnd, &ps);
}

// The CPU figures of the task list are renewed only while it is visible and in front.
static void MainWindow_OnRefreshTick(HWND hwnd) {
  if (g_Main.currentPage != PAGE_TASKS || GetForegroundWindow() != hwnd) return;
  if (GetTickCount() - g_Main.lastPaintTick < REFRESH_PERIOD_MS) return;
  RefreshTaskCpu();
  WriteDebugLog(LOG_GUI, L"Refresh tick: CPU figures renewed.");
  RedrawMainWindow();
}

// The first list shows the program itself and the companions the start began: a companion without
// its window yet is looked for again shortly, for a while, without holding up the window meanwhile.
static void MainWindow_OnListFiguresDue(HWND hwnd) {
  static DWORD firstDue;
  if (!firstDue) firstDue = GetTickCount();
  KillTimer(hwnd, LIST_FIGURES_TIMER_ID);
  if (CompanionsStillStarting() && GetTickCount() - firstDue < COMPANION_WINDOW_WAIT_MS) {
    SetTimer(hwnd, LIST_FIGURES_TIMER_ID, COMPANION_LOOK_AGAIN_MS, NULL);
    return;
  }
  ForgetCompanionsStarting();
  if (FinishProcessListWindow(true)) RefreshPage(PAGE_TASKS);
}

static void MainWindow_OnHelp(void) {
  RunProgram(L"iexplore.exe", GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"", L"help.html"));
}

static void MainWindow_OnAbout(HWND hwnd) {
  if (g_Main.aboutShown) {
    MessageBeep(MB_OK);
    return;
  }
  g_Main.aboutShown = true;
  RedrawMainWindow();
}

static void MainWindow_OnOk(HWND hwnd) {
  if (g_Main.aboutShown) {
    g_Main.aboutShown = false;
    RedrawMainWindow();
  } else if (g_Main.currentPage > 0) {
    g_Main.currentPage = PAGE_MENU;
    LayoutPage(PAGE_MENU, false);
    RedrawMainWindow();
  } else {
    // May reset the device and never come back.
    ExitWithResetOffer();
    DestroyWindow(hwnd);
  }
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      MainWindow_OnCreate(hwnd);
      return 0;
    case WM_DESTROY:
      MainWindow_OnDestroy();
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwnd, wParam, lParam, &g_Main.activateInfo, 0);
      return 0;
    case WM_SETTINGCHANGE:
      MainWindow_OnSettingChange(hwnd, wParam, lParam);
      return 0;
    case WM_PAINT:
      MainWindow_OnPaint(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_KEYDOWN:
    case WM_KEYUP:
      if (!g_Main.aboutShown) OnPageKey(msg, wParam, lParam);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      // Signed: a stylus that leaves the captured window comes up at negative coordinates.
      if (!g_Main.aboutShown) OnPageTap((short)LOWORD(lParam), (short)HIWORD(lParam), msg == WM_LBUTTONDOWN);
      return 0;
    case WM_CAPTURECHANGED:
      // The stylus went to another window (a message box): nothing stays pressed.
      CancelPagePress();
      return 0;
    case WM_TIMER:
      if (wParam == LIST_FIGURES_TIMER_ID) {
        MainWindow_OnListFiguresDue(hwnd);
        return 0;
      }
      MainWindow_OnRefreshTick(hwnd);
      return 0;
    case WM_HOTKEY:
      if (HIWORD(lParam) == VK_TBACK) SHSendBackToFocusWindow(msg, wParam, lParam);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_HELP:
          MainWindow_OnHelp();
          return 0;
        case IDM_ABOUT:
          MainWindow_OnAbout(hwnd);
          return 0;
        case IDM_OK:
          MainWindow_OnOk(hwnd);
          return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}
