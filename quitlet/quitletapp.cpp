// Start-up of the close button program and its hidden main window, by which the main program finds
// and stops it.
#include "quitlet.h"
#include "programstatics.h"
#include "debuglog.h"
#include "device.h"
#include "paths.h"
#include "settings.h"
#include "wm.h"

QuitletState g_Quitlet;

namespace {

const int kTaskbarTries = 20;
const DWORD kTaskbarRetryMs = 500;

SHACTIVATEINFO g_ActivateInfo;

HBITMAP LoadQuitletImage(LPCWSTR name, SIZE *size) {
  size->cx = size->cy = 0;
  LPCWSTR path = GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"Images", name);
  if (!path[0]) return NULL;
  HBITMAP bitmap = SHLoadImageFile(path);
  BITMAP info;
  if (bitmap && GetObjectW(bitmap, sizeof(info), &info)) {
    size->cx = info.bmWidth;
    size->cy = info.bmHeight;
  }
  return bitmap;
}

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      WriteDebugLog(LOG_QUITLET, L"WndProc::WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwnd, wp, lp, &g_ActivateInfo, 0);
      return 0;
    case WM_SETTINGCHANGE:
    case WM_DISPLAYCHANGE:
      // A turned screen moves the taskbar's right end.
      if (g_Quitlet.button) PositionButton(&g_Quitlet);
      SHHandleWMSettingChange(hwnd, wp, lp, &g_ActivateInfo);
      return 0;
    case WM_DESTROY:
      WriteDebugLog(LOG_QUITLET, L"WndProc::WM_DESTROY 0x%X", (unsigned)(UINT_PTR)hwnd);
      // The button lives on another program's window: take it away with this one.
      if (g_Quitlet.button) DestroyWindow(g_Quitlet.button);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int QuitletMain(HINSTANCE instance, int showCommand) {
  ReadDebugSwitch();
  WriteDebugLog(LOG_QUITLET, L"Close button start.");
  HWND running;
  if (!TakeInstanceName(L"VantoraSuite.QuitletApp", QUITLET_MAIN_CLASS, QUITLET_MAIN_TITLE, INSTANCE_WAIT_MS,
                        &running)) {
    WriteDebugLog(LOG_QUITLET, running ? L"Duplicate instance: monitor window found!"
                                       : L"Duplicate instance: another copy is starting.");
    return 0;
  }

  QuitletState *state = &g_Quitlet;
  ZeroMemory(state, sizeof(*state));
  state->instance = instance;
  for (int attempt = 0; attempt < kTaskbarTries; attempt++) {
    if (attempt) Sleep(kTaskbarRetryMs);
    state->taskbar = FindTaskbarWindow();
    if (state->taskbar) break;
  }
  if (!state->taskbar) {
    WriteDebugLog(LOG_QUITLET, L"Taskbar handler not found!");
    return 0;
  }
  WriteDebugLog(LOG_QUITLET, L"Taskbar Wnd=[0x%X]", (unsigned)(UINT_PTR)state->taskbar);
  WriteDebugLog(LOG_QUITLET, L"Quitlet, App start [0x%X]", (unsigned)(UINT_PTR)instance);

  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(101));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = QUITLET_MAIN_CLASS;
  if (!RegisterClassW(&wc)) return 0;
  // Hidden and zero-sized: plain CreateWindowEx, which the layer's full-screen rule would resize.
  state->mainWindow = CreateWindowExW(0, QUITLET_MAIN_CLASS, QUITLET_MAIN_TITLE, WS_POPUP, 0, 0, 0, 0, NULL, NULL,
                                      instance, NULL);
  if (!state->mainWindow) return 0;
  WriteDebugLog(LOG_QUITLET, L"Quitlet, mon wnd=[0x%X]", (unsigned)(UINT_PTR)state->mainWindow);

  state->sprite = LoadQuitletImage(L"quitlet.gif", &state->spriteSize);
  state->icons = LoadQuitletImage(L"quitletic.gif", &state->iconsSize);
  WriteDebugLog(LOG_QUITLET, L"Images loaded.");

  if (RegisterButtonClass(instance)) {
    state->desktop = WmGetDesktopWindow();
    state->button = CreateQuitletButton(state);
  }
  if (!state->button) WriteDebugLog(LOG_QUITLET, L"Button not created: running without it.");

  WriteDebugLog(LOG_QUITLET, L"Going for message loop.");
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DestroyQuitletMenus(state);
  if (state->sprite) DeleteObject(state->sprite);
  if (state->icons) DeleteObject(state->icons);
  WriteDebugLog(LOG_QUITLET, L"App terminated.\n\n");
  return (int)msg.wParam;
}
