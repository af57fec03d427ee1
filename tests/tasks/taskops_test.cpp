#include "taskops.h"
#include "database.h"
#include "processfigures.h"
#include "taskhelpers.h"
#include "paths.h"
#include "programstatics.h"
#include "wm_process.h"

namespace {

TEST(GetProcessList, WindowedProgramsWithShortNamesLoadsAndLevels) {
  Program listed, windowless;
  std::wstring longName = UniqueName(L"longprogramname", L".exe");
  ASSERT_TRUE(StartHelper(&listed, HelperCopy(longName), L"window Listed busy 1"));
  ASSERT_TRUE(StartHelper(&windowless, HelperCopy(UniqueName(L"nowin", L".exe")), L"nowindow"));
  ASSERT_EQ(1, SetProcessPriority(listed.id, 5));
  g_TaskDatabase.count = 0;

  GetProcessList();
  const TaskEntry *row = FindRow(g_TaskList, listed.id);
  ASSERT_NE(nullptr, row);
  EXPECT_STREQ(longName.c_str(), row->exeName);
  EXPECT_EQ(longName, std::wstring(row->displayName));  // whole: the page cuts what it shows
  EXPECT_EQ(5, row->priority);          // read from the running process
  EXPECT_GT(row->cpuUsage, 10.0);       // its busy thread
  EXPECT_EQ(nullptr, FindRow(g_TaskList, windowless.id));  // windowed programs only
  for (int i = 0; i < g_TaskList.count; i++) EXPECT_GE(g_TaskList.entries[i].cpuUsage, 0.0);
}

TEST(GetProcessList, ADatabaseRowKeepsItsStoredLevel) {
  Program listed;
  std::wstring name = UniqueName(L"db", L".exe");
  ASSERT_TRUE(StartHelper(&listed, HelperCopy(name), L"window Stored"));
  ASSERT_EQ(1, SetProcessPriority(listed.id, 3));
  g_TaskDatabase.count = 1;
  TaskRecord *record = &g_TaskDatabase.records[0];
  ZeroMemory(record, sizeof(*record));
  wcsncpy(record->exeName, name.c_str(), TASK_RECORD_NAME_CHARS);
  record->priority = 1;

  GetProcessList();
  const TaskEntry *row = FindRow(g_TaskList, listed.id);
  ASSERT_NE(nullptr, row);
  EXPECT_TRUE(row->inDatabase);
  EXPECT_EQ(1, row->priority);  // the stored level, not the running one: the monitor enforces it
  EXPECT_EQ(name, std::wstring(row->displayName));  // short names stay whole
  g_TaskDatabase.count = 0;
}

int RowOf(DWORD processId) {
  for (int i = 0; i < g_TaskList.count; i++)
    if (g_TaskList.entries[i].processId == processId) return i;
  return -1;
}

// The refresh tick measures every row over the time since the previous tick without waiting itself: a
// program with two spinning threads reads well above one idle, and a failed or missing sample reads 0.
TEST(RefreshTaskCpu, EveryRowOverTheTimeSinceThePreviousSample) {
  Program busy, idle;
  ASSERT_TRUE(StartHelper(&busy, HelperCopy(UniqueName(L"busy", L".exe")), L"window Busy busy 2"));
  ASSERT_TRUE(StartHelper(&idle, HelperCopy(UniqueName(L"idle", L".exe")), L"window Idle threads 3"));
  g_TaskDatabase.count = 0;
  GetProcessList();
  int b = RowOf(busy.id), i = RowOf(idle.id);
  ASSERT_GE(b, 0);
  ASSERT_GE(i, 0);
  EXPECT_GT(g_TaskList.entries[b].cpuUsage, 10.0);  // two spinning threads over one 200 ms window
  EXPECT_LT(g_TaskList.entries[i].cpuUsage * 4, g_TaskList.entries[b].cpuUsage);
  for (int round = 0; round < 2; round++) {
    Sleep(300);  // the time the tick measures over
    RefreshTaskCpu();
    // Other work of the machine may take the processors too: the busy one reads clearly above the idle.
    EXPECT_GT(g_TaskList.entries[b].cpuUsage, 10.0) << round;
    EXPECT_LT(g_TaskList.entries[i].cpuUsage * 4, g_TaskList.entries[b].cpuUsage) << round;
  }
  // The busy program ends: its row reads 0, not a stale or negative figure.
  busy.Kill();
  RefreshTaskCpu();
  Sleep(100);  // a time to measure over: the row reads 0 for it, not a figure of nothing
  RefreshTaskCpu();
  EXPECT_EQ(0.0, g_TaskList.entries[b].cpuUsage);
}

// A save that cannot be written changes nothing the user or the monitor would believe: the row keeps its
// level and membership, and its threads their level.
TEST(StepTaskPriority, AFailedSaveIsUndone) {
  Program program;
  ASSERT_TRUE(StartHelper(&program, HelperCopy(UniqueName(L"nosave", L".exe")), L"window NoSave threads 2"));
  g_TaskDatabase.count = 0;
  GetProcessList();
  int p = RowOf(program.id);
  ASSERT_GE(p, 0);
  ASSERT_EQ(3, g_TaskList.entries[p].priority);
  WCHAR saved[MAX_PATH];
  wcscpy(saved, g_Paths.moduleFolder);
  wcscpy(g_Paths.moduleFolder, L"C:\\no such folder here\\");
  EXPECT_EQ(TASK_NOT_SAVED, StepTaskPriority(p, false));
  EXPECT_EQ(TASK_NOT_SAVED, ToggleTaskInDatabase(p));
  wcscpy(g_Paths.moduleFolder, saved);
  EXPECT_EQ(3, g_TaskList.entries[p].priority);
  EXPECT_FALSE(g_TaskList.entries[p].inDatabase);
  EXPECT_EQ(0, g_TaskDatabase.count);
  for (DWORD thread : ThreadsOf(program.id)) EXPECT_EQ(3, WmGetThreadPriority(thread));

  // Limits: nothing above time critical or below idle.
  g_TaskList.entries[p].priority = 0;
  EXPECT_EQ(TASK_AT_LIMIT, StepTaskPriority(p, false));
  EXPECT_EQ(0, g_TaskList.entries[p].priority);
  g_TaskList.entries[p].priority = 7;
  EXPECT_EQ(TASK_AT_LIMIT, StepTaskPriority(p, true));
  EXPECT_EQ(7, g_TaskList.entries[p].priority);
  EXPECT_EQ(TASK_NO_ROW, StepTaskPriority(g_TaskList.count, true));
}

}  // namespace
