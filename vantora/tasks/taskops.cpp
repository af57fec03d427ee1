#include "taskops.h"
#include "process.h"
#include "debuglog.h"
#include <strsafe.h>

void GetProcessList(void) {
  DWORD start = GetTickCount();
  WriteDebugLog(LOG_GUI, L"+GetProcessList call.");
  BuildTaskList(&g_TaskList, 1, 0, 1);
  WriteDebugLog(LOG_GUI, L"GetProcessList All Tasks (running+db) = %d.", g_TaskList.count);
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    TaskEntry *row = &g_TaskList.entries[i];
    WriteDebugLog(LOG_GUI, L"GetProcessList [%d][%s][running=%d][inDB=%d]", i, row->exeName, (int)row->running,
                  (int)row->inDatabase);
    if (wcslen(row->displayName) > DISPLAY_NAME_MAX) {
      row->displayName[DISPLAY_NAME_MAX] = 0;
      StringCchCatW(row->displayName, ARRAYSIZE(row->displayName), L"...");
    }
    row->cpuUsage = 0;
    if (!row->running) continue;
    // A failed measurement (negative) shows as no load rather than a negative percentage.
    double cpu = GetProcessCpuUsage(row->processId);
    row->cpuUsage = cpu > 0 ? cpu : 0;
    // A database row keeps its stored level, which the monitor enforces.
    if (!row->inDatabase) GetProcessPriority(row->processId, &row->priority);
  }
  WriteDebugLog(LOG_GUI, L"-GetProcessList done %d ms.", (int)(GetTickCount() - start));
}
