// A stand-in for a companion program, for tests that run before (or without) the real one: copied as
// "QuitletApp.exe" or "GaugeletApp.exe" it opens a small window with that program's class and title,
// refuses a second instance as the real one does, and ends when its window is closed.
#include <windows.h>
#include <wchar.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  WCHAR path[MAX_PATH];
  GetModuleFileNameW(NULL, path, MAX_PATH);
  const WCHAR *name = wcsrchr(path, L'\\');
  name = name ? name + 1 : path;
  const WCHAR *cls = L"COMPANIONHELPER", *title = L"CompanionHelper";
  if (!_wcsicmp(name, L"QuitletApp.exe")) {
    cls = L"QUITLETAPP";
    title = L"QuitletApp";
  } else if (!_wcsicmp(name, L"GaugeletApp.exe")) {
    cls = L"GAUGELETAPPTOPLVL";
    title = L"GaugeletAppTopLvl";
  }
  if (FindWindowW(cls, title)) return 0;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
  wc.lpszClassName = cls;
  RegisterClassW(&wc);
  if (!CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, cls, title, WS_POPUP | WS_VISIBLE, 0, 0, 8, 4, NULL, NULL,
                       instance, NULL))
    return 3;
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
