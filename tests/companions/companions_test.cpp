// The companion programs' three states (flag, StartUp shortcut, running window) kept in step by the
// main program: switched from this process, and at the real main program's start. Before the close
// button and battery meter programs are installed, a stand-in with their classes and titles takes
// their place in the installation folder.
#include "testsupport.h"
#include "companions/companions.h"
#include "device.h"
#include "paths.h"
#include "settings.h"
#include "../shell/pagemodel.h"
#include "../shell/pagecommands.h"
#include "wm_shell.h"

namespace {

struct CompanionFiles {
  const wchar_t *exe, *cls, *title, *shortcut, *flag;
};
const CompanionFiles kQuitlet = {L"QuitletApp.exe", L"QUITLETAPP", L"QuitletApp", L"QuitletApp.lnk", L"RealQuitlet"};
const CompanionFiles kGaugelet = {L"GaugeletApp.exe", L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl", L"GaugeletApp.lnk",
                                  L"Gaugelet"};
const CompanionFiles kMonitor = {L"VTMonitor.exe", L"VTMONITOR", L"VTMonitor", L"VTMonitor.lnk", nullptr};

std::wstring StartupShortcut(const wchar_t *name) {
  wchar_t folder[MAX_PATH];
  EXPECT_TRUE(WmGetSpecialFolderPath(NULL, folder, CSIDL_STARTUP, TRUE));
  return std::wstring(folder) + L"\\" + name;
}

std::wstring ShortcutTarget(const wchar_t *name) {
  wchar_t target[MAX_PATH] = L"";
  return SHGetShortcutTarget(StartupShortcut(name).c_str(), target, MAX_PATH) ? target : L"";
}

DWORD Flag(const wchar_t *name) {
  DWORD value = 0xDEAD;
  ReadMachineSetting(TEST_PRODUCT_KEY, name, REG_DWORD, &value, sizeof(value));
  return value;
}

void CloseAndWait(const wchar_t *cls, const wchar_t *title) {
  HWND hwnd = FindWindowW(cls, title);
  if (!hwnd) return;
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  WaitWindowGone(hwnd, 5000);
}

class CompanionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    GetModuleFolder(&g_Paths);
    for (const CompanionFiles *c : {&kQuitlet, &kGaugelet}) {
      // A companion another test's main program started may still be closing: it must be gone first.
      CloseAndWait(c->cls, c->title);
      ASSERT_EQ(nullptr, FindWindowW(c->cls, c->title)) << "left running by another test";
      std::wstring installed = InstalledProgram(c->exe);
      if (FileExists(installed)) continue;
      ASSERT_TRUE(CopyFileW(HelperProgram(L"companionhelper.exe").c_str(), installed.c_str(), TRUE));
      standIns_.push_back(installed);
    }
  }
  void TearDown() override {
    for (const CompanionFiles *c : {&kQuitlet, &kGaugelet, &kMonitor}) {
      CloseAndWait(c->cls, c->title);
      RemoveFile(StartupShortcut(c->shortcut));
    }
    for (const std::wstring &file : standIns_) {
      WaitUntil([&] { return DeleteFileW(file.c_str()) || !FileExists(file); }, 5000);
    }
  }
  // The three states agree: flag (when the companion has one), shortcut with the quoted path, window.
  void ExpectInStep(const CompanionFiles &c, bool on) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.exe)) + (on ? " on" : " off"));
    if (c.flag) {
      EXPECT_EQ(on ? 1u : 0u, Flag(c.flag));
    }
    if (on) {
      EXPECT_EQ(L"\"" + InstalledProgram(c.exe) + L"\"", ShortcutTarget(c.shortcut));
      EXPECT_NE(nullptr, WaitForWindow(c.cls, c.title, 10000));
    } else {
      EXPECT_FALSE(FileExists(StartupShortcut(c.shortcut)));
      EXPECT_TRUE(WaitUntil([&] { return !FindWindowW(c.cls, c.title); }, 5000));
    }
  }
  std::vector<std::wstring> standIns_;
  ProductKeyGuard guard_{{L"RealQuitlet", L"Gaugelet", L"EnableDebug"}};
};

// On, off, on for both switchable companions; the monitor control twice, then twice again; enabling a
// program that already runs leaves one copy.
TEST_F(CompanionsTest, FlagShortcutAndWindowStayInStep) {
  SetQuitletEnabled(true);
  ExpectInStep(kQuitlet, true);
  HWND first = FindWindowW(kQuitlet.cls, kQuitlet.title);
  SetQuitletEnabled(false);
  ExpectInStep(kQuitlet, false);
  SetQuitletEnabled(true);
  ExpectInStep(kQuitlet, true);
  EXPECT_NE(first, FindWindowW(kQuitlet.cls, kQuitlet.title)) << "a new copy runs";

  SetGaugeletEnabled(true);
  ExpectInStep(kGaugelet, true);
  SetGaugeletEnabled(true);  // the second copy finds the first and ends
  EXPECT_TRUE(WaitForCopies(kGaugelet.exe, 1));
  int copies = 0;
  for (HWND w = FindWindowW(kGaugelet.cls, kGaugelet.title); w; w = FindWindowExW(NULL, w, kGaugelet.cls, kGaugelet.title))
    copies++;
  EXPECT_EQ(1, copies);
  SetGaugeletEnabled(false);
  ExpectInStep(kGaugelet, false);
  ExpectInStep(kQuitlet, true);  // the other one is not touched

  bool redraw = false;
  ToggleVTMonitor(3, &redraw);  // not running: starts
  EXPECT_TRUE(redraw);
  ExpectInStep(kMonitor, true);
  ToggleVTMonitor(3, &redraw);  // running: stops
  ExpectInStep(kMonitor, false);
  ToggleVTMonitor(3, &redraw);
  ExpectInStep(kMonitor, true);
  EXPECT_EQ(3, g_Pages[PAGE_TASKS].focusedControl);
}

// The real main program's start with the first-run flags (battery meter on, close button off): it
// starts the battery meter, not the close button, and writes the battery meter's flag back.
TEST_F(CompanionsTest, FirstStartRunsTheBatteryMeterOnly) {
  ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora"));
  SetProductDword(L"RealQuitlet", 0);
  SetProductDword(L"Gaugelet", 1);
  SetProductDword(L"EnableDebug", 1);
  const wchar_t log[] = L"C:\\VT.gui.txt";
  RemoveFile(log);
  Program app;
  ASSERT_TRUE(app.Start(InstalledProgram(L"Vantora.exe")));
  HWND main = WaitForWindow(L"VANTORA", L"Vantora", 15000);
  ASSERT_NE(nullptr, main);
  ExpectInStep(kGaugelet, true);
  // The first list, finished after the window, already holds the program itself and the battery meter
  // its start began: nothing new appears at the first refresh.
  std::vector<std::wstring> lines;
  ASSERT_TRUE(WaitUntil([&] {
    lines = ReadLogLines(log);
    for (const std::wstring &l : lines)
      if (l.find(L"GetProcessList paths, icons, levels and CPU loads done") == 0) return true;
    return false;
  }, 15000));
  bool self = false, meter = false;
  for (const std::wstring &l : lines) {
    if (l.find(L"GetProcessList All Tasks (running+db)") == 0) self = meter = false;
    if (l.find(L"][Vantora.exe][running=1]") != std::wstring::npos) self = true;
    if (l.find(L"][GaugeletApp.exe][running=1]") != std::wstring::npos) meter = true;
  }
  EXPECT_TRUE(self);
  EXPECT_TRUE(meter);
  EXPECT_EQ(nullptr, FindWindowW(kQuitlet.cls, kQuitlet.title));
  EXPECT_FALSE(FileExists(StartupShortcut(kQuitlet.shortcut)));
  EXPECT_EQ(0u, Flag(L"RealQuitlet"));
  app.Kill();
}

}  // namespace
