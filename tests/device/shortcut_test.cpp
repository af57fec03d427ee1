// Shortcut files in both forms, and the StartUp shortcuts the companions keep.
#include <shlobj.h>
#include <shobjidl.h>
#include "device.h"
#include "wm_shell.h"
#include "testsupport.h"

namespace {

std::string Bytes(const std::wstring &path) {
  std::string bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

std::wstring Target(const std::wstring &path, int chars = MAX_PATH) {
  std::vector<wchar_t> buf(chars > 0 ? chars : 1, L'?');
  if (!SHGetShortcutTarget(path.c_str(), buf.data(), chars)) return L"<fail:" + std::wstring(buf.data()) + L">";
  return buf.data();
}

TEST(ShortcutTest, WritesTheTextFormAndReadsItBack) {
  std::wstring dir = MakeTempFolder(L"lnk");
  std::wstring lnk = dir + L"\\QuitletApp.lnk";
  const wchar_t *target = L"\"C:\\Program Files\\Vantora\\QuitletApp.exe\"";
  ASSERT_TRUE(SHCreateShortcut(lnk.c_str(), target));
  EXPECT_EQ("41#\"C:\\Program Files\\Vantora\\QuitletApp.exe\"", Bytes(lnk));
  EXPECT_EQ(target, Target(lnk));
  // An existing shortcut is not overwritten.
  EXPECT_FALSE(SHCreateShortcut(lnk.c_str(), L"\\Windows\\other.exe"));
  EXPECT_EQ(target, Target(lnk));
  // Empty targets and line breaks (which would cut the target short) are refused.
  EXPECT_FALSE(SHCreateShortcut((dir + L"\\empty.lnk").c_str(), L""));
  EXPECT_FALSE(SHCreateShortcut((dir + L"\\broken.lnk").c_str(), L"a.exe\r\nb.exe"));
  EXPECT_FALSE(FileExists(dir + L"\\broken.lnk"));
  // Non-ASCII targets survive the round trip.
  std::wstring umlaut = dir + L"\\umlaut.lnk";
  ASSERT_TRUE(SHCreateShortcut(umlaut.c_str(), L"\\Programme\\Gr\u00FC\u00DFe.exe"));
  EXPECT_EQ(L"\\Programme\\Gr\u00FC\u00DFe.exe", Target(umlaut));
}

TEST(ShortcutTest, ReadsHandMadeTextForms) {
  std::wstring dir = MakeTempFolder(L"lnktext");
  struct Case {
    const char *bytes;
    size_t size;
    const wchar_t *expected;  // null: the read fails with an empty target
  } cases[] = {
      {"22#\\Windows\\fexplore.exe", 24, L"\\Windows\\fexplore.exe"},
      {"5#\\Windows\\fexplore.exe -x\r\n", 28, L"\\Windows\\fexplore.exe -x"},  // wrong count: the line wins
      {"\xEF\xBB\xBF" "3#a.exe", 10, L"a.exe"},                                 // UTF-8 mark
      {"\xFF\xFE" "3\0#\0b\0.\0e\0x\0e\0", 16, L"b.exe"},                       // UTF-16
      {"", 0, nullptr},
      {"#a.exe", 6, nullptr},
      {"12a.exe", 7, nullptr},
      {"4#", 2, nullptr},
      {"123456#a.exe", 12, nullptr},
      {"\x4C\0\0\0garbage", 11, nullptr},  // a binary header that is not a shortcut
  };
  int n = 0;
  for (const Case &c : cases) {
    std::wstring path = dir + L"\\case" + std::to_wstring(n++) + L".lnk";
    ASSERT_TRUE(WriteFileBytes(path, c.bytes, c.size));
    EXPECT_EQ(c.expected ? std::wstring(c.expected) : L"<fail:>", Target(path)) << n - 1;
  }
  EXPECT_EQ(L"<fail:>", Target(dir + L"\\missing.lnk"));
  // A target that does not fit the caller's buffer fails rather than coming back cut.
  std::wstring path = dir + L"\\long.lnk";
  WriteFileBytes(path, "10#0123456789", 13);
  EXPECT_EQ(L"0123456789", Target(path, 11));
  EXPECT_EQ(L"<fail:>", Target(path, 10));
  EXPECT_FALSE(SHGetShortcutTarget(path.c_str(), NULL, 10));
}

TEST(ShortcutTest, ReadsBinaryDesktopShortcuts) {
  std::wstring dir = MakeTempFolder(L"lnkbin");
  ASSERT_TRUE(SUCCEEDED(CoInitialize(NULL)));
  IShellLinkW *link = NULL;
  ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void **)&link)));
  link->SetPath(L"C:\\Program Files\\Vantora\\Vantora.exe");
  link->SetArguments(L"-run");
  IPersistFile *file = NULL;
  link->QueryInterface(IID_IPersistFile, (void **)&file);
  std::wstring path = dir + L"\\desktop.lnk";
  ASSERT_TRUE(SUCCEEDED(file->Save(path.c_str(), TRUE)));
  file->Release();
  link->Release();
  CoUninitialize();
  EXPECT_EQ(L"\"C:\\Program Files\\Vantora\\Vantora.exe\" -run", Target(path));
}

TEST(ShortcutTest, StartupShortcutsAreReplacedAndRemoved) {
  wchar_t startup[MAX_PATH];
  ASSERT_TRUE(WmGetSpecialFolderPath(NULL, startup, CSIDL_STARTUP, FALSE));
  EXPECT_EQ(0, lstrcmpiW(startup, L"C:\\windows\\StartUp"));
  wchar_t documents[MAX_PATH];
  ASSERT_TRUE(WmGetSpecialFolderPath(NULL, documents, CSIDL_PERSONAL, FALSE));
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(documents));

  std::wstring name = L"vt-shortcut-" + std::to_wstring(GetCurrentProcessId()) + L".lnk";
  std::wstring path = std::wstring(startup) + L"\\" + name;
  SetStartupShortcut(1, L"\"C:\\a.exe\"", name.c_str());
  EXPECT_EQ("10#\"C:\\a.exe\"", Bytes(path));
  SetStartupShortcut(1, L"\"C:\\bb.exe\"", name.c_str());
  EXPECT_EQ("11#\"C:\\bb.exe\"", Bytes(path));
  SetStartupShortcut(0, NULL, name.c_str());
  EXPECT_FALSE(FileExists(path));
  // A name too long for the path buffer touches nothing, least of all the file it would be cut to.
  std::wstring cut = std::wstring(MAX_PATH - lstrlenW(startup) - 2, L'x');
  std::wstring victim = std::wstring(startup) + L"\\" + cut;
  ASSERT_TRUE(WriteFileBytes(victim, "keep", 4));
  SetStartupShortcut(0, NULL, (cut + L"yyyyyyyy").c_str());
  EXPECT_TRUE(FileExists(victim));
  RemoveFile(victim);
}

}  // namespace
