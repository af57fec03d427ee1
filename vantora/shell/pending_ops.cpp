// Stand-ins for the task and companion operations the pages call, until the real ones are built:
// each only logs its call. Delete this file when the real operations are in.
#include "../tasks/taskops.h"
#include "../tweaks/companions.h"
#include "debuglog.h"

static void Pending(LPCWSTR name, int a, int b) { WriteDebugLog(LOG_GUI, L"pending %s [%d][%d]", name, a, b); }

void RefreshProcessList(int page) { Pending(L"RefreshProcessList", page, 0); }
void AddDeleteTaskFromDataBase(int page, int row) { Pending(L"AddDeleteTaskFromDataBase", page, row); }
void ChangeTaskPriority(int page, int direction, int row) { Pending(L"ChangeTaskPriority", direction, row); }
void RunCloseTask(int page, int row) { Pending(L"RunCloseTask", page, row); }
void ToggleVTMonitor(int item, bool *redraw) {
  Pending(L"ToggleVTMonitor", item, 0);
  if (redraw) *redraw = true;
}
void RunBenchmark(int visibleRow) { Pending(L"RunBenchmark", visibleRow, 0); }
