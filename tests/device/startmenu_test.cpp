// The Start menu end to end: the shortcuts the installation made, the menu opened by a tap on Start
// or by the Windows key, a program chosen by a tap or by its letter, and Vantora brought back by it
// after the smart-minimise button sent it behind the Today screen.
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "device_profile.h"
#include "wm.h"
#include "wm_shell.h"
#include "testsupport.h"

namespace {

const wchar_t kPrograms[] = L"C:\\windows\\Start Menu\\Programs";

// A tap at a screen position: the pointer moves there, then presses and lets go. Each event carries
// the position and the shell acts on the press or the release alone, so nothing is held.
void Tap(int x, int y) {
  int width = 0, height = 0;
  WmGetScreenSize(&width, &height);
  DWORD ax = (DWORD)((x * 65536 + 32768) / width), ay = (DWORD)((y * 65536 + 32768) / height);
  mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
  mouse_event(MOUSEEVENTF_LEFTUP | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, ax, ay, 0, 0);
}

void Press(BYTE vk) {
  keybd_event(vk, 0, 0, 0);
  keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
}

struct WindowSearch {
  const wchar_t *cls;
  HWND found;
  int count;
};

BOOL CALLBACK VisitWindow(HWND hwnd, LPARAM lp) {
  WindowSearch *search = (WindowSearch *)lp;
  WCHAR cls[64];
  if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 64) && !lstrcmpW(cls, search->cls)) {
    if (!search->found) search->found = hwnd;
    search->count++;
  }
  return TRUE;
}

WindowSearch Visible(const wchar_t *cls) {
  WindowSearch search = {cls, NULL, 0};
  EnumWindows(VisitWindow, (LPARAM)&search);
  return search;
}

// The open Start menu's window, NULL when it did not open.
HWND WaitForMenu() {
  HWND menu = NULL;
  WaitUntil([&] { return (menu = Visible(L"#32768").found) != NULL; });
  return menu;
}

std::wstring Target(const wchar_t *name) {
  WCHAR target[MAX_PATH] = L"";
  SHGetShortcutTarget((std::wstring(kPrograms) + L"\\" + name + L".lnk").c_str(), target, MAX_PATH);
  return target;
}

TEST(StartMenuTest, TapsAndKeysStartTheInstalledProgramsAndBringVantoraBack) {
  // The installation's shortcuts, in the handheld's text form.
  EXPECT_EQ(L"\"\\Program Files\\Vantora\\Vantora.exe\"", Target(L"Vantora"));
  EXPECT_EQ(L"\\Windows\\fexplore.exe", Target(L"File Explorer"));
  EXPECT_EQ(L"\\Windows\\ctlpnl.exe", Target(L"Settings"));
  EXPECT_EQ(L"iexplore.exe", Target(L"Browser"));
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((std::wstring(kPrograms) + L"\\*.lnk").c_str(), &fd);
  ASSERT_NE(INVALID_HANDLE_VALUE, find);
  do names.push_back(fd.cFileName);
  while (FindNextFileW(find, &fd));
  FindClose(find);
  std::sort(names.begin(), names.end(), [](const std::wstring &a, const std::wstring &b) {
    return lstrcmpiW(a.c_str(), b.c_str()) < 0;
  });
  ASSERT_EQ(L"Vantora.lnk", names.back()) << "the menu's last program";

  ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora")) << "a Vantora of another test is still running";
  Program vantora;
  ASSERT_TRUE(vantora.Start(InstalledProgram(L"Vantora.exe")));
  HWND hwnd = WaitForWindow(L"VANTORA", L"Vantora", 15000);
  ASSERT_NE(nullptr, hwnd);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == hwnd; }));
  int width = 0, height = 0, bar = WmBarHeight();
  WmGetScreenSize(&width, &height);

  // Smart minimise: Vantora goes behind the Today screen.
  HWND today = FindWindowW(DEVICE_TODAY_CLASS, DEVICE_TODAY_TITLE);
  Tap(width - bar / 2, bar / 2);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == today; }));

  // Start opens the menu below the taskbar; a tap on its last row brings the running Vantora back
  // (its second copy hands over and ends).
  Tap(bar / 2, bar / 2);
  HWND menu = WaitForMenu();
  ASSERT_NE(nullptr, menu);
  RECT rc;
  GetWindowRect(menu, &rc);
  EXPECT_EQ(bar, rc.top);
  EXPECT_EQ(0, rc.left);
  EXPECT_GT(rc.bottom - rc.top, bar * 3) << "Today and the programs";
  Tap((rc.left + rc.right) / 2, rc.bottom - 6);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(menu); }));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == hwnd; }, 10000));
  // The copy the tap started has handed over (the first is in front): it ends.
  EXPECT_TRUE(WaitForCopies(L"Vantora.exe", 1));
  EXPECT_EQ(1, Visible(L"VANTORA").count);
  EXPECT_EQ(STILL_ACTIVE, vantora.Wait(0));

  // The Windows key opens it too; Back (Escape) closes it and the user is where he was.
  Press(VK_LWIN);
  menu = WaitForMenu();
  ASSERT_NE(nullptr, menu);
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !Visible(L"#32768").found; }));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == hwnd; }));

  // A program's first letter starts it.
  Press(VK_LWIN);
  ASSERT_NE(nullptr, WaitForMenu());
  Press('F');
  HWND explorer = WaitForWindow(L"VTFileExplorer", NULL, 10000);
  EXPECT_NE(nullptr, explorer);
  if (explorer) PostMessageW(explorer, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitWindowGone(explorer));
  PostMessageW(hwnd, WM_COMMAND, 30003, 0);  // OK ends Vantora
  EXPECT_EQ(0u, vantora.Wait(10000));
}

}  // namespace
