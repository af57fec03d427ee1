#include "taskops.h"
#include "database.h"
#include "process.h"
#include "taskhelpers.h"

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
  EXPECT_EQ(longName.substr(0, 12) + L"...", std::wstring(row->displayName));
  EXPECT_EQ(5, row->priority);          // read from the running process
  EXPECT_GT(row->cpuUsage, 10.0);       // its busy thread
  EXPECT_EQ(nullptr, FindRow(g_TaskList, windowless.id));  // windowed programs only
  for (int i = 0; i < g_TaskList.count; i++) {
    EXPECT_LE(wcslen(g_TaskList.entries[i].displayName), 15u);
    EXPECT_GE(g_TaskList.entries[i].cpuUsage, 0.0);
  }
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

}  // namespace
