// Operations of the main program's task page on the task list: build it, take a program into the task
// database or out of it, raise or lower its priority, start or close it. Every change of the database is
// saved at once and announced to the monitor. A row is an absolute row of the task list; page is the
// page number of the caller.
#pragma once
#include "tasklist.h"

#define DISPLAY_NAME_MAX 12
// The page's item kind of the "-" control: it moves a row toward idle.
#define PRIORITY_DIRECTION_DOWN 5

// What the task page shows of a row's state (skin image numbers).
#define TASK_IMAGE_CLOSED 10
#define TASK_IMAGE_IN_DATABASE 13
#define TASK_IMAGE_NOT_IN_DATABASE 14

// Rebuilds the task list with windowed programs, their icons, CPU load and priorities; names longer
// than 12 characters are shown cut, with "...". The CPU load of every row comes from one pair of
// device-wide samples 200 ms apart.
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
// left of the 200 ms). 1 when it did, 0 when no list was waiting (a later GetProcessList replaced it).
int FinishProcessListWindow(void);
// GetProcessList under the wait cursor, then the page's rows and layout are rebuilt and redrawn.
void RefreshProcessList(int page);
// Takes the row into the task database or out of it, keeping its level.
void AddDeleteTaskFromDataBase(int page, int row);
// One level toward idle (direction PRIORITY_DIRECTION_DOWN) or toward time critical (any other);
// level 3 is never stored, any other level is.
void ChangeTaskPriority(int page, int direction, int row);
// Starts the row's program when it is stopped, closes it when it runs; system processes are refused.
void RunCloseTask(int page, int row);
// The refresh tick of the task page: one device-wide sample, each running row's load over the time
// since the previous tick (0 for a row new since then, or when the measurement failed). Never waits.
void RefreshTaskCpu(void);

// The image the task page shows as a row's database mark.
int TaskDatabaseImage(const TaskEntry *row);
// Left edge of a row's slider knob for a level 0..7 on a track from trackLeft to trackRight, the knob
// knobWidth wide: level 0 sits at the right end, level 7 at the left end.
int TaskKnobLeft(int level, int trackLeft, int trackRight, int knobWidth);
