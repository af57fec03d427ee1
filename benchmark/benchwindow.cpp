// Start-up, the main window and its three pages. Each page build starts one worker thread that runs
// the tests (run page) or loads the saved result (view and compare pages); the main thread never waits.
#include "benchwindow.h"
#include "banner.h"
#include "benchio.h"
#include "charts.h"
#include "resource.h"
#include "results.h"
#include "snapshot.h"
#include "suite.h"
#include "debuglog.h"
#include "device.h"
#include "programstatics.h"
#include "settings.h"
#include "strings.h"
#include <strsafe.h>

BenchmarkState g_Bench;

struct PageButton {
  int page;
  DWORD command;
  LPCWSTR captionKey;
};
static const PageButton kPageButtons[] = {
    {RunPage, IDC_GO_VIEW, L"String1BenchMark"},      {RunPage, IDC_GO_COMPARE, L"String2BenchMark"},
    {ViewPage, IDC_VIEW_SNAP, L"String13BenchMark"},  {ComparePage, IDC_PREVIOUS, L"String9BenchMark"},
    {ComparePage, IDC_NEXT, L"String10BenchMark"},    {ComparePage, IDC_COMPARE_SNAP, L"String11BenchMark"},
};

GButton *ButtonOf(DWORD command) {
  for (int i = 0; i < BUTTON_SLOTS; i++)
    if (g_Bench.buttons[i].window && g_Bench.buttons[i].command == command) return &g_Bench.buttons[i];
  return NULL;
}

static HWND ButtonWindow(DWORD command) {
  GButton *button = ButtonOf(command);
  return button ? button->window : NULL;
}

int PageFromCommandLine(LPCWSTR commandLine) {
  if (!commandLine) return RunPage;
  if (lstrcmpiW(commandLine, L"-view") == 0) return ViewPage;
  if (lstrcmpiW(commandLine, L"-compare") == 0) return ComparePage;
  return RunPage;  // "-run", nothing, or anything else
}

// Page workers still running; the program waits for them before it ends (see BenchmarkMain).
static volatile LONG g_WorkersRunning = 0;

BOOL StartWorkerThread(LPTHREAD_START_ROUTINE routine) {
  HANDLE thread = CreateThread(NULL, WORKER_STACK_BYTES, routine, NULL, STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
  if (!thread) return FALSE;
  CloseHandle(thread);
  return TRUE;
}

// Ending the program in the middle of a run would cut the result file or leave the storage tests'
// temporary file behind: the run is short, so let it finish (its window is gone, so it draws nothing).
static void WaitForWorkers(void) {
  DWORD start = GetTickCount();
  while (g_WorkersRunning > 0 && GetTickCount() - start < 30000) Sleep(20);
  if (g_WorkersRunning > 0) WriteDebugLog(LOG_BENCHMARK, L"Worker still running at exit.");
}

static void BenchBeep(int command) {
  WriteDebugLog(LOG_BENCHMARK, L"Beep [%d]", command);
  MessageBeep(0);
}

void InitGUI(void) {
  WriteDebugLog(LOG_BENCHMARK, L"InitGUI() call.");
  WCHAR path[MAX_PATH];
  StringCchCopyW(path, MAX_PATH, BenchFilePath(L"Images", L"item-dual.png"));
  g_Bench.images[0] = SHLoadImageFile(path);
  StringCchCopyW(path, MAX_PATH, BenchFilePath(L"Images", L"logo.png"));
  g_Bench.images[1] = SHLoadImageFile(path);
  WriteDebugLog(LOG_BENCHMARK, L"Images: 0x%X 0x%X", (unsigned)(UINT_PTR)g_Bench.images[0],
                (unsigned)(UINT_PTR)g_Bench.images[1]);
  LOGFONTW lf;
  ZeroMemory(&lf, sizeof(lf));
  lf.lfHeight = ScaleY(12);
  lf.lfWeight = 100;
  StringCchCopyW(lf.lfFaceName, LF_FACESIZE, L"tahoma");
  g_Bench.listFont = CreateFontIndirectW(&lf);
  WriteDebugLog(LOG_BENCHMARK, L"Font: 0x%X", (unsigned)(UINT_PTR)g_Bench.listFont);
  SetControlCaptionFont(g_Bench.listFont);
  LoadCompareList();
  WriteDebugLog(LOG_BENCHMARK, L"InitGUI() done.");
}

static void DestroyPageControls(void) {
  for (int i = 0; i < BUTTON_SLOTS; i++) DestroyGButton(&g_Bench.buttons[i]);
  if (g_Bench.listBox) DestroyWindow(g_Bench.listBox);
  g_Bench.listBox = NULL;
  DestroyPictureBox(&g_Bench.logo);
}

void DeinitGUI(void) {
  WriteDebugLog(LOG_BENCHMARK, L"DeinitGUI() call.");
  for (int i = 0; i < IMAGE_SLOTS; i++) {
    if (g_Bench.images[i]) DeleteObject(g_Bench.images[i]);
    g_Bench.images[i] = NULL;
  }
  WriteDebugLog(LOG_BENCHMARK, L"Images released.");
  for (int i = 0; i < BUTTON_SLOTS; i++) DestroyGButton(&g_Bench.buttons[i]);
  DestroyPictureBox(&g_Bench.logo);
  SetControlCaptionFont(NULL);
  if (g_Bench.listFont) DeleteObject(g_Bench.listFont);
  g_Bench.listFont = NULL;
}

DWORD WINAPI BenchmarkWorker(LPVOID unused) {
  int page = g_Bench.page;
  if (page == RunPage) {
    RunTestSuite(g_Bench.listBox);
    EnableWindow(ButtonWindow(IDC_GO_VIEW), TRUE);
    EnableWindow(ButtonWindow(IDC_GO_COMPARE), TRUE);
    // The video tests drew over the page and its controls: show them again, now ready.
    RedrawWindow(g_Bench.window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  } else {
    LoadSavedResult(page);
  }
  InterlockedDecrement(&g_WorkersRunning);
  return 1;
}

int BuildPage(HWND window, int page) {
  g_Bench.page = page;
  DestroyPageControls();
  WriteDebugLog(LOG_BENCHMARK, L"page: %d", page);
  HINSTANCE inst = g_Bench.instance;
  HBITMAP face = g_Bench.images[0];

  // Creation order is the order the arrow keys walk: list, buttons, logo.
  if (page == RunPage) {
    g_Bench.listBox = CreateWindowExW(0, L"listbox", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER, 0, 0, 0,
                                      0, window, (HMENU)(UINT_PTR)IDC_RESULT_LIST, inst, NULL);
    WriteDebugLog(LOG_BENCHMARK, L"lb created: %x", (unsigned)(UINT_PTR)g_Bench.listBox);
    SendMessageW(g_Bench.listBox, WM_SETFONT, (WPARAM)g_Bench.listFont, TRUE);
    WCHAR intro[LOCALISED_STRING_MAX + 1];
    StringCchCopyW(intro, ARRAYSIZE(intro), GetLocalisedString(&g_Strings, L"String3BenchMark", LOCALISED_STRING_MAX));
    // Shown as it is: a translated line with a percent sign must not be read as a format.
    AddResultLine(g_Bench.listBox, L"%s", intro);
  }
  int slot = 0;
  for (const PageButton &pb : kPageButtons) {
    if (pb.page != page) continue;
    WCHAR caption[LOCALISED_STRING_MAX + 1];
    StringCchCopyW(caption, ARRAYSIZE(caption), GetLocalisedString(&g_Strings, pb.captionKey, LOCALISED_STRING_MAX));
    // The run page's buttons wait for the run: a page must not be rebuilt while a worker runs.
    CreateGButton(&g_Bench.buttons[slot++], window, inst, pb.command, face, caption, page != RunPage);
  }
  if (page == RunPage) {
    CreatePictureBox(&g_Bench.logo, window, inst, IDC_LOGO, g_Bench.images[1]);
    SetFocus(g_Bench.listBox);
  } else if (page == ViewPage) {
    SetFocus(ButtonWindow(IDC_VIEW_SNAP));
  } else {
    SetFocus(ButtonWindow(IDC_NEXT));
  }

  ComputeGUI(window);
  InvalidateRect(window, NULL, FALSE);
  InterlockedIncrement(&g_WorkersRunning);  // counted before it starts: an early exit still waits
  if (!StartWorkerThread(BenchmarkWorker)) {
    InterlockedDecrement(&g_WorkersRunning);
    WriteDebugLog(LOG_BENCHMARK, L"Worker not started [%d]", (int)GetLastError());
  }
  return page;
}

void ComputeGUI(HWND window) {
  WriteDebugLog(LOG_BENCHMARK, L"ComputeGUI() call [page:%d].", g_Bench.page);
  RECT rc;
  GetClientRect(window, &rc);
  int w = rc.right;
  int sw, sh;
  GetScreenSize(&sw, &sh);
  g_Bench.portrait = sh >= sw;
  if (g_Bench.page == RunPage) {
    if (g_Bench.listBox) {
      MoveWindow(g_Bench.listBox, ScaleX(5), ScaleY(5), w - ScaleX(10), ScaleY(140), FALSE);
      UpdateWindow(g_Bench.listBox);
    }
    int half = w / 2 - ScaleX(7);
    if (GButton *b = ButtonOf(IDC_GO_VIEW)) PlaceGButton(b, ScaleX(5), ScaleY(142), half, ScaleY(40));
    if (GButton *b = ButtonOf(IDC_GO_COMPARE)) PlaceGButton(b, w / 2 + ScaleX(2), ScaleY(142), half, ScaleY(40));
    // In landscape the logo keeps its place (none until a portrait layout gave it one).
    if (g_Bench.portrait)
      PlacePictureBox(&g_Bench.logo, (w - ScaleX(150)) / 2, ScaleY(210), ScaleX(150), ScaleY(50));
    else if (g_Bench.logo.window)
      MoveWindow(g_Bench.logo.window, g_Bench.logo.x, g_Bench.logo.y, g_Bench.logo.width, g_Bench.logo.height, TRUE);
    SetFocus(ButtonWindow(IDC_GO_VIEW));
  } else if (g_Bench.page == ViewPage) {
    if (GButton *b = ButtonOf(IDC_VIEW_SNAP)) PlaceGButton(b, ScaleX(5), ScaleY(5), ScaleX(40), ScaleY(20));
  } else {
    const DWORD commands[3] = {IDC_PREVIOUS, IDC_NEXT, IDC_COMPARE_SNAP};
    const int xs[3] = {5, 50, 95};
    for (int i = 0; i < 3; i++)
      if (GButton *b = ButtonOf(commands[i])) PlaceGButton(b, ScaleX(xs[i]), ScaleY(5), ScaleX(40), ScaleY(20));
  }
  WriteDebugLog(LOG_BENCHMARK, L"ComputeGUI() done.");
}

void ParentReady(HWND window) {
  WriteDebugLog(LOG_BENCHMARK, L"ParentReady(0x%X) call.", (unsigned)(UINT_PTR)window);
  BuildPage(window, g_Bench.page);
  WriteDebugLog(LOG_BENCHMARK, L"ParentReady done.");
}

// The control that had the focus when the window was left, or the page's first one.
static void FocusPageControl(HWND lastFocus) {
  if (lastFocus && IsWindow(lastFocus) && IsChild(g_Bench.window, lastFocus) && IsWindowEnabled(lastFocus)) {
    SetFocus(lastFocus);
    return;
  }
  HWND first = NULL;
  if (g_Bench.page == RunPage) {
    first = ButtonWindow(IDC_GO_VIEW);
    if (!first || !IsWindowEnabled(first)) first = g_Bench.listBox;  // the buttons wait for the run
  } else {
    first = ButtonWindow(g_Bench.page == ViewPage ? IDC_VIEW_SNAP : IDC_NEXT);
  }
  if (first) SetFocus(first);
}

static void OnCreate(HWND hwnd) {
  g_Bench.window = hwnd;
  g_SuiteWindow = hwnd;
  ParentReady(hwnd);
  SHMENUBARINFO mbi;
  ZeroMemory(&mbi, sizeof(mbi));
  mbi.cbSize = 36;
  mbi.hwndParent = hwnd;
  mbi.nToolBarId = IDR_BENCH_MENUBAR;
  mbi.hInstRes = g_Bench.instance;
  g_Bench.menuBar = SHCreateMenuBar(&mbi) ? mbi.hwndMB : NULL;
  ZeroMemory(&g_Bench.activateInfo, sizeof(g_Bench.activateInfo));
  g_Bench.activateInfo.cbSize = 12;
}

static void OnPaint(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP buffer = CreateCompatibleBitmap(dc, client.right, client.bottom);
  HGDIOBJ old = SelectObject(mem, buffer);
  HBRUSH background = CreateSolidBrush(PAGE_BACKGROUND_COLOUR);
  FillRect(mem, &client, background);
  DeleteObject(background);
  if (g_Bench.page == ViewPage) DrawViewPage(mem, &client);
  if (g_Bench.page == ComparePage) DrawComparePage(mem, &client);
  // The page's controls paint themselves: the page must not cover them.
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rc;
    if (!IsWindowVisible(child) || !GetWindowRect(child, &rc)) continue;
    MapWindowPoints(NULL, hwnd, (POINT *)&rc, 2);
    ExcludeClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
  }
  BitBlt(dc, 0, 0, client.right, client.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, old);
  DeleteObject(buffer);
  DeleteDC(mem);
  EndPaint(hwnd, &ps);
}

static void StepCompareEntry(HWND hwnd, int command, int step) {
  int next = g_CompareIndex + step;
  if (next < 0 || next >= g_CompareCount) {
    BenchBeep(command);
    return;
  }
  g_CompareIndex = next;
  InvalidateRect(hwnd, NULL, FALSE);
}

static LRESULT OnCommand(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDC_GO_VIEW: BuildPage(hwnd, ViewPage); return 0;
    case IDC_GO_COMPARE: BuildPage(hwnd, ComparePage); return 0;
    case IDC_PREVIOUS: StepCompareEntry(hwnd, IDC_PREVIOUS, -1); return 0;
    case IDC_NEXT: StepCompareEntry(hwnd, IDC_NEXT, 1); return 0;
    case IDC_COMPARE_SNAP:
    case IDC_VIEW_SNAP: SaveScreenSnapshot(hwnd); return 0;
    case IDM_BENCH_OK:
      DeinitGUI();
      SendMessageW(hwnd, WM_CLOSE, 0, 0);
      return 0;
    default: return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

static void OnLButtonUp(HWND hwnd, LPARAM lParam) {
  POINT pt = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  RECT client, link;
  GetClientRect(hwnd, &client);
  if (g_Bench.page == ViewPage)
    ViewFooterRect(&client, &link);
  else if (g_Bench.page == ComparePage)
    CompareBannerRect(&client, &link);
  else
    return;
  if (PtInRect(&link, pt)) RunProgram(L"iexplore.exe", MAKER_WEB_ADDRESS);
}

static LRESULT CALLBACK BenchmarkWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      WriteDebugLog(LOG_BENCHMARK, L"WndProc::WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
      OnCreate(hwnd);
      return 0;
    case WM_DESTROY:
      WriteDebugLog(LOG_BENCHMARK, L"WndProc::WM_DESTROY 0x%X", (unsigned)(UINT_PTR)hwnd);
      if (g_Bench.menuBar) DestroyWindow(g_Bench.menuBar);
      g_Bench.menuBar = NULL;
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      // Not the default handler: it would take the focus from the page's control to the window.
      SHHandleWMActivate(hwnd, wParam, lParam, &g_Bench.activateInfo, 0);
      if (LOWORD(wParam) != WA_INACTIVE) FocusPageControl(g_Bench.activateInfo.hwndLastFocus);
      return 0;
    case WM_SETTINGCHANGE:
      // A turned screen: the shell handler fits the window to the new work area first (here it is the
      // handler, not the system, that resizes it), then the page's controls and charts follow it.
      SHHandleWMSettingChange(hwnd, wParam, lParam, &g_Bench.activateInfo);
      ComputeGUI(hwnd);
      InvalidateRect(hwnd, NULL, FALSE);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint(hwnd);
      return 0;
    case WM_COMMAND:
      return OnCommand(hwnd, msg, wParam, lParam);
    case WM_LBUTTONUP:
      OnLButtonUp(hwnd, lParam);
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

static bool RegisterBenchmarkClass(void) {
  WNDCLASSW wc;
  ZeroMemory(&wc, sizeof(wc));
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = BenchmarkWndProc;
  wc.hInstance = g_Bench.instance;
  wc.hIcon = LoadIconW(g_Bench.instance, MAKEINTRESOURCEW(IDI_BENCHMARK));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = BENCHMARK_CLASS;
  return RegisterClassW(&wc) != 0;
}

// The menu bar's place: the window ends where it begins (the bar may already have seen to that).
static void EndAboveMenuBar(HWND hwnd) {
  RECT rc, bar;
  if (!g_Bench.menuBar || !GetWindowRect(hwnd, &rc) || !GetWindowRect(g_Bench.menuBar, &bar)) return;
  if (rc.bottom > bar.top && rc.top < bar.top)
    MoveWindow(hwnd, rc.left, rc.top, rc.right - rc.left, bar.top - rc.top, FALSE);
}

int BenchmarkMain(HINSTANCE instance, LPCWSTR commandLine, int showCommand) {
  ReadDebugSwitch();
  WriteDebugLog(LOG_BENCHMARK, L"App Start.");
  WriteDeviceInfoHeader(LOG_BENCHMARK);

  g_Bench.instance = instance;
  HWND running;
  if (!TakeInstanceName(L"VantoraSuite.Benchmark", BENCHMARK_CLASS, BENCHMARK_TITLE, INSTANCE_WAIT_MS, &running)) {
    if (!running) {
      WriteDebugLog(LOG_BENCHMARK, L"Duplicate instance: another copy is starting.");
      return 0;
    }
    WriteDebugLog(LOG_BENCHMARK, L"Already running: 0x%X", (unsigned)(UINT_PTR)running);
    WmSetForegroundWindow((HWND)((UINT_PTR)running | 1));
    return 0;
  }

  InitGUI();
  g_Bench.page = PageFromCommandLine(commandLine);
  WriteDebugLog(LOG_BENCHMARK, L"Command line [%s] page %d", commandLine ? commandLine : L"", g_Bench.page);

  if (!RegisterBenchmarkClass()) return 0;
  HWND hwnd = WmCreateWindow(0, BENCHMARK_CLASS, BENCHMARK_TITLE, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!hwnd) return 0;
  if (IsPocketPC()) EndAboveMenuBar(hwnd);
  ShowWindow(hwnd, showCommand);
  UpdateWindow(hwnd);

  MSG msg = {};
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_KEYUP) {
      HWND sibling = NULL;
      if (msg.wParam == VK_DOWN || msg.wParam == VK_RIGHT) sibling = GetWindow(msg.hwnd, GW_HWNDNEXT);
      if (msg.wParam == VK_UP || msg.wParam == VK_LEFT) sibling = GetWindow(msg.hwnd, GW_HWNDPREV);
      if (sibling) SetFocus(sibling);
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeinitGUI();
  WaitForWorkers();
  WriteDebugLog(LOG_BENCHMARK, L"App End.");
  return (int)msg.wParam;
}
