#include "taskops.h"
#include "database.h"
#include "process.h"
#include "taskhelpers.h"
#include "paths.h"
#include "programstatics.h"
#include "../shell/pagemodel.h"
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
    Sleep(300);
    RefreshTaskCpu();
    // Other work of the machine may take the processors too: the busy one reads clearly above the idle.
    EXPECT_GT(g_TaskList.entries[b].cpuUsage, 10.0) << round;
    EXPECT_LT(g_TaskList.entries[i].cpuUsage * 4, g_TaskList.entries[b].cpuUsage) << round;
  }
  // The busy program ends: its row reads 0, not a stale or negative figure.
  busy.Kill();
  RefreshTaskCpu();
  Sleep(100);
  RefreshTaskCpu();
  EXPECT_EQ(0.0, g_TaskList.entries[b].cpuUsage);
}

// Answers the next message box of this process: its text, then OK.
struct BoxAnswer {
  std::wstring caption, text;
  UINT icon = 0;
  static DWORD WINAPI Run(void *p) {
    BoxAnswer *self = (BoxAnswer *)p;
    HWND box = NULL;
    WaitUntil([&] {
      box = FindWindowW(L"#32770", NULL);
      DWORD pid = 0;
      if (box) GetWindowThreadProcessId(box, &pid);
      return box && pid == GetCurrentProcessId();
    }, 10000);
    if (!box) return 1;
    wchar_t text[512] = L"";
    GetWindowTextW(box, text, 512);
    self->caption = text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[32];
      GetClassNameW(child, cls, 32);
      LONG style = GetWindowLongW(child, GWL_STYLE);
      if (!wcscmp(cls, L"Static") && (style & SS_TYPEMASK) == SS_ICON) self->icon = 1;
      else if (!wcscmp(cls, L"Static") && GetWindowTextW(child, text, 512)) self->text = text;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
};

// Closing from the task page: a system process is refused with the message box and keeps running; any
// other program's window is closed and the program ends; the stopped row starts it again.
TEST(RunCloseTask, RefusesSystemProcessesClosesAndRestartsPrograms) {
  InitProgramStatics();  // the message box's text comes from the strings file
  Program system, program;
  ASSERT_TRUE(StartHelper(&system, HelperCopy(L"tmail.exe"), L"window Mail"));
  // A program that opens its window when started without arguments, as the shell starts it.
  std::wstring name = UniqueName(L"closeme", L".exe");
  std::wstring exe = MakeTempFolder(L"helpers") + L"\\" + name;
  ASSERT_TRUE(CopyFileW(HelperProgram(L"companionhelper.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(program.Start(exe));
  ASSERT_TRUE(WaitForWindow(L"COMPANIONHELPER", L"CompanionHelper", 10000));
  g_TaskDatabase.count = 0;
  GetProcessList();
  int s = RowOf(system.id), p = RowOf(program.id);
  ASSERT_GE(s, 0);
  ASSERT_GE(p, 0);
  ASSERT_TRUE(g_TaskList.entries[s].system);

  BoxAnswer answer;
  HANDLE thread = CreateThread(NULL, 0, BoxAnswer::Run, &answer, 0, NULL);
  RunCloseTask(PAGE_TASKS, s);
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  EXPECT_EQ(L"Vantora", answer.caption);
  EXPECT_EQ(1u, answer.icon);
  EXPECT_EQ(L"This is a system process and cannot be closed.", answer.text);
  EXPECT_EQ((DWORD)STILL_ACTIVE, system.Wait(500));
  EXPECT_TRUE(g_TaskList.entries[s].running);

  HWND window = g_TaskList.entries[p].window;
  ASSERT_TRUE(IsWindow(window));
  RunCloseTask(PAGE_TASKS, p);
  EXPECT_FALSE(g_TaskList.entries[p].running);  // shown closed at once
  EXPECT_TRUE(WaitWindowGone(window, 5000));
  EXPECT_EQ(0u, program.Wait(5000));

  // Stopped row: started through the shell by its path, and the list rebuilt shows it running again.
  std::wstring path = g_TaskList.entries[p].path;
  RunCloseTask(PAGE_TASKS, p);
  bool listed = WaitUntil([&] {
    GetProcessList();
    for (int i = 0; i < g_TaskList.count; i++)
      if (g_TaskList.entries[i].running && name == g_TaskList.entries[i].exeName) return true;
    return false;
  }, 10000);
  EXPECT_TRUE(listed) << "restarted from " << path.size();
  for (int i = 0; i < g_TaskList.count; i++)
    if (g_TaskList.entries[i].running && name == g_TaskList.entries[i].exeName)
      PostMessageW(g_TaskList.entries[i].window, WM_CLOSE, 0, 0);
}

// A save that cannot be written changes nothing the user or the monitor would believe: the row keeps its
// level and membership, and its threads their level.
TEST(ChangeTaskPriority, AFailedSaveIsUndone) {
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
  ChangeTaskPriority(PAGE_TASKS, 0, p);
  AddDeleteTaskFromDataBase(PAGE_TASKS, p);
  wcscpy(g_Paths.moduleFolder, saved);
  EXPECT_EQ(3, g_TaskList.entries[p].priority);
  EXPECT_FALSE(g_TaskList.entries[p].inDatabase);
  EXPECT_EQ(0, g_TaskDatabase.count);
  for (DWORD thread : ThreadsOf(program.id)) EXPECT_EQ(3, WmGetThreadPriority(thread));

  // Limits: nothing above time critical or below idle.
  g_TaskList.entries[p].priority = 0;
  ChangeTaskPriority(PAGE_TASKS, 0, p);
  EXPECT_EQ(0, g_TaskList.entries[p].priority);
  g_TaskList.entries[p].priority = 7;
  ChangeTaskPriority(PAGE_TASKS, PRIORITY_DIRECTION_DOWN, p);
  EXPECT_EQ(7, g_TaskList.entries[p].priority);
}

}  // namespace
