// The companion programs' main windows, found by class and title.
#pragma once
#include <windows.h>

HWND FindVTMonitorWindow(void);
HWND FindQuitletWindow(void);
HWND FindGaugeletWindow(void);
void StartQuitlet(void);
void StartGaugelet(void);
void StartVTMonitor(void);
void StopQuitlet(void);
void StopGaugelet(void);
void StopVTMonitor(void);
void SetQuitletEnabled(bool on);
void SetGaugeletEnabled(bool on);
void ToggleVTMonitor(int item, bool *redraw);
void RunBenchmark(int visibleRow);
void CheckCompanionsAtStart(void);
