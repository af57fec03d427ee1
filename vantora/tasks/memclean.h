// Memory cleanup: closes every ordinary application that has a window and reports the memory freed.
#pragma once
#include <windows.h>

// Asks first ("String43VT"); closes the windowed, non-system, unprotected programs of the task list,
// waits (at most 3 s in all) for them to end, and reports the difference in memory use.
void CloseAllApplications(int page);
// Memory in use in megabytes: used program memory plus used storage.
double MemoryInUse(void);
// 1 when the executable name contains one of the names that are never closed.
int IsProtectedFromClosing(LPCWSTR exeName);
