// The task list: running processes and their chosen top-level windows, merged with the task database.
#include "tasklist.h"
#include "database.h"
#include "debuglog.h"
#include "wm_process.h"
#include <strsafe.h>

TaskList g_TaskList;

namespace {

bool PassesFilter(const TaskEntry *row, int windowedOnly, int visibleOnly) {
  return (!windowedOnly || row->hasWindow) && (!visibleOnly || row->visible);
}

void FetchIcon(TaskEntry *row) {
  ZeroMemory(&row->icon, sizeof(row->icon));
  // By attributes: the shell picks the icon by the name alone and need not read the file, and a row
  // with an empty path gets the shell's default icon.
  SHGetFileInfoW(row->path, FILE_ATTRIBUTE_NORMAL, &row->icon, sizeof(row->icon),
                 SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
}

// The paths read by the last build, by process: a process keeps its executable for its whole life, and
// its id with its start time names it over that life.
struct KnownPath {
  DWORD processId;
  ULONGLONG startTime;
  WCHAR path[TASK_TEXT_CHARS];
};
KnownPath g_KnownPaths[MAX_TASKS];
int g_KnownPathCount;

void ReadProcessPath(TaskEntry *row) {
  row->path[0] = 0;
  if (row->startTime)
    for (int i = 0; i < g_KnownPathCount; i++)
      if (g_KnownPaths[i].processId == row->processId && g_KnownPaths[i].startTime == row->startTime) {
        StringCchCopyW(row->path, TASK_TEXT_CHARS, g_KnownPaths[i].path);
        return;
      }
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, row->processId);
  if (!process) return;
  WmGetModuleFileName(process, row->path, TASK_TEXT_CHARS);
  CloseHandle(process);
}

// Keeps the paths of this list's running rows for the next build.
void RememberPaths(const TaskList *list) {
  g_KnownPathCount = 0;
  for (int i = 0; i < list->count && g_KnownPathCount < MAX_TASKS; i++) {
    const TaskEntry *row = &list->entries[i];
    if (!row->running || !row->startTime || !row->path[0]) continue;
    KnownPath *known = &g_KnownPaths[g_KnownPathCount++];
    known->processId = row->processId;
    known->startTime = row->startTime;
    StringCchCopyW(known->path, TASK_TEXT_CHARS, row->path);
  }
}

struct WindowWalk {
  TaskList *list;
  int visibleOnly;
};

TaskEntry *FindRunningRow(TaskList *list, DWORD processId) {
  for (int i = 0; i < list->count; i++)
    if (list->entries[i].processId == processId) return &list->entries[i];
  return NULL;
}

// Gives the window to its process's row; a later window of the same process replaces an earlier one.
BOOL VisitWindow(HWND hwnd, const WmWindowFacts *facts, void *context) {
  WindowWalk *walk = (WindowWalk *)context;
  TaskEntry *row = facts->processId ? FindRunningRow(walk->list, facts->processId) : NULL;
  if (!row) return TRUE;
  // The input method's helper windows belong to every program with a window.
  if (!lstrcmpiW(facts->className, L"Ime")) return TRUE;
  // Owned windows (dialogs, menus) stand for their owner, which is visited itself. For a top-level
  // window only a popup has a parent (its owner), so the style saves asking the others.
  LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  if ((style & WS_CHILD) || ((style & WS_POPUP) && GetParent(hwnd))) return TRUE;
  WCHAR title[TASK_TEXT_CHARS] = L"";
  // Read without a message, so that a program that does not answer cannot hold up the list.
  InternalGetWindowText(hwnd, title, ARRAYSIZE(title));
  if (walk->visibleOnly && !title[0]) return TRUE;
  row->hasWindow = 1;
  // A top-level window's own style says whether it is shown: its parent, the desktop, always is.
  row->visible = (style & WS_VISIBLE) ? 1 : 0;
  row->window = hwnd;
  StringCchCopyW(row->className, TASK_TEXT_CHARS, facts->className);
  StringCchCopyW(row->title, TASK_TEXT_CHARS, title);
  return TRUE;
}

// Keeps, in order, the rows that pass the filter or are in the database.
void CompactRows(TaskList *list, int windowedOnly, int visibleOnly) {
  int kept = 0;
  for (int i = 0; i < list->count; i++) {
    TaskEntry *row = &list->entries[i];
    if (!PassesFilter(row, windowedOnly, visibleOnly) && !row->inDatabase) {
      if (row->icon.hIcon) DestroyIcon(row->icon.hIcon);
      continue;
    }
    if (kept != i) list->entries[kept] = *row;
    kept++;
  }
  list->count = kept;
}

// TRUE when a record of the database names the program (over the record field's width).
bool IsRecorded(const TaskDatabase *database, LPCWSTR exeName) {
  int records = database->count <= MAX_TASK_RECORDS ? database->count : MAX_TASK_RECORDS;
  for (int r = 0; r < records; r++)
    if (SameProgramName(exeName, database->records[r].exeName)) return true;
  return false;
}

// One more than the table holds, so that a full table is noticed.
WmProcessEntry g_Processes[MAX_TASKS + 1];

bool AddRunningProcesses(TaskList *list, const TaskDatabase *recordedOnly) {
  int count = WmListProcesses(g_Processes, ARRAYSIZE(g_Processes));
  if (count < 0) return false;
  for (int i = 0; i < count; i++) {
    const WmProcessEntry *process = &g_Processes[i];
    if (recordedOnly && !IsRecorded(recordedOnly, process->exeName)) continue;
    if (list->count >= MAX_TASKS) {
      WriteDebugLog(LOG_GUI, L"Task list full [%d rows], further processes left out.", MAX_TASKS);
      break;
    }
    TaskEntry *row = &list->entries[list->count++];
    ZeroMemory(row, sizeof(*row));
    StringCchCopyW(row->exeName, TASK_TEXT_CHARS, process->exeName);
    StringCchCopyW(row->displayName, TASK_TEXT_CHARS, process->exeName);
    row->system = (BYTE)IsSystemProcess(row->exeName);
    row->processId = process->processId;
    row->threadCount = process->threadCount;
    row->startTime = process->startTime;
    row->priority = PRIORITY_LEVEL_NORMAL;
    row->running = 1;
  }
  return true;
}

void MergeDatabase(TaskList *list, const TaskDatabase *database, int windowedOnly, int visibleOnly) {
  int records = database->count <= MAX_TASK_RECORDS ? database->count : MAX_TASK_RECORDS;
  for (int r = 0; r < records; r++) {
    const TaskRecord *record = &database->records[r];
    WCHAR exeName[TASK_RECORD_NAME_CHARS + 1], title[TASK_RECORD_NAME_CHARS + 1];
    RecordText(record->exeName, exeName);
    RecordText(record->title, title);
    TaskEntry *match = NULL;
    for (int i = 0; i < list->count && !match; i++) {
      TaskEntry *row = &list->entries[i];
      int pass = PassesFilter(row, windowedOnly, visibleOnly) ? 1 : 0;
      WriteDebugLog(LOG_GUI, L"[filter=%d] DB[%d][%s] compare with RunningTasks[%d][%s]", pass, r, exeName, i,
                    row->exeName);
      // Over the record field's width: a stored name of 20 characters stands for every longer one.
      if (pass && SameProgramName(row->exeName, exeName)) {
        WriteDebugLog(LOG_GUI, L"found");
        match = row;
      }
    }
    if (match) {
      match->priority = record->priority;
      match->inDatabase = 1;
      continue;
    }
    // Rows that stay out of the list make room for the programs the user chose.
    if (list->count >= MAX_TASKS) CompactRows(list, windowedOnly, visibleOnly);
    WCHAR path[TASK_RECORD_PATH_CHARS];
    StringCchCopyW(path, ARRAYSIZE(path), record->path);
    // Shown as a program with a visible window, so that the filters keep it.
    NewTaskRow added = {};
    added.path = path;
    added.exeName = exeName;
    added.title = title;
    added.priority = record->priority;
    added.inDatabase = added.hasWindow = added.visible = true;
    unsigned flags = (windowedOnly ? TASKS_WINDOWED_ONLY : 0) | (visibleOnly ? TASKS_VISIBLE_ONLY : 0);
    if (!AddTaskEntry(list, added, flags))
      WriteDebugLog(LOG_GUI, L"Task list full, DB[%d][%s] left out.", r, exeName);
  }
}

}  // namespace

void FetchTaskDetails(TaskList *list) {
  for (int i = 0; i < list->count && i < MAX_TASKS; i++) {
    TaskEntry *row = &list->entries[i];
    if (row->running && !row->path[0]) ReadProcessPath(row);
    if (!row->icon.hIcon) FetchIcon(row);
  }
  RememberPaths(list);
}

void ClearTaskList(TaskList *list) {
  for (int i = 0; i < list->count && i < MAX_TASKS; i++) {
    if (list->entries[i].icon.hIcon) DestroyIcon(list->entries[i].icon.hIcon);
    list->entries[i].icon.hIcon = NULL;
  }
  list->count = 0;
}

int AddTaskEntry(TaskList *list, const NewTaskRow &added, unsigned flags) {
  if (list->count < 0) list->count = 0;
  if (list->count >= MAX_TASKS) return 0;
  TaskEntry *row = &list->entries[list->count++];
  ZeroMemory(row, sizeof(*row));
  StringCchCopyW(row->path, TASK_TEXT_CHARS, added.path ? added.path : L"");
  StringCchCopyW(row->exeName, TASK_TEXT_CHARS, added.exeName ? added.exeName : L"");
  StringCchCopyW(row->displayName, TASK_TEXT_CHARS, row->exeName);
  StringCchCopyW(row->title, TASK_TEXT_CHARS, added.title ? added.title : L"");
  row->priority = added.priority;
  row->inDatabase = added.inDatabase ? 1 : 0;
  row->running = added.running ? 1 : 0;
  row->hasWindow = added.hasWindow ? 1 : 0;
  row->visible = added.visible ? 1 : 0;
  row->system = (BYTE)IsSystemProcess(row->exeName);
  if ((flags & TASKS_WITH_ICONS) &&
      (PassesFilter(row, (flags & TASKS_WINDOWED_ONLY) != 0, (flags & TASKS_VISIBLE_ONLY) != 0) || row->inDatabase))
    FetchIcon(row);
  return 1;
}

namespace {

// recordedOnly leaves out, before anything else is asked of them, the running programs that no record
// of the database names.
int BuildRows(TaskList *list, const TaskDatabase *database, int windowedOnly, int visibleOnly, int icons, bool paths,
              bool recordedOnly) {
  ClearTaskList(list);
  if (!AddRunningProcesses(list, recordedOnly ? database : NULL)) return 0;

  WindowWalk walk = {list, visibleOnly};
  WmWalkTopLevelWindowFacts(VisitWindow, &walk);

  for (int i = 0; i < list->count; i++) list->entries[i].inDatabase = 0;
  WriteDebugLog(LOG_GUI, L"Running tasks found: %d", list->count);
  WriteDebugLog(LOG_GUI, L"Database tasks: %d", (int)database->count);
  MergeDatabase(list, database, windowedOnly, visibleOnly);

  CompactRows(list, windowedOnly, visibleOnly);
  // Paths only for the rows kept: opening every process of the device is the costly part.
  for (int i = 0; i < list->count; i++) {
    TaskEntry *row = &list->entries[i];
    if (row->running && paths) ReadProcessPath(row);
    if (icons) FetchIcon(row);
  }
  if (paths) RememberPaths(list);
  return 1;
}

}  // namespace

int BuildTaskListFrom(TaskList *list, const TaskDatabase *database, int windowedOnly, int visibleOnly, int icons) {
  return BuildRows(list, database, windowedOnly, visibleOnly, icons, true, false);
}

int BuildTaskListRows(TaskList *list, unsigned flags) {
  return BuildRows(list, &g_TaskDatabase, (flags & TASKS_WINDOWED_ONLY) != 0, (flags & TASKS_VISIBLE_ONLY) != 0, 0,
                   false, false);
}

int BuildTaskListNames(TaskList *list, int windowedOnly, int visibleOnly) {
  return BuildRows(list, &g_TaskDatabase, windowedOnly, visibleOnly, 0, false, true);
}

int BuildTaskList(TaskList *list, unsigned flags) {
  return BuildTaskListFrom(list, &g_TaskDatabase, (flags & TASKS_WINDOWED_ONLY) != 0, (flags & TASKS_VISIBLE_ONLY) != 0,
                           (flags & TASKS_WITH_ICONS) != 0);
}
