// The companion programs: the close button, the battery meter, the priority monitor and the benchmark.
// A companion's state lives in three places kept in step here: its enabled flag in the product key
// (close button and battery meter only), its shortcut in the StartUp folder and its running window.
#pragma once
#include <windows.h>

// The companion programs the task list and the companions page both switch: one table.
enum CompanionProgram { COMPANION_CLOSE_BUTTON, COMPANION_BATTERY_METER, COMPANION_MONITOR, COMPANION_COUNT };

struct Companion {
  LPCWSTR programFile;
  LPCWSTR windowClass;
  LPCWSTR windowTitle;
  LPCWSTR shortcut;  // in the StartUp folder
  LPCWSTR flag;      // the switch under the product key; NULL: the monitor counts as on while its window exists
};

extern const Companion g_Companions[COMPANION_COUNT];

// Switches a companion on or off: its flag written (when it has one), the program started with its
// StartUp shortcut or its window closed and the shortcut removed. A number out of range does nothing.
void SwitchCompanion(int which, bool on);

// Main windows, found by class and title; NULL when the program is not running.
HWND FindVTMonitorWindow(void);
HWND FindQuitletWindow(void);
HWND FindGaugeletWindow(void);

// The monitor started through the shell by its quoted full path in the installation folder, with a
// shortcut in the StartUp folder; stopped by closing its main window (not waited for), the shortcut
// removed. A start that fails is not reported.
void StartVTMonitor(void);
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
