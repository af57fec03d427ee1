// The device's file manager ("\windows\fexplore.exe [FOLDER]"): the current folder on top, its
// folders and files below. Enter or a double tap opens a folder or starts a file; Backspace goes up.
#include <windows.h>
#include <shellapi.h>
#include <strsafe.h>
#include "wm_shell.h"
#include "shellwindow.h"

namespace {

const wchar_t kClass[] = L"VTFileExplorer";
const int kListId = 1;

struct ExplorerState {
  HWND main, path, list;
  HFONT font;
  WCHAR folder[MAX_PATH];  // without a trailing backslash; "C:" is the root
} g_Ex;

void ShowFolder(const WCHAR *folder) {
  StringCchCopyW(g_Ex.folder, MAX_PATH, folder);
  int n = lstrlenW(g_Ex.folder);
  while (n > 2 && g_Ex.folder[n - 1] == L'\\') g_Ex.folder[--n] = 0;
  SendMessageW(g_Ex.list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(g_Ex.list, LB_RESETCONTENT, 0, 0);
  WCHAR pattern[MAX_PATH];
  StringCchPrintfW(pattern, MAX_PATH, L"%s\\*", g_Ex.folder);
  // Folders first (marked by a trailing backslash), then files, each group by name.
  int groupStart = 0;
  for (int pass = 0; pass < 2; pass++) {
    groupStart = (int)SendMessageW(g_Ex.list, LB_GETCOUNT, 0, 0);
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(pattern, &fd);
    if (find == INVALID_HANDLE_VALUE) break;
    do {
      if (!lstrcmpW(fd.cFileName, L".") || !lstrcmpW(fd.cFileName, L"..")) continue;
      if (fd.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
      bool dir = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (dir != (pass == 0)) continue;
      WCHAR item[MAX_PATH];
      StringCchPrintfW(item, MAX_PATH, dir ? L"%s\\" : L"%s", fd.cFileName);
      int count = (int)SendMessageW(g_Ex.list, LB_GETCOUNT, 0, 0), at = groupStart;
      WCHAR other[MAX_PATH];
      while (at < count && SendMessageW(g_Ex.list, LB_GETTEXTLEN, at, 0) < MAX_PATH &&
             SendMessageW(g_Ex.list, LB_GETTEXT, at, (LPARAM)other) >= 0 && lstrcmpiW(other, item) < 0)
        at++;
      SendMessageW(g_Ex.list, LB_INSERTSTRING, at, (LPARAM)item);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  SendMessageW(g_Ex.list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(g_Ex.list, NULL, TRUE);
  // The device's own view of the path: "\My Documents", not "C:\My Documents".
  const WCHAR *shown = g_Ex.folder + 2;
  SetWindowTextW(g_Ex.path, shown[0] ? shown : L"\\");
}

void GoUp() {
  WCHAR *slash = wcsrchr(g_Ex.folder, L'\\');
  if (!slash) return;
  WCHAR parent[MAX_PATH];
  StringCchCopyNW(parent, MAX_PATH, g_Ex.folder, slash - g_Ex.folder);
  ShowFolder(parent);
}

void OpenSelected() {
  int index = (int)SendMessageW(g_Ex.list, LB_GETCURSEL, 0, 0);
  if (index < 0) return;
  WCHAR item[MAX_PATH], path[MAX_PATH];
  if (SendMessageW(g_Ex.list, LB_GETTEXTLEN, index, 0) >= MAX_PATH) return;
  SendMessageW(g_Ex.list, LB_GETTEXT, index, (LPARAM)item);
  int n = lstrlenW(item);
  bool dir = n > 0 && item[n - 1] == L'\\';
  if (dir) item[n - 1] = 0;
  if (FAILED(StringCchPrintfW(path, MAX_PATH, L"%s\\%s", g_Ex.folder, item))) return;
  if (dir) {
    ShowFolder(path);
    return;
  }
  ShellExecuteW(g_Ex.main, NULL, path, NULL, g_Ex.folder, SW_SHOWNORMAL);
}

LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_KEYDOWN && wp == VK_RETURN) {
    OpenSelected();
    return 0;
  }
  if (msg == WM_KEYDOWN && wp == VK_BACK) {
    GoUp();
    return 0;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void Layout() {
  RECT rc;
  GetClientRect(g_Ex.main, &rc);
  int line = WmBarHeight();
  MoveWindow(g_Ex.path, 0, 0, rc.right, line, TRUE);
  MoveWindow(g_Ex.list, 0, line, rc.right, rc.bottom - line, TRUE);
}

LRESULT CALLBACK ExplorerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (g_Ex.list) Layout();
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kListId && HIWORD(wp) == LBN_DBLCLK) OpenSelected();
      return 0;
  }
  return ShellProgramDefault(hwnd, msg, wp, lp, g_Ex.list);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
  WCHAR start[MAX_PATH] = L"";
  TakeWholeArgument(cmdLine, start, MAX_PATH);
  WCHAR folder[MAX_PATH] = L"";
  if (start[0]) WmDevicePath(start, folder, MAX_PATH);
  DWORD attrs = folder[0] ? GetFileAttributesW(folder) : INVALID_FILE_ATTRIBUTES;
  if (attrs == INVALID_FILE_ATTRIBUTES || !(attrs & FILE_ATTRIBUTE_DIRECTORY))
    if (!WmGetSpecialFolderPath(NULL, folder, CSIDL_PERSONAL, TRUE)) WmDevicePath(L"\\", folder, MAX_PATH);

  WNDCLASSW wc = {};
  wc.hInstance = instance;
  wc.lpfnWndProc = ExplorerProc;
  wc.lpszClassName = kClass;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  g_Ex.main = WmCreateWindow(0, kClass, L"File Explorer", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!g_Ex.main) return 1;
  g_Ex.font = ShellProgramFont();
  g_Ex.path = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_CENTERIMAGE, 0, 0, 0, 0,
                              g_Ex.main, (HMENU)2, instance, NULL);
  g_Ex.list = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY |
                              LBS_NOINTEGRALHEIGHT, 0, 0, 0, 0, g_Ex.main, (HMENU)(INT_PTR)kListId, instance, NULL);
  SendMessageW(g_Ex.path, WM_SETFONT, (WPARAM)g_Ex.font, FALSE);
  SendMessageW(g_Ex.list, WM_SETFONT, (WPARAM)g_Ex.font, FALSE);
  SetWindowSubclass(g_Ex.list, ListProc, 1, 0);
  Layout();
  ShowFolder(folder);
  SetForegroundWindow(g_Ex.main);
  SetFocus(g_Ex.list);
  int rc = RunShellProgram(g_Ex.main);
  DeleteObject(g_Ex.font);
  return rc;
}
