// The main program prepares its skin and all seven pages before its window exists; the task list's
// icons and CPU figures follow the window.
#include "testsupport.h"

namespace {

const wchar_t kLog[] = L"C:\\VT.gui.txt";

bool StartsWith(const std::wstring &s, const std::wstring &prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

int CountLines(const std::vector<std::wstring> &lines, const std::wstring &prefix) {
  int n = 0;
  for (const std::wstring &l : lines) n += StartsWith(l, prefix);
  return n;
}

size_t IndexOf(const std::vector<std::wstring> &lines, const std::wstring &prefix) {
  for (size_t i = 0; i < lines.size(); i++)
    if (StartsWith(lines[i], prefix)) return i;
  return lines.size();
}

TEST(ShellStartupTest, SkinAndPagesAreReadyBeforeTheWindowAndSurviveASettingChange) {
  ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora"));
  ProductKeyGuard guard({L"EnableDebug"});
  SetProductDword(L"EnableDebug", 1);
  RemoveFile(kLog);
  Program app;
  ASSERT_TRUE(app.Start(InstalledProgram(L"Vantora.exe")));
  HWND hwnd = WaitForWindow(L"VANTORA", L"Vantora", 15000);
  ASSERT_NE(nullptr, hwnd);
  // The task list's paths, icons, levels and CPU figures follow the window, once their 200 ms are over.
  const std::wstring figures = L"GetProcessList paths, icons, levels and CPU loads done";
  EXPECT_TRUE(WaitUntil([&] {
    std::vector<std::wstring> now = ReadLogLines(kLog);
    return IndexOf(now, figures) < now.size();
  }, 5000));
  // A turned screen relays out the page; the program keeps running and still answers.
  SendMessageTimeoutW(hwnd, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, 5000, NULL);
  EXPECT_TRUE(IsWindow(hwnd));
  PostMessageW(hwnd, WM_COMMAND, 30003, 0);
  EXPECT_EQ(0u, app.Wait(10000));

  std::vector<std::wstring> lines = ReadLogLines(kLog);
  size_t monitor = IndexOf(lines, L"Monitor running ["), loadStart = IndexOf(lines, L"+LoadSkinImages call."),
         loadEnd = IndexOf(lines, L"-LoadSkinImages done."), pages = IndexOf(lines, L"+InitPageItems call."),
         window = IndexOf(lines, L"Window [VANTORA][Vantora] 0x");
  // The pictures are decoded while the start goes on and the pages gather their items, and are there
  // before the window.
  EXPECT_LT(loadStart, monitor);
  EXPECT_LT(monitor, pages);
  EXPECT_LT(loadStart, pages);
  EXPECT_LT(pages, loadEnd);
  EXPECT_LT(loadEnd, window);
  EXPECT_LT(window, IndexOf(lines, figures));
  EXPECT_LT(IndexOf(lines, figures), lines.size());
  EXPECT_LT(window, lines.size());
  EXPECT_EQ(7, CountLines(lines, L"+InitPageItems call."));
  EXPECT_EQ(7, CountLines(lines, L"-InitPageItems done."));
  EXPECT_EQ(1, CountLines(lines, L"lstv "));  // the storage page read its states once
  EXPECT_EQ(0, CountLines(lines, L"LoadSkinImages: ["));  // every picture was there
  RemoveFile(kLog);
}

}  // namespace
