// Operations of the main program's task page on the task list.
#pragma once
#include "tasklist.h"

#define DISPLAY_NAME_MAX 12

// Rebuilds the task list with windowed programs, their icons, CPU load and priorities; names longer
// than 12 characters are shown cut, with "...".
void GetProcessList(void);

// The task page's operations; page is the page number, row the absolute row of the list.
void RefreshProcessList(int page);      // wait cursor, rebuild list, SetupPageRows, LayoutPage, redraw
void AddDeleteTaskFromDataBase(int page, int row);
void ChangeTaskPriority(int page, int direction, int row);  // direction == 5 (item kind 5): toward idle
void RunCloseTask(int page, int row);
void RefreshTaskCpu(void);              // the 3.5 s tick: one sample, no sleep
