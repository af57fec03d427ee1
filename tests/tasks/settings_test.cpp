// SaveSettings and LoadSettings: "Settings.db" beside the running program, and their log lines.
#include "testsupport.h"
#include "database.h"
#include "debuglog.h"
#include "paths.h"
#include "tasklist.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    GetModuleFolder(&g_Paths);
    SetProductDword(L"EnableDebug", 1);
    ReadDebugSwitch();
    path_ = TestBinFolder() + L"\\Settings.db";
    RemoveFile(path_);
    RemoveFile(L"C:\\VT.gui.txt");
    g_TaskList.count = 0;
  }
  void TearDown() override {
    RemoveDirectoryW(path_.c_str());
    RemoveFile(path_);
    g_DebugEnabled = 0;
  }
  void AddDatabaseRow(const wchar_t *exe, int priority) {
    TaskEntry *row = &g_TaskList.entries[g_TaskList.count++];
    ZeroMemory(row, sizeof(*row));
    wcscpy(row->exeName, exe);
    wcscpy(row->title, exe);
    row->priority = priority;
    row->inDatabase = 1;
  }
  ProductKeyGuard guard_{{L"EnableDebug"}};
  std::wstring path_;
};

bool HasLine(const std::vector<std::wstring> &lines, const std::wstring &text) {
  for (const std::wstring &line : lines)
    if (line == text) return true;
  return false;
}

}  // namespace

TEST_F(SettingsFile, SavedBesideTheProgramAndLoadedBack) {
  EXPECT_EQ(0, _wcsicmp(path_.c_str(), TaskDatabasePath()));
  AddDatabaseRow(L"tmail.exe", 5);
  AddDatabaseRow(L"pword.exe", 7);
  ASSERT_EQ(1, SaveSettings());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path_, &bytes));
  EXPECT_EQ(2u + 2 * 602, bytes.size());

  ZeroMemory(&g_TaskDatabase, sizeof(g_TaskDatabase));
  ASSERT_EQ(1, LoadSettings());
  ASSERT_EQ(2, g_TaskDatabase.count);
  EXPECT_STREQ(L"pword.exe", g_TaskDatabase.records[1].exeName);
  EXPECT_EQ(7, g_TaskDatabase.records[1].priority);

  std::vector<std::wstring> log = ReadLogLines(L"C:\\VT.gui.txt");
  EXPECT_TRUE(HasLine(log, L"+SaveSettings call."));
  EXPECT_TRUE(HasLine(log, L"Settings.db write data [2 tasks]."));
  EXPECT_TRUE(HasLine(log, L"-SaveSettings done."));
  EXPECT_TRUE(HasLine(log, L"+LoadSettings call."));
  EXPECT_TRUE(HasLine(log, L"Settings.db read data [2 tasks] in DB."));
  EXPECT_TRUE(HasLine(log, L"[0][tmail.exe][setprio=5]"));
  EXPECT_TRUE(HasLine(log, L"[1][pword.exe][setprio=7]"));
  EXPECT_TRUE(HasLine(log, L"-LoadSettings done."));
}

TEST_F(SettingsFile, NoFileLoadsAnEmptyDatabase) {
  g_TaskDatabase.count = 4;
  EXPECT_EQ(0, LoadSettings());
  EXPECT_EQ(0, g_TaskDatabase.count);
  std::vector<std::wstring> log = ReadLogLines(L"C:\\VT.gui.txt");
  ASSERT_EQ(2u, log.size());
  EXPECT_EQ(L"+LoadSettings call.", log[0]);
  EXPECT_EQ(L"-LoadSettings done.", log[1]);
}

TEST_F(SettingsFile, AFileThatCannotBeWrittenKeepsWhatIsThere) {
  // A folder where the file should be: nothing can replace it.
  ASSERT_TRUE(CreateDirectoryW(path_.c_str(), NULL));
  AddDatabaseRow(L"one.exe", 2);
  EXPECT_EQ(0, SaveSettings());
  EXPECT_EQ(1, g_TaskDatabase.count);  // the in-memory database is rebuilt all the same
  EXPECT_TRUE(GetFileAttributesW(path_.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(FileExists(path_ + L".new"));
  std::vector<std::wstring> log = ReadLogLines(L"C:\\VT.gui.txt");
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(L"-SaveSettings done.", log.back());
  EXPECT_FALSE(HasLine(log, L"Settings.db write data [1 tasks]."));
}

TEST_F(SettingsFile, TheMainProgramLoadsTheDatabaseBesideItAtStart) {
  ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora")) << "a Vantora of another test is still running";
  std::wstring installed = InstallFolder() + L"\\Settings.db";
  std::string saved;
  bool had = ReadFileBytes(installed, &saved);
  TaskRecord record = {};
  wcscpy(record.exeName, L"started.exe");
  record.priority = 5;
  unsigned short count = 1;
  std::string bytes = std::string((const char *)&count, 2) + std::string((const char *)&record, sizeof(record));
  ASSERT_TRUE(WriteFileBytes(installed, bytes.data(), bytes.size()));

  Program app;
  ASSERT_TRUE(app.Start(InstalledProgram(L"Vantora.exe")));
  EXPECT_TRUE(WaitForWindow(L"VANTORA", L"Vantora", 15000));
  app.Kill();
  if (had)
    WriteFileBytes(installed, saved.data(), saved.size());
  else
    RemoveFile(installed);

  std::vector<std::wstring> log = ReadLogLines(L"C:\\VT.gui.txt");
  size_t monitor = 0;
  while (monitor < log.size() && log[monitor].compare(0, 15, L"Monitor running")) monitor++;
  ASSERT_LT(monitor + 4, log.size());
  EXPECT_EQ(L"+LoadSettings call.", log[monitor + 1]);
  EXPECT_EQ(L"Settings.db read data [1 tasks] in DB.", log[monitor + 2]);
  EXPECT_EQ(L"[0][started.exe][setprio=5]", log[monitor + 3]);
  EXPECT_EQ(L"-LoadSettings done.", log[monitor + 4]);
}
