// The benchmark end to end: started in the device with its switches, driven through its buttons, checked
// by its list, the files it leaves, its debug log and the pixels of its charts.
#include "testsupport.h"
#include <shlobj.h>
#include <algorithm>
#include <math.h>

namespace {

const wchar_t kLog[] = L"C:\\VT.benchmark.txt";
const COLORREF kBackground = RGB(201, 199, 199);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kScorePink = RGB(255, 140, 140);

#pragma pack(push, 1)
struct SavedResult {  // "benchmark.dat"
  wchar_t name[260];
  double cpu, ram, storage, video;
  SYSTEMTIME finished;
};
struct Reference {  // "bmcompare.dat"
  wchar_t name[512];
  double cpu, ram, storage, video;
};
#pragma pack(pop)
static_assert(sizeof(SavedResult) == 568, "record");
static_assert(sizeof(Reference) == 1056, "record");

int Factor() { return ScreenHeight() >= 440 ? 2 : 1; }
int S(int v) { return v * Factor(); }

std::wstring DataFile() { return InstallFolder() + L"\\benchmark.dat"; }
std::wstring CompareFile() { return InstallFolder() + L"\\bmcompare.dat"; }

bool StartsWith(const std::wstring &s, const std::wstring &p) { return s.compare(0, p.size(), p) == 0; }
bool HasLine(const std::vector<std::wstring> &lines, const std::wstring &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Dark(COLORREF c) { return GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80; }

// The controls of a window with the given class, left to right, top to bottom.
std::vector<HWND> Children(HWND parent, const wchar_t *cls) {
  struct Ctx {
    const wchar_t *cls;
    std::vector<HWND> found;
  } ctx{cls, {}};
  EnumChildWindows(
      parent,
      [](HWND h, LPARAM l) -> BOOL {
        Ctx *c = (Ctx *)l;
        wchar_t name[64];
        GetClassNameW(h, name, 64);
        if (!lstrcmpiW(name, c->cls) && IsWindowVisible(h)) c->found.push_back(h);
        return TRUE;
      },
      (LPARAM)&ctx);
  std::sort(ctx.found.begin(), ctx.found.end(), [](HWND a, HWND b) {
    RECT ra, rb;
    GetWindowRect(a, &ra);
    GetWindowRect(b, &rb);
    return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
  });
  return ctx.found;
}

// Waits until the page has built its controls of that class.
std::vector<HWND> WaitChildren(HWND parent, const wchar_t *cls, size_t n) {
  std::vector<HWND> found;
  WaitUntil([&] { return (found = Children(parent, cls)).size() == n; }, 10000);
  return found;
}

void Press(HWND button) {
  PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  PostMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// A message box of the process: its text (control 0xFFFF) and caption.
HWND FindMessageBox(DWORD pid, DWORD ms) {
  HWND found = NULL;
  WaitUntil(
      [&] {
        found = NULL;
        for (HWND h = FindWindowExW(NULL, NULL, L"#32770", NULL); h; h = FindWindowExW(NULL, h, L"#32770", NULL)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(h, &owner);
          if (owner == pid && IsWindowVisible(h)) found = h;
        }
        return found != NULL;
      },
      ms);
  return found;
}
std::wstring MessageText(HWND box) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}
std::wstring Caption(HWND box) {
  wchar_t text[256] = L"";
  GetWindowTextW(box, text, 256);
  return text;
}

std::wstring DeviceOem() {
  wchar_t oem[260] = L"";
  DWORD size = sizeof(oem) - sizeof(wchar_t);
  RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\EmulatedHandheld\\Profile", L"OEMInfo", RRF_RT_REG_SZ, NULL, oem, &size);
  return oem;
}

// Where a chart's bar for a value begins, given the chart's rectangle in client coordinates.
struct Chart {
  RECT area;  // the plot area
  int column;
  Chart(int left, int top, int right, int bottom) {
    area = {left, top + S(10), right, bottom - S(20)};
    column = (area.right - area.left) / 11;
  }
  int Left(int index) const { return area.left + (3 + 2 * index) * column; }  // index -1: the overall bar
  int Centre(int index) const { return (index < 0 ? area.left + column : Left(index)) + column / 2; }
  int BarTop(double value) const {
    int h = area.bottom - area.top;
    return area.top + (int)(h - h * value * 0.1);
  }
};

class BenchmarkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(L"BENCHMARK", L"Benchmark")) << "a Benchmark of another test is still running";
    SetProductDword(L"EnableDebug", 1);
    RemoveFile(kLog);
    haveData_ = ReadFileBytes(DataFile(), &savedData_);
    haveCompare_ = ReadFileBytes(CompareFile(), &savedCompare_);
  }
  void TearDown() override {
    app_.Kill();
    if (haveData_) WriteFileBytes(DataFile(), savedData_.data(), savedData_.size()); else RemoveFile(DataFile());
    if (haveCompare_) WriteFileBytes(CompareFile(), savedCompare_.data(), savedCompare_.size()); else RemoveFile(CompareFile());
  }
  HWND Start(const wchar_t *args) {
    EXPECT_TRUE(app_.Start(InstalledProgram(L"Benchmark.exe"), args));
    HWND hwnd = WaitForWindow(L"BENCHMARK", L"Benchmark", 15000);
    EXPECT_NE(nullptr, hwnd);
    // Laid out once the soft-key bar has taken its place at the bottom.
    EXPECT_TRUE(WaitUntil([&] {
      RECT rc;
      return GetWindowRect(hwnd, &rc) && rc.bottom == ScreenHeight() - S(26);
    }, 10000));
    return hwnd;
  }
  void WriteResult(const wchar_t *name, double cpu, double ram, double sto, double vid) {
    SavedResult r = {};
    lstrcpynW(r.name, name, 260);
    r.cpu = cpu;
    r.ram = ram;
    r.storage = sto;
    r.video = vid;
    GetLocalTime(&r.finished);
    ASSERT_TRUE(WriteFileBytes(DataFile(), &r, sizeof(r)));
  }
  // Ends the program with its OK soft key command; it must go cleanly.
  void EndWithOk(HWND hwnd) {
    PostMessageW(hwnd, WM_COMMAND, 40000, 0);
    EXPECT_EQ(0u, app_.Wait(10000));
    EXPECT_TRUE(WaitWindowGone(hwnd, 2000));
  }
  POINT Origin(HWND hwnd) {
    POINT p = {0, 0};
    ClientToScreen(hwnd, &p);
    return p;
  }
  Program app_;
  ProductKeyGuard guard_{{L"EnableDebug"}};
  bool haveData_ = false, haveCompare_ = false;
  std::string savedData_, savedCompare_;
};

TEST_F(BenchmarkTest, RunListsEveryTestScoresSavesAndLogsTheResult) {
  RemoveFile(DataFile());
  HWND hwnd = Start(L"-run");
  ASSERT_NE(nullptr, hwnd);
  std::vector<HWND> buttons = WaitChildren(hwnd, L"GButton", 2);
  ASSERT_EQ(2u, buttons.size());
  std::vector<HWND> lists = Children(hwnd, L"listbox");
  ASSERT_EQ(1u, lists.size());
  HWND list = lists[0];
  // The buttons wait for the run: disabled while any test line is still to come.
  bool seenRunning = false;
  ASSERT_TRUE(WaitUntil([&] {
    bool enabled = IsWindowEnabled(buttons[0]) || IsWindowEnabled(buttons[1]);
    int shown = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (shown < 1 + 36 + 12 + 8) {
      seenRunning = true;
      EXPECT_FALSE(enabled) << shown;
    }
    return IsWindowEnabled(buttons[0]) && IsWindowEnabled(buttons[1]);
  }, 90000));
  EXPECT_TRUE(seenRunning);

  std::vector<std::wstring> lines;
  int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (int i = 0; i < count; i++) {
    wchar_t text[300] = L"";
    SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
    lines.push_back(text);
  }
  ASSERT_EQ(1u + 36 + 12 + 8, lines.size());
  EXPECT_EQ(count - 1, (int)SendMessageW(list, LB_GETCURSEL, 0, 0)) << "scrolled to the newest line";
  EXPECT_EQ(L"Running the tests, please wait...", lines[0]);
  const wchar_t *tests[12] = {L" 1/12 CPU #1: FFT 4K",         L" 2/12 CPU #2: 64KxEuclid GCD",
                              L" 3/12 CPU #3: 64KxTrig.Test",   L" 4/12 CPU #4: 1xJPG decode",
                              L" 5/12 RAM #1: 48KxMALLOC 1K",   L" 6/12 STO #1: 1KxWriteFile 1K",
                              L" 7/12 STO #2: 5xWriteFile 128K", L" 8/12 STO #3: 10xCreateFile",
                              L" 9/12 VID #1: 25xBitBlt",       L"10/12 VID #2: 20xStretchBlt",
                              L"11/12 VID #3: 100xDrawText",    L"12/12 VID #4: 300xFillRect"};
  const int refs[12] = {1000, 1000, 1000, 1000, 1000, 500, 200, 200, 300, 300, 300, 300};
  int shown[12];
  for (int t = 0; t < 12; t++) {
    EXPECT_EQ(L"------------", lines[1 + 3 * t]) << t;
    EXPECT_EQ(tests[t], lines[2 + 3 * t]);
    EXPECT_EQ(1, swscanf(lines[3 + 3 * t].c_str(), L"Time: %d ms", &shown[t])) << testing::PrintToString(lines[3 + 3 * t]);
  }
  for (int i = 37; i < 49; i++) EXPECT_EQ(L"", lines[i]) << i;
  EXPECT_EQ(L"             ****************", lines[49]);
  EXPECT_EQ(L"               Completed  ", lines[50]);
  EXPECT_EQ(L"             ****************", lines[51]);
  EXPECT_EQ(L"", lines[52]);
  EXPECT_EQ(L"      Tap View Result or Compare.", lines[53]);
  EXPECT_EQ(L"", lines[54]);
  EXPECT_EQ(L"", lines[55]);
  EXPECT_NE(std::wstring::npos, lines[56].find(L"Vantora"));

  // The result file: one record, the device's own name, scores inside 0..10, taken just now.
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(DataFile(), &bytes));
  ASSERT_EQ(568u, bytes.size());
  SavedResult r;
  memcpy(&r, bytes.data(), sizeof(r));
  EXPECT_EQ(DeviceOem(), std::wstring(r.name));
  EXPECT_FALSE(DeviceOem().empty());
  for (double s : {r.cpu, r.ram, r.storage, r.video}) {
    EXPECT_GE(s, 0.0);
    EXPECT_LE(s, 10.0);
  }
  SYSTEMTIME now;
  GetLocalTime(&now);
  EXPECT_EQ(now.wYear, r.finished.wYear);
  EXPECT_EQ(now.wDay, r.finished.wDay);

  // The log: the lines as listed, then the times held to the references and the category scores.
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_TRUE(HasLine(log, L"12/12 VID #4: 300xFillRect"));
  const std::wstring *results = nullptr;
  for (const std::wstring &l : log)
    if (StartsWith(l, L"Results: ")) results = &l;
  ASSERT_NE(nullptr, results);
  std::wstring expected = L"Results: ";
  for (int t = 0; t < 12; t++) expected += std::to_wstring(std::min(shown[t], refs[t])) + L",";
  EXPECT_TRUE(StartsWith(*results, expected + L" | ")) << testing::PrintToString(*results);
  double cpu, ram, sto, vid;
  ASSERT_EQ(4, swscanf(results->c_str() + expected.size(), L" | %lf %lf %lf %lf", &cpu, &ram, &sto, &vid));
  EXPECT_NEAR(r.cpu, cpu, 1e-5);
  EXPECT_NEAR(r.video, vid, 1e-5);
  EXPECT_EQ(12, std::count_if(log.begin(), log.end(), [](const std::wstring &l) { return StartsWith(l, L"IM["); }));
  EXPECT_FALSE(FileExists(InstallFolder() + L"\\benchmark.tmp"));

  // View Result: the page of the saved result, one button and no list (the run page's controls go one
  // by one: the page is awaited whole).
  Press(buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return Children(hwnd, L"GButton").size() == 1 && Children(hwnd, L"listbox").empty(); },
                        5000))
      << Children(hwnd, L"GButton").size() << " buttons, " << Children(hwnd, L"listbox").size() << " lists";
  EndWithOk(hwnd);
}

DWORD Rotate(const wchar_t *how) {
  Program devtool;
  if (!devtool.Start(L"C:\\windows\\devtool.exe", std::wstring(L"rotate ") + how)) return 99;
  return devtool.Wait(15000);
}

HWND FocusOf(HWND hwnd) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, NULL), &info) ? info.hwndFocus : NULL;
}

RECT ClientRectOf(HWND parent, HWND child) {
  RECT rc = {};
  GetWindowRect(child, &rc);
  MapWindowPoints(NULL, parent, (POINT *)&rc, 2);
  return rc;
}

// The arrow keys walk the page's controls when they are let go; a turned screen lays the page out
// again, the logo keeping the place its first portrait layout gave it.
TEST_F(BenchmarkTest, ArrowKeysWalkTheRunPageAndATurnedScreenRelaysIt) {
  HWND hwnd = Start(L"-run");
  ASSERT_NE(nullptr, hwnd);
  std::vector<HWND> buttons = WaitChildren(hwnd, L"GButton", 2);
  ASSERT_EQ(2u, buttons.size());
  HWND list = Children(hwnd, L"listbox")[0];
  HWND logo = Children(hwnd, L"PictureBox")[0];
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(buttons[1]); }, 90000));
  // The buttons could not take the focus while they waited: it stayed with the list.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(hwnd) == list; }, 3000))
      << FocusOf(hwnd) << " list " << list << " fg " << GetForegroundWindow() << " main " << hwnd;
  // Each release moves one step from the control that has the focus.
  auto release = [&](WPARAM key, HWND to) {
    PostMessageW(FocusOf(hwnd), WM_KEYUP, key, 0xC0000001);
    return WaitUntil([&] { return FocusOf(hwnd) == to; }, 3000);
  };
  EXPECT_TRUE(release(VK_DOWN, buttons[0]));
  EXPECT_TRUE(release(VK_RIGHT, buttons[1]));
  EXPECT_TRUE(release(VK_DOWN, logo));
  EXPECT_TRUE(release(VK_UP, buttons[1]));
  EXPECT_TRUE(release(VK_LEFT, buttons[0]));
  EXPECT_TRUE(release(VK_UP, list));

  int w = ScreenWidth(), h = ScreenHeight();
  RECT logoBefore = ClientRectOf(hwnd, logo), client;
  // The logo is shown only where the window is high enough for it, and then at its place below the
  // buttons; a low screen (800 x 480) leaves it out.
  GetClientRect(hwnd, &client);
  RECT place = {(client.right - S(150)) / 2, S(210), (client.right - S(150)) / 2 + S(150), S(260)};
  if (place.bottom <= client.bottom) {
    EXPECT_EQ(place.left, logoBefore.left);
    EXPECT_EQ(place.top, logoBefore.top);
    EXPECT_FALSE(IsRectEmpty(&logoBefore));
  } else {
    EXPECT_TRUE(IsRectEmpty(&logoBefore) || !IsWindowVisible(logo)) << logoBefore.left << "," << logoBefore.top;
  }
  DWORD turned = Rotate(L"toggle");
  if (turned == 3) GTEST_SKIP() << "this device's screen cannot turn while it runs";
  ASSERT_EQ(0u, turned);
  int turnedWidth = h;  // the client is as wide as the turned screen
  EXPECT_TRUE(WaitUntil([&] {
    RECT rc = ClientRectOf(hwnd, list);
    return rc.right - rc.left == turnedWidth - S(10);
  }, 5000));
  RECT second = ClientRectOf(hwnd, buttons[1]);
  EXPECT_EQ(turnedWidth / 2 + S(2), second.left);
  EXPECT_EQ(turnedWidth / 2 - S(7), second.right - second.left);
  RECT logoAfter = ClientRectOf(hwnd, logo);
  EXPECT_TRUE(EqualRect(&logoBefore, &logoAfter) || h >= w) << "landscape keeps the portrait place";
  EXPECT_EQ(0u, Rotate(L"toggle"));
  EXPECT_EQ(w, ScreenWidth());
  EndWithOk(hwnd);
}

TEST_F(BenchmarkTest, ViewAndCompareDrawTheirChartsAndBeepAtTheEnds) {
  WriteResult(L"Chart Test Handheld", 10.0, 5.0, 0.0, 2.5);
  Reference refs[2] = {};
  lstrcpyW(refs[0].name, L"First Reference");
  refs[0].cpu = 10.0;
  lstrcpyW(refs[1].name, L"Second Reference");
  refs[1].ram = 10.0;
  ASSERT_TRUE(WriteFileBytes(CompareFile(), refs, sizeof(refs)));

  // The switch in capitals selects the view page.
  HWND hwnd = Start(L"-VIEW");
  ASSERT_NE(nullptr, hwnd);
  RECT client;
  GetClientRect(hwnd, &client);
  POINT o = Origin(hwnd);
  int w = client.right, h = client.bottom;
  Chart view(0, S(30), w, h - S(20));
  auto at = [&](const ScreenShot &s, int x, int y) { return s.Pixel(o.x + x, o.y + y); };
  auto barShows = [&](const ScreenShot &s, const Chart &c, int index, double value, COLORREF fill) {
    int top = c.BarTop(value), x = c.Left(index) + 2;
    if (index < 0) x = c.area.left + c.column + 2;
    return Dark(at(s, x, top)) && !Dark(at(s, x, top - 1)) && at(s, x, top - 1) != fill &&
           at(s, index < 0 ? x + c.column / 2 : c.Centre(index), (top + c.area.bottom) / 2) == fill;
  };
  ASSERT_TRUE(WaitUntil([&] { return barShows(ScreenShot(), view, 0, 10.0, kWhite); }, 5000));
  ScreenShot shot;
  EXPECT_TRUE(barShows(shot, view, 1, 5.0, kWhite));
  EXPECT_TRUE(barShows(shot, view, 3, 2.5, kWhite));
  EXPECT_TRUE(barShows(shot, view, -1, 4.375, kScorePink));
  // A score of 0 draws no bar: the page shows through just above the base line.
  EXPECT_EQ(kBackground, at(shot, view.Centre(2), view.area.bottom - 4));

  // A second start brings this one forward and ends.
  Program second;
  ASSERT_TRUE(second.Start(InstalledProgram(L"Benchmark.exe"), L"-view"));
  EXPECT_EQ(0u, second.Wait(10000));
  EndWithOk(hwnd);

  hwnd = Start(L"-compare");
  ASSERT_NE(nullptr, hwnd);
  std::vector<HWND> buttons = WaitChildren(hwnd, L"GButton", 3);
  ASSERT_EQ(3u, buttons.size());
  GetClientRect(hwnd, &client);
  o = Origin(hwnd);
  w = client.right;
  h = client.bottom;
  bool portrait = ScreenHeight() >= ScreenWidth();
  Chart mine = portrait ? Chart(0, S(30), w, h / 2 + S(10)) : Chart(0, S(30), w / 2 - S(5), h);
  Chart other = portrait ? Chart(0, h / 2 + S(20), w, h) : Chart(w / 2 + S(5), S(30), w, h);
  ASSERT_TRUE(WaitUntil([&] { return barShows(ScreenShot(), other, 0, 10.0, kWhite); }, 5000));
  EXPECT_TRUE(barShows(ScreenShot(), mine, 1, 5.0, kWhite));

  // Previous at the first entry beeps; next moves to the second entry; next again beeps.
  Press(buttons[0]);
  ASSERT_TRUE(WaitUntil([&] { return HasLine(ReadLogLines(kLog), L"Beep [1004]"); }, 5000));
  Press(buttons[1]);
  ASSERT_TRUE(WaitUntil([&] { return barShows(ScreenShot(), other, 1, 10.0, kWhite); }, 5000));
  EXPECT_EQ(kBackground, at(ScreenShot(), other.Centre(0), other.area.bottom - 4));
  EXPECT_FALSE(HasLine(ReadLogLines(kLog), L"Beep [1005]"));
  Press(buttons[1]);
  ASSERT_TRUE(WaitUntil([&] { return HasLine(ReadLogLines(kLog), L"Beep [1005]"); }, 5000));
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_TRUE(HasLine(log, L"Compare data [0] First Reference | 1056 bytes"));
  EXPECT_TRUE(HasLine(log, L"Compare data [1] Second Reference | 1056 bytes"));
  EndWithOk(hwnd);
}

TEST_F(BenchmarkTest, ViewWithoutSavedResultSaysSoAndEnds) {
  RemoveFile(DataFile());
  HWND hwnd = Start(L"-view");
  ASSERT_NE(nullptr, hwnd);
  HWND box = FindMessageBox(app_.id, 10000);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"No saved result yet. Run the benchmark first.", MessageText(box));
  EXPECT_EQ(L"Vantora", Caption(box));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  // The worker asked the window's own thread to close it: the program ends normally.
  EXPECT_EQ(0u, app_.Wait(10000));
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_TRUE(HasLine(ReadLogLines(kLog), L"DeinitGUI() call."));
}

// Snapshots go to the device's documents folder, numbered from the first free number. The last one is
// left for the host's own decoder, which the snapshot check script runs next.
TEST_F(BenchmarkTest, SnapshotsAreNumberedJpegsInTheDocumentsFolder) {
  wchar_t docs[MAX_PATH] = L"";
  ASSERT_TRUE(SHGetSpecialFolderPathW(NULL, docs, CSIDL_PERSONAL, TRUE));
  std::wstring folder = docs;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  ASSERT_TRUE(StartsWith(folder, L"C:\\")) << testing::PrintToString(folder);
  auto jpg = [&](int n) { return folder + L"\\" + std::to_wstring(n) + L".jpg"; };
  for (int n = 1; n <= 4; n++) RemoveFile(jpg(n));
  ASSERT_TRUE(WriteFileBytes(jpg(1), "one", 3));
  ASSERT_TRUE(WriteFileBytes(jpg(2), "two", 3));

  WriteResult(L"Snapshot Handheld", 7.0, 6.0, 5.0, 4.0);
  HWND hwnd = Start(L"-view");
  ASSERT_NE(nullptr, hwnd);
  std::vector<HWND> buttons = WaitChildren(hwnd, L"GButton", 1);
  ASSERT_EQ(1u, buttons.size());
  auto snap = [&](int expected) {
    Press(buttons[0]);
    HWND box = FindMessageBox(app_.id, 10000);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(jpg(expected), MessageText(box));
    EXPECT_EQ(L"Snapshot saved", Caption(box));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitWindowGone(box, 5000));
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(jpg(expected), &bytes));
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ("\xFF\xD8\xFF", bytes.substr(0, 3));
  };
  snap(3);
  RemoveFile(jpg(1));
  snap(1);  // the first free number, though 2 and 3 exist
  EndWithOk(hwnd);
  std::vector<std::wstring> log = ReadLogLines(kLog);
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::wstring &l) {
    return StartsWith(l, L"Snapshot(") && l.find(L"[" + jpg(1) + L"]") != std::wstring::npos;
  }));

  for (int n : {2, 3}) RemoveFile(jpg(n));
  // For the host's check: where the picture is and what it should be.
  std::string note;
  for (wchar_t c : jpg(1)) note += (char)c;
  note += "|" + std::to_string(ScreenWidth()) + "|" + std::to_string(ScreenHeight()) + "\n";
  ASSERT_TRUE(WriteFileBytes(L"C:\\vt-snapshot-check.txt", note.data(), note.size()));
}

}  // namespace
