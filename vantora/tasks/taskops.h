// Operations of the main program's task page on the task list.
#pragma once
#include "tasklist.h"

#define DISPLAY_NAME_MAX 12

// Rebuilds the task list with windowed programs, their icons, CPU load and priorities; names longer
// than 12 characters are shown cut, with "...".
void GetProcessList(void);
