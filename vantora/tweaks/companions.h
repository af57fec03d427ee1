// The companion programs: the close button, the battery meter, the priority monitor and the benchmark.
// A companion's state lives in three places kept in step here: its enabled flag in the product key
// (close button and battery meter only), its shortcut in the StartUp folder and its running window.
#pragma once
#include <windows.h>

// Main windows, found by class and title; NULL when the program is not running.
HWND FindVTMonitorWindow(void);
HWND FindQuitletWindow(void);
HWND FindGaugeletWindow(void);

// Start the program through the shell by its quoted full path in the installation folder and put a
// shortcut to it into the StartUp folder. A start that fails is not reported.
void StartQuitlet(void);
void StartGaugelet(void);
void StartVTMonitor(void);
// Close the program's main window (it then leaves its message loop) and remove its StartUp shortcut.
// Does not wait for the program to end.
void StopQuitlet(void);
void StopGaugelet(void);
void StopVTMonitor(void);

// Write the enabled flag ("RealQuitlet", "Gaugelet") and start or stop the program to match.
void SetQuitletEnabled(bool on);
void SetGaugeletEnabled(bool on);

// Stops the monitor when it runs, starts it when it does not; true when it was started.
bool StartOrStopVTMonitor(void);
// Starts the benchmark beside the program: mode 0..2 with "-run", "-view" or "-compare".
void StartBenchmark(int mode);

// Run once at start: starts an enabled close button or battery meter that is not running, and writes
// the battery meter's flag as the companions page shows it (absent: off).
void CheckCompanionsAtStart(void);
// The companions CheckCompanionsAtStart started that have no window yet (the first task list waits
// for them); never waits itself. ForgetCompanionsStarting stops the waiting for good.
int CompanionsStillStarting(void);
void ForgetCompanionsStarting(void);

// The quoted start command of a companion program file in the installation folder ("" when the
// installation folder is unknown). Points to one buffer that the next call overwrites.
LPCWSTR CompanionCommand(LPCWSTR programFile);
