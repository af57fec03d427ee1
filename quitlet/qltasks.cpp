// The running applications the menus list: processes with a visible, titled top-level window, the
// device's own programs left out.
#include "quitlet.h"
#include "wm.h"
#include "wm_process.h"
#include <tlhelp32.h>
#include <strsafe.h>

namespace {

const LPCWSTR kProtectedPrograms[] = {L"nk.exe",      L"filesys.exe",  L"gwes.exe",  L"device.exe",
                                      L"srvtrust.exe", L"services.exe", L"shell32.exe", L"cprog.exe"};

// Every process of the snapshot, before the list keeps the ones with a window: the device may run
// more processes than the list has rows.
const int kMaxProcesses = 512;

struct ProcessRow {
  DWORD processId;
  WCHAR fileName[MAX_PATH];
  HWND hwnd;
  bool visible;
  bool titled;
};

struct Scan {
  ProcessRow rows[kMaxProcesses];
  int count;
  HWND desktop;
};

Scan g_Scan;

bool Usable(const ProcessRow &row) { return row.hwnd && row.visible && row.titled; }

BOOL VisitWindow(HWND hwnd, void *context) {
  Scan *scan = (Scan *)context;
  if (GetParent(hwnd) || hwnd == scan->desktop) return TRUE;  // the Today screen has its own entry
  WCHAR cls[MAX_PATH];
  if (GetClassNameW(hwnd, cls, MAX_PATH) && !lstrcmpiW(cls, L"Ime")) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(hwnd, &processId);
  for (int i = 0; i < scan->count; i++) {
    ProcessRow &row = scan->rows[i];
    if (row.processId != processId) continue;
    // The topmost visible titled window stands for its program; a hidden or untitled one that
    // comes first gives way to it.
    if (!Usable(row)) {
      row.hwnd = hwnd;
      row.visible = IsWindowVisible(hwnd) != FALSE;
      row.titled = GetWindowTextLengthW(hwnd) > 0;
    }
    break;
  }
  return TRUE;
}

}  // namespace

bool IsProtectedProgram(LPCWSTR fileName) {
  for (LPCWSTR name : kProtectedPrograms)
    if (!lstrcmpiW(fileName, name)) return true;
  return false;
}

bool IsShellTask(const QuitletTaskEntry &task) { return lstrcmpW(task.fileName, SHELL_PROGRAM) == 0; }

void GetProcessFileName(DWORD processId, LPWSTR name, int chars) {
  name[0] = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ProcessID == processId) {
      StringCchCopyW(name, chars, entry.szExeFile);
      break;
    }
  }
  CloseHandle(snapshot);
}

void BuildTaskList(QuitletTaskList *list) {
  list->count = 0;
  Scan *scan = &g_Scan;
  scan->count = 0;
  scan->desktop = WmGetDesktopWindow();
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  // The emulator's own processes are none of the handheld's.
  for (BOOL more = WmProcess32First(snapshot, &entry); more && scan->count < kMaxProcesses;
       more = WmProcess32Next(snapshot, &entry)) {
    if (IsProtectedProgram(entry.szExeFile)) continue;
    ProcessRow &row = scan->rows[scan->count++];
    row.processId = entry.th32ProcessID;
    StringCchCopyW(row.fileName, MAX_PATH, entry.szExeFile);
    row.hwnd = NULL;
    row.visible = row.titled = false;
  }
  CloseHandle(snapshot);

  WmWalkTopLevelWindows(VisitWindow, scan);

  for (int i = 0; i < scan->count && list->count < QUITLET_MAX_TASKS; i++) {
    const ProcessRow &row = scan->rows[i];
    if (!Usable(row)) continue;
    QuitletTaskEntry &task = list->entries[list->count];
    ZeroMemory(&task, sizeof(task));
    StringCchCopyW(task.fileName, MAX_PATH, row.fileName);
    task.processId = row.processId;
    task.isProtected = false;
    task.hasWindow = task.visible = true;
    task.hwnd = row.hwnd;
    GetClassNameW(row.hwnd, task.className, MAX_PATH);
    GetWindowTextW(row.hwnd, task.title, MAX_PATH);
    if (!task.title[0]) continue;  // the window lost its title meanwhile
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row.processId);
    if (process) {
      WmGetModuleFileName(process, task.modulePath, MAX_PATH);
      CloseHandle(process);
    }
    list->count++;
  }
}
