// The Start menu: the programs of the device's Start Menu\Programs folder, as on the handheld.
#include "startmenu.h"
#include <stdlib.h>
#include <strsafe.h>
#include "devicekit.h"
#include "wm.h"
#include "wm_shell.h"

namespace {

const int kMaxPrograms = 48;
const UINT kTodayCommand = 1, kFirstProgram = 2;

struct StartEntry {
  WCHAR label[MAX_PATH];  // the shortcut's name with its first letter as the key ("&Vantora")
  WCHAR file[MAX_PATH];
};

StartEntry g_Entries[kMaxPrograms];

int CompareEntries(const void *a, const void *b) {
  return lstrcmpiW(((const StartEntry *)a)->label, ((const StartEntry *)b)->label);
}

// The shortcuts of the folder, sorted by name.
int ReadPrograms(WCHAR folder[MAX_PATH]) {
  WCHAR pattern[MAX_PATH];
  if (!WmDevicePath(L"\\Windows\\Start Menu\\Programs", folder, MAX_PATH) ||
      FAILED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\*.lnk", folder)))
    return 0;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(pattern, &fd);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    StartEntry *entry = &g_Entries[count];
    WCHAR name[MAX_PATH];
    if (FAILED(StringCchCopyW(name, MAX_PATH, fd.cFileName)) ||
        FAILED(StringCchPrintfW(entry->file, MAX_PATH, L"%s\\%s", folder, fd.cFileName)))
      continue;
    WCHAR *dot = wcsrchr(name, L'.');
    if (dot) *dot = 0;
    if (!name[0]) continue;
    // An ampersand of the name is shown as it is; the first letter is the key.
    WCHAR *out = entry->label;
    int room = MAX_PATH - 2;
    *out++ = L'&';
    for (const WCHAR *p = name; *p && room > 1; p++) {
      if (*p == L'&') {
        *out++ = L'&';
        room--;
      }
      *out++ = *p;
      room--;
    }
    *out = 0;
    count++;
  } while (count < kMaxPrograms && FindNextFileW(find, &fd));
  FindClose(find);
  qsort(g_Entries, count, sizeof(StartEntry), CompareEntries);
  return count;
}

}  // namespace

void ShowStartMenu(HWND taskbar, HWND today, int bar) {
  WCHAR folder[MAX_PATH] = L"";
  int count = ReadPrograms(folder);
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  AppendMenuW(menu, MF_STRING, kTodayCommand, L"&Today");
  AppendMenuW(menu, MF_SEPARATOR, 0, NULL);
  for (int i = 0; i < count; i++) AppendMenuW(menu, MF_STRING, kFirstProgram + i, g_Entries[i].label);
  if (!count) AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"(no programs)");

  // The menu takes the keys while it is open: its owner must be the foreground window meanwhile.
  HWND previous = GetForegroundWindow();
  SetForegroundWindow(taskbar);
  UINT chosen = (UINT)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, 0, bar,
                                       taskbar, NULL);
  PostMessageW(taskbar, WM_NULL, 0, 0);
  DestroyMenu(menu);

  if (chosen == kTodayCommand) {
    SetWindowPos(today, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(today);
  } else if (chosen >= kFirstProgram && chosen < kFirstProgram + (UINT)count) {
    WCHAR target[MAX_PATH];
    if (SHGetShortcutTarget(g_Entries[chosen - kFirstProgram].file, target, MAX_PATH)) RunCommandLine(target, NULL);
  } else if (previous && previous != taskbar && IsWindow(previous)) {
    SetForegroundWindow(previous);  // closed without a choice: back where the user was
  }
}
