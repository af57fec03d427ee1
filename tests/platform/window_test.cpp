#include "wm.h"
#include "device_profile.h"
#include "testsupport.h"

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(hwnd, msg, wp, lp); }

HWND MakeWindow(DWORD style, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT, int cx = CW_USEDEFAULT,
                int cy = CW_USEDEFAULT) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"WindowTestClass";
  RegisterClassW(&wc);
  return WmCreateWindow(0, wc.lpszClassName, L"Window test", style, x, y, cx, cy, NULL, NULL, wc.hInstance, NULL);
}

TEST(WorkAreaTest, ScreenBelowTheTaskbar) {
  RECT work;
  ASSERT_TRUE(WmGetWorkArea(&work));
  EXPECT_EQ(0, work.left);
  EXPECT_EQ(WmBarHeight(), work.top);
  EXPECT_EQ(ScreenWidth(), work.right);
  EXPECT_EQ(ScreenHeight(), work.bottom);
  EXPECT_FALSE(WmGetWorkArea(NULL));
}

TEST(WindowTest, NoCaptionMeansBorderlessOverTheWorkArea) {
  HWND hwnd = MakeWindow(WS_VISIBLE);
  ASSERT_NE(nullptr, hwnd);
  RECT rc, client, work;
  GetWindowRect(hwnd, &rc);
  GetClientRect(hwnd, &client);
  WmGetWorkArea(&work);
  EXPECT_TRUE(EqualRect(&rc, &work));
  EXPECT_EQ(work.right - work.left, client.right);
  EXPECT_EQ(work.bottom - work.top, client.bottom);
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_STYLE) & WS_POPUP);
  DestroyWindow(hwnd);

  // Explicit positions are kept.
  hwnd = MakeWindow(WS_VISIBLE, 10, 60, 100, 50);
  GetWindowRect(hwnd, &rc);
  EXPECT_EQ(10, rc.left);
  EXPECT_EQ(60, rc.top);
  EXPECT_EQ(100, rc.right - rc.left);
  DestroyWindow(hwnd);
}

TEST(WindowTest, CaptionedWindowsKeepTheirFrame) {
  HWND hwnd = MakeWindow(WS_OVERLAPPEDWINDOW);
  ASSERT_NE(nullptr, hwnd);
  EXPECT_EQ((DWORD)WS_CAPTION, GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION);
  DestroyWindow(hwnd);
}

TEST(WindowTest, ClosingOwnAndForeignWindows) {
  HWND own = MakeWindow(WS_VISIBLE);
  EXPECT_TRUE(WmCloseWindow(own));
  EXPECT_FALSE(IsWindow(own));  // at once, in this thread

  Program helper;
  ASSERT_TRUE(helper.Start(HelperProgram(L"windowhelper.exe"), L"ForeignTestClass Foreign"));
  HWND foreign = WaitForWindow(L"ForeignTestClass", L"Foreign", 10000);
  ASSERT_NE(nullptr, foreign);
  EXPECT_FALSE(DestroyWindow(foreign));  // what the desktop does
  EXPECT_TRUE(WmCloseWindow(foreign));
  EXPECT_TRUE(WaitWindowGone(foreign));
  EXPECT_EQ(7u, helper.Wait(5000));
  EXPECT_FALSE(WmCloseWindow(foreign));
}

TEST(WindowTest, ForegroundWithTheLowBitAndTheTodayScreen) {
  HWND today = WmGetDesktopWindow();
  ASSERT_NE(nullptr, today);
  EXPECT_EQ(today, FindWindowW(DEVICE_TODAY_CLASS, DEVICE_TODAY_TITLE));
  HWND hwnd = MakeWindow(WS_VISIBLE);
  EXPECT_TRUE(WmSetForegroundWindow(today));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == today; }));
  EXPECT_TRUE(WmSetForegroundWindow((HWND)((ULONG_PTR)hwnd | 1)));
  EXPECT_EQ(hwnd, GetForegroundWindow());
  EXPECT_FALSE(WmSetForegroundWindow(NULL));
  DestroyWindow(hwnd);
}

TEST(WindowTest, SettingChangeRefitsAFullScreenWindow) {
  HWND hwnd = MakeWindow(WS_VISIBLE);
  SetWindowPos(hwnd, NULL, 0, 100, 50, 50, SWP_NOZORDER);
  SHACTIVATEINFO sai = {};
  sai.cbSize = sizeof(sai);
  EXPECT_TRUE(SHHandleWMSettingChange(hwnd, 0, 0, &sai));
  RECT rc, work;
  GetWindowRect(hwnd, &rc);
  WmGetWorkArea(&work);
  EXPECT_TRUE(EqualRect(&rc, &work));
  EXPECT_TRUE(SHHandleWMActivate(hwnd, WA_ACTIVE, 0, &sai, 0));
  EXPECT_EQ(1u, sai.fActive);
  EXPECT_TRUE(SHHandleWMActivate(hwnd, WA_INACTIVE, 0, &sai, 0));
  EXPECT_EQ(0u, sai.fActive);
  EXPECT_FALSE(SHHandleWMActivate(hwnd, WA_ACTIVE, 0, NULL, 0));
  DestroyWindow(hwnd);
}

}  // namespace
