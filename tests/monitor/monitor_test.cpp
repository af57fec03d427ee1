// The priority monitor running for real in the device, fed by the main program's task operations (run
// in this process) through the shared database file and the refresh message; checked by the levels of
// real programs' threads, the file's bytes and the monitor's debug log.
#include "testsupport.h"
#include "taskhelpers.h"
#include "database.h"
#include "device.h"
#include "paths.h"
#include "processfigures.h"
#include "programstatics.h"
#include "taskops.h"
#include "wm_process.h"

namespace {

const wchar_t kLog[] = L"C:\\VT.mon.txt";

std::vector<int> LevelsOf(DWORD processId) {
  std::vector<int> levels;
  for (DWORD thread : ThreadsOf(processId)) levels.push_back(WmGetThreadPriority(thread));
  return levels;
}

bool AllAt(DWORD processId, int level) {
  std::vector<int> levels = LevelsOf(processId);
  if (levels.empty()) return false;
  for (int l : levels)
    if (l != level) return false;
  return true;
}

// Lines of the monitor's log from index `from` on that contain the text.
int CountFrom(const std::vector<std::wstring> &lines, size_t from, const std::wstring &text) {
  int n = 0;
  for (size_t i = from; i < lines.size(); i++) n += lines[i].find(text) != std::wstring::npos;
  return n;
}

int RowOf(DWORD processId) {
  for (int i = 0; i < g_TaskList.count; i++)
    if (g_TaskList.entries[i].processId == processId) return i;
  return -1;
}

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(L"VTMONITOR", L"VTMonitor")) << "a monitor of another test is still running";
    SetProductDword(L"EnableDebug", 1);
    RemoveFile(kLog);
    // The monitor reads "Settings.db" beside itself: a copy of it in a folder of this test, which this
    // process (standing in for the main program) writes through the same task operations.
    folder_ = MakeTempFolder(L"monitor");
    exe_ = folder_ + L"\\VTMonitor.exe";
    ASSERT_TRUE(CopyFileW(InstalledProgram(L"VTMonitor.exe").c_str(), exe_.c_str(), FALSE));
    RemoveFile(Database());
    GetModuleFolder(&g_Paths);
    wcscpy(g_Paths.moduleFolder, (folder_ + L"\\").c_str());
    CWM_VT_REFRESH = RegisterWindowMessageW(L"Vantora Refresh");
    g_TaskDatabase.count = 0;
  }
  void TearDown() override {
    HWND hwnd = FindWindowW(L"VTMONITOR", L"VTMonitor");
    if (hwnd) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (monitor_.process) {
      EXPECT_EQ(0u, monitor_.Wait(kWaitMs)) << "the monitor ends when its window is closed";
    }
    // The device's store is small: the copy and its database go with the test.
    RemoveFile(Database());
    RemoveFile(exe_);
    RemoveDirectoryW(folder_.c_str());
  }
  std::wstring Database() const { return folder_ + L"\\Settings.db"; }
  HWND StartMonitor() {
    EXPECT_TRUE(monitor_.Start(exe_));
    return WaitForWindow(L"VTMONITOR", L"VTMonitor");
  }
  void Refresh(HWND monitor) {
    DWORD_PTR result;
    EXPECT_TRUE(SendMessageTimeoutW(monitor, CWM_VT_REFRESH, 0, 0, SMTO_NORMAL, 2 * kWaitMs, &result));
  }
  std::wstring folder_, exe_;
  ProductKeyGuard guard_{{L"EnableDebug"}};
  Program monitor_;
};

// One program through a user's whole session of changes: raised into the database, drifted and set back
// by the monitor (every instance, every thread), moved to each level down to 6, which the monitor must
// read back as 6, and lowered back to normal, which takes it out of the file and out of the monitor's
// hands.
TEST_F(MonitorTest, KeepsStoredLevelsOnEveryThreadAndLetsGoOfNormal) {
  Program program, second;
  std::wstring name = UniqueName(L"mon", L".exe");
  std::wstring exe = HelperCopy(name);
  ASSERT_TRUE(StartHelper(&program, exe, L"window Monitored threads 3"));
  HWND monitor = StartMonitor();
  ASSERT_NE(nullptr, monitor);
  // Hidden, disabled and empty: nothing of the monitor shows on the screen.
  EXPECT_FALSE(IsWindowVisible(monitor));
  EXPECT_FALSE(IsWindowEnabled(monitor));

  GetProcessList();
  int row = RowOf(program.id);
  ASSERT_GE(row, 0);
  ASSERT_EQ(3, g_TaskList.entries[row].priority);
  StepTaskPriority(row, false);  // raise: 3 -> 2, joins the database
  EXPECT_EQ(2, g_TaskList.entries[row].priority);
  EXPECT_TRUE(g_TaskList.entries[row].inDatabase);
  EXPECT_TRUE(AllAt(program.id, 2));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(Database(), &bytes));
  ASSERT_EQ(2u + 602u, bytes.size());
  EXPECT_EQ(1, bytes[0]);
  EXPECT_EQ(0, bytes[1]);
  EXPECT_EQ(std::wstring(name.substr(0, 20)),
            std::wstring((const wchar_t *)(bytes.data() + 2 + 40), std::min<size_t>(name.size(), 20)));
  EXPECT_EQ(2, bytes[2 + 600]);
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_EQ(1, CountFrom(log, 0, L"CWM_VT_REFRESH, refresh process list."));
  EXPECT_EQ(1, CountFrom(log, 0, L"\tGetProcessList::Settings.db read data [1 tasks]."));
  EXPECT_EQ(1, CountFrom(log, 0, L"\tGetProcessList:: " + name + L" is running, priority 2."));
  EXPECT_EQ(1, CountFrom(log, 0, L"\tNo change required."));
  EXPECT_EQ(0, CountFrom(log, 0, L"CHANGE"));

  // Someone else moves the program's threads, and a second copy of it starts at normal: the cycle its
  // window sets off and the refresh between them set both, every thread, once.
  ASSERT_EQ(1, SetProcessPriority(program.id, 4));
  size_t mark = log.size();
  ASSERT_TRUE(StartHelper(&second, exe, L"window Second threads 2"));
  Refresh(monitor);
  EXPECT_TRUE(AllAt(program.id, 2));
  EXPECT_TRUE(AllAt(second.id, 2));
  log = ReadLogLines(kLog);
  EXPECT_EQ(2, CountFrom(log, mark, L"\tGetProcessList:: CHANGE: set priority " + name.substr(0, 20) + L" 2"));
  // The cycle the second copy's window sets off may come after the refresh: it is over first.
  EXPECT_TRUE(WaitFor("the second copy's window heard", [&] {
    return CountFrom(ReadLogLines(kLog), mark, L"of a database program shown.") > 0;
  }));
  EXPECT_TRUE(QueueHandled(monitor));
  log = ReadLogLines(kLog);
  mark = log.size();
  Refresh(monitor);
  log = ReadLogLines(kLog);
  EXPECT_EQ(0, CountFrom(log, mark, L"CHANGE"));
  EXPECT_EQ(2, CountFrom(log, mark, L"\tNo change required."));
  second.Kill();

  // Every level the platform has, each set by the task operation and read back by the monitor's own
  // process as the same level, so it changes nothing: down to idle (7), passing normal (3), which
  // takes the program out and puts it back, then up to time critical (0) and down to 6.
  auto stepTo = [&](int level) {
    bool down = level > g_TaskList.entries[row].priority;
    StepTaskPriority(row, down);
    EXPECT_EQ(level, g_TaskList.entries[row].priority);
    EXPECT_EQ(level != 3, (bool)g_TaskList.entries[row].inDatabase) << level;
    EXPECT_TRUE(AllAt(program.id, level)) << level;
  };
  for (int level = 3; level <= 7; level++) stepTo(level);
  for (int level = 6; level >= 0; level--) stepTo(level);
  for (int level = 1; level <= 6; level++) stepTo(level);
  ASSERT_TRUE(ReadFileBytes(Database(), &bytes));
  ASSERT_EQ(2u + 602u, bytes.size());
  EXPECT_EQ(6, bytes[2 + 600]);
  log = ReadLogLines(kLog);
  EXPECT_EQ(0, CountFrom(log, mark, L"CHANGE"));
  for (int level : {0, 1, 2, 4, 5, 6, 7})
    EXPECT_LE(1, CountFrom(log, mark, L" is running, priority " + std::to_wstring(level) + L".")) << level;
  EXPECT_EQ(0, CountFrom(log, mark, L" is running, priority 3."));

  // Back to normal: out of the file, and the monitor no longer touches the program.
  for (int level = 5; level >= 3; level--) StepTaskPriority(row, false);
  EXPECT_FALSE(g_TaskList.entries[row].inDatabase);
  ASSERT_TRUE(ReadFileBytes(Database(), &bytes));
  EXPECT_EQ(std::string("\0\0", 2), bytes);
  ASSERT_EQ(1, SetProcessPriority(program.id, 5));
  mark = ReadLogLines(kLog).size();
  Refresh(monitor);
  EXPECT_TRUE(AllAt(program.id, 5));
  log = ReadLogLines(kLog);
  EXPECT_EQ(0, CountFrom(log, mark, name));
  EXPECT_EQ(1, CountFrom(log, mark, L"\tGetProcessList::Settings.db read data [0 tasks]."));
}

// A database program started after the monitor gets its level when its window shows, not at the cycle
// 20 seconds after the monitor's start: the CHANGE line follows the monitor's note of the window.
TEST_F(MonitorTest, SetsAProgramStartedLaterWhenItsWindowShows) {
  std::wstring name = UniqueName(L"late", L".exe");
  std::wstring exe = HelperCopy(name);
  ClearTaskList(&g_TaskList);
  NewTaskRow late = {exe.c_str(), name.c_str(), L"Late", 5, true, false, true, true};
  ASSERT_EQ(1, AddTaskEntry(&g_TaskList, late, TASKS_WINDOWED_ONLY | TASKS_VISIBLE_ONLY));
  ASSERT_EQ(1, SaveSettings());
  HWND monitor = StartMonitor();
  ASSERT_NE(nullptr, monitor);
  Program program;
  ASSERT_TRUE(StartHelper(&program, exe, L"window Late threads 3"));
  EXPECT_TRUE(WaitFor("the level set when the window shows", [&] { return AllAt(program.id, 5); }));
  std::vector<std::wstring> log = ReadLogLines(kLog);
  size_t shown = 0;
  while (shown < log.size() && log[shown].find(L"of a database program shown.") == std::wstring::npos) shown++;
  ASSERT_LT(shown, log.size());
  EXPECT_EQ(0, CountFrom(log, 0, L"CHANGE") - CountFrom(log, shown, L"CHANGE"));
  EXPECT_EQ(1, CountFrom(log, shown, L"\tGetProcessList:: CHANGE: set priority " + name.substr(0, 20) + L" 5"));
  EXPECT_EQ((DWORD)STILL_ACTIVE, monitor_.Wait(0));
}

// A program without a visible titled window and one with, both kept at level 5 in the database as
// the main program writes it; the monitor started over it.
struct KeptPair {
  Program hidden, shown;
};

class MonitorSurvivalTest : public MonitorTest {
 protected:
  HWND StartOverKeptPair(KeptPair *pair) {
    std::wstring hiddenName = UniqueName(L"hid", L".exe"), shownName = UniqueName(L"shown", L".exe");
    EXPECT_TRUE(StartHelper(&pair->hidden, HelperCopy(hiddenName), L"hidden Hidden"));
    EXPECT_TRUE(StartHelper(&pair->shown, HelperCopy(shownName), L"window Shown"));
    GetProcessList();
    for (DWORD id : {pair->hidden.id, pair->shown.id}) {
      int row = RowOf(id);
      EXPECT_GE(row, 0);
      if (row < 0) return NULL;
      g_TaskList.entries[row].priority = 5;
      g_TaskList.entries[row].inDatabase = 1;
    }
    EXPECT_EQ(1, SaveSettings());
    return StartMonitor();
  }
};

// What the monitor must survive: a second start, and a database program that has no visible titled
// window.
TEST_F(MonitorSurvivalTest, SecondStartAndHiddenProgram) {
  KeptPair pair;
  HWND monitor = StartOverKeptPair(&pair);
  ASSERT_NE(nullptr, monitor);
  Program again;
  ASSERT_TRUE(again.Start(exe_));
  EXPECT_EQ(0u, again.Wait(kWaitMs));
  EXPECT_EQ(monitor, FindWindowW(L"VTMONITOR", L"VTMonitor"));
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_EQ(1, CountFrom(log, 0, L"Vantora monitor is already running!"));
  EXPECT_EQ(1, CountFrom(log, 0, L"WM_CREATE::Settings.db read data [2 tasks]."));
  EXPECT_EQ(1, CountFrom(log, 0, L"WM_CREATE::Timer set 20000ms"));

  Refresh(monitor);
  EXPECT_TRUE(AllAt(pair.shown.id, 5));
  EXPECT_TRUE(AllAt(pair.hidden.id, 3)) << "a program without a visible titled window is left alone";
}

// The database disappears: the refresh finds nothing, and every later cycle (the timer's too, 20 s
// after the monitor's start) tries again until the file is back.
TEST_F(MonitorSurvivalTest, MissingFileIsLookedForAgainAtEveryCycle) {
  KeptPair pair;
  HWND monitor = StartOverKeptPair(&pair);
  ASSERT_NE(nullptr, monitor);
  Refresh(monitor);
  EXPECT_TRUE(AllAt(pair.shown.id, 5));

  RemoveFile(Database());
  size_t mark = ReadLogLines(kLog).size();
  Refresh(monitor);
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_EQ(1, CountFrom(log, mark, L"\tGetProcessList::Load Settings"));
  EXPECT_EQ(0, CountFrom(log, mark, L"read data"));
  ASSERT_EQ(1, SetProcessPriority(pair.shown.id, 4));
  ASSERT_EQ(1, SaveSettings());
  mark = log.size();
  // The timer's period is the monitor's own time: up to 20 s from its start, and the deadline past it.
  EXPECT_TRUE(WaitUntil([&] { return CountFrom(ReadLogLines(kLog), mark, L"read data [2 tasks]") == 1; },
                        20000 + kWaitMs))
      << "the timer's cycle reads the file that is back";
  EXPECT_TRUE(WaitFor("the kept level back", [&] { return AllAt(pair.shown.id, 5); }));
  log = ReadLogLines(kLog);
  EXPECT_EQ(1, CountFrom(log, mark, L"\tGetProcessList() call [CMD Load settings=1]."));
}

// The main program rewriting the file a thousand times while the monitor re-reads it as fast as it can.
TEST_F(MonitorSurvivalTest, RacingSavesAreReadWhole) {
  KeptPair pair;
  HWND monitor = StartOverKeptPair(&pair);
  ASSERT_NE(nullptr, monitor);
  Program &shown = pair.shown;
  // A thousand saves of alternately one and two programs while a second thread keeps asking the monitor
  // to re-read: every save lands, and every read sees one whole file.
  volatile LONG stop = 0;
  struct Poster {
    HWND monitor;
    volatile LONG *stop;
    static DWORD WINAPI Run(void *p) {
      Poster *self = (Poster *)p;
      while (!*self->stop) {
        // One after another, so that the monitor reads as fast as it can without a backlog of messages.
        DWORD_PTR result;
        SendMessageTimeoutW(self->monitor, CWM_VT_REFRESH, 0, 0, SMTO_NORMAL, 5000, &result);
      }
      return 0;
    }
  } poster = {monitor, &stop};
  int shownRow = RowOf(shown.id);
  ASSERT_GE(shownRow, 0);
  size_t mark = ReadLogLines(kLog).size();
  HANDLE thread = CreateThread(NULL, 0, Poster::Run, &poster, 0, NULL);
  int failed = 0;
  for (int i = 0; i < 1000; i++) {
    g_TaskList.entries[shownRow].inDatabase = i % 2;
    failed += SaveSettings() != 1;
    Sleep(1);
  }
  InterlockedExchange(&stop, 1);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  EXPECT_EQ(0, failed);
  Refresh(monitor);  // the last one: after the final save
  EXPECT_EQ((DWORD)STILL_ACTIVE, monitor_.Wait(0)) << "the monitor still runs";
  std::vector<std::wstring> log = ReadLogLines(kLog);
  int reads = 0;
  for (size_t i = mark; i < log.size(); i++) {
    size_t at = log[i].find(L"\tGetProcessList::Settings.db read data [");
    if (at == std::wstring::npos) continue;
    reads++;
    int n = _wtoi(log[i].c_str() + at + wcslen(L"\tGetProcessList::Settings.db read data ["));
    ASSERT_TRUE(n == 1 || n == 2) << "torn read: " << n;
    ASSERT_LT(i + n, log.size());
    // The records of one read follow its count: the hidden program first, in list order.
    for (int r = 0; r < n; r++)
      ASSERT_NE(std::wstring::npos, log[i + 1 + r].find(L"\tGetProcessList::Database process " + std::to_wstring(r) + L" "))
          << testing::PrintToString(log[i + 1 + r]);
  }
  EXPECT_GT(reads, 10);
  printf("%d reads during 1000 saves\n", reads);
  // The last save held both programs (i = 999).
  std::wstring last;
  for (size_t i = mark; i < log.size(); i++)
    if (log[i].find(L"read data [") != std::wstring::npos) last = log[i];
  EXPECT_EQ(L"\tGetProcessList::Settings.db read data [2 tasks].", last.substr(last.find(L'\t')));
}

}  // namespace
