// The battery meter end to end: started in the device, the simulated battery and the screen changed
// from outside while it runs, checked by the pixels of the taskbar's top rows, its windows and its log.
#include "device_profile.h"
#include "wm.h"
#include "testsupport.h"

namespace {

const wchar_t kLog[] = L"C:\\VT.gl.txt";
const wchar_t kTopClass[] = L"GAUGELETAPPTOPLVL";
const wchar_t kTopTitle[] = L"GaugeletAppTopLvl";
const wchar_t kBarClass[] = L"GAUGELETAPP";
const wchar_t kBarTitle[] = L"GaugeletApp";
const DWORD kPeriodMs = 5000;

// A device profile value the test changes, restored afterwards.
class ProfileValueGuard {
 public:
  explicit ProfileValueGuard(const wchar_t *name) : name_(name) {
    DWORD size = sizeof(value_);
    present_ = RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, RRF_RT_REG_DWORD, NULL, &value_,
                            &size) == ERROR_SUCCESS;
  }
  ~ProfileValueGuard() {
    if (present_)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name_, REG_DWORD, &value_, sizeof(value_));
    else
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name_);
  }
 private:
  const wchar_t *name_;
  DWORD value_ = 0;
  bool present_ = false;
};

// What "vtdevice battery DIR PERCENT FLAG" does from the host.
void SetBattery(DWORD percent, DWORD flag) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_BATTERY_FLAG,
                                           REG_DWORD, &flag, sizeof(flag)));
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY,
                                           DEVICE_PROFILE_BATTERY_PERCENT, REG_DWORD, &percent, sizeof(percent)));
}

// The colour of column x of a gradient over a taskbar w pixels wide: red to yellow over the left
// half, yellow to green over the right half, each channel blended in whole percent steps.
COLORREF Expected(int x, int w) {
  int half = w / 2;
  bool left = x < half;
  int n = left ? half : w - half, i = left ? x : x - half;
  int k = i * 100 / n;
  int fromR = 255, fromG = left ? 0 : 255, toR = left ? 255 : 0, toG = 255;
  return RGB((fromR * (100 - k) + toR * k) / 100, (fromG * (100 - k) + toG * k) / 100, 0);
}

int Factor() { return ScreenHeight() >= 440 ? 2 : 1; }

HWND Taskbar() { return FindWindowW(L"HHTaskbar", L""); }
int TaskbarWidth() {
  RECT rc = {};
  GetWindowRect(Taskbar(), &rc);
  return rc.right - rc.left;
}

std::vector<HWND> Bars() {
  std::vector<HWND> bars;
  for (HWND w = FindWindowExW(Taskbar(), NULL, kBarClass, kBarTitle); w;
       w = FindWindowExW(Taskbar(), w, kBarClass, kBarTitle))
    bars.push_back(w);
  return bars;
}

bool StartsWith(const std::wstring &s, const std::wstring &prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

size_t CountLines(const std::wstring &prefix) {
  size_t n = 0;
  for (const std::wstring &l : ReadLogLines(kLog))
    if (StartsWith(l, prefix)) n++;
  return n;
}

void ExpectInOrder(const std::vector<std::wstring> &lines, const std::vector<std::wstring> &prefixes) {
  size_t at = 0;
  for (const std::wstring &p : prefixes) {
    while (at < lines.size() && !StartsWith(lines[at], p)) at++;
    EXPECT_LT(at, lines.size()) << "missing or out of order: " << testing::PrintToString(p);
    if (at == lines.size()) return;
    at++;
  }
}

class GaugeletTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(kTopClass, kTopTitle)) << "a battery meter of another test is still running";
    ASSERT_NE(nullptr, Taskbar());
    SetProductDword(L"EnableDebug", 1);
    RemoveFile(kLog);
    // The taskbar's top rows as they are without the bar (one colour per row).
    ScreenShot s;
    for (int y = 0; y < 8; y++) taskbarRow_[y] = s.Pixel(1, y);
  }
  void TearDown() override { app_.Kill(); }

  HWND Start() {
    EXPECT_TRUE(app_.Start(InstalledProgram(L"GaugeletApp.exe")));
    HWND top = WaitForWindow(kTopClass, kTopTitle);
    EXPECT_NE(nullptr, top);
    return top;
  }
  // The bar shows `length` pixels of the gradient over a taskbar w wide, then the taskbar.
  static bool BarIs(const ScreenShot &s, int length, int w, const COLORREF *taskbarRow, std::string *why) {
    int h = 2 * Factor();
    for (int y = 0; y <= h; y++) {
      for (int x = 0; x < w; x++) {
        COLORREF want = (y < h && x < length) ? Expected(x, w) : taskbarRow[y];
        if (s.Pixel(x, y) != want) {
          if (why) {
            char text[160];
            snprintf(text, sizeof(text), "(%d, %d) is %06lx, not %06lx", x, y, (unsigned long)s.Pixel(x, y),
                     (unsigned long)want);
            *why = text;
          }
          return false;
        }
      }
    }
    return true;
  }
  // Waits (at most one period, and the deadline past it) for the bar to show that length.
  ::testing::AssertionResult ShowsBar(int length, DWORD ms = kPeriodMs + kWaitMs) {
    int w = TaskbarWidth();
    std::string why;
    if (WaitUntil([&] { return BarIs(ScreenShot(), length, w, taskbarRow_, NULL); }, ms))
      return ::testing::AssertionSuccess();
    BarIs(ScreenShot(), length, w, taskbarRow_, &why);
    return ::testing::AssertionFailure() << "bar of " << length << " on a taskbar of " << w << ": " << why;
  }

  ProductKeyGuard guard_{{L"EnableDebug"}};
  ProfileValueGuard percent_{DEVICE_PROFILE_BATTERY_PERCENT};
  ProfileValueGuard flag_{DEVICE_PROFILE_BATTERY_FLAG};
  COLORREF taskbarRow_[8] = {};
  Program app_;
};

TEST_F(GaugeletTest, BarShowsTheChargeAtOnceStaysOnTopIgnoresASecondStartAndGoesWithTheProgram) {
  SetBattery(50, 0);
  HWND foreground = GetForegroundWindow();
  HWND top = Start();
  ASSERT_NE(nullptr, top);
  int w = TaskbarWidth();

  // The first reading does not wait for the period (it comes before the timer is set: see the log
  // below): half the taskbar, red through yellow.
  EXPECT_TRUE(ShowsBar(w / 2, kWaitMs));
  ScreenShot half;
  EXPECT_EQ(RGB(255, 0, 0), half.Pixel(0, 0));
  if (w == 480) {
    EXPECT_EQ(RGB(255, 252, 0), half.Pixel(239, 0));
    EXPECT_EQ(RGB(255, 127, 0), half.Pixel(120, 0));
    EXPECT_EQ(taskbarRow_[0], half.Pixel(240, 0));
  }
  // One bar: a visible, disabled child of the taskbar with its id; the program's own window hidden.
  std::vector<HWND> bars = Bars();
  ASSERT_EQ(1u, bars.size());
  HWND bar = bars[0];
  EXPECT_TRUE(IsWindowVisible(bar));
  EXPECT_EQ(2748, GetDlgCtrlID(bar));
  EXPECT_EQ(Taskbar(), GetParent(bar));
  EXPECT_FALSE(IsWindowVisible(top));
  RECT rc;
  GetWindowRect(bar, &rc);
  EXPECT_EQ(w / 2, rc.right - rc.left);
  EXPECT_EQ(2 * Factor(), rc.bottom - rc.top);
  // Taps on the bar reach the taskbar, and starting it took the foreground from nobody.
  POINT onBar = {5, 1};
  EXPECT_EQ(Taskbar(), WindowFromPoint(onBar));
  EXPECT_EQ(foreground, GetForegroundWindow());

  // The taskbar painting itself anew (clock, title, buttons) leaves the bar on top: a window of this
  // test comes in front, and once the taskbar shows its title the bar is there again.
  RECT below = {0, 2 * Factor() + 1, w, 0};
  GetWindowRect(Taskbar(), &rc);
  below.bottom = rc.bottom;
  ScreenShot before(below);
  {
    WindowInFront own(L"Gauge Repaint");
    EXPECT_TRUE(WaitFor("the taskbar to repaint with the new title", [&] { return Changed(before, below); }));
    EXPECT_TRUE(ShowsBar(w / 2, kWaitMs));
  }

  // A second start leaves the first bar alone and ends.
  Program second;
  ASSERT_TRUE(second.Start(InstalledProgram(L"GaugeletApp.exe")));
  EXPECT_EQ(0u, second.Wait(kWaitMs));
  EXPECT_EQ(std::vector<HWND>{bar}, Bars());
  EXPECT_EQ(top, FindWindowW(kTopClass, kTopTitle));
  EXPECT_EQ(1u, CountLines(L"Duplicate instance: GL top lvl window found!"));
  EXPECT_TRUE(ShowsBar(w / 2, 0));

  // Stopped as the main program stops it: the bar goes, the taskbar is whole again.
  ASSERT_TRUE(WmCloseWindow(top));
  EXPECT_EQ(0u, app_.Wait(kWaitMs));
  EXPECT_TRUE(Bars().empty());
  EXPECT_TRUE(ShowsBar(0, kWaitMs));

  std::vector<std::wstring> lines = ReadLogLines(kLog);
  ExpectInOrder(lines, {L"Battery meter start.", L"Taskbar 0x", L"WndProcTopLvl::WM_CREATE 0x",
                        L"WinMain::Top level wnd [GAUGELETAPPTOPLVL][GaugeletAppTopLvl] 0x",
                        L"WndProc::WM_CREATE 0x", L"WinMain::Top level wnd [GAUGELETAPP][GaugeletApp] 0x",
                        L"GetBatteryStatus call. [0x", L"GetBatteryStatus refresh done.",
                        L"WinMain::timer on [5000 ms]", L"Battery meter start.",
                        L"Duplicate instance: GL top lvl window found!", L"WndProcTopLvl WM_DESTROY",
                        L"GaugeletApp:WinMain terminate"});
  wchar_t taskbarLine[64];
  swprintf(taskbarLine, 64, L"Taskbar 0x%X width=%d", (unsigned)(UINT_PTR)Taskbar(), w);
  EXPECT_EQ(1u, CountLines(taskbarLine));
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(L"GaugeletApp:WinMain terminate", lines.back());

  // Two starts at the same moment, as the StartUp folder and the main program's start may at boot:
  // one bar, the other copy ends.
  Program one, two;
  ASSERT_TRUE(one.Start(InstalledProgram(L"GaugeletApp.exe")));
  ASSERT_TRUE(two.Start(InstalledProgram(L"GaugeletApp.exe")));
  HWND again = WaitForWindow(kTopClass, kTopTitle);
  ASSERT_NE(nullptr, again);
  EXPECT_TRUE(WaitFor("one of the two copies to end",
                      [&] { return one.Wait(0) != (DWORD)STILL_ACTIVE || two.Wait(0) != (DWORD)STILL_ACTIVE; }));
  // The other copy leaves once the top window shows; the bar follows it a moment later.
  EXPECT_TRUE(WaitFor("the bar", [] { return !Bars().empty(); }));
  EXPECT_EQ(1u, Bars().size());
  ASSERT_TRUE(WmCloseWindow(again));
  EXPECT_EQ(0u, one.Wait(kWaitMs));
  EXPECT_EQ(0u, two.Wait(kWaitMs));
}

// The battery read once a period (5 s): a change shows at the timer's next reading; a reading that
// finds no change repaints nothing. One period is waited for; then the test runs the timer's cycle
// itself (the same reading, at once) for each other change.
TEST_F(GaugeletTest, BarFollowsTheBatteryAndRefreshesOnlyOnAChange) {
  SetBattery(50, 0);
  HWND top = Start();
  ASSERT_NE(nullptr, top);
  int w = TaskbarWidth();
  EXPECT_TRUE(ShowsBar(w / 2, kWaitMs));
  std::vector<HWND> bars = Bars();
  ASSERT_EQ(1u, bars.size());
  // The timer's cycle, run now; done when this returns (the bar's thread reads in between nothing else).
  auto reading = [&] {
    DWORD_PTR done;
    return SendMessageTimeoutW(bars[0], WM_TIMER, 1, 0, SMTO_NORMAL, kWaitMs, &done) != 0;
  };

  // The battery changes from outside: full, within a period of the change, ends in green.
  SetBattery(100, 0);
  EXPECT_TRUE(ShowsBar(w));
  COLORREF end = ScreenShot().Pixel(w - 1, 0);
  EXPECT_EQ(255, GetGValue(end));
  EXPECT_LE(GetRValue(end), 5);
  // A fifth.
  SetBattery(20, 0);
  ASSERT_TRUE(reading());
  EXPECT_TRUE(ShowsBar(w * 20 / 100, kWaitMs));

  // Charging starts, the percent stays: the bar is refreshed all the same, and only then (a reading of
  // the timer meanwhile may be the one).
  size_t refreshes = CountLines(L"GetBatteryStatus refresh done.");
  SetBattery(20, 8);
  ASSERT_TRUE(reading());
  EXPECT_EQ(refreshes + 1, CountLines(L"GetBatteryStatus refresh done."));
  EXPECT_TRUE(ShowsBar(w * 20 / 100, 0));
  // An unknown percent shows a full bar.
  SetBattery(255, 8);
  ASSERT_TRUE(reading());
  EXPECT_TRUE(ShowsBar(w, kWaitMs));
  // The next reading finds nothing new: once it has run to its end, still two refreshes.
  size_t readings = CountLines(L"GetBatteryStatus call.");
  ASSERT_TRUE(reading());
  EXPECT_LT(readings, CountLines(L"GetBatteryStatus call."));
  EXPECT_TRUE(QueueHandled(bars[0]));
  EXPECT_EQ(refreshes + 2, CountLines(L"GetBatteryStatus refresh done.")) << "refreshed without a change";
  EXPECT_TRUE(ShowsBar(w, 0));
  ASSERT_TRUE(WmCloseWindow(top));
  EXPECT_EQ(0u, app_.Wait(kWaitMs));
}

// Turns the screen back however the test ends.
struct Rotation {
  bool turned = false;
  DWORD Run(const wchar_t *how) {
    Program tool;
    if (!tool.Start(L"C:\\windows\\devtool.exe", std::wstring(L"rotate ") + how)) return (DWORD)-1;
    return tool.Wait(20000);
  }
  ~Rotation() {
    if (turned) Run(L"toggle");
  }
};

TEST_F(GaugeletTest, RotationChangesTheLengthAtOnce) {
  SetBattery(75, 1);
  HWND top = Start();
  ASSERT_NE(nullptr, top);
  int w = TaskbarWidth();
  EXPECT_TRUE(ShowsBar(w * 75 / 100, kWaitMs));
  Rotation rotation;
  DWORD turned = rotation.Run(L"toggle");
  if (turned == 3) GTEST_SKIP() << "this screen cannot turn while it runs";
  ASSERT_EQ(0u, turned);
  rotation.turned = true;
  int turnedWidth = ScreenWidth();
  ASSERT_NE(w, turnedWidth);
  ASSERT_TRUE(WaitFor("the taskbar to turn", [&] { return TaskbarWidth() == turnedWidth; }));
  EXPECT_TRUE(ShowsBar(turnedWidth * 75 / 100, kWaitMs));
  std::wstring line = L"WndProcTopLvl WM_SETTINGCHANGE taskbar width=" + std::to_wstring(turnedWidth);
  EXPECT_EQ(1u, CountLines(line));
  // The setting change, not the next reading, moved it: the reading that drew the new length is the
  // one the setting change made.
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  size_t at = 0;
  while (at < lines.size() && lines[at] != line) at++;
  ASSERT_LT(at + 2, lines.size());
  EXPECT_TRUE(StartsWith(lines[at + 1], L"GetBatteryStatus call."));
  EXPECT_EQ(L"GetBatteryStatus refresh done.", lines[at + 2]);

  ASSERT_EQ(0u, rotation.Run(L"toggle"));
  rotation.turned = false;
  ASSERT_TRUE(WaitFor("the taskbar to turn back", [&] { return TaskbarWidth() == w; }));
  EXPECT_TRUE(ShowsBar(w * 75 / 100, kWaitMs));
  ASSERT_TRUE(WmCloseWindow(top));
  EXPECT_EQ(0u, app_.Wait(kWaitMs));
}

}  // namespace
