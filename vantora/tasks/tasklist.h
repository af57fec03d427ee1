// The task list: one row per managed program (a running process, a task database entry, or both).
// Built from the process snapshot and the top-level windows; shared by the main program and the monitor.
#pragma once
#include <windows.h>
#include <shellapi.h>

#define MAX_TASKS 100
#define TASK_TEXT_CHARS 260

// Priority levels of the handheld: 0 time critical ... 3 normal ... 7 idle.
#define PRIORITY_LEVEL_HIGHEST 0
#define PRIORITY_LEVEL_NORMAL 3
#define PRIORITY_LEVEL_IDLE 7

struct TaskEntry {
  HWND window;            // the process's chosen top-level window, NULL without one
  DWORD processId;        // 0 for a database task that is not running
  double cpuUsage;        // percent; 0 when not running
  int priority;           // level 0..7
  BYTE inDatabase;
  BYTE running;
  DWORD threadCount;
  ULONGLONG startTime;    // when the process started, 0 when unknown or not running
  WCHAR title[TASK_TEXT_CHARS];
  WCHAR className[TASK_TEXT_CHARS];
  WCHAR exeName[TASK_TEXT_CHARS];
  WCHAR path[TASK_TEXT_CHARS];
  WCHAR displayName[TASK_TEXT_CHARS];
  SHFILEINFOW icon;       // small icon when asked for; destroyed when the list is rebuilt
  BYTE visible;
  BYTE hasWindow;
  BYTE system;
};

struct TaskList {
  TaskEntry entries[MAX_TASKS];
  int count;
};

// The program's one task list.
extern TaskList g_TaskList;

struct TaskDatabase;

// Which rows a list keeps and what it fetches for them, one bit each.
enum TaskListFlag {
  TASKS_WINDOWED_ONLY = 1,  // only processes with a top-level window
  TASKS_VISIBLE_ONLY = 2,   // only those with a visible titled one
  TASKS_WITH_ICONS = 4,     // each row's small icon
};

// Rebuilds the list from the running processes, their top-level windows and the task database, kept
// and fetched as flags (TaskListFlag) say; database programs are always kept, as rows with process
// id 0 when not running. 0 (and an empty list) when no process snapshot could be taken. The table
// holds MAX_TASKS rows: processes beyond that are left out, and so are database programs that find
// no room.
int BuildTaskList(TaskList *list, unsigned flags);
// The same with a given database instead of the program's own.
int BuildTaskListFrom(TaskList *list, const TaskDatabase *database, int windowedOnly, int visibleOnly, int icons);
// The same for the program's own database, without icons, with only the running programs a record
// names and without their paths (their rows keep an empty path): for a caller that matches the
// database's programs by name only, as often as every few seconds.
int BuildTaskListNames(TaskList *list, int windowedOnly, int visibleOnly);
// One row to append: its program, its state and its level.
struct NewTaskRow {
  LPCWSTR path, exeName, title;
  int priority;
  bool inDatabase, running, hasWindow, visible;
};
// Appends one row (the program browser's way of adding a program that is not running); its icon is
// fetched when flags (TaskListFlag) ask for icons and the row passes the list's filter or is in the
// database. 0 when the table is full.
int AddTaskEntry(TaskList *list, const NewTaskRow &row, unsigned flags);
// The program's own list without paths and icons, for a caller that must show its rows soon:
// FetchTaskDetails gives them their paths and icons afterwards. flags: TASKS_WINDOWED_ONLY and
// TASKS_VISIBLE_ONLY.
int BuildTaskListRows(TaskList *list, unsigned flags);
// The path of every running row that has none, and the small icon of every row that has none.
void FetchTaskDetails(TaskList *list);
// Destroys the rows' icons and empties the list.
void ClearTaskList(TaskList *list);

// 1 for the processes of the system that must never be closed, started or stopped (case ignored).
int IsSystemProcess(LPCWSTR exeName);
