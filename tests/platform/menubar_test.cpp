#include "wm.h"
#include "testsupport.h"

namespace {

// A full-screen window of this thread that records what reaches it.
struct Recorder {
  std::vector<MSG> seen;
  HWND hwnd = NULL;
};
Recorder *g_rec;

LRESULT CALLBACK RecordProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (g_rec && (msg == WM_COMMAND || msg == WM_HOTKEY || msg == WM_KEYDOWN || msg == WM_KEYUP)) {
    MSG m = {};
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wp;
    m.lParam = lp;
    g_rec->seen.push_back(m);
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_rec = &rec_;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"MenuBarTestWindow";
    RegisterClassW(&wc);
    rec_.hwnd = WmCreateWindow(0, wc.lpszClassName, L"Menu bar test", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, wc.hInstance, NULL);
    ASSERT_NE(nullptr, rec_.hwnd);
    SetForegroundWindow(rec_.hwnd);
    SetFocus(rec_.hwnd);
  }
  void TearDown() override {
    if (IsWindow(rec_.hwnd)) DestroyWindow(rec_.hwnd);
    g_rec = NULL;
  }
  HWND CreateBar(UINT id = 204) {
    SHMENUBARINFO mbi = {};
    mbi.cbSize = sizeof(mbi);
    mbi.hwndParent = rec_.hwnd;
    mbi.nToolBarId = id;
    mbi.hInstRes = GetModuleHandleW(NULL);
    EXPECT_TRUE(SHCreateMenuBar(&mbi));
    return mbi.hwndMB;
  }
  // What the keys and taps lead to is posted to this thread, by this thread: one drain handles it all,
  // what handling posts on the way included.
  void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  int Count(UINT msg, WPARAM wp) {
    int n = 0;
    for (const MSG &m : rec_.seen)
      if (m.message == msg && m.wParam == wp) n++;
    return n;
  }
  void Key(UINT vk) {
    PostMessageW(rec_.hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(rec_.hwnd, WM_KEYUP, vk, 0xC0000001);
    Pump();
  }
  Recorder rec_;
};

TEST_F(MenuBarTest, BarSitsAtTheBottomAndTheOwnerEndsAboveIt) {
  HWND bar = CreateBar();
  ASSERT_NE(nullptr, bar);
  EXPECT_EQ(bar, SHFindMenuBar(rec_.hwnd));
  EXPECT_EQ(nullptr, SHFindMenuBar(bar));
  RECT barRect, owner, work;
  GetWindowRect(bar, &barRect);
  GetWindowRect(rec_.hwnd, &owner);
  WmGetWorkArea(&work);
  int h = WmBarHeight();
  EXPECT_EQ(ScreenHeight() - h, barRect.top);
  EXPECT_EQ(ScreenHeight(), barRect.bottom);
  EXPECT_EQ(0, barRect.left);
  EXPECT_EQ(ScreenWidth(), barRect.right);
  EXPECT_EQ(work.top, owner.top);
  EXPECT_EQ(barRect.top, owner.bottom);
  // The bar goes with its owner.
  DestroyWindow(rec_.hwnd);
  EXPECT_FALSE(IsWindow(bar));
}

TEST_F(MenuBarTest, SoftKeysFromF1AndTapsSendTheLeftCommand) {
  HWND bar = CreateBar();
  Key(VK_F1);
  EXPECT_EQ(1, Count(WM_COMMAND, 30003));
  EXPECT_EQ(0, Count(WM_KEYDOWN, VK_F1));  // the bar takes the key
  RECT rc;
  GetClientRect(bar, &rc);
  LPARAM left = MAKELPARAM(rc.right / 4, rc.bottom / 2);
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, left);
  SendMessageW(bar, WM_LBUTTONUP, 0, left);
  Pump();
  EXPECT_EQ(2, Count(WM_COMMAND, 30003));
  // Pressed on one key, released on the other: nothing.
  SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, left);
  SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(rc.right * 3 / 4, rc.bottom / 2));
  Pump();
  EXPECT_EQ(2, Count(WM_COMMAND, 30003));
}

TEST_F(MenuBarTest, RightKeyOpensThePopupOfTheMenu) {
  CreateBar();
  // Pick the second item of the popup as soon as it shows.
  HANDLE picker = CreateThread(NULL, 0, [](LPVOID) -> DWORD {
    // The popup's window may exist hidden before the menu shows: the shown one takes the keys.
    HWND menu = NULL;
    if (!WaitUntil([&] { return (menu = FindWindowW(L"#32768", NULL)) != NULL && IsWindowVisible(menu); })) return 1;
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    return 0;
  }, NULL, 0, NULL);
  Key(VK_F2);
  WaitForSingleObject(picker, 5000);
  CloseHandle(picker);
  Pump();
  EXPECT_EQ(1, Count(WM_COMMAND, 206));
  EXPECT_EQ(0, Count(WM_COMMAND, 30005));
}

TEST_F(MenuBarTest, BackIsEscapeUntilOverriddenThenAHotKey) {
  HWND bar = CreateBar();
  Key(VK_ESCAPE);
  EXPECT_EQ(1, Count(WM_KEYDOWN, VK_ESCAPE));
  EXPECT_EQ(0, SendMessageW(bar, SHCMBM_OVERRIDEKEY, VK_TBACK,
                            MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, SHMBOF_NODEFAULT | SHMBOF_NOTIFY)));
  rec_.seen.clear();
  Key(VK_ESCAPE);
  EXPECT_EQ(0, Count(WM_KEYDOWN, VK_ESCAPE));
  ASSERT_EQ(2u, rec_.seen.size());
  EXPECT_EQ((UINT)WM_HOTKEY, rec_.seen[0].message);
  EXPECT_EQ((WPARAM)SHMB_HOTKEY_BACK, rec_.seen[0].wParam);
  EXPECT_EQ(MAKELPARAM(0, VK_TBACK), rec_.seen[0].lParam);
  EXPECT_EQ(MAKELPARAM(MOD_KEYUP, VK_TBACK), rec_.seen[1].lParam);
  // Restoring the default returns the old bits.
  EXPECT_EQ(SHMBOF_NODEFAULT | SHMBOF_NOTIFY,
            SendMessageW(bar, SHCMBM_OVERRIDEKEY, VK_TBACK, MAKELPARAM(SHMBOF_NODEFAULT | SHMBOF_NOTIFY, 0)));
  rec_.seen.clear();
  Key(VK_ESCAPE);
  EXPECT_EQ(1, Count(WM_KEYDOWN, VK_ESCAPE));
}

TEST_F(MenuBarTest, BackGoesToTheFocusedEditAsBackspace) {
  CreateBar();
  HWND edit = CreateWindowExW(0, L"EDIT", L"abc", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, rec_.hwnd, NULL,
                              GetModuleHandleW(NULL), NULL);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 3, 3);
  SHSendBackToFocusWindow(WM_HOTKEY, SHMB_HOTKEY_BACK, MAKELPARAM(0, VK_TBACK));
  SHSendBackToFocusWindow(WM_HOTKEY, SHMB_HOTKEY_BACK, MAKELPARAM(MOD_KEYUP, VK_TBACK));
  Pump();
  WCHAR text[16] = L"";
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(L"ab", text);
  // Other hot keys are not Back.
  SHSendBackToFocusWindow(WM_HOTKEY, SHMB_HOTKEY_SOFT1, MAKELPARAM(0, VK_TSOFT1));
  Pump();
  GetWindowTextW(edit, text, 16);
  EXPECT_STREQ(L"ab", text);
}

TEST_F(MenuBarTest, BadResourcesAreRefusedOrCut) {
  SHMENUBARINFO mbi = {};
  mbi.cbSize = sizeof(mbi);
  mbi.hwndParent = rec_.hwnd;
  mbi.nToolBarId = 999;  // no such resource
  mbi.hInstRes = GetModuleHandleW(NULL);
  EXPECT_FALSE(SHCreateMenuBar(&mbi));
  EXPECT_EQ(nullptr, mbi.hwndMB);
  mbi.hwndParent = NULL;
  mbi.nToolBarId = 204;
  EXPECT_FALSE(SHCreateMenuBar(&mbi));
  // Claims nine buttons, holds one: the one is there, F2 does nothing.
  HWND bar = CreateBar(205);
  ASSERT_NE(nullptr, bar);
  Key(VK_F2);
  Key(VK_F1);
  EXPECT_EQ(1, Count(WM_COMMAND, 30003));
}

}  // namespace
