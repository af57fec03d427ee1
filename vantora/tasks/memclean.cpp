// Memory cleanup of the memory page.
#include "memclean.h"
#include "processfigures.h"
#include "tasklist.h"
#include "taskops.h"
#include "debuglog.h"
#include "wm.h"
#include <strsafe.h>

#define PROTECTED_COUNT 5
#define PROTECTED_CHARS 255
#define CLOSE_WAIT_MS 3000

static const WCHAR kProtected[PROTECTED_COUNT][PROTECTED_CHARS] = {
    L"Vantora.exe", L"GaugeletApp.exe", L"QuitletApp.exe", L"VTMonitor.exe", L"repllog.exe",
};

int IsProtectedFromClosing(LPCWSTR exeName) {
  for (int i = 0; i < PROTECTED_COUNT; i++)
    if (wcsstr(exeName, kProtected[i])) return 1;
  return 0;
}

double MemoryInUse(void) { return GetUsedProgramMemory() + GetUsedStorageMemory(); }

// Waits for the closed programs to end, all of them within one deadline; a program that is still
// running then is not waited for.
static void WaitForClosed(HANDLE *processes, int count) {
  DWORD start = GetTickCount();
  for (int i = 0; i < count; i++) {
    DWORD spent = GetTickCount() - start;
    if (spent >= CLOSE_WAIT_MS) break;
    WaitForSingleObject(processes[i], CLOSE_WAIT_MS - spent);
  }
}

double CloseOrdinaryApplications(WCHAR *stillOpen, size_t stillOpenChars) {
  if (stillOpen && stillOpenChars) stillOpen[0] = 0;
  double before = MemoryInUse();
  WriteDebugLog(LOG_GUI, L"memusage before closing all apps %f", before);

  GetProcessList();
  static HANDLE closed[MAX_TASKS];
  static int closedRow[MAX_TASKS];
  int closedCount = 0;
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    TaskEntry *row = &g_TaskList.entries[i];
    int close = IsProtectedFromClosing(row->exeName) ? 0 : 1;
    WriteDebugLog(LOG_GUI, L"task susceptible for closing exename %s run %d issystem? %d haswind? %d kill %d",
                  row->exeName, (int)row->running, (int)row->system, (int)row->hasWindow, close);
    if (!close || !row->running || !row->hasWindow || row->system || !row->window) continue;
    WriteDebugLog(LOG_GUI, L"this task will be closed title: %s UsedMem: %d", row->exeName,
                  (int)GetProcessHeapUsage(row->processId));
    // Held before the window goes, so the end of the process can be awaited. The program is asked
    // once; one that asks its user first or does not answer is left as it is.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, row->processId);
    WmCloseWindow(row->window);
    if (process) {
      closedRow[closedCount] = i;
      closed[closedCount++] = process;
    }
  }
  // Closed programs give their memory back only as they end.
  WaitForClosed(closed, closedCount);
  for (int i = 0; i < closedCount; i++) {
    if (WaitForSingleObject(closed[i], 0) != WAIT_OBJECT_0) {
      LPCWSTR name = g_TaskList.entries[closedRow[i]].exeName;
      WriteDebugLog(LOG_GUI, L"still open after closing: %s", name);
      if (stillOpen && stillOpenChars) {
        if (stillOpen[0]) StringCchCatW(stillOpen, stillOpenChars, L", ");
        StringCchCatW(stillOpen, stillOpenChars, name);
      }
    }
    CloseHandle(closed[i]);
  }

  double after = MemoryInUse();
  WriteDebugLog(LOG_GUI, L"memusage after closing all apps %f", after);
  double freed = before - after;
  if (freed < 0) freed = 0;
  WriteDebugLog(LOG_GUI, L"mem freed %.3f", freed);
  return freed;
}
