#include "paths.h"
#include "settings.h"
#include "testsupport.h"

namespace {

class PathsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\VantoraTests\\" + std::to_wstring(GetCurrentProcessId());
    GetModuleFolder(&paths_);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key_.c_str()); }
  void SetInstallPath(const std::wstring &folder) {
    WriteMachineSetting(key_.c_str(), L"InstallPath", REG_SZ, folder.c_str(),
                        (DWORD)((folder.size() + 1) * sizeof(WCHAR)));
  }
  LPCWSTR Install(LPCWSTR sub, LPCWSTR file) { return GetInstallFilePath(&paths_, key_.c_str(), sub, file); }
  std::wstring key_;
  ProgramPaths paths_;
};

TEST_F(PathsTest, ModuleFolderEndsWithABackslash) {
  std::wstring folder = paths_.moduleFolder;
  EXPECT_EQ(TestBinFolder() + L"\\", folder);
  EXPECT_STREQ(L"", paths_.installFolder);
}

TEST_F(PathsTest, InstallFilePaths) {
  SetInstallPath(L"C:\\Program Files\\Vantora");
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\Images\\quitlet.gif", Install(L"Images", L"quitlet.gif"));
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\", Install(L"", L""));
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\help.html", Install(L"", L"help.html"));
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\strings\\", Install(L"strings", L""));
  // The folder is read once and kept for the life of the process.
  SetInstallPath(L"D:\\Elsewhere");
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\", Install(L"", L""));
  // One buffer, overwritten by the next call.
  LPCWSTR first = Install(L"", L"a");
  EXPECT_EQ(first, Install(L"", L"b"));
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\b", first);
}

TEST_F(PathsTest, MissingInstallPathGivesEmptyPathsAndIsAskedAgain) {
  EXPECT_STREQ(L"", Install(L"Images", L"logo.png"));
  EXPECT_STREQ(L"", Install(L"", L""));
  SetInstallPath(L"C:\\Late");
  EXPECT_STREQ(L"C:\\Late\\Images\\logo.png", Install(L"Images", L"logo.png"));
}

TEST_F(PathsTest, WrongTypeOrOverlongInstallPath) {
  DWORD number = 5;
  WriteMachineSetting(key_.c_str(), L"InstallPath", REG_DWORD, &number, sizeof(number));
  EXPECT_STREQ(L"", Install(L"", L"x"));
  // A path that would not fit is no path: a cut one would name another file.
  SetInstallPath(L"C:\\" + std::wstring(250, L'd'));
  EXPECT_STREQ(L"", Install(L"Images", L"scrollbar.png"));
}

TEST(JoinPathTest, OneBackslashBetweenSubfolderAndFile) {
  EXPECT_STREQ(L"C:\\Program Files\\Vantora\\\\Settings.db", JoinPath(L"C:\\Program Files\\Vantora\\", L"", L"Settings.db"));
  EXPECT_STREQ(L"C:\\a\\b\\c.txt", JoinPath(L"C:\\a\\", L"b", L"c.txt"));
  EXPECT_STREQ(L"\\x", JoinPath(L"", L"", L"x"));
  EXPECT_STREQ(L"", JoinPath(std::wstring(259, L'f').c_str(), L"", L"file"));
  LPCWSTR first = JoinPath(L"a", L"", L"b");
  EXPECT_EQ(first, JoinPath(L"c", L"", L"d"));
}

}  // namespace
