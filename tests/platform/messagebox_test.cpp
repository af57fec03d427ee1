#include "wm.h"
#include "testsupport.h"

namespace {

struct BoxSearch {
  DWORD processId;
  HWND box;
};

BOOL CALLBACK FindBox(HWND hwnd, LPARAM param) {
  BoxSearch *s = (BoxSearch *)param;
  WCHAR cls[16] = L"", title[16] = L"";
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  GetWindowTextW(hwnd, title, ARRAYSIZE(title));
  if (pid != s->processId || lstrcmpW(cls, L"#32770") || lstrcmpW(title, L"Vantora") || !IsWindowVisible(hwnd))
    return TRUE;
  s->box = hwnd;
  return FALSE;
}

bool Inside(const RECT &inner, const RECT &outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

std::wstring Describe(const RECT &rc) {
  return std::to_wstring(rc.left) + L"," + std::to_wstring(rc.top) + L" - " + std::to_wstring(rc.right) + L"," +
         std::to_wstring(rc.bottom);
}

}  // namespace

// A question with a long text, over the program's window and without an owner, a short one and one
// taller than the screen: every box lies inside the work area (the taskbar stays visible), its text,
// icon and buttons inside the box, the text above the buttons, and the answer given reaches the program.
TEST(MessageBoxTest, EveryBoxLiesInsideTheScreenWithItsTextAndButtons) {
  const wchar_t *longText =
      L"All running applications will be closed now and the memory they use given back to the device. "
      L"Unsaved work in them is lost. Do you want to close all applications?";
  struct Case {
    const wchar_t *owner;
    const wchar_t *text;
  } cases[] = {{L"none", longText}, {L"owner", longText}, {L"owner", L"Close it?"}, {L"none", L"tall"}};
  RECT work;
  ASSERT_TRUE(WmGetWorkArea(&work));
  for (const Case &c : cases) {
    SCOPED_TRACE(std::wstring(c.owner) + L": " + c.text);
    Program helper;
    ASSERT_TRUE(helper.Start(HelperProgram(L"boxhelper.exe"), std::wstring(c.owner) + L" \"" + c.text + L"\""));
    BoxSearch s = {helper.id, NULL};
    ASSERT_TRUE(WaitUntil([&] { s.box = NULL; EnumWindows(FindBox, (LPARAM)&s); return s.box != NULL; }, 10000));
    RECT box, client;
    GetWindowRect(s.box, &box);
    GetClientRect(s.box, &client);
    MapWindowPoints(s.box, NULL, (POINT *)&client, 2);
    EXPECT_TRUE(Inside(box, work)) << Describe(box) << L" not inside " << Describe(work);

    HWND text = GetDlgItem(s.box, 0xFFFF), yes = GetDlgItem(s.box, IDYES), no = GetDlgItem(s.box, IDNO);
    ASSERT_TRUE(text && yes && no);
    WCHAR shown[512] = L"";
    GetWindowTextW(text, shown, ARRAYSIZE(shown));
    if (lstrcmpW(c.text, L"tall")) {
      EXPECT_STREQ(c.text, shown);
    }
    RECT textRc, yesRc, noRc;
    GetWindowRect(text, &textRc);
    GetWindowRect(yes, &yesRc);
    GetWindowRect(no, &noRc);
    EXPECT_TRUE(Inside(textRc, client)) << Describe(textRc) << L" not inside " << Describe(client);
    EXPECT_TRUE(Inside(yesRc, client)) << Describe(yesRc);
    EXPECT_TRUE(Inside(noRc, client)) << Describe(noRc);
    EXPECT_LE(textRc.bottom, yesRc.top);
    EXPECT_LE(yesRc.right, noRc.left);
    HWND icon = GetDlgItem(s.box, 1088);
    if (icon) {
      RECT iconRc;
      GetWindowRect(icon, &iconRc);
      EXPECT_TRUE(Inside(iconRc, client)) << Describe(iconRc);
      EXPECT_LE(iconRc.right, textRc.left);
    }

    PostMessageW(s.box, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), (LPARAM)no);
    EXPECT_EQ((DWORD)IDNO, helper.Wait(10000));
  }
}
