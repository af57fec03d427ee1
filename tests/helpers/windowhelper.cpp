// A program with one top-level window, for tests that act on other programs' windows.
//   windowhelper CLASS TITLE [caption]
// "caption" gives the window a caption style; without it the window follows the handheld's rule.
#include <windows.h>
#include <stdlib.h>
#include <wchar.h>
#include "wm.h"

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  // The C runtime's arguments: without the shell's library the helper starts faster, and the tests
  // start dozens of them.
  int argc = __argc;
  wchar_t **argv = __wargv;
  if (argc < 3) return 2;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = argv[1];
  RegisterClassW(&wc);
  DWORD style = WS_VISIBLE | (argc > 3 && !wcscmp(argv[3], L"caption") ? WS_OVERLAPPEDWINDOW : 0);
  HWND hwnd = WmCreateWindow(0, argv[1], argv[2], style, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!hwnd) return 3;
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
  return (int)msg.wParam;
}
