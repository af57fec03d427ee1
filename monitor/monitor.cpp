// The priority monitor: its window, its timer and the priority cycle.
#include "monitor.h"
#include "resource.h"
#include "database.h"
#include "processfigures.h"
#include "tasklist.h"
#include "debuglog.h"
#include "device.h"
#include "wm.h"

namespace {

struct MonitorState {
  HINSTANCE instance;
  BYTE reload;  // 1: read the database again at the next cycle
  SHACTIVATEINFO activateInfo;
};
MonitorState g_Monitor;
ThreadOwners g_Threads;

VOID CALLBACK MonitorTimerProc(HWND, UINT, UINT_PTR, DWORD) { MonitorCycle(); }

void Monitor_OnCreate(HWND hwnd) {
  WriteDebugLog(LOG_MONITOR, L"WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
  ZeroMemory(&g_Monitor.activateInfo, sizeof(g_Monitor.activateInfo));
  g_Monitor.activateInfo.cbSize = sizeof(g_Monitor.activateInfo);
  // A thread timer: the cycle runs on this thread, between messages, so cycles never overlap.
  SetTimer(NULL, MONITOR_TIMER_ID, MONITOR_PERIOD_MS, MonitorTimerProc);
  WriteDebugLog(LOG_MONITOR, L"WM_CREATE::Timer set %dms", MONITOR_PERIOD_MS);
  g_Monitor.reload = 0;
  if (!ReadTaskDatabase(TaskDatabasePath(), &g_TaskDatabase, LOG_MONITOR, L"WM_CREATE::Settings.db read data [%d tasks].",
                        L"WM_CREATE::Database process %d %s %d"))
    WriteDebugLog(LOG_MONITOR, L"WM_CREATE:Database file not found.");
}

void Monitor_OnRefresh(void) {
  WriteDebugLog(LOG_MONITOR, L"CWM_VT_REFRESH, refresh process list.");
  g_Monitor.reload = 1;
  MonitorCycle();
}

BOOL RegisterMonitorClass(void) {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = MonitorWndProc;
  wc.hInstance = g_Monitor.instance;
  wc.hIcon = LoadIconW(g_Monitor.instance, MAKEINTRESOURCEW(IDI_VTMONITOR));
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = VTMONITOR_CLASS;
  return RegisterClassW(&wc) != 0;
}

}  // namespace

void MonitorCycle(void) {
  DWORD start = GetTickCount();
  WriteDebugLog(LOG_MONITOR, L"\tGetProcessList() call [CMD Load settings=%d].", (int)g_Monitor.reload);
  if (g_Monitor.reload) {
    WriteDebugLog(LOG_MONITOR, L"\tGetProcessList::Load Settings");
    // A file that cannot be opened leaves the database empty and the reload pending for the next cycle.
    if (ReadTaskDatabase(TaskDatabasePath(), &g_TaskDatabase, LOG_MONITOR,
                         L"\tGetProcessList::Settings.db read data [%d tasks].",
                         L"\tGetProcessList::Database process %d %s %d"))
      g_Monitor.reload = 0;
  }
  // The database's programs that run with a visible titled window; the others are never looked at.
  BuildTaskListNames(&g_TaskList, 1, 1);
  WriteDebugLog(LOG_MONITOR, L"\tGetProcessList set priorities.");
  // One thread snapshot serves every matched program of the cycle; taken at the first match.
  bool haveThreads = false;
  int records = g_TaskDatabase.count < MAX_TASK_RECORDS ? g_TaskDatabase.count : MAX_TASK_RECORDS;
  for (int r = 0; r < records; r++) {
    const TaskRecord *record = &g_TaskDatabase.records[r];
    WCHAR name[TASK_RECORD_NAME_CHARS + 1];
    RecordText(record->exeName, name);
    for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
      const TaskEntry *row = &g_TaskList.entries[i];
      // A database program that is not running (process id 0) has no threads to set: it is passed over
      // rather than logged as running and changed at every cycle.
      if (!row->running || !row->processId) continue;
      if (!SameProgramName(row->exeName, record->exeName)) continue;
      if (!haveThreads) haveThreads = TakeThreadOwners(&g_Threads) != 0;
      int level = PRIORITY_LEVEL_NORMAL;
      GetProcessPriorityIn(&g_Threads, row->processId, &level);
      WriteDebugLog(LOG_MONITOR, L"\tGetProcessList:: %s is running, priority %d.", row->exeName, level);
      if (level == record->priority) {
        WriteDebugLog(LOG_MONITOR, L"\tNo change required.");
        continue;
      }
      WriteDebugLog(LOG_MONITOR, L"\tGetProcessList:: CHANGE: set priority %s %d", name, (int)record->priority);
      SetProcessPriorityIn(&g_Threads, row->processId, record->priority);
    }
  }
  WriteDebugLog(LOG_MONITOR, L"\tGetProcessList() done [%d ms].\n", (int)(GetTickCount() - start));
}

LRESULT CALLBACK MonitorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == CWM_VT_REFRESH && CWM_VT_REFRESH) {
    Monitor_OnRefresh();
    return 0;
  }
  switch (msg) {
    case WM_CREATE:
      Monitor_OnCreate(hwnd);
      return 0;
    case WM_DESTROY:
      WriteDebugLog(LOG_MONITOR, L"WM_DESTROY");
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      SHHandleWMActivate(hwnd, wParam, lParam, &g_Monitor.activateInfo, FALSE);
      return 0;
    case WM_SETTINGCHANGE:
      SHHandleWMSettingChange(hwnd, wParam, lParam, &g_Monitor.activateInfo);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

int MonitorMain(HINSTANCE instance) {
  ReadDebugSwitch();
  WriteDeviceInfoHeader(LOG_MONITOR);
  if (FindWindowW(VTMONITOR_CLASS, VTMONITOR_TITLE)) {
    WriteDebugLog(LOG_MONITOR, L"Vantora monitor is already running!");
    return 0;
  }
  g_Monitor.instance = instance;
  WriteDebugLog(LOG_MONITOR, L"Instance: 0x%X", (unsigned)(UINT_PTR)instance);
  if (!RegisterMonitorClass()) {
    WriteDebugLog(LOG_MONITOR, L"Fatal error: can't register monitor class.");
    return 0;
  }
  // Never shown: disabled, empty, at the origin. Its class and title are how the other programs find it.
  HWND hwnd = CreateWindowExW(0, VTMONITOR_CLASS, VTMONITOR_TITLE, WS_DISABLED, 0, 0, 0, 0, NULL, NULL, instance, NULL);
  if (!hwnd) return 0;
  WriteDebugLog(LOG_MONITOR, L"Window: 0x%X", (unsigned)(UINT_PTR)hwnd);
  MSG msg = {};
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  WriteDebugLog(LOG_MONITOR, L"Terminate app.");
  return 0;
}
