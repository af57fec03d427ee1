// The priority monitor: its window, its timer and the priority cycle.
#include "monitor.h"
#include "resource.h"
#include "database.h"
#include "processfigures.h"
#include "tasklist.h"
#include "debuglog.h"
#include "device.h"
#include "programstatics.h"
#include "wm.h"
#include "wm_process.h"

namespace {

#define MONITOR_WAITING_WINDOWS 8
#define MONITOR_WAITING_PERIOD_MS 100
#define MONITOR_WAIT_SHOWN_MS 5000

struct MonitorState {
  HINSTANCE instance;
  BYTE reload;  // 1: read the database again at the next cycle
  SHACTIVATEINFO activateInfo;
  HWINEVENTHOOK shownHook;  // tells of every window made or shown on the device
  HWND waiting[MONITOR_WAITING_WINDOWS];  // made by a database program, not yet shown with a title
  DWORD waitingSince[MONITOR_WAITING_WINDOWS];
  UINT_PTR waitingTimer;  // a thread timer's id is the one the system hands out
  bool inCycle;
  bool cycleAgain;  // a window was shown while a cycle ran
};
MonitorState g_Monitor;
ThreadOwners g_Threads;

void RunCycle(void);

VOID CALLBACK MonitorTimerProc(HWND, UINT, UINT_PTR, DWORD) { MonitorCycle(); }

// TRUE when a record of the database names the program that owns the window.
bool IsDatabaseProgramWindow(HWND hwnd) {
  DWORD processId = 0;
  GetWindowThreadProcessId(hwnd, &processId);
  if (!processId || processId == GetCurrentProcessId()) return false;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return false;
  WCHAR path[MAX_PATH];
  DWORD length = WmGetModuleFileName(process, path, MAX_PATH);
  CloseHandle(process);
  if (!length) return false;
  const WCHAR *name = wcsrchr(path, L'\\');
  name = name ? name + 1 : path;
  int records = g_TaskDatabase.count < MAX_TASK_RECORDS ? g_TaskDatabase.count : MAX_TASK_RECORDS;
  for (int r = 0; r < records; r++)
    if (SameProgramName(name, g_TaskDatabase.records[r].exeName)) return true;
  return false;
}

bool ShownWithTitle(HWND hwnd) {
  WCHAR title[2] = L"";
  // Read without a message: a program busy starting cannot hold the monitor up.
  return IsWindowVisible(hwnd) && InternalGetWindowText(hwnd, title, ARRAYSIZE(title)) > 0;
}

// Windows made hidden are looked at again until they show (or a while has passed); the timer runs
// only while one waits.
VOID CALLBACK MonitorWaitingProc(HWND, UINT, UINT_PTR, DWORD) {
  bool shown = false, waiting = false;
  for (int i = 0; i < MONITOR_WAITING_WINDOWS; i++) {
    HWND hwnd = g_Monitor.waiting[i];
    if (!hwnd) continue;
    if (!IsWindow(hwnd) || GetTickCount() - g_Monitor.waitingSince[i] >= MONITOR_WAIT_SHOWN_MS) {
      g_Monitor.waiting[i] = NULL;
    } else if (ShownWithTitle(hwnd)) {
      WriteDebugLog(LOG_MONITOR, L"Window 0x%X of a database program shown.", (unsigned)(UINT_PTR)hwnd);
      g_Monitor.waiting[i] = NULL;
      shown = true;
    } else {
      waiting = true;
    }
  }
  if (!waiting && g_Monitor.waitingTimer) {
    KillTimer(NULL, g_Monitor.waitingTimer);
    g_Monitor.waitingTimer = 0;
  }
  if (shown) MonitorCycle();
}

// A program of the database gets its level when its window first shows, not at the next cycle: the
// cycle runs at once. Windows of other programs cost a look at their process and nothing more. The
// desktop reports a window's making (and, where it can, its showing) after the fact, by a message.
void CALLBACK MonitorWindowShown(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
  if (!hwnd || object != OBJID_WINDOW || child != CHILDID_SELF) return;
  if (g_TaskDatabase.count <= 0 || GetAncestor(hwnd, GA_PARENT) != GetDesktopWindow()) return;
  for (int i = 0; i < MONITOR_WAITING_WINDOWS; i++)
    if (g_Monitor.waiting[i] == hwnd) return;
  // The input method's helper window comes with every program's first window and never shows.
  WCHAR className[8] = L"";
  GetClassNameW(hwnd, className, ARRAYSIZE(className));
  if (!lstrcmpiW(className, L"Ime")) return;
  if (!IsDatabaseProgramWindow(hwnd)) return;
  if (ShownWithTitle(hwnd)) {
    WriteDebugLog(LOG_MONITOR, L"Window 0x%X of a database program shown.", (unsigned)(UINT_PTR)hwnd);
    MonitorCycle();
    return;
  }
  for (int i = 0; i < MONITOR_WAITING_WINDOWS; i++) {
    if (g_Monitor.waiting[i]) continue;
    g_Monitor.waiting[i] = hwnd;
    g_Monitor.waitingSince[i] = GetTickCount();
    if (!g_Monitor.waitingTimer)
      g_Monitor.waitingTimer = SetTimer(NULL, 0, MONITOR_WAITING_PERIOD_MS, MonitorWaitingProc);
    return;
  }
}

void Monitor_OnCreate(HWND hwnd) {
  WriteDebugLog(LOG_MONITOR, L"WM_CREATE 0x%X", (unsigned)(UINT_PTR)hwnd);
  ZeroMemory(&g_Monitor.activateInfo, sizeof(g_Monitor.activateInfo));
  g_Monitor.activateInfo.cbSize = sizeof(g_Monitor.activateInfo);
  // A thread timer: the cycle runs on this thread, between messages, so cycles never overlap.
  SetTimer(NULL, MONITOR_TIMER_ID, MONITOR_PERIOD_MS, MonitorTimerProc);
  WriteDebugLog(LOG_MONITOR, L"WM_CREATE::Timer set %dms", MONITOR_PERIOD_MS);
  // Out of context: the events come as messages to this thread, between the timer's cycles.
  g_Monitor.shownHook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_SHOW, NULL, MonitorWindowShown, 0, 0,
                                        WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
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
  // An event can come while a cycle waits on the system: that cycle runs once more when it is done.
  if (g_Monitor.inCycle) {
    g_Monitor.cycleAgain = true;
    return;
  }
  g_Monitor.inCycle = true;
  do {
    g_Monitor.cycleAgain = false;
    RunCycle();
  } while (g_Monitor.cycleAgain);
  g_Monitor.inCycle = false;
}

namespace {

void RunCycle(void) {
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

}  // namespace

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
      if (g_Monitor.shownHook) UnhookWinEvent(g_Monitor.shownHook);
      g_Monitor.shownHook = NULL;
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
  HWND running;
  if (!TakeInstanceName(L"VantoraSuite.VTMonitor", VTMONITOR_CLASS, VTMONITOR_TITLE, INSTANCE_WAIT_MS, &running)) {
    WriteDebugLog(LOG_MONITOR, running ? L"Vantora monitor is already running!"
                                       : L"Duplicate instance: another copy is starting.");
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
