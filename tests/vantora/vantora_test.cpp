// The main program end to end: started in the device, driven with window messages, checked by its
// debug log, its windows and the pixels it leaves on the screen.
#include "testsupport.h"
#include "wm.h"

namespace {

const COLORREF kBackground = RGB(201, 199, 199);
const COLORREF kProductColour = RGB(92, 3, 134);
const wchar_t kLog[] = L"C:\\VT.gui.txt";
const wchar_t *kOtherLogs[] = {L"C:\\VT.mon.txt", L"C:\\VT.gl.txt", L"C:\\VT.ql.txt", L"C:\\VT.benchmark.txt",
                               L"C:\\VT.txt"};

int Factor() { return ScreenHeight() >= 440 ? 2 : 1; }

bool StartsWith(const std::wstring &s, const std::wstring &prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

// Every expected line appears, in this order, among the log's lines (other lines may come between).
void ExpectInOrder(const std::vector<std::wstring> &lines, const std::vector<std::wstring> &prefixes) {
  size_t at = 0;
  for (const std::wstring &p : prefixes) {
    while (at < lines.size() && !StartsWith(lines[at], p)) at++;
    EXPECT_LT(at, lines.size()) << "missing or out of order: " << testing::PrintToString(p);
    if (at == lines.size()) return;
    at++;
  }
}

const std::wstring *FindLine(const std::vector<std::wstring> &lines, const std::wstring &prefix) {
  for (const std::wstring &l : lines)
    if (StartsWith(l, prefix)) return &l;
  return nullptr;
}

// The soft-key bar the window owns: another program's (a shell program, a companion) may be first.
HWND SoftKeysOf(HWND owner) {
  for (HWND bar = FindWindowExW(NULL, NULL, L"menu_worker", NULL); bar;
       bar = FindWindowExW(NULL, bar, L"menu_worker", NULL))
    if (GetWindow(bar, GW_OWNER) == owner) return bar;
  return NULL;
}

class VantoraTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora")) << "a Vantora of another test is still running";
    SetProductDword(L"EnableDebug", 1);
    // The start starts enabled companions, whose own logs these tests must not see: first run done,
    // companions off.
    SetProductDword(L"DefaultRegistrySaved", 1);
    SetProductDword(L"RealQuitlet", 0);
    SetProductDword(L"Gaugelet", 0);
    RemoveFile(kLog);
    for (const wchar_t *other : kOtherLogs) {
      std::string bytes;
      otherLogs_.push_back(ReadFileBytes(other, &bytes) ? bytes : std::string("<none>"));
    }
  }
  // A closed device shell is started again by the device before the next test.
  void TearDown() override { app_.Kill(); }
  HWND Start() {
    EXPECT_TRUE(app_.Start(InstalledProgram(L"Vantora.exe")));
    HWND hwnd = WaitForWindow(L"VANTORA", L"Vantora", 15000);
    EXPECT_NE(nullptr, hwnd);
    // The window exists before it has made its soft-key bar; it shows once it has.
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(hwnd) != FALSE; }, 5000));
    return hwnd;
  }
  void Command(HWND hwnd, WORD id) { PostMessageW(hwnd, WM_COMMAND, id, 0); }
  // Waits until the screen shows what the predicate looks for.
  template <class F> bool ScreenShows(F f) {
    return WaitUntil([&] { return f(ScreenShot()); }, 5000);
  }
  void ExpectOtherLogsUntouched() {
    for (size_t i = 0; i < otherLogs_.size(); i++) {
      std::string bytes;
      EXPECT_EQ(otherLogs_[i], ReadFileBytes(kOtherLogs[i], &bytes) ? bytes : std::string("<none>"))
          << testing::PrintToString(std::wstring(kOtherLogs[i]));
    }
  }
  ProductKeyGuard guard_{{L"EnableDebug", L"Version", L"DefaultRegistrySaved", L"RealQuitlet", L"Gaugelet"}};
  Program app_;
  std::vector<std::string> otherLogs_;
};

TEST_F(VantoraTest, StartsFullScreenLogsItsStartAndOkEndsIt) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  int bar = 26 * Factor();

  // Borderless below the taskbar, soft-key bar along the bottom.
  RECT rc;
  GetWindowRect(hwnd, &rc);
  EXPECT_EQ(0, rc.left);
  EXPECT_EQ(bar, rc.top);
  EXPECT_EQ(ScreenWidth(), rc.right);
  EXPECT_EQ(ScreenHeight() - bar, rc.bottom);
  HWND menuBar = SoftKeysOf(hwnd);
  ASSERT_NE(nullptr, menuBar);
  GetWindowRect(menuBar, &rc);
  EXPECT_EQ(ScreenHeight() - bar, rc.top);
  EXPECT_EQ(ScreenHeight(), rc.bottom);

  // The page area shows the first page: its rows over the page background.
  RECT page = {0, bar, ScreenWidth(), ScreenHeight() - bar};
  int area = (page.right - page.left) * (page.bottom - page.top);
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) {
    int background = s.Count(page, kBackground);
    return background > area / 10 && background < area && s.Pixel(1, page.bottom - 2) == kBackground;
  }));

  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  ExpectInOrder(lines, {L"Vantora app start.", L"Screen size=" + std::to_wstring(ScreenWidth()) + L"x" +
                                                   std::to_wstring(ScreenHeight()) + L".",
                        L"Platform: [POCKET PC].", L"Taskbar 0x", L"Monitor running [NO]", L"Menubar: 0x",
                        L"Window [VANTORA][Vantora] 0x", L"Refresh timer set [3500 ms]", L"App terminating."});
  const std::wstring *taskbar = FindLine(lines, L"Taskbar 0x");
  ASSERT_NE(nullptr, taskbar);
  EXPECT_NE(std::wstring::npos, taskbar->find(L" height = " + std::to_wstring(bar))) << *taskbar;
  EXPECT_FALSE(StartsWith(*taskbar, L"Taskbar 0x0 "));
  EXPECT_EQ(nullptr, FindLine(lines, L"Menubar: 0x0"));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(L"App terminating.", lines.back());
  ExpectOtherLogsUntouched();
}

TEST_F(VantoraTest, SecondStartBringsTheFirstForwardAndWritesNothingElse) {
  HWND first = Start();
  ASSERT_NE(nullptr, first);
  // The start is over once the task list has its icons and CPU figures.
  WaitUntil([] { return FindLine(ReadLogLines(kLog), L"GetProcessList paths, icons, levels and CPU loads done") != nullptr; }, 5000);
  // Something else in front.
  SetForegroundWindow(FindWindowW(L"DesktopExplorerWindow", L"Desktop"));
  WaitUntil([&] { return GetForegroundWindow() != first; }, 2000);
  size_t before = ReadLogLines(kLog).size();
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, KEY_READ, &key));
  DWORD valuesBefore = 0;
  RegQueryInfoKeyW(key, NULL, NULL, NULL, NULL, NULL, NULL, &valuesBefore, NULL, NULL, NULL, NULL);

  Program second;
  ASSERT_TRUE(second.Start(InstalledProgram(L"Vantora.exe")));
  EXPECT_EQ(0u, second.Wait(10000));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first; }, 3000));
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  ASSERT_EQ(before + 2, lines.size());
  EXPECT_EQ(L"Vantora app start.", lines[before]);
  EXPECT_EQ(L"Duplicate instance found, set focus on first and exit. ", lines[before + 1]);
  DWORD valuesAfter = 0;
  RegQueryInfoKeyW(key, NULL, NULL, NULL, NULL, NULL, NULL, &valuesAfter, NULL, NULL, NULL, NULL);
  RegCloseKey(key);
  EXPECT_EQ(valuesBefore, valuesAfter);
  EXPECT_TRUE(IsWindow(first));
  ExpectOtherLogsUntouched();
}

TEST_F(VantoraTest, AboutOverlayShowsOverThePageAndOkClosesIt) {
  SetProductString(L"Version", L"3.1.4");
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  int f = Factor(), bar = 26 * f;
  RECT band = {0, bar, ScreenWidth(), bar + 60 * f};
  RECT below = {0, bar + 200 * f, ScreenWidth(), ScreenHeight() - bar};
  auto purple = [&](const ScreenShot &s) { return s.Count(band, kProductColour); };
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) { return s.Pixel(1, ScreenHeight() - bar - 2) == kBackground; }));
  // The page under the band has (almost) none of the product colour; the overlay a lot.
  int onPage = purple(ScreenShot());
  EXPECT_LT(onPage, 20 * f);

  Command(hwnd, 206);
  ASSERT_TRUE(ScreenShows([&](const ScreenShot &s) { return purple(s) > 100 * f; }));
  ScreenShot about;
  int shown = purple(about);
  // The band holds the name (large, centred) and the version (small, at its bottom).
  RECT nameRow = {0, bar + 15 * f, ScreenWidth(), bar + 45 * f};
  RECT versionRow = {0, bar + 46 * f, ScreenWidth(), bar + 60 * f};
  EXPECT_GT(about.Count(nameRow, kProductColour), about.Count(versionRow, kProductColour));
  EXPECT_GT(about.Count(versionRow, kProductColour), 0);
  if (below.bottom > below.top) {  // a landscape screen ends right under the notices
    int corner = (int)(below.right - below.left) * (below.bottom - below.top);
    EXPECT_EQ(corner, about.Count(below, kBackground));  // nothing but background under them
  }
  RECT legal = {10 * f, bar + 60 * f, ScreenWidth() - 10 * f, bar + 140 * f};
  EXPECT_GT(about.Count(legal, RGB(0, 0, 0)), 50);

  // A second About changes nothing.
  Command(hwnd, 206);
  QueueHandled(hwnd);
  RepaintNow(hwnd);
  EXPECT_EQ(shown, purple(ScreenShot()));

  Command(hwnd, 30003);
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) { return purple(s) == onPage; }));
  EXPECT_TRUE(IsWindow(hwnd));
  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
}

TEST_F(VantoraTest, VersionFallsBackWhenMissingOrOfTheWrongType) {
  // The version line differs between "3.1.4" and the fallback: the overlay reads the registry.
  auto versionPixels = [&](void (*prepare)()) {
    prepare();
    HWND hwnd = Start();
    int f = Factor(), bar = 26 * f;
    RECT versionRow = {0, bar + 46 * f, ScreenWidth(), bar + 60 * f};
    Command(hwnd, 206);
    int n = 0;
    ScreenShows([&](const ScreenShot &s) { return (n = s.Count(versionRow, kProductColour)) > 0; });
    // The whole overlay, drawn once the command is handled.
    QueueHandled(hwnd);
    RepaintNow(hwnd);
    n = ScreenShot().Count(versionRow, kProductColour);
    app_.Kill();
    WaitWindowGone(hwnd, 5000);
    return n;
  };
  int missing = versionPixels([] { DeleteProductValue(L"Version"); });
  int wrongType = versionPixels([] { SetProductDword(L"Version", 7); });
  int empty = versionPixels([] { SetProductString(L"Version", L""); });
  int other = versionPixels([] { SetProductString(L"Version", L"10.20.30.40.50"); });
  EXPECT_GT(missing, 0);
  EXPECT_EQ(missing, wrongType);
  EXPECT_EQ(missing, empty);
  EXPECT_NE(missing, other);
}

TEST_F(VantoraTest, SoftKeyF1IsOk) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PostMessageW(hwnd, WM_KEYDOWN, VK_F1, 1);
  PostMessageW(hwnd, WM_KEYUP, VK_F1, 0xC0000001);
  EXPECT_EQ(0u, app_.Wait(10000));
}

TEST_F(VantoraTest, BackKeyComesAsAHotKeyAndLeavesTheProgramRunning) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PostMessageW(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
  PostMessageW(hwnd, WM_KEYUP, VK_ESCAPE, 0xC0000001);
  EXPECT_EQ((DWORD)STILL_ACTIVE, app_.Wait(500));
  EXPECT_TRUE(IsWindow(hwnd));
}

TEST_F(VantoraTest, WithoutATaskbarStartUpWaitsAboutASecondAndFallsBack) {
  HWND taskbar = FindWindowW(L"HHTaskbar", L"");
  ASSERT_NE(nullptr, taskbar);
  PostMessageW(taskbar, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitWindowGone(taskbar, 5000));

  DWORD start = GetTickCount();
  HWND hwnd = Start();
  DWORD took = GetTickCount() - start;
  ASSERT_NE(nullptr, hwnd);
  // Ten lookups, 100 ms apart.
  EXPECT_GE(took, 900u);
  RECT rc;
  GetWindowRect(hwnd, &rc);
  EXPECT_EQ(0, rc.top);  // no taskbar: the work area is the whole screen
  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  const std::wstring *line = FindLine(lines, L"Taskbar ");
  ASSERT_NE(nullptr, line);
  EXPECT_EQ(L"Taskbar 0x0 height = " + std::to_wstring(26 * Factor()), *line);
}

DWORD Rotate(const wchar_t *how) {
  Program devtool;
  if (!devtool.Start(L"C:\\windows\\devtool.exe", std::wstring(L"rotate ") + how)) return 99;
  return devtool.Wait(15000);
}

TEST_F(VantoraTest, TurningTheScreenRefitsTheWindowAndItsSoftKeys) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  int w = ScreenWidth(), h = ScreenHeight();
  DWORD turned = Rotate(L"toggle");
  if (turned == 3) GTEST_SKIP() << "this device's screen cannot turn while it runs";
  ASSERT_EQ(0u, turned);
  int bar = 26 * Factor();  // the factor of the turned screen
  HWND menuBar = SoftKeysOf(hwnd);
  ASSERT_NE(nullptr, menuBar);
  RECT expectBar = {0, w - bar, h, w}, expectWindow = {0, bar, h, w - bar}, rc = {};
  EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(menuBar, &rc) && EqualRect(&rc, &expectBar); }, 3000))
      << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(hwnd, &rc) && EqualRect(&rc, &expectWindow); }, 3000))
      << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
  EXPECT_TRUE(IsWindowVisible(menuBar));
  // The soft keys are drawn on top, not hidden behind another window; the page fills the rest.
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) {
    COLORREF c = s.Pixel(h / 2 - 10, w - bar / 2);
    return GetRValue(c) < 80 && GetGValue(c) < 80 && s.Pixel(h - 5, w - bar - 5) == kBackground;
  }));
  // Nothing of the right label stays where the narrower bar had it: the bar is painted whole.
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) {
    for (int x = 3 * w / 4 - 8 * Factor(); x <= 3 * w / 4 + 8 * Factor(); x++)
      for (int y = w - bar / 2 - 4 * Factor(); y <= w - bar / 2 + 4 * Factor(); y++)
        if (GetRValue(s.Pixel(x, y)) > 150) return false;
    return true;
  }));
  EXPECT_EQ(0u, Rotate(L"toggle"));
  EXPECT_EQ(w, ScreenWidth());
  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
}

TEST_F(VantoraTest, SoftKeysComeBackWithTheWindow) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  int bar = 26 * Factor(), w = ScreenWidth(), h = ScreenHeight();
  auto softKeysShown = [&](const ScreenShot &s) {
    COLORREF c = s.Pixel(w / 2 - 10, h - bar / 2);
    return GetRValue(c) < 80 && GetGValue(c) < 80;
  };
  ASSERT_TRUE(ScreenShows(softKeysShown));
  // The taskbar's smart-minimise button sends the program behind the Today screen.
  HWND taskbar = FindWindowW(L"HHTaskbar", L"");
  ASSERT_NE(nullptr, taskbar);
  PostMessageW(taskbar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(w - bar / 2, bar / 2));
  PostMessageW(taskbar, WM_LBUTTONUP, 0, MAKELPARAM(w - bar / 2, bar / 2));
  ASSERT_TRUE(ScreenShows([&](const ScreenShot &s) { return !softKeysShown(s); }));
  // The program goes behind first, then the Today screen comes forward: a second copy that brought the
  // program forward in between would see the Today screen come forward over it afterwards.
  ASSERT_TRUE(WaitUntil([] { return GetForegroundWindow() == WmGetDesktopWindow(); }));
  // Started again, it comes forward with its soft keys.
  Program second;
  ASSERT_TRUE(second.Start(InstalledProgram(L"Vantora.exe")));
  EXPECT_EQ(0u, second.Wait(10000));
  EXPECT_TRUE(ScreenShows(softKeysShown));
}

TEST_F(VantoraTest, RunsWithoutAnInstallationFolder) {
  // No InstallPath: no strings, no pictures, no help; the program still starts, shows and ends.
  ProductKeyGuard install({L"InstallPath"});
  DeleteProductValue(L"InstallPath");
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  int bar = 26 * Factor();
  RECT page = {0, bar, ScreenWidth(), ScreenHeight() - bar};
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) { return s.Pixel(page.right / 2, page.bottom / 2) == kBackground; }));
  Command(hwnd, 206);
  EXPECT_TRUE(ScreenShows([&](const ScreenShot &s) { return s.Count(page, kProductColour) > 0; }));
  Command(hwnd, 30003);
  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
}

TEST_F(VantoraTest, DebugSwitchOffWritesNoLog) {
  SetProductDword(L"EnableDebug", 0);
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  Command(hwnd, 30003);
  EXPECT_EQ(0u, app_.Wait(10000));
  EXPECT_FALSE(FileExists(kLog));
  ExpectOtherLogsUntouched();
}

}  // namespace
