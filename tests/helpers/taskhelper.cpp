// A program for the task list tests: any mix of windows, threads, load and memory.
//   taskhelper [window TITLE | untitled | hidden TITLE | nowindow] [class NAME] [popup TITLE]
//              [threads N] [busy N] [alloc MB] [ready EVENT]
// window/untitled/hidden: one top-level window (titled and visible / empty title / titled, not shown);
// popup: also a titled window owned by it; threads: N more threads that only wait; busy: N more
// threads that spin; alloc: MB of heap written once; ready: the named event is set once all is up.
#include <windows.h>
#include <shellapi.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static volatile LONG g_Spin;

static DWORD WINAPI IdleThread(LPVOID) {
  Sleep(INFINITE);
  return 0;
}

static DWORD WINAPI BusyThread(LPVOID) {
  for (;;) InterlockedIncrement(&g_Spin);
  return 0;
}

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
  const wchar_t *mode = L"nowindow", *title = L"", *className = L"TaskHelper", *popup = NULL, *ready = NULL;
  int threads = 0, busy = 0, allocMb = 0;
  for (int i = 1; i < argc; i++) {
    const wchar_t *arg = argv[i], *value = i + 1 < argc ? argv[i + 1] : L"";
    if (!wcscmp(arg, L"untitled") || !wcscmp(arg, L"nowindow")) {
      mode = arg;
      continue;
    }
    if (i + 1 >= argc) return 2;
    i++;
    if (!wcscmp(arg, L"window") || !wcscmp(arg, L"hidden")) {
      mode = arg;
      title = value;
    } else if (!wcscmp(arg, L"class")) className = value;
    else if (!wcscmp(arg, L"popup")) popup = value;
    else if (!wcscmp(arg, L"threads")) threads = _wtoi(value);
    else if (!wcscmp(arg, L"busy")) busy = _wtoi(value);
    else if (!wcscmp(arg, L"alloc")) allocMb = _wtoi(value);
    else if (!wcscmp(arg, L"ready")) ready = value;
    else return 2;
  }

  if (allocMb > 0) {
    SIZE_T size = (SIZE_T)allocMb << 20;
    char *block = (char *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!block) return 4;
    memset(block, 0x5a, size);  // written, so that the memory is really in use
  }
  for (int i = 0; i < threads; i++) CloseHandle(CreateThread(NULL, 0, IdleThread, NULL, 0, NULL));
  for (int i = 0; i < busy; i++) CloseHandle(CreateThread(NULL, 0, BusyThread, NULL, 0, NULL));

  HWND hwnd = NULL;
  if (wcscmp(mode, L"nowindow")) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    DWORD style = WS_OVERLAPPEDWINDOW | (wcscmp(mode, L"hidden") ? WS_VISIBLE : 0);
    hwnd = CreateWindowExW(0, className, title, style, 10, 40, 120, 80, NULL, NULL, instance, NULL);
    if (!hwnd) return 3;
    if (popup && !CreateWindowExW(0, className, popup, WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 60, 100, 60, hwnd, NULL,
                                  instance, NULL))
      return 3;
  }
  if (ready) {
    HANDLE event = CreateEventW(NULL, TRUE, FALSE, ready);
    if (event) SetEvent(event);
  }
  if (!hwnd) {
    Sleep(INFINITE);
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
