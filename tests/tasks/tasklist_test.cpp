// The task list built from the device's real processes and windows, merged with a task database.
#include "taskhelpers.h"
#include "database.h"

namespace {

TaskList g_List;
TaskDatabase g_Db;

void AddRecord(const wchar_t *exe, const wchar_t *title, const wchar_t *path, short priority) {
  TaskRecord *record = &g_Db.records[g_Db.count++];
  ZeroMemory(record, sizeof(*record));
  for (int i = 0; i < TASK_RECORD_NAME_CHARS && exe[i]; i++) record->exeName[i] = exe[i];
  for (int i = 0; i < TASK_RECORD_NAME_CHARS && title[i]; i++) record->title[i] = title[i];
  wcscpy(record->path, path);
  record->priority = priority;
}

std::wstring FileNameOf(const std::wstring &path) { return path.substr(path.rfind(L'\\') + 1); }

}  // namespace

TEST(TaskList, FiltersProcessesByTheirWindows) {
  std::wstring cls = UniqueName(L"TaskListFilter", L"");
  Program titled, untitled, windowless, hidden, dialog;
  ASSERT_TRUE(StartHelper(&titled, HelperCopy(L""), L"window \"Titled one\" class " + cls + L" threads 2"));
  ASSERT_TRUE(StartHelper(&untitled, HelperCopy(L""), L"untitled"));
  ASSERT_TRUE(StartHelper(&windowless, HelperCopy(L""), L"nowindow"));
  ASSERT_TRUE(StartHelper(&hidden, HelperCopy(L""), L"hidden Hidden"));
  // A main window without a title and an owned dialog with one.
  ASSERT_TRUE(StartHelper(&dialog, HelperCopy(L""), L"untitled popup Dialog"));
  g_Db.count = 0;

  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 0, 0, 0));
  for (Program *p : {&titled, &untitled, &windowless, &hidden, &dialog}) {
    const TaskEntry *row = FindRow(g_List, p->id);
    ASSERT_TRUE(row) << p->id;
    EXPECT_EQ(1, row->running);
    EXPECT_EQ(0, row->inDatabase);
    EXPECT_STREQ(L"taskhelper.exe", row->exeName);
    EXPECT_STREQ(L"taskhelper.exe", row->displayName);
    EXPECT_EQ(0, _wcsicmp(HelperProgram(L"taskhelper.exe").c_str(), row->path));
    EXPECT_EQ(0, row->system);
  }
  const TaskEntry *row = FindRow(g_List, titled.id);
  EXPECT_EQ(3u, row->threadCount);
  EXPECT_EQ(FindWindowW(cls.c_str(), L"Titled one"), row->window);
  EXPECT_STREQ(L"Titled one", row->title);
  EXPECT_STREQ(cls.c_str(), row->className);
  EXPECT_EQ(1, row->hasWindow);
  EXPECT_EQ(1, row->visible);
  row = FindRow(g_List, windowless.id);
  EXPECT_EQ(0, row->hasWindow);
  EXPECT_EQ(NULL, row->window);
  row = FindRow(g_List, hidden.id);
  EXPECT_EQ(1, row->hasWindow);
  EXPECT_EQ(0, row->visible);
  // The owned dialog stands for its owner: the main window is the one chosen.
  row = FindRow(g_List, dialog.id);
  EXPECT_STREQ(L"", row->title);

  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 1, 0, 0));
  EXPECT_TRUE(FindRow(g_List, titled.id));
  EXPECT_TRUE(FindRow(g_List, untitled.id));
  EXPECT_FALSE(FindRow(g_List, windowless.id));
  EXPECT_TRUE(FindRow(g_List, hidden.id));
  EXPECT_TRUE(FindRow(g_List, dialog.id));

  // Visible only: empty titles do not count, nor hidden windows, nor owned ones.
  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 1, 1, 0));
  EXPECT_TRUE(FindRow(g_List, titled.id));
  EXPECT_FALSE(FindRow(g_List, untitled.id));
  EXPECT_FALSE(FindRow(g_List, windowless.id));
  EXPECT_FALSE(FindRow(g_List, hidden.id));
  EXPECT_FALSE(FindRow(g_List, dialog.id));
  for (int i = 0; i < g_List.count; i++) {
    EXPECT_EQ(1, g_List.entries[i].visible);
    EXPECT_NE(0, g_List.entries[i].title[0]);
  }
}

TEST(TaskList, MergesTheDatabaseAndKeepsTheOrder) {
  std::wstring longName = UniqueName(L"abcdefghijklmnopqrstuvwxyz", L".exe");
  std::wstring shortName = UniqueName(L"m", L".exe");
  std::wstring windowlessName = UniqueName(L"w", L".exe");
  Program longOne, shortOne, windowless;
  ASSERT_TRUE(StartHelper(&shortOne, HelperCopy(shortName), L"window Short"));
  ASSERT_TRUE(StartHelper(&longOne, HelperCopy(longName), L"window Long"));
  ASSERT_TRUE(StartHelper(&windowless, HelperCopy(windowlessName), L"nowindow"));

  g_Db.count = 0;
  AddRecord(L"stopped-program.exe", L"Stopped program title", L"\\Windows\\stopped-program.exe", 5);
  AddRecord(longName.c_str(), L"Long", L"\\long.exe", 6);  // the record keeps the first 20 characters
  AddRecord(windowlessName.c_str(), L"Windowless", L"\\w.exe", 1);
  AddRecord(L"m.exe", L"Other", L"\\m.exe", 2);  // a prefix of a running name is not that name
  AddRecord(shortName.c_str(), L"Short", L"\\m.exe", 0);
  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 1, 0, 0));

  const TaskEntry *row = FindRow(g_List, longOne.id);
  ASSERT_TRUE(row);
  EXPECT_EQ(1, row->inDatabase);
  EXPECT_EQ(6, row->priority);
  EXPECT_STREQ(longName.c_str(), row->exeName);
  row = FindRow(g_List, shortOne.id);
  ASSERT_TRUE(row);
  EXPECT_EQ(1, row->inDatabase);
  EXPECT_EQ(0, row->priority);

  row = FindStoppedRow(g_List, L"stopped-program.exe");
  ASSERT_TRUE(row);
  EXPECT_EQ(0u, row->processId);
  EXPECT_EQ(0, row->running);
  EXPECT_EQ(1, row->inDatabase);
  EXPECT_EQ(5, row->priority);
  EXPECT_STREQ(L"Stopped program titl", row->title);
  EXPECT_STREQ(L"\\Windows\\stopped-program.exe", row->path);
  EXPECT_EQ(1, row->hasWindow);
  EXPECT_EQ(1, row->visible);
  EXPECT_EQ(NULL, row->window);
  EXPECT_TRUE(FindStoppedRow(g_List, L"m.exe"));

  // A running program without a window does not count as running; the database still shows it.
  EXPECT_FALSE(FindRow(g_List, windowless.id));
  row = FindStoppedRow(g_List, windowlessName.c_str());
  ASSERT_TRUE(row);
  EXPECT_EQ(1, row->priority);

  // Running rows first in snapshot order, then the stopped database rows in record order.
  int firstStopped = g_List.count;
  for (int i = 0; i < g_List.count; i++)
    if (!g_List.entries[i].running) {
      firstStopped = i;
      break;
    }
  ASSERT_EQ(g_List.count - 3, firstStopped);
  for (int i = firstStopped; i < g_List.count; i++) EXPECT_EQ(0u, g_List.entries[i].processId);
  EXPECT_STREQ(L"stopped-program.exe", g_List.entries[firstStopped].exeName);
  EXPECT_STREQ(windowlessName.c_str(), g_List.entries[firstStopped + 1].exeName);
  EXPECT_STREQ(L"m.exe", g_List.entries[firstStopped + 2].exeName);
  // The whole list keeps the same order. Programs of tests running beside this one may end or start
  // between the two lists: only the programs in both are compared, and this test's own are in both.
  static TaskList all;
  ASSERT_EQ(1, BuildTaskListFrom(&all, &g_Db, 0, 0, 0));
  int previous = -1, compared = 0;
  for (int i = 0; i < firstStopped; i++) {
    int at = -1;
    for (int j = 0; j < all.count; j++)
      if (all.entries[j].processId == g_List.entries[i].processId) at = j;
    DWORD id = g_List.entries[i].processId;
    if (at < 0 && id != longOne.id && id != shortOne.id) continue;
    ASSERT_GT(at, previous) << i;
    previous = at;
    compared++;
  }
  EXPECT_GE(compared, 2);
  EXPECT_TRUE(FindRow(all, longOne.id));
  EXPECT_TRUE(FindRow(all, shortOne.id));
  ClearTaskList(&all);
}

TEST(TaskList, MarksSystemProcesses) {
  Program gwes, rapi;
  std::wstring folder = MakeTempFolder(UniqueName(L"sys", L"").c_str());
  std::wstring gwesExe = folder + L"\\GWES.EXE", rapiExe = folder + L"\\rapiclnt.exe";
  ASSERT_TRUE(CopyFileW(HelperProgram(L"taskhelper.exe").c_str(), gwesExe.c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(HelperProgram(L"taskhelper.exe").c_str(), rapiExe.c_str(), FALSE));
  ASSERT_TRUE(StartHelper(&gwes, gwesExe, L"nowindow"));
  ASSERT_TRUE(StartHelper(&rapi, rapiExe, L"nowindow"));
  g_Db.count = 0;
  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 0, 0, 0));
  ASSERT_TRUE(FindRow(g_List, gwes.id));
  EXPECT_EQ(1, FindRow(g_List, gwes.id)->system);
  ASSERT_TRUE(FindRow(g_List, rapi.id));
  EXPECT_EQ(0, FindRow(g_List, rapi.id)->system);

  for (const wchar_t *name : {L"nk.exe", L"TMail.EXE", L"poutlook.exe", L"wisssystem.exe", L"rapiclnt", L"Services.exe"})
    EXPECT_EQ(1, IsSystemProcess(name)) << FileNameOf(name).size();
  for (const wchar_t *name : {L"rapiclnt.exe", L"xtmail.exe", L"tmail", L"", L"gwes.exe "})
    EXPECT_EQ(0, IsSystemProcess(name));
  EXPECT_EQ(0, IsSystemProcess(NULL));
  std::wstring huge(400, L'g');
  EXPECT_EQ(0, IsSystemProcess(huge.c_str()));
}

TEST(TaskList, StopsAtAHundredRows) {
  // More database programs than the table holds, on top of the device's own processes.
  g_Db.count = 0;
  for (int i = 0; i < MAX_TASK_RECORDS; i++)
    AddRecord((L"absent" + std::to_wstring(i) + L".exe").c_str(), L"Absent", L"\\absent.exe", 4);
  struct Guarded {
    TaskList list;
    char guard[4096];
  };
  static Guarded g;
  memset(g.guard, 0x5a, sizeof(g.guard));
  ASSERT_EQ(1, BuildTaskListFrom(&g.list, &g_Db, 1, 0, 0));
  EXPECT_EQ(MAX_TASKS, g.list.count);
  for (size_t i = 0; i < sizeof(g.guard); i++) ASSERT_EQ(0x5a, g.guard[i]) << i;
  // The running windowed programs come first; the records fill the rest in order.
  int running = 0;
  while (running < g.list.count && g.list.entries[running].running) running++;
  ASSERT_GT(running, 0);
  for (int i = running; i < g.list.count; i++)
    EXPECT_EQ(L"absent" + std::to_wstring(i - running) + L".exe", std::wstring(g.list.entries[i].exeName));

  // A count beyond the table is not read past it.
  g_Db.count = 500;
  ASSERT_EQ(1, BuildTaskListFrom(&g.list, &g_Db, 0, 0, 0));
  EXPECT_EQ(MAX_TASKS, g.list.count);
  for (size_t i = 0; i < sizeof(g.guard); i++) ASSERT_EQ(0x5a, g.guard[i]) << i;

  // A full table takes no more rows.
  NewTaskRow extra = {L"\\x.exe", L"x.exe", L"x", 3, true, false, true, true};
  EXPECT_EQ(0, AddTaskEntry(&g.list, extra, TASKS_WINDOWED_ONLY));
  EXPECT_EQ(MAX_TASKS, g.list.count);
  for (size_t i = 0; i < sizeof(g.guard); i++) ASSERT_EQ(0x5a, g.guard[i]) << i;
}

TEST(TaskList, AddsAChosenProgram) {
  g_List.count = 0;
  NewTaskRow chosen = {L"\\Windows\\tmail.exe", L"tmail.exe", L"tmail", 3, true, false, true, true};
  ASSERT_EQ(1, AddTaskEntry(&g_List, chosen, TASKS_WINDOWED_ONLY | TASKS_WITH_ICONS));
  ASSERT_EQ(1, g_List.count);
  const TaskEntry &row = g_List.entries[0];
  EXPECT_STREQ(L"\\Windows\\tmail.exe", row.path);
  EXPECT_STREQ(L"tmail.exe", row.displayName);
  EXPECT_STREQ(L"tmail", row.title);
  EXPECT_EQ(0u, row.processId);
  EXPECT_EQ(0, row.running);
  EXPECT_EQ(1, row.inDatabase);
  EXPECT_EQ(1, row.system);
  EXPECT_EQ(3, row.priority);
  EXPECT_TRUE(row.icon.hIcon != NULL);
  ClearTaskList(&g_List);
  EXPECT_EQ(0, g_List.count);
}

TEST(TaskList, IconsComeFromTheShellAndGoWithTheList) {
  Program titled;
  ASSERT_TRUE(StartHelper(&titled, HelperCopy(L""), L"window Icon"));
  g_Db.count = 0;
  AddRecord(L"gone.exe", L"Gone", L"", 3);
  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 1, 0, 1));
  ASSERT_GT(g_List.count, 1);
  for (int i = 0; i < g_List.count; i++) EXPECT_TRUE(g_List.entries[i].icon.hIcon != NULL) << i;
  ICONINFO info;
  HICON first = g_List.entries[0].icon.hIcon;
  ASSERT_TRUE(GetIconInfo(first, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  // Without icons the rebuilt list has none, and the old ones are gone.
  ASSERT_EQ(1, BuildTaskListFrom(&g_List, &g_Db, 1, 0, 0));
  for (int i = 0; i < g_List.count; i++) EXPECT_TRUE(g_List.entries[i].icon.hIcon == NULL) << i;
  EXPECT_FALSE(GetIconInfo(first, &info));
}
