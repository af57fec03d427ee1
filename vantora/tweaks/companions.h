// The companion programs' main windows, found by class and title.
#pragma once
#include <windows.h>

HWND FindVTMonitorWindow(void);
HWND FindQuitletWindow(void);
HWND FindGaugeletWindow(void);
