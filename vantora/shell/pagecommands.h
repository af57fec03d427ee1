// The commands behind the pages' buttons and rows. Each asks the task or tweak code to act, tells the
// user what came of it and refreshes the pages that show it. page: the page of the caller; row: an
// absolute row of the task list; item: the control that was chosen. Each is defined in the file of
// its page (pages/).
#pragma once
#include <windows.h>

// The "-" part of a task row: its level one step toward idle.
#define PRIORITY_DIRECTION_DOWN 5

// Task page.
void RefreshProcessList(int page);
void AddDeleteTaskFromDataBase(int page, int row);
// direction PRIORITY_DIRECTION_DOWN: toward idle; any other: toward time critical.
void ChangeTaskPriority(int page, int direction, int row);
// Starts a stopped program, closes a running one; system processes are refused with a message.
void RunCloseTask(int page, int row);
// The monitor button: stops the monitor when it runs, starts it when it does not.
void ToggleVTMonitor(int item, bool *redraw);
// The add-a-program button (the program browser); sets *redraw when the page changed.
void AddProgramCommand(int control, bool *redraw);

// Memory page: asks first, closes the ordinary programs and reports the memory freed.
void CloseAllApplications(int page);

// Display page: the glyph cache slider a step down or up, the animation toggle (item: the control chosen).
void StepGlyphCacheLimit(int item, bool up);
void ToggleWindowAnimation(int item);

// Storage page toggle rows (row: the absolute row); companions page rows 0..2. A row without a switch
// does nothing.
void SetStorageTweak(int item, int row, bool *redraw);
void SetCompanionTweak(int item, int row, bool *redraw);

// First page: "restore original settings" asks, reverts and sets up every page again; leaving the
// program after a change offers the soft reset.
void RevertDefaultsCommand(void);
void ExitWithResetOffer(void);
// The revert itself, without the question: the tweaks' first-run values, the task database emptied,
// the task list built again.
void RevertToDefaultRegistryKeys(void);

// Benchmark page rows 0..2 (visible rows) start the benchmark with "-run", "-view" or "-compare".
void RunBenchmark(int visibleRow);
