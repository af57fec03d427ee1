// StartUp: the StartUp folder's shortcuts run when the device boots.
#include <windows.h>
#include <shellapi.h>
#include <strsafe.h>
#include "devicekit.h"
#include "shellstate.h"
#include "wm.h"
#include "wm_shell.h"

// Every shortcut of the StartUp folder, once per boot; other files there are opened as they are.
void RunStartupFolder() {
  WCHAR folder[MAX_PATH], pattern[MAX_PATH];
  if (!WmGetSpecialFolderPath(NULL, folder, CSIDL_STARTUP, TRUE)) return;
  if (FAILED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\*", folder))) return;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(pattern, &fd);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    WCHAR file[MAX_PATH], target[MAX_PATH];
    if (FAILED(StringCchPrintfW(file, MAX_PATH, L"%s\\%s", folder, fd.cFileName))) continue;
    const WCHAR *dot = wcsrchr(fd.cFileName, L'.');
    if (dot && !lstrcmpiW(dot, L".lnk")) {
      if (SHGetShortcutTarget(file, target, MAX_PATH)) RunCommandLine(target, folder);
    } else if (!lstrcmpiW(fd.cFileName, L"desktop.ini")) {
      continue;
    } else {
      ShellExecuteW(NULL, NULL, file, NULL, folder, SW_SHOWNORMAL);
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
}
