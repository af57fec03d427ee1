// The task list with its CPU figures, database membership, priority levels, starting and closing
// programs.
#include "taskops.h"
#include "cpusample.h"
#include "database.h"
#include "processfigures.h"
#include "../companions/companions.h"
#include "debuglog.h"
#include "device.h"
#include "wm.h"

namespace {

// The time the list's CPU figures are measured over when it is built.
#define LIST_SAMPLE_MS 200
// A window opened ahead longer ago than this is not used: the figures would average too long a time.
#define LIST_WINDOW_MAX_AGE_MS 1000

// Samples are large and belong to the user-interface thread. The tick keeps the latest sample so the
// next tick measures over the time in between instead of waiting.
CpuSample g_ListSample;
CpuSample g_TickSample;
CpuSample g_NewSample;
bool g_WindowOpen;      // g_ListSample was taken ahead by StartProcessListWindow
bool g_FiguresPending;  // the start's list waits for FinishProcessListWindow
ThreadOwners g_Owners;

TaskEntry *RowAt(int row) {
  if (row < 0 || row >= g_TaskList.count || row >= MAX_TASKS) return NULL;
  return &g_TaskList.entries[row];
}

// A row an operation acts on: a list the start left unfinished gets its paths and levels first.
TaskEntry *OperandRow(int row) {
  FinishProcessListWindow(false);
  return RowAt(row);
}

// Names compare over the width of a database record's name field, as the database matches them.
bool SameRecordName(const TaskEntry *a, const TaskEntry *b) {
  return SameProgramName(a->exeName, b->exeName);
}

// Tells the monitor to re-read the database; only after the file is closed.
HWND AnnounceChange(void) {
  HWND monitor = FindVTMonitorWindow();
  // The monitor re-reads the file before this returns; one that hangs must not hang the task page.
  DWORD_PTR result;
  if (monitor) SendMessageTimeoutW(monitor, CWM_VT_REFRESH, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, 5000, &result);
  return monitor;
}

// The rows' database state before a change, so that a change that could not be saved can be undone.
struct RowState {
  int priority;
  BYTE inDatabase;
};
RowState g_Before[MAX_TASKS];

void RememberRows(void) {
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    g_Before[i].priority = g_TaskList.entries[i].priority;
    g_Before[i].inDatabase = g_TaskList.entries[i].inDatabase;
  }
}

// The file still holds the state before the change: the list and the in-memory database go back to it,
// so the page never shows (and the monitor is never told of) a level that is not on disk.
void RestoreRows(LPCWSTR operation) {
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    g_TaskList.entries[i].priority = g_Before[i].priority;
    g_TaskList.entries[i].inDatabase = g_Before[i].inDatabase;
  }
  FillTaskDatabase(&g_TaskDatabase, &g_TaskList);
  WriteDebugLog(LOG_GUI, L"%s: Settings.db not saved, change undone.", operation);
}

// The companion program a row is, -1 for none.
int CompanionOf(const TaskEntry *row) {
  for (int which = 0; which < COMPANION_COUNT; which++)
    if (SameProgramName(row->exeName, g_Companions[which].programFile)) return which;
  return -1;
}

}  // namespace

void StartProcessListWindow(void) {
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  g_WindowOpen = TakeCpuSample(&g_ListSample) != FALSE;
  SetProcPermissions(oldPermissions);
}

// The levels of every running row from one thread snapshot, inside the list's window.
static void ReadRowLevels(void) {
  TakeThreadOwners(&g_Owners);
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    TaskEntry *row = &g_TaskList.entries[i];
    // A database row keeps its stored level, which the monitor enforces.
    if (row->running && !row->inDatabase) GetProcessPriorityIn(&g_Owners, row->processId, &row->priority);
  }
}

// Milliseconds left of the list's window (0 once it is over).
static DWORD ListWindowLeft(void) {
  DWORD spent = GetTickCount() - g_ListSample.tick;
  return spent < LIST_SAMPLE_MS ? LIST_SAMPLE_MS - spent : 0;
}

// The second sample of the list's window, once its 200 ms are over, and every running row's load.
static void CloseListWindow(void) {
  DWORD left = ListWindowLeft();
  if (left) Sleep(left);
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  TakeCpuSample(&g_TickSample);
  SetProcPermissions(oldPermissions);
  ApplyCpuLoads(&g_TaskList, &g_ListSample, &g_TickSample);
}

// Every row to the log (the row numbers the page acts on), their loads cleared; the running ones counted.
static int LogRows(void) {
  WriteDebugLog(LOG_GUI, L"GetProcessList All Tasks (running+db) = %d.", g_TaskList.count);
  int running = 0;
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    TaskEntry *row = &g_TaskList.entries[i];
    WriteDebugLog(LOG_GUI, L"GetProcessList [%d][%s][running=%d][inDB=%d]", i, row->exeName, (int)row->running,
                  (int)row->inDatabase);
    row->cpuUsage = 0;
    running += row->running != 0;
  }
  return running;
}

void GetProcessList(void) {
  DWORD start = GetTickCount();
  WriteDebugLog(LOG_GUI, L"+GetProcessList call.");
  // One measuring window for the whole list, and the list is built while it runs: the first sample
  // covers the whole device, so it need not wait for the rows. A program that starts in between has no
  // threads in it and reads 0 until the next tick. A window the start opened leaves the figures for
  // later, so the start need not wait for them.
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  bool ahead = g_WindowOpen && GetTickCount() - g_ListSample.tick <= LIST_WINDOW_MAX_AGE_MS;
  if (!ahead) TakeCpuSample(&g_ListSample);
  g_WindowOpen = false;
  g_FiguresPending = false;
  SetProcPermissions(oldPermissions);
  if (ahead)
    BuildTaskListRows(&g_TaskList, TASKS_WINDOWED_ONLY);
  else
    BuildTaskList(&g_TaskList, TASKS_WINDOWED_ONLY | TASKS_WITH_ICONS);
  int running = LogRows();
  g_TickSample.taken = FALSE;
  if (ahead) {
    g_FiguresPending = true;
    WriteDebugLog(LOG_GUI, L"GetProcessList paths, icons, levels and CPU loads follow.");
  } else if (running) {
    ReadRowLevels();
    CloseListWindow();
  }
  WriteDebugLog(LOG_GUI, L"-GetProcessList done %d ms.", (int)(GetTickCount() - start));
}

DWORD ProcessListFiguresDue(void) {
  return g_FiguresPending ? ListWindowLeft() : INFINITE;
}

int FinishProcessListWindow(bool rebuildRows) {
  if (!g_FiguresPending) return 0;
  g_FiguresPending = false;
  DWORD start = GetTickCount();
  if (rebuildRows) {
    BuildTaskListRows(&g_TaskList, TASKS_WINDOWED_ONLY);
    LogRows();
  }
  FetchTaskDetails(&g_TaskList);
  ReadRowLevels();
  CloseListWindow();
  WriteDebugLog(LOG_GUI, L"GetProcessList paths, icons, levels and CPU loads done %d ms.",
                (int)(GetTickCount() - start));
  return 1;
}

void RefreshTaskCpu(void) {
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  TakeCpuSample(&g_NewSample);
  SetProcPermissions(oldPermissions);
  // Before the first tick after a rebuild without a sample, every row reads 0 until the next tick.
  ApplyCpuLoads(&g_TaskList, &g_TickSample, &g_NewSample);
  CopyMemory(&g_TickSample, &g_NewSample, offsetof(CpuSample, threads) + g_NewSample.count * sizeof(WmThreadTimes));
}

TaskOutcome ToggleTaskInDatabase(int index) {
  TaskEntry *row = OperandRow(index);
  if (!row) return TASK_NO_ROW;
  WriteDebugLog(LOG_GUI, L"AddDeleteTaskFromDataBase: [%d][%s] [process 0x%X] [issystem %d] [inDB %d]", index,
                row->exeName, (unsigned)row->processId, (int)row->system, (int)row->inDatabase);
  RememberRows();
  // The level stays: a running program joins at its present average level.
  row->inDatabase = row->inDatabase ? 0 : 1;
  HWND monitor = NULL;
  TaskOutcome outcome = TASK_DONE;
  if (SaveSettings()) {
    monitor = AnnounceChange();
  } else {
    RestoreRows(L"AddDeleteTaskFromDataBase");
    outcome = TASK_NOT_SAVED;
  }
  WriteDebugLog(LOG_GUI, L"AddDeleteTaskFromDataBase [mon=0x%X] lvindex=%d inDB=%d", (unsigned)(UINT_PTR)monitor,
                index, (int)row->inDatabase);
  return outcome;
}

TaskOutcome StepTaskPriority(int index, bool down) {
  TaskEntry *row = OperandRow(index);
  if (!row) return TASK_NO_ROW;
  int level = row->priority;
  if ((down && level >= PRIORITY_LEVEL_IDLE) || (!down && level <= PRIORITY_LEVEL_HIGHEST)) return TASK_AT_LIMIT;
  int newLevel = down ? level + 1 : level - 1;
  RememberRows();
  if (row->running) SetProcessPriority(row->processId, newLevel);
  // Membership follows the level, so normal priority is never stored; the database keeps one level per
  // program name, so rows of the same program in the database follow too.
  BYTE member = newLevel != PRIORITY_LEVEL_NORMAL ? 1 : 0;
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++) {
    TaskEntry *other = &g_TaskList.entries[i];
    if (other != row && !(other->inDatabase && SameRecordName(other, row))) continue;
    other->priority = newLevel;
    other->inDatabase = member;
  }
  WriteDebugLog(LOG_GUI, L"ChangeTaskPriority [%d][%s] priority %d -> %d inDB=%d", index, row->exeName, level, newLevel,
                (int)row->inDatabase);
  if (SaveSettings()) {
    AnnounceChange();
    return TASK_DONE;
  }
  RestoreRows(L"ChangeTaskPriority");
  if (row->running) SetProcessPriority(row->processId, level);
  return TASK_NOT_SAVED;
}

TaskOutcome StartOrCloseTask(int index) {
  TaskEntry *row = OperandRow(index);
  if (!row) return TASK_NO_ROW;
  WriteDebugLog(LOG_GUI, L"RunCloseTask");
  WriteDebugLog(LOG_GUI, L"RunCloseTask: name %s process 0x%X systemprocess %d running %d", row->exeName,
                (unsigned)row->processId, (int)row->system, (int)row->running);
  if (row->system) return TASK_REFUSED;
  int companion = CompanionOf(row);
  if (row->running) {
    row->running = 0;
    if (companion >= 0) {
      SwitchCompanion(companion, false);
      if (companion == COMPANION_MONITOR) return TASK_MONITOR_STOPPED;
    } else if (row->window && IsWindow(row->window)) {
      return TASK_TO_CLOSE;
    }
    return TASK_CLOSED;
  }
  WriteDebugLog(LOG_GUI, L"execute file %s", row->path);
  if (companion >= 0) {
    SwitchCompanion(companion, true);
    if (companion == COMPANION_MONITOR) return TASK_MONITOR_STARTED;
  } else {
    // A start that fails is not reported: the rebuilt list shows the program stopped.
    RunProgram(row->path, NULL);
  }
  return TASK_STARTED;
}
