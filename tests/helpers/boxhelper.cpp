// A program that asks a question the way the suite's programs do (through the layer), for tests that look at message
// boxes in the device:
//   boxhelper owner|none [TEXT]   a full-screen main window, then a "Vantora" message box over it
//                                 (owner) or without an owner (none); exits with the box's answer.
//                                 TEXT "tall" asks with forty lines, more than any screen holds.
#include <windows.h>
#include <shellapi.h>
#include <strsafe.h>
#include <wchar.h>
#include "wm.h"

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 2) return 2;
  const wchar_t *text = argc > 2 ? argv[2]
                                 : L"All running applications will be closed now and the memory they use given back to "
                                   L"the device. Unsaved work in them is lost. Do you want to close all applications?";
  wchar_t tall[40 * 12 + 1] = L"";
  if (!wcscmp(text, L"tall")) {
    for (int i = 1; i <= 40; i++) StringCchPrintfW(tall + lstrlenW(tall), ARRAYSIZE(tall) - lstrlenW(tall), L"Line %d\n", i);
    text = tall;
  }
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = L"VTBoxHelper";
  RegisterClassW(&wc);
  HWND hwnd = WmCreateWindow(0, wc.lpszClassName, L"Box helper", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!hwnd) return 3;
  UpdateWindow(hwnd);
  HWND owner = wcscmp(argv[1], L"owner") ? NULL : hwnd;
  return WmMessageBox(owner, text, L"Vantora", MB_YESNO | MB_ICONQUESTION);
}
