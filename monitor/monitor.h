// The priority monitor: a hidden window whose timer, every 20 seconds and at once on the main program's
// refresh message, sets every thread of each running program named in the task database to its
// stored level.
#pragma once
#include <windows.h>

#define VTMONITOR_CLASS L"VTMONITOR"
#define VTMONITOR_TITLE L"VTMonitor"
#define MONITOR_TIMER_ID 1
#define MONITOR_PERIOD_MS 20000

// The whole program: single instance, window, message loop. Returns 0.
int MonitorMain(HINSTANCE instance);
LRESULT CALLBACK MonitorWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// One priority cycle: rebuild the list, re-read the database when asked to, set the stored levels.
void MonitorCycle(void);
