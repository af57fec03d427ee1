// The task list of the main program and the operations on its rows: build it with its CPU figures,
// take a program into the task database or out of it, raise or lower its priority, start or close it.
// Every change of the database is saved at once and announced to the monitor. A row is an absolute row
// of the task list. Nothing here draws: each operation says what it did.
#pragma once
#include "tasklist.h"

// What an operation on a row did.
enum TaskOutcome {
  TASK_NO_ROW,           // no such row: nothing happened
  TASK_DONE,             // changed, saved and announced
  TASK_AT_LIMIT,         // the level is already at that end: nothing changed
  TASK_NOT_SAVED,        // the database could not be written: the change was undone
  TASK_REFUSED,          // a system process, never started or closed
  TASK_CLOSED,           // the program was asked to close (a companion, through its switch)
  TASK_TO_CLOSE,         // an ordinary program shown closed: the caller asks its window to close
  TASK_STARTED,          // the program was started: the list must be built again
  TASK_MONITOR_STOPPED,  // the row was the monitor's
  TASK_MONITOR_STARTED,
};

// Rebuilds the task list with windowed programs, their icons, CPU load and priorities. The CPU load
// of every row comes from one pair of device-wide samples 200 ms apart.
void GetProcessList(void);
// Opens the measuring window of the next GetProcessList now (its first sample), for the program's start:
// that GetProcessList builds only the rows at once and leaves their paths, icons, levels and CPU loads
// to FinishProcessListWindow, so the window can be shown while the 200 ms run (a task operation
// finishes the list first). GetProcessList opens its own window when this was not called, or more than
// a second before.
void StartProcessListWindow(void);
// Milliseconds until FinishProcessListWindow has its 200 ms (0: due now); INFINITE when no list waits
// for its figures.
DWORD ProcessListFiguresDue(void);
// Gives the list the start left unfinished its paths, icons, levels and CPU loads (waiting out what is
// left of the 200 ms). rebuildRows: the rows are listed again first, so that the programs whose windows
// came since (the program's own, companions started at start) are in the list; a caller that holds a
// row number passes false. 1 when it did, 0 when no list was waiting (a later GetProcessList replaced
// it).
int FinishProcessListWindow(bool rebuildRows);
// Takes the row into the task database or out of it, keeping its level.
TaskOutcome ToggleTaskInDatabase(int row);
// One level toward idle (towardIdle) or toward time critical; level 3 is never stored, any other level
// is, and rows of the same program in the database follow.
TaskOutcome StepTaskPriority(int row, bool towardIdle);
// Starts the row's program when it is stopped, closes it when it runs (a companion through its switch;
// another program's window is left to the caller, who can answer a program that hangs).
TaskOutcome StartOrCloseTask(int row);
// The refresh tick of the task page: one device-wide sample, each running row's load over the time
// since the previous tick (0 for a row new since then, or when the measurement failed). Never waits.
void RefreshTaskCpu(void);

