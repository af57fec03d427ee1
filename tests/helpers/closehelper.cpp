// A program that is slow to close, for tests of closing other programs. Every WM_CLOSE it receives is
// noted as one line "WM_CLOSE" in the log file, then:
//   closehelper ask LOG TITLE      asks "Save changes?" (Yes, No, Cancel) over its window; Yes and No
//                                  close it, Cancel keeps it
//   closehelper ignore LOG TITLE   keeps its window
//   closehelper hang LOG TITLE     stops answering for good
// The program ends with 7 when its window goes.
#include <windows.h>
#include <shellapi.h>
#include <wchar.h>
#include "wm.h"

static LPCWSTR g_Mode = L"";
static LPCWSTR g_Log = L"";

static void NoteClose() {
  HANDLE file = CreateFileW(g_Log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "WM_CLOSE\r\n", 10, &written, NULL);
  CloseHandle(file);
}

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE: {
      NoteClose();
      if (!wcscmp(g_Mode, L"hang")) Sleep(INFINITE);
      if (!wcscmp(g_Mode, L"ask")) {
        WCHAR title[MAX_PATH] = L"";
        GetWindowTextW(hwnd, title, MAX_PATH);
        if (WmMessageBox(hwnd, L"Save changes?", title, MB_YESNOCANCEL | MB_ICONQUESTION) != IDCANCEL)
          DestroyWindow(hwnd);
      }
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(7);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  int argc = 0;
  LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc < 4) return 2;
  g_Mode = argv[1];
  g_Log = argv[2];
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = L"VTCloseHelper";
  RegisterClassW(&wc);
  HWND hwnd = WmCreateWindow(0, wc.lpszClassName, argv[3], WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!hwnd) return 3;
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return (int)msg.wParam;
}
