// Memory cleanup: closes every ordinary application that has a window and reports what it freed.
#pragma once
#include <windows.h>

void CloseAllApplications(int page);  // asks "String43VT" itself, reports the amount
