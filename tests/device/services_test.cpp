// The device's services as the programs reach them: storage cards, battery, object store, rotation,
// Today and the foreground window, the shell programs and the off key.
#include "device.h"
#include "device_profile.h"
#include "wm.h"
#include "wm_process.h"
#include "wm_shell.h"
#include "testsupport.h"

namespace {

// A device profile value a test changes, restored afterwards.
class ProfileValueGuard {
 public:
  explicit ProfileValueGuard(const wchar_t *name) : name_(name), data_(4096) {
    DWORD size = (DWORD)data_.size();
    present_ = RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, RRF_RT_ANY | RRF_NOEXPAND, &type_,
                            data_.data(), &size) == ERROR_SUCCESS;
    data_.resize(present_ ? size : 0);
  }
  ~ProfileValueGuard() {
    if (present_)
      RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name_, type_, data_.data(), (DWORD)data_.size());
    else
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name_);
  }
 private:
  const wchar_t *name_;
  std::vector<BYTE> data_;
  DWORD type_ = 0;
  bool present_ = false;
};

void SetProfile(const wchar_t *name, DWORD type, const void *data, DWORD size) {
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, type, data, size));
}
void SetCards(const wchar_t *multi, size_t chars) {
  SetProfile(DEVICE_PROFILE_CARDS, REG_MULTI_SZ, multi, (DWORD)(chars * sizeof(wchar_t)));
}
void SetProfileDword(const wchar_t *name, DWORD value) { SetProfile(name, REG_DWORD, &value, sizeof(value)); }

std::vector<std::wstring> Cards() {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFlashCard(&fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(fd.cFileName);
    EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  } while (FindNextFlashCard(find, &fd));
  EXPECT_EQ((DWORD)ERROR_NO_MORE_FILES, GetLastError());
  EXPECT_TRUE(FindClose(find));
  return names;
}

class CardsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateDirectoryW(L"C:\\VT SD Card", NULL);
    CreateDirectoryW(L"C:\\VT Storage Card", NULL);
  }
  void TearDown() override {
    RemoveDirectoryW(L"C:\\VT SD Card");
    RemoveDirectoryW(L"C:\\VT Storage Card");
  }
  ProfileValueGuard guard_{DEVICE_PROFILE_CARDS};
};

TEST_F(CardsTest, EnumeratedInTheProfilesOrder) {
  SetCards(L"VT SD Card\0VT Storage Card\0", 27);
  EXPECT_EQ((std::vector<std::wstring>{L"VT SD Card", L"VT Storage Card"}), Cards());
  SetCards(L"VT Storage Card\0VT SD Card\0", 27);
  EXPECT_EQ((std::vector<std::wstring>{L"VT Storage Card", L"VT SD Card"}), Cards());
  // A card whose folder is missing, and names that are no folder of the root, are left out.
  SetCards(L"VT Gone Card\0..\0C:\\x\0*\0VT SD Card\0", 36);
  EXPECT_EQ((std::vector<std::wstring>{L"VT SD Card"}), Cards());
}

TEST_F(CardsTest, NoCardsGiveTheInvalidHandle) {
  WIN32_FIND_DATAW fd;
  for (int variant = 0; variant < 3; variant++) {
    if (variant == 0) RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_CARDS);
    if (variant == 1) SetCards(L"\0", 1);
    if (variant == 2) SetProfile(DEVICE_PROFILE_CARDS, REG_SZ, L"VT SD Card", 22);  // wrong type
    SetLastError(0);
    EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFlashCard(&fd)) << variant;
    EXPECT_EQ((DWORD)ERROR_NO_MORE_FILES, GetLastError()) << variant;
  }
  EXPECT_EQ(INVALID_HANDLE_VALUE, FindFirstFlashCard(NULL));
  EXPECT_FALSE(FindNextFlashCard(INVALID_HANDLE_VALUE, &fd));
}

TEST_F(CardsTest, TwoEnumerationsKeepTheirOwnPlace) {
  SetCards(L"VT SD Card\0VT Storage Card\0", 27);
  WIN32_FIND_DATAW a, b;
  HANDLE first = FindFirstFlashCard(&a), second = FindFirstFlashCard(&b);
  ASSERT_NE(INVALID_HANDLE_VALUE, first);
  ASSERT_NE(INVALID_HANDLE_VALUE, second);
  ASSERT_TRUE(FindNextFlashCard(first, &a));
  EXPECT_STREQ(L"VT Storage Card", a.cFileName);
  ASSERT_TRUE(FindNextFlashCard(second, &b));
  EXPECT_STREQ(L"VT Storage Card", b.cFileName);
  EXPECT_FALSE(FindNextFlashCard(first, &a));
  FindClose(first);
  FindClose(second);
}

class PowerTest : public ::testing::Test {
 protected:
  ProfileValueGuard percent_{DEVICE_PROFILE_BATTERY_PERCENT};
  ProfileValueGuard flag_{DEVICE_PROFILE_BATTERY_FLAG};
};

TEST_F(PowerTest, SimulatedBatteryReadsBack) {
  SetProfileDword(DEVICE_PROFILE_BATTERY_PERCENT, 50);
  SetProfileDword(DEVICE_PROFILE_BATTERY_FLAG, 8);
  SYSTEM_POWER_STATUS_EX2 s;
  memset(&s, 0xAA, sizeof(s));
  ASSERT_EQ(sizeof(s), GetSystemPowerStatusEx2(&s, sizeof(s), FALSE));
  EXPECT_EQ(50, s.BatteryLifePercent);
  EXPECT_EQ(8, s.BatteryFlag);
  EXPECT_EQ(AC_LINE_ONLINE, s.ACLineStatus);  // charging
  EXPECT_EQ(BATTERY_PERCENTAGE_UNKNOWN, s.BackupBatteryLifePercent);
  // Changes are seen at the next reading; the 24-byte record of the older call is filled alone.
  SetProfileDword(DEVICE_PROFILE_BATTERY_PERCENT, 7);
  SetProfileDword(DEVICE_PROFILE_BATTERY_FLAG, 4);
  BYTE record[32];
  memset(record, 0xAA, sizeof(record));
  ASSERT_EQ(24u, GetSystemPowerStatusEx2((PSYSTEM_POWER_STATUS_EX2)record, 24, FALSE));
  EXPECT_EQ(AC_LINE_OFFLINE, record[0]);
  EXPECT_EQ(4, record[1]);
  EXPECT_EQ(7, record[2]);
  EXPECT_EQ(0xAA, record[24]);
  SYSTEM_POWER_STATUS_EX ex;
  ASSERT_TRUE(GetSystemPowerStatusEx(&ex, TRUE));
  EXPECT_EQ(7, ex.BatteryLifePercent);
}

TEST_F(PowerTest, BadValuesAndTheHostsBattery) {
  SYSTEM_POWER_STATUS_EX2 s;
  SetProfileDword(DEVICE_PROFILE_BATTERY_PERCENT, 300);
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_BATTERY_FLAG);
  ASSERT_EQ(sizeof(s), GetSystemPowerStatusEx2(&s, sizeof(s), FALSE));
  EXPECT_EQ(BATTERY_PERCENTAGE_UNKNOWN, s.BatteryLifePercent);
  EXPECT_EQ(0, s.BatteryFlag);
  // A value of the wrong type is no simulated battery: the host's is read.
  SetProfile(DEVICE_PROFILE_BATTERY_PERCENT, REG_SZ, L"50", 6);
  SYSTEM_POWER_STATUS host;
  ASSERT_TRUE(GetSystemPowerStatus(&host));
  ASSERT_EQ(sizeof(s), GetSystemPowerStatusEx2(&s, sizeof(s), TRUE));
  EXPECT_EQ(host.BatteryLifePercent, s.BatteryLifePercent);
  EXPECT_EQ(host.BatteryFlag, s.BatteryFlag);
  EXPECT_EQ(host.ACLineStatus, s.ACLineStatus);
  EXPECT_EQ(0u, GetSystemPowerStatusEx2(NULL, sizeof(s), FALSE));
  EXPECT_EQ(0u, GetSystemPowerStatusEx2(&s, 0, FALSE));
}

TEST(StoreTest, TheRootVolumeAndMemory) {
  STORE_INFORMATION store = {};
  ASSERT_TRUE(GetStoreInformation(&store));
  EXPECT_GT(store.dwStoreSize, 0u);
  EXPECT_LE(store.dwFreeSize, store.dwStoreSize);
  EXPECT_FALSE(GetStoreInformation(NULL));
  MEMORYSTATUS memory = {};
  WmGlobalMemoryStatus(&memory);
  EXPECT_GT(memory.dwTotalPhys, memory.dwAvailPhys);
}

// A window of the test's own that counts the setting changes it hears of.
int g_SettingChanges = 0;
WPARAM g_SettingWParam = 0;
LRESULT CALLBACK CountingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SETTINGCHANGE) {
    g_SettingChanges++;
    g_SettingWParam = wp;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Runs a device tool while this thread keeps answering messages.
DWORD RunPumping(const std::wstring &cmdline) {
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  std::wstring cmd = cmdline;
  if (!CreateProcessW(NULL, &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return (DWORD)-1;
  CloseHandle(pi.hThread);
  DWORD start = GetTickCount();
  while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 100, QS_ALLINPUT) != WAIT_OBJECT_0 &&
         GetTickCount() - start < 20000) {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  DWORD code = (DWORD)-1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  return code;
}

TEST(RotationTest, ScreenTurnsAndEveryWindowHearsOfIt) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = CountingProc;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"VTRotationProbe";
  RegisterClassW(&wc);
  HWND probe = CreateWindowExW(0, wc.lpszClassName, L"probe", WS_POPUP, 0, 0, 10, 10, NULL, NULL, wc.hInstance, NULL);
  ASSERT_NE(nullptr, probe);
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  DWORD turned = RunPumping(L"C:\\windows\\devtool.exe rotate toggle");
  if (turned == 3) {
    DestroyWindow(probe);
    GTEST_SKIP() << "this device's screen cannot turn while it runs";
  }
  ASSERT_EQ(0u, turned);
  EXPECT_EQ(h, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(w, GetSystemMetrics(SM_CYSCREEN));
  EXPECT_EQ(1, g_SettingChanges);
  EXPECT_EQ((WPARAM)0x3002, g_SettingWParam);
  int sw, sh;
  GetScreenSize(&sw, &sh);
  EXPECT_EQ(h, sw);
  // The taskbar follows, and the work area below it.
  RECT bar = {}, work = {};
  EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(FindTaskbarWindow(), &bar) && bar.right - bar.left == h; }));
  ASSERT_TRUE(WmGetWorkArea(&work));
  EXPECT_EQ(h, work.right);
  EXPECT_EQ(w, work.bottom);
  EXPECT_EQ(bar.bottom, work.top);
  // And back; asking for the orientation the screen has changes nothing.
  ASSERT_EQ(0u, RunPumping(w < h ? L"C:\\windows\\devtool.exe rotate portrait"
                                  : L"C:\\windows\\devtool.exe rotate landscape"));
  EXPECT_EQ(w, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(2, g_SettingChanges);
  ASSERT_EQ(0u, RunPumping(L"C:\\windows\\devtool.exe rotate " + std::to_wstring(w) + L"x" + std::to_wstring(h)));
  EXPECT_EQ(2, g_SettingChanges);
  EXPECT_TRUE(WaitUntil([&] { return GetWindowRect(FindTaskbarWindow(), &bar) && bar.right - bar.left == w; }));
  EXPECT_EQ(2u, RunPumping(L"C:\\windows\\devtool.exe rotate sideways"));
  DestroyWindow(probe);
  // The next test finds the device settled: the emulator's desktop and the Today screen have their old
  // size again (the desktop follows the turn a moment later and may take the foreground meanwhile).
  EXPECT_TRUE(WaitUntil([&] {
    RECT desktop, today;
    return GetWindowRect(GetDesktopWindow(), &desktop) && desktop.right - desktop.left == w &&
           desktop.bottom - desktop.top == h && GetWindowRect(WmGetDesktopWindow(), &today) &&
           today.right - today.left == w && today.bottom == h;
  }));
}

HWND ShownByTaskbar() { return (HWND)GetPropW(FindTaskbarWindow(), DEVICE_SHOWN_WINDOW_PROP); }

TEST(TodayTest, TodayComesForwardAndTheTaskbarShowsTheForegroundWindow) {
  HWND today = WmGetDesktopWindow();
  ASSERT_NE(nullptr, today);
  wchar_t cls[64];
  GetClassNameW(today, cls, 64);
  EXPECT_STREQ(DEVICE_TODAY_CLASS, cls);
  Program helper;
  ASSERT_TRUE(helper.Start(L"C:\\windows\\ctlpnl.exe", L"cplmain.cpl,12"));
  HWND panel = WaitForWindow(L"VTControlPanel", L"Screen", 10000);
  ASSERT_NE(nullptr, panel);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == panel && ShownByTaskbar() == panel; }));
  // The panel has finished coming up (its own activation could otherwise land after the Today screen's).
  WaitForInputIdle(helper.process, 5000);
  ASSERT_TRUE(WmSetForegroundWindow(today));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == today && ShownByTaskbar() == today; }));
  WmCloseWindow(panel);
  EXPECT_EQ(0u, helper.Wait(5000));
}

struct ShellProgramCase {
  const wchar_t *file, *args, *cls, *title;
};

TEST(ShellProgramsTest, StartedByNameThroughTheShell) {
  std::wstring help = InstallFolder() + L"\\help.html";
  std::wstring page = MakeTempFolder(L"page") + L"\\page.html";
  const char html[] = "<html><head><title>Probe &amp; Page</title></head><body><p>First</p><p>Second</p></body></html>";
  ASSERT_TRUE(WriteFileBytes(page, html, sizeof(html) - 1));
  ShellProgramCase cases[] = {
      {L"iexplore.exe", page.c_str(), L"VTBrowser", L"Probe & Page"},
      {L"\\windows\\fexplore.exe", NULL, L"VTFileExplorer", L"File Explorer"},
      {L"\\windows\\ctlpnl.exe", L"cplmain.cpl,4,2", L"VTControlPanel", L"Device Information"},
      {L"\\windows\\ctlpnl.exe", L"cplmain.cpl,10", L"VTControlPanel", L"Settings"},
      {L"\\windows\\ctlpnl.exe", L"nonsense,99", L"VTControlPanel", L"Settings"},
  };
  for (const ShellProgramCase &c : cases) {
    ASSERT_EQ(1, RunProgram(c.file, c.args)) << c.file;
    HWND hwnd = WaitForWindow(c.cls, c.title, 10000);
    if (!hwnd) {
      ADD_FAILURE() << "no window of " << c.file << L" " << (c.args ? c.args : L"");
      // Whatever came up must not outlive the test.
      while (HWND other = FindWindowW(c.cls, NULL)) {
        WmCloseWindow(other);
        WaitWindowGone(other);
      }
      continue;
    }
    RECT rc, work;
    GetWindowRect(hwnd, &rc);
    WmGetWorkArea(&work);
    EXPECT_EQ(work.top, rc.top) << c.cls;
    // The page's text comes up just after the window.
    wchar_t text[512] = L"";
    auto shows = [&](const wchar_t *part) {
      return WaitUntil([&] {
        DWORD_PTR got = 0;
        return SendMessageTimeoutW(GetWindow(hwnd, GW_CHILD), WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 1000,
                                   &got) && wcsstr(text, part);
      });
    };
    if (!lstrcmpW(c.cls, L"VTBrowser")) {
      EXPECT_TRUE(shows(L"Second"));
      EXPECT_STREQ(L"First\r\n\r\nSecond\r\n", text);  // paragraphs stand apart
    }
    if (!lstrcmpW(c.title, L"Device Information")) {
      EXPECT_TRUE(shows(L"[Memory and Storage]")) << text;
      EXPECT_NE(nullptr, wcsstr(text, L"Storage memory")) << text;
    }
    WmCloseWindow(hwnd);
    EXPECT_TRUE(WaitWindowGone(hwnd));
  }
  EXPECT_EQ(0, RunProgram(L"\\windows\\no-such-program.exe", NULL));
  EXPECT_TRUE(FileExists(help));
}

TEST(OffKeyTest, SleepsUntilTheNextKeyOrTap) {
  auto asleep = [] {
    HWND dark = FindWindowW(DEVICE_SLEEP_CLASS, NULL);
    return dark && IsWindowVisible(dark);
  };
  ASSERT_FALSE(asleep());
  keybd_event(223, 0, 0, 0);
  keybd_event(223, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(WaitFor("the off key to darken the screen", asleep));
  // Dark over the taskbar and the rest, once the dark window has painted.
  RepaintNow(FindWindowW(DEVICE_SLEEP_CLASS, NULL));
  EXPECT_TRUE(WaitFor("a dark screen", [] {
    ScreenShot shot;
    return shot.Pixel(shot.width() / 2, 5) == RGB(0, 0, 0) &&
           shot.Pixel(shot.width() / 2, shot.height() / 2) == RGB(0, 0, 0);
  }));
  keybd_event(VK_SHIFT, 0, 0, 0);
  keybd_event(VK_SHIFT, 0, KEYEVENTF_KEYUP, 0);
  EXPECT_TRUE(WaitFor("the screen to wake", [&] { return !asleep(); }));
  // Asleep again; a tap wakes it.
  keybd_event(223, 0, 0, 0);
  keybd_event(223, 0, KEYEVENTF_KEYUP, 0);
  ASSERT_TRUE(WaitFor("the off key to darken the screen", asleep));
  SetCursorPos(ScreenWidth() / 2, ScreenHeight() / 2);
  mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
  EXPECT_TRUE(WaitFor("the screen to wake", [&] { return !asleep(); }));
}

}  // namespace
