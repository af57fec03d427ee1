// Memory cleanup: closes every ordinary application that has a window and reports the memory freed.
#pragma once
#include <windows.h>

// Rebuilds the task list, asks each of its windowed, non-system, unprotected programs once to close,
// waits (at most 3 s in all) for them to end, and returns the memory freed in megabytes (never below
// 0). stillOpen (may be NULL) gets the names of the programs that did not end, separated by ", ".
double CloseOrdinaryApplications(WCHAR *stillOpen, size_t stillOpenChars);
// Memory in use in megabytes: used program memory plus used storage.
double MemoryInUse(void);
// 1 when the executable name contains one of the names that are never closed.
int IsProtectedFromClosing(LPCWSTR exeName);
