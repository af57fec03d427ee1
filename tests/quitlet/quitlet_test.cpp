// The close button end to end: QuitletApp started in the device, driven by real taps on its button
// and keys in its menus, checked by the windows and processes it leaves, its debug log and the pixels
// of the screen.
#include "testsupport.h"
#include "device_profile.h"
#include <tlhelp32.h>
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const wchar_t kLog[] = L"C:\\VT.ql.txt";
const wchar_t kMain[] = L"QUITLETAPP";
const wchar_t kButton[] = L"Quitlet.main_wnd";
const wchar_t kHelperClass[] = L"QlTestWindow";

int Factor() { return ScreenHeight() >= 440 ? 2 : 1; }
int FactorX() { return ScreenWidth() >= 440 ? 2 : 1; }

HWND Taskbar() { return FindWindowW(L"HHTaskbar", L""); }
HWND Today() { return FindWindowW(L"DesktopExplorerWindow", L"Desktop"); }
HWND Button() { return FindWindowExW(Taskbar(), NULL, kButton, L"QL"); }

int CountLinesEnding(const std::wstring &suffix) {
  int n = 0;
  for (const std::wstring &l : ReadLogLines(kLog))
    if (l.size() >= suffix.size() && l.compare(l.size() - suffix.size(), suffix.size(), suffix) == 0) n++;
  return n;
}
bool HasLine(const std::wstring &prefix) { return CountLogLines(kLog, prefix) > 0; }
int CountLines(const std::wstring &prefix) { return CountLogLines(kLog, prefix); }

// ---- Real input ----

// Stylus input comes from the device's display itself (the host's X input tool, started from inside
// the device), exactly as a tap on the screen: the window under the point gets it by the window
// system's own routing, across programs.
void Xdo(const std::wstring &args) {
  Program tool;
  ASSERT_TRUE(tool.Start(L"Z:\\usr\\bin\\xdotool", args));
  tool.Wait(kWaitMs);
}
std::wstring At(POINT p) { return L"mousemove " + std::to_wstring(p.x) + L" " + std::to_wstring(p.y); }
void StylusDown(POINT p) { Xdo(At(p) + L" mousedown 1"); }
void StylusUp() { Xdo(L"mouseup 1"); }
void Tap(POINT p) { Xdo(At(p) + L" click 1"); }
void Key(BYTE vk) {
  keybd_event(vk, 0, 0, 0);
  keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
  // The window in front (an open menu's owner) has handled the key before the test looks or types on.
  QueueHandled(GetForegroundWindow());
}
void Keys(BYTE vk, int times) {
  for (int i = 0; i < times; i++) Key(vk);
}

POINT ButtonCentre() {
  RECT rc = {};
  GetWindowRect(Button(), &rc);
  return {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
}

// The visible pop-up menu windows, topmost first.
std::vector<HWND> MenuWindows() {
  std::vector<HWND> found;
  EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
    wchar_t cls[32];
    if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 32) && !wcscmp(cls, L"#32768"))
      ((std::vector<HWND> *)param)->push_back(hwnd);
    return TRUE;
  }, (LPARAM)&found);
  return found;
}
bool MenuOpen() { return !MenuWindows().empty(); }

// Tap and hold on the button: the menu comes while the stylus is still down.
bool HoldForMenu() {
  StylusDown(ButtonCentre());
  bool shown = WaitUntil(MenuOpen);
  StylusUp();
  // The menu stays after the stylus is lifted: the lift has been handled when this looks.
  QueueHandled(GetForegroundWindow());
  return shown && MenuOpen();
}

void CloseMenus() {
  for (int i = 0; i < 4 && MenuOpen(); i++) Key(VK_ESCAPE);
  WaitUntil([] { return !MenuOpen(); });
}

bool SelectedRow(const ScreenShot &s, HWND menu, RECT *row);

// Main menu order: mode submenu, separator, minimise, close app, close all, close all but this,
// separator, switch submenu, close submenu, separator, system submenu. Down from nothing selects the
// first item; separators are skipped. Returns the submenu's window, its first entry selected.
HWND OpenSubmenu(int downs) {
  std::vector<HWND> before = MenuWindows();
  Keys(VK_DOWN, downs);
  Key(VK_RIGHT);
  HWND sub = NULL;
  WaitUntil([&] {
    for (HWND m : MenuWindows())
      if (std::find(before.begin(), before.end(), m) == before.end()) sub = m;
    return sub != NULL;
  });
  // A submenu opened by the keyboard comes with its first entry selected.
  RECT row;
  RECT area = {};
  if (sub) GetWindowRect(sub, &area);
  if (sub && !WaitUntil([&] { return SelectedRow(ScreenShot(area), sub, &row); })) {
    ADD_FAILURE() << "the submenu opened with no entry selected";
    return NULL;
  }
  return sub;
}

void ChooseMode(int mode) {
  ASSERT_TRUE(HoldForMenu());
  OpenSubmenu(1);
  Keys(VK_DOWN, mode);
  Key(VK_RETURN);
  EXPECT_TRUE(WaitForLogLine(kLog, L"Mode [" + std::to_wstring(mode) + L"]"));
  WaitUntil([] { return !MenuOpen(); });
}

// Opens the menu by tap-and-hold and chooses an entry of the main menu, "downs" entries down from the
// first (see OpenSubmenu).
void ChooseFromMainMenu(int downs) {
  ASSERT_TRUE(HoldForMenu());
  Keys(VK_DOWN, downs);
  Key(VK_RETURN);
  WaitUntil([] { return !MenuOpen(); });
}

// ---- Message boxes ----

// The visible message box of a process, NULL when it shows none; count gets how many it shows.
HWND BoxOf(DWORD processId, int *count = nullptr) {
  struct Ctx { DWORD pid; HWND found; int count; } ctx = {processId, NULL, 0};
  EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
    Ctx *c = (Ctx *)param;
    wchar_t cls[16] = L"";
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid && IsWindowVisible(hwnd) && GetClassNameW(hwnd, cls, 16) && !wcscmp(cls, L"#32770")) {
      if (!c->found) c->found = hwnd;
      c->count++;
    }
    return TRUE;
  }, (LPARAM)&ctx);
  if (count) *count = ctx.count;
  return ctx.found;
}

std::wstring BoxText(HWND box) {
  wchar_t text[512] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 512);
  return text;
}

// Presses a button of the box, as a tap on it does.
void Answer(HWND box, int button) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  EXPECT_TRUE(WaitWindowGone(box));
}

// ---- Screen checks ----

// Pixels of the button that are of the product's purple.
int PurplePixels(const ScreenShot &s, const RECT &rc) {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; y++)
    for (int x = rc.left; x < rc.right; x++) {
      COLORREF c = s.Pixel(x, y);
      if (GetRValue(c) > GetGValue(c) + 40 && GetBValue(c) > GetGValue(c) + 40) n++;
    }
  return n;
}

std::vector<COLORREF> Grab(const ScreenShot &s, const RECT &rc) {
  std::vector<COLORREF> out;
  for (int y = rc.top; y < rc.bottom; y++)
    for (int x = rc.left; x < rc.right; x++) out.push_back(s.Pixel(x, y));
  return out;
}

// The highlighted entry of the topmost menu, as the menu drew it: its item rectangle on the screen.
bool SelectedRow(const ScreenShot &s, HWND menu, RECT *row) {
  RECT m;
  GetWindowRect(menu, &m);
  COLORREF sel = GetSysColor(COLOR_ACTIVECAPTION);
  int x = (m.left + m.right) / 2, top = -1, bottom = -1;
  for (int y = m.top; y < m.bottom; y++) {
    if (s.Pixel(x, y) == sel || s.Pixel(m.right - 6, y) == sel) {
      if (top < 0) top = y;
      bottom = y + 1;
    } else if (top >= 0) {
      break;
    }
  }
  if (top < 0) return false;
  int left = m.left, right = m.right;
  while (left < m.right && s.Pixel(left, top) != sel) left++;
  while (right > left && s.Pixel(right - 1, top) != sel) right--;
  SetRect(row, left, top, right, bottom);
  return right > left;
}

// An entry's text as the menu draws a selected item, rendered here with the same font and colours.
class EntryRendering {
 public:
  EntryRendering(int w, int h, const std::wstring &text) : w_(w), h_(h), textLeft_(20 * Factor()) {
    HDC screen = GetDC(NULL);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    ReleaseDC(NULL, screen);
    HGDIOBJ old = SelectObject(mem, bmp);
    RECT all = {0, 0, w, h};
    HBRUSH fill = CreateSolidBrush(GetSysColor(COLOR_ACTIVECAPTION));
    FillRect(mem, &all, fill);
    DeleteObject(fill);
    LOGFONTW lf = {};
    lf.lfHeight = 14 * Factor();
    lf.lfWeight = 100;
    wcscpy(lf.lfFaceName, L"tahoma");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ oldFont = SelectObject(mem, font);
    SetBkMode(mem, TRANSPARENT);
    SetTextColor(mem, GetSysColor(COLOR_WINDOW));
    RECT textRc = {textLeft_, 0, w, h};
    DrawTextW(mem, text.c_str(), -1, &textRc, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    GdiFlush();
    SelectObject(mem, oldFont);
    DeleteObject(font);
    // Kept as plain colours: a menu is read entry by entry against every other entry's text.
    const DWORD *px = (const DWORD *)bits;
    for (int i = 0; i < w * h; i++) px_.push_back(RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF));
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
  }
  // Share of the text area's pixels equal to the screen's, the screen's row moved by (dx, dy): the
  // row as grabbed by RowPixels, kMargin pixels around it.
  static const int kMargin = 2;
  static std::vector<COLORREF> RowPixels(const ScreenShot &s, const RECT &row) {
    return Grab(s, {row.left - kMargin, row.top - kMargin, row.right + kMargin, row.bottom + kMargin});
  }
  double Match(const std::vector<COLORREF> &around, int dx, int dy) const {
    int same = 0, total = 0, stride = w_ + 2 * kMargin;
    for (int y = 0; y < h_; y++) {
      const COLORREF *on = &around[(size_t)(y + kMargin + dy) * stride + kMargin + dx];
      for (int x = textLeft_; x < w_; x++) {
        total++;
        if (px_[(size_t)y * w_ + x] == on[x]) same++;
      }
    }
    return total ? (double)same / total : 0;
  }
 private:
  int w_, h_;
  // Where the text begins: the screen's size is asked once, not for every row compared.
  int textLeft_;
  std::vector<COLORREF> px_;
};

// Each text rendered once per row size: the rows of a menu are all alike, and a menu of a hundred
// entries is read entry by entry against every other.
const EntryRendering &RenderedEntry(int w, int h, const std::wstring &text) {
  static std::map<std::wstring, std::unique_ptr<EntryRendering>> made;
  static int madeW = 0, madeH = 0;
  if (w != madeW || h != madeH) {
    made.clear();
    madeW = w;
    madeH = h;
  }
  std::unique_ptr<EntryRendering> &r = made[text];
  if (!r) r.reset(new EntryRendering(w, h, text));
  return *r;
}

// Whether the highlighted entry shows this text, and no other of the candidates reads better there:
// a menu that drew another entry's label fails.
bool SelectedEntryShows(HWND menu, const std::wstring &text, const std::vector<std::wstring> &candidates) {
  RECT area;
  GetWindowRect(menu, &area);
  return WaitUntil([&] {
    ScreenShot s(area);
    RECT row;
    if (!SelectedRow(s, menu, &row)) return false;
    int w = row.right - row.left, h = row.bottom - row.top;
    const EntryRendering &expected = RenderedEntry(w, h, text);
    std::vector<COLORREF> around = EntryRendering::RowPixels(s, row);
    double best = 0;
    int bx = 0, by = 0;
    for (int dy = -2; dy <= 2; dy++)
      for (int dx = -2; dx <= 2; dx++) {
        double m = expected.Match(around, dx, dy);
        if (m > best) best = m, bx = dx, by = dy;
      }
    if (best < 0.85) return false;
    for (const std::wstring &other : candidates) {
      if (other == text) continue;
      if (RenderedEntry(w, h, other).Match(around, bx, by) >= best) return false;
    }
    return true;
  });
}

// ---- Programs ----

bool IsRunning(const Program &p) { return p.process && WaitForSingleObject(p.process, 0) == WAIT_TIMEOUT; }

HWND WindowOf(DWORD processId) { return WaitForWindowOf(processId); }

// The window helper under another program name (the device's shell, a protected program).
std::wstring HelperAs(const wchar_t *exeName) {
  std::wstring dir = MakeTempFolder(L"programs");
  std::wstring path = dir + L"\\" + exeName;
  CopyFileW(HelperProgram(L"windowhelper.exe").c_str(), path.c_str(), FALSE);
  return path;
}

bool BringForward(HWND hwnd) {
  SetForegroundWindow(hwnd);
  return WaitUntil([&] { return GetForegroundWindow() == hwnd; });
}


class QuitletTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(kMain, L"QuitletApp")) << "a QuitletApp of another test is still running";
    ASSERT_NE(nullptr, Taskbar());
    SetProductDword(L"EnableDebug", 1);
    RemoveFile(kLog);
    BringForward(Today());
  }
  void TearDown() override {
    CloseMenus();
    app_.Kill();
    // All are told to end first, then each is waited for.
    for (Program &p : helpers_)
      if (p.process) TerminateProcess(p.process, 1);
    for (Program &p : helpers_) p.Kill();
    WaitUntil([] { return Button() == NULL; });
  }
  HWND StartQuitlet() {
    EXPECT_TRUE(app_.Start(InstalledProgram(L"QuitletApp.exe")));
    EXPECT_TRUE(WaitFor("the button on the taskbar", [] { return Button() != NULL; }));
    // The first tick of the foreground tracking has run once the log says it loops.
    EXPECT_TRUE(WaitForLogLine(kLog, L"Going for message loop."));
    return Button();
  }
  // A helper program with one full-screen window; returns the window.
  HWND StartHelper(const std::wstring &exe, const std::wstring &cls, const std::wstring &title) {
    helpers_.emplace_back();
    Program &p = helpers_.back();
    EXPECT_TRUE(p.Start(exe, L"\"" + cls + L"\" \"" + title + L"\""));
    return WindowOf(p.id);
  }
  // Many helpers, started in this order (the order the menus list them in): each start goes on
  // without waiting for the window before it, and this returns once every window shows.
  struct Helper {
    std::wstring exe, cls, title;
  };
  void StartHelpers(const std::vector<Helper> &list) {
    size_t first = helpers_.size();
    for (const Helper &h : list) {
      helpers_.emplace_back();
      ASSERT_TRUE(helpers_.back().Start(h.exe, L"\"" + h.cls + L"\" \"" + h.title + L"\"")) << h.title;
    }
    for (size_t i = first; i < helpers_.size(); i++)
      ASSERT_NE(nullptr, WindowOf(helpers_[i].id)) << list[i - first].title;
  }
  ProductKeyGuard guard_{{L"EnableDebug"}};
  Program app_;
  std::vector<Program> helpers_;
};

TEST_F(QuitletTest, ButtonSitsOnTheTaskbarAndATapMinimisesClosesOrBeepsByMode) {
  helpers_.reserve(4);
  HWND button = StartQuitlet();
  ASSERT_NE(nullptr, button);
  HWND main = FindWindowW(kMain, L"QuitletApp");
  ASSERT_NE(nullptr, main);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(12546, GetDlgCtrlID(button));
  EXPECT_TRUE(IsWindowVisible(button));

  // A square at the taskbar's right end, as far from the right edge as from the top and bottom.
  RECT bar, rc;
  GetWindowRect(Taskbar(), &bar);
  GetWindowRect(button, &rc);
  int s = 20 * FactorX(), m = (bar.bottom - bar.top - s) / 2;
  EXPECT_EQ(s, rc.right - rc.left);
  EXPECT_EQ(s, rc.bottom - rc.top);
  EXPECT_EQ(bar.right - m, rc.right);
  EXPECT_EQ(bar.top + m, rc.top);
  // Drawn there, over the system's button, and it stays when the taskbar paints itself again.
  ASSERT_TRUE(WaitUntil([&] { return PurplePixels(ScreenShot(), rc) > s * s / 3; }));
  // A window of the test's own comes in front: once the taskbar has painted itself anew to show its
  // title, the button is still there.
  RECT titleArea = {bar.left, bar.top, rc.left, bar.bottom};
  ScreenShot beforeTitle(titleArea);
  {
    WindowInFront own(L"Quitlet Repaint");
    EXPECT_TRUE(WaitFor("the taskbar to repaint with the new title", [&] { return Changed(beforeTitle, titleArea); }));
    EXPECT_TRUE(WaitFor("the button over the repainted taskbar",
                        [&] { return PurplePixels(ScreenShot(rc), rc) > s * s / 3; }));
  }
  ScreenShot minimiseFrame;
  EXPECT_GT(PurplePixels(minimiseFrame, rc), s * s / 3);

  // Mode 0, an application in front: it goes behind, the Today screen comes forward, nothing closes.
  HWND app = StartHelper(HelperProgram(L"windowhelper.exe"), kHelperClass, L"Front Application");
  ASSERT_NE(nullptr, app);
  ASSERT_TRUE(BringForward(app));
  Tap(ButtonCentre());
  EXPECT_TRUE(WaitUntil([] { return GetForegroundWindow() == Today(); }));
  EXPECT_TRUE(IsRunning(helpers_[0]));
  EXPECT_TRUE(HasLine(L"Tap: minimise"));
  // Mode 0 with the Today screen in front: only a beep.
  Tap(ButtonCentre());
  EXPECT_TRUE(WaitUntil([] { return HasLine(L"Tap: beep"); }));
  EXPECT_EQ(Today(), GetForegroundWindow());
  EXPECT_TRUE(IsRunning(helpers_[0]));

  // Mode 1, chosen in the menu that a tap-and-hold opens; the button shows the other frame.
  ChooseMode(1);
  EXPECT_TRUE(WaitUntil([&] { return Grab(ScreenShot(), rc) != Grab(minimiseFrame, rc); }));
  EXPECT_GT(PurplePixels(ScreenShot(), rc), s * s / 3);
  ASSERT_TRUE(BringForward(app));
  Tap(ButtonCentre());
  EXPECT_EQ(7u, helpers_[0].Wait(kWaitMs)) << "the application in front is closed";
  // The Today screen in front: a beep, nothing closed.
  ASSERT_TRUE(BringForward(Today()));
  int beeps = CountLines(L"Tap: beep");
  Tap(ButtonCentre());
  EXPECT_TRUE(WaitUntil([&] { return CountLines(L"Tap: beep") == beeps + 1; }));
  EXPECT_TRUE(IsWindow(Today()));
  // A window of the device's shell in front: the tap minimises instead of closing.
  HWND shellWindow = StartHelper(HelperAs(L"shell32.exe"), kHelperClass, L"Shell Window");
  ASSERT_NE(nullptr, shellWindow);
  ASSERT_TRUE(BringForward(shellWindow));
  Tap(ButtonCentre());
  EXPECT_TRUE(WaitUntil([] { return GetForegroundWindow() == Today(); }));
  EXPECT_TRUE(IsRunning(helpers_[1]));
  EXPECT_EQ(2, CountLines(L"Tap: minimise"));

  // Mode 2: a plain tap opens the menu; a tap-and-hold does in mode 1 and 2 alike.
  ChooseMode(2);
  Tap(ButtonCentre());
  EXPECT_TRUE(WaitUntil(MenuOpen));
  CloseMenus();
  EXPECT_TRUE(HoldForMenu());
  CloseMenus();
  EXPECT_TRUE(IsRunning(helpers_[1]));
  EXPECT_TRUE(IsRunning(app_));
}

// Sixty applications, and three programs that are never listed: a protected program (any letter case),
// an untitled window, an "Ime" window; the button started after them, the Today screen in front.
class QuitletMenuTest : public QuitletTest {
 protected:
  static const int kTasks = 60;
  void StartSixtyApplications() {
    helpers_.reserve(kTasks + 4);
    std::wstring window = HelperProgram(L"windowhelper.exe");
    std::vector<Helper> list = {{HelperAs(L"GWES.Exe"), kHelperClass, L"Protected Program"},
                                {window, L"QlUntitled", L""},
                                {window, L"Ime", L"Ime Window"}};
    for (int i = 1; i <= kTasks; i++) {
      wchar_t title[64];
      swprintf(title, 64, L"Task %02d %ls", i, i % 2 ? L"Mail" : L"Notes");
      titles_.push_back(title);
      list.push_back({window, kHelperClass, title});
    }
    ASSERT_NO_FATAL_FAILURE(StartHelpers(list));
    candidates_ = titles_;
    candidates_.push_back(L"Today");
    ASSERT_NE(nullptr, StartQuitlet());
    ASSERT_TRUE(BringForward(Today()));
  }
  // What the menus measured: every task (and Today where the menu lists it), none of the programs
  // that are never listed.
  void ExpectMeasuredEveryTaskOnly(bool today) {
    EXPECT_EQ(today, HasLine(L"[Today] w["));
    EXPECT_TRUE(HasLine(L"[" + titles_[kTasks - 1] + L"] w["));
    EXPECT_FALSE(HasLine(L"[Protected Program]"));
    EXPECT_FALSE(HasLine(L"[Ime Window]"));
    EXPECT_FALSE(HasLine(L"[] w["));
  }
  std::vector<std::wstring> titles_, candidates_;
};

// The switch submenu: "Today" first, then every application in start order, each under its title.
// The close submenu: the same titles; choosing the 60th closes the 60th program and no other. One
// set of sixty applications for both menus.
TEST_F(QuitletMenuTest, SwitchAndCloseMenusListEveryApplicationUnderItsOwnTitle) {
  ASSERT_NO_FATAL_FAILURE(StartSixtyApplications());
  ASSERT_TRUE(HoldForMenu());
  EXPECT_TRUE(WaitForLogLine(kLog, L"Task list [60]"));
  // The taskbar still names what the user works in, not the menu's hidden owner, after it has
  // followed the foreground since the menu opened (its timer's cycle, run now).
  DWORD_PTR followed;
  EXPECT_TRUE(SendMessageTimeoutW(Taskbar(), WM_TIMER, 1, 0, SMTO_NORMAL, kWaitMs, &followed));
  EXPECT_EQ(Today(), (HWND)GetPropW(Taskbar(), DEVICE_SHOWN_WINDOW_PROP));
  HWND switchMenu = OpenSubmenu(6);
  ASSERT_NE(nullptr, switchMenu);
  EXPECT_TRUE(SelectedEntryShows(switchMenu, L"Today", candidates_));
  for (int i = 0; i < kTasks; i++) {
    Key(VK_DOWN);
    EXPECT_TRUE(SelectedEntryShows(switchMenu, titles_[i], candidates_)) << "switch entry " << i + 1;
  }
  CloseMenus();
  ExpectMeasuredEveryTaskOnly(true);

  // The close submenu, in a log of its own: what it measured is its own.
  ASSERT_TRUE(WaitFor("the log removed", [] {
    RemoveFile(kLog);
    return GetFileAttributesW(kLog) == INVALID_FILE_ATTRIBUTES;
  }));
  Program &last = helpers_.back();
  ASSERT_TRUE(HoldForMenu());
  EXPECT_TRUE(WaitForLogLine(kLog, L"Task list [60]"));
  HWND closeMenu = OpenSubmenu(7);
  ASSERT_NE(nullptr, closeMenu);
  EXPECT_TRUE(SelectedEntryShows(closeMenu, titles_[0], candidates_));
  for (int i = 1; i < kTasks; i++) {
    Key(VK_DOWN);
    EXPECT_TRUE(SelectedEntryShows(closeMenu, titles_[i], candidates_)) << "close entry " << i + 1;
  }
  Key(VK_RETURN);
  EXPECT_EQ(7u, last.Wait(kWaitMs));
  // The button's close is done once its worker noted the result; it asked that one window only.
  EXPECT_TRUE(WaitFor("the close's result in the log", [] { return CountLinesEnding(L": closed") == 1; }));
  EXPECT_EQ(1, CountLines(L"Close window ["));
  for (size_t i = 0; i + 1 < helpers_.size(); i++) EXPECT_TRUE(IsRunning(helpers_[i])) << i;
  ExpectMeasuredEveryTaskOnly(false);
}

// The system submenu (soft reset, power off, two control panel applets, the file explorer): every
// action but the soft reset, which would end the device under the test; the applications that run
// stay.
TEST_F(QuitletTest, SystemMenuOpensTheExplorerAndAppletsAndSwitchesOffKeepingEveryApplication) {
  helpers_.reserve(3);
  ASSERT_NE(nullptr, StartHelper(HelperProgram(L"windowhelper.exe"), kHelperClass, L"Task Mail"));
  ASSERT_NE(nullptr, StartHelper(HelperProgram(L"windowhelper.exe"), kHelperClass, L"Task Notes"));
  ASSERT_NE(nullptr, StartQuitlet());
  ASSERT_TRUE(BringForward(Today()));
  auto chooseSystem = [](int downs) {
    ASSERT_TRUE(HoldForMenu());
    ASSERT_NE(nullptr, OpenSubmenu(8));
    Keys(VK_DOWN, downs);
    Key(VK_RETURN);
    WaitUntil([] { return !MenuOpen(); });
  };
  struct Opened { int downs; const wchar_t *cls, *title; };
  for (const Opened &o : {Opened{4, L"VTFileExplorer", L"File Explorer"},
                          Opened{2, L"VTControlPanel", L"Device Information"},
                          Opened{3, L"VTControlPanel", L"Settings"}}) {
    chooseSystem(o.downs);
    HWND shown = WaitForWindow(o.cls, o.title);
    EXPECT_NE(nullptr, shown) << o.title;
    if (!shown) continue;
    PostMessageW(shown, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitWindowGone(shown));
  }
  auto asleep = [] {
    HWND dark = FindWindowW(DEVICE_SLEEP_CLASS, NULL);
    return dark && IsWindowVisible(dark);
  };
  chooseSystem(1);
  EXPECT_TRUE(WaitFor("power off to darken the screen", asleep));
  Key(VK_SHIFT);
  EXPECT_TRUE(WaitFor("a key to wake the screen", [&] { return !asleep(); }));
  for (Program &p : helpers_) EXPECT_TRUE(IsRunning(p));
  EXPECT_TRUE(IsRunning(app_));
}

TEST_F(QuitletTest, ClosingAsksEachProgramOnceLeavesItsQuestionToItAndOffersToEndOneThatHangs) {
  helpers_.reserve(8);
  std::wstring dir = MakeTempFolder(L"closes");
  auto closeLog = [&](const wchar_t *name) { return dir + L"\\" + name + L".txt"; };
  // Each closing helper notes every close it receives.
  auto closesOf = [&](const wchar_t *name) { return (int)ReadLogLines(closeLog(name)).size(); };
  auto startCloser = [&](const wchar_t *mode, const wchar_t *name) {
    helpers_.emplace_back();
    Program &p = helpers_.back();
    EXPECT_TRUE(p.Start(HelperProgram(L"closehelper.exe"),
                        std::wstring(mode) + L" \"" + closeLog(name) + L"\" \"" + name + L"\""));
    return WindowOf(p.id);
  };
  HWND frontWindow = StartHelper(HelperProgram(L"windowhelper.exe"), kHelperClass, L"Front Notes");
  ASSERT_NE(nullptr, frontWindow);
  ASSERT_NE(nullptr, StartHelper(HelperProgram(L"windowhelper.exe"), kHelperClass, L"Plain Notes"));
  ASSERT_NE(nullptr, StartHelper(HelperAs(L"shell32.exe"), kHelperClass, L"Shell Window"));
  ASSERT_NE(nullptr, startCloser(L"ask", L"Asking Editor"));
  ASSERT_NE(nullptr, startCloser(L"ignore", L"Stubborn Viewer"));
  ASSERT_NE(nullptr, startCloser(L"hang", L"Frozen Game"));
  ASSERT_NE(nullptr, startCloser(L"hang", L"Stuck Player"));
  Program &front = helpers_[0], &plain = helpers_[1], &shell = helpers_[2], &asking = helpers_[3];
  Program &stubborn = helpers_[4], &frozen = helpers_[5], &stuck = helpers_[6];
  ASSERT_NE(nullptr, StartQuitlet());
  ASSERT_TRUE(BringForward(frontWindow));

  // "Close all but this": every listed program but the one in front and the shell's.
  ChooseFromMainMenu(5);
  // The button waits for none of them: its menu opens again while two of them hang.
  EXPECT_TRUE(HoldForMenu());
  CloseMenus();
  EXPECT_EQ(7u, plain.Wait(kWaitMs));
  // The asking program shows its question and is left alone with it.
  HWND editorQuestion = NULL;
  EXPECT_TRUE(WaitUntil([&] { return (editorQuestion = BoxOf(asking.id)) != NULL; }));

  // The two that hang are offered to the user to end, one question at a time, each naming its program:
  // Yes ends the one, No leaves the other.
  std::vector<std::wstring> asked;
  for (int i = 0; i < 2; i++) {
    HWND box = NULL;
    int boxes = 0;
    ASSERT_TRUE(WaitUntil([&] { return (box = BoxOf(app_.id, &boxes)) != NULL; }, 15000)) << i;
    EXPECT_EQ(1, boxes);
    std::wstring text = BoxText(box);
    asked.push_back(text);
    Answer(box, text.compare(0, 11, L"Frozen Game") == 0 ? IDYES : IDNO);
  }
  std::sort(asked.begin(), asked.end());
  ASSERT_EQ(2u, asked.size());
  EXPECT_EQ(0u, asked[0].find(L"Frozen Game "));
  EXPECT_EQ(0u, asked[1].find(L"Stuck Player "));
  EXPECT_EQ(asked[0].substr(11), asked[1].substr(12)) << "the same question about each";
  EXPECT_EQ(1u, frozen.Wait(kWaitMs)) << "ended";
  EXPECT_TRUE(IsRunning(stuck));
  EXPECT_TRUE(IsRunning(stubborn));
  EXPECT_TRUE(IsRunning(asking));
  EXPECT_TRUE(IsRunning(front));
  EXPECT_TRUE(IsRunning(shell));
  // The button's worker notes an answer once it has acted on it: the program may be seen gone first.
  EXPECT_TRUE(WaitUntil([&] { return CountLinesEnding(L": ended") == 1 && CountLinesEnding(L": left running") == 1; },
                        5000));
  EXPECT_EQ(1, CountLinesEnding(L": closed"));
  EXPECT_EQ(2, CountLinesEnding(L": still asking"));
  EXPECT_EQ(2, CountLinesEnding(L": not responding"));
  EXPECT_EQ(1, CountLinesEnding(L": ended"));
  EXPECT_EQ(1, CountLinesEnding(L": left running"));
  // Each was asked to close exactly once, the one that asks its user too.
  for (const wchar_t *name : {L"Asking Editor", L"Stubborn Viewer", L"Frozen Game", L"Stuck Player"})
    EXPECT_EQ(1, closesOf(name)) << name;
  // The user answers the editor's own question: it closes on that one close.
  ASSERT_NE(nullptr, editorQuestion);
  Answer(editorQuestion, IDNO);
  EXPECT_EQ(7u, asking.Wait(kWaitMs));
  EXPECT_EQ(1, closesOf(L"Asking Editor"));

  // "Close all": the one in front closes too, the shell's window stays; the program that ignores a
  // close hears one more, for the user's second request; the hung one is offered again, and ends.
  ChooseFromMainMenu(4);
  EXPECT_EQ(7u, front.Wait(kWaitMs));
  HWND box = NULL;
  ASSERT_TRUE(WaitUntil([&] { return (box = BoxOf(app_.id)) != NULL; }, 15000));
  EXPECT_EQ(0u, BoxText(box).find(L"Stuck Player "));
  Answer(box, IDYES);
  EXPECT_EQ(1u, stuck.Wait(kWaitMs));
  EXPECT_TRUE(WaitUntil([&] { return closesOf(L"Stubborn Viewer") == 2; }));
  EXPECT_TRUE(IsRunning(stubborn));
  EXPECT_TRUE(IsRunning(shell));
  EXPECT_EQ(1, closesOf(L"Stuck Player"));
  EXPECT_TRUE(IsRunning(app_));
}

// More applications than the menus list: the first hundred (in start order) are listed, the rest are
// left out without harm; when one listed program closes, the next one left out takes its place.
TEST_F(QuitletTest, MenusListAHundredApplicationsAndLeaveTheRestOut) {
  const int kListed = 100, kTasks = 105;
  helpers_.reserve(kTasks + 1);
  std::vector<std::wstring> titles;
  std::vector<Helper> list;
  for (int i = 1; i <= kTasks; i++) {
    wchar_t title[64];
    swprintf(title, 64, L"Limit %03d", i);
    titles.push_back(title);
    list.push_back({HelperProgram(L"windowhelper.exe"), kHelperClass, title});
  }
  ASSERT_NO_FATAL_FAILURE(StartHelpers(list));
  ASSERT_NE(nullptr, StartQuitlet());
  ASSERT_TRUE(BringForward(Today()));
  std::vector<std::wstring> candidates = titles;
  candidates.push_back(L"Today");

  // The switch submenu: Today and the first hundred; Up from the first entry wraps to the last one.
  ASSERT_TRUE(HoldForMenu());
  EXPECT_TRUE(WaitUntil([] { return HasLine(L"Task list [100]"); }));
  HWND switchMenu = OpenSubmenu(6);
  ASSERT_NE(nullptr, switchMenu);
  EXPECT_TRUE(SelectedEntryShows(switchMenu, L"Today", candidates));
  Key(VK_UP);
  EXPECT_TRUE(SelectedEntryShows(switchMenu, titles[kListed - 1], candidates));
  CloseMenus();
  EXPECT_TRUE(HasLine(L"[" + titles[kListed - 1] + L"] w["));
  for (int i = kListed; i < kTasks; i++) EXPECT_FALSE(HasLine(L"[" + titles[i] + L"] w[")) << i;

  // The close submenu ends in the hundredth; choosing it closes that program and no other.
  ASSERT_TRUE(HoldForMenu());
  HWND closeMenu = OpenSubmenu(7);
  ASSERT_NE(nullptr, closeMenu);
  EXPECT_TRUE(SelectedEntryShows(closeMenu, titles[0], candidates));
  Key(VK_UP);
  EXPECT_TRUE(SelectedEntryShows(closeMenu, titles[kListed - 1], candidates));
  Key(VK_RETURN);
  EXPECT_EQ(7u, helpers_[kListed - 1].Wait(kWaitMs));
  for (int i = 0; i < kTasks; i++) EXPECT_EQ(i != kListed - 1, IsRunning(helpers_[i])) << i;

  // Room for one more: the next program left out is listed now, as the last entry.
  ASSERT_TRUE(HoldForMenu());
  EXPECT_TRUE(WaitUntil([] { return CountLines(L"Task list [100]") == 3; }));
  closeMenu = OpenSubmenu(7);
  ASSERT_NE(nullptr, closeMenu);
  Key(VK_UP);
  EXPECT_TRUE(SelectedEntryShows(closeMenu, titles[kListed], candidates));
  CloseMenus();
  EXPECT_TRUE(IsRunning(app_));
}

TEST_F(QuitletTest, SecondStartEndsTurningKeepsTheButtonAtTheRightEndAndStoppingRemovesIt) {
  HWND button = StartQuitlet();
  ASSERT_NE(nullptr, button);
  Program second;
  ASSERT_TRUE(second.Start(InstalledProgram(L"QuitletApp.exe")));
  EXPECT_EQ(0u, second.Wait(10000));
  EXPECT_EQ(1, CountLines(L"Duplicate instance: monitor window found!"));
  EXPECT_EQ(button, Button());

  auto atRightEnd = [] {
    RECT bar, rc;
    if (!GetWindowRect(Taskbar(), &bar) || !GetWindowRect(Button(), &rc)) return false;
    int m = (bar.bottom - bar.top - (rc.right - rc.left)) / 2;
    return rc.right == bar.right - m && rc.top == bar.top + m && bar.right == ScreenWidth();
  };
  EXPECT_TRUE(atRightEnd());
  Program turn;
  ASSERT_TRUE(turn.Start(L"C:\\windows\\devtool.exe", L"rotate toggle"));
  DWORD turned = turn.Wait(15000);
  if (turned != 3) {
    ASSERT_EQ(0u, turned);
    EXPECT_TRUE(WaitUntil(atRightEnd));
    RECT rc;
    GetWindowRect(Button(), &rc);
    EXPECT_TRUE(WaitUntil([&] { return PurplePixels(ScreenShot(), rc) > 0; }));
    Program back;
    ASSERT_TRUE(back.Start(L"C:\\windows\\devtool.exe", L"rotate toggle"));
    EXPECT_EQ(0u, back.Wait(15000));
    EXPECT_TRUE(WaitUntil(atRightEnd));
  }

  // Stopped the way the main program stops it: its main window closed. The button goes with it and
  // the system's own button shows again.
  RECT rc;
  GetWindowRect(Button(), &rc);
  PostMessageW(FindWindowW(kMain, L"QuitletApp"), WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, app_.Wait(kWaitMs));
  EXPECT_EQ(nullptr, Button());
  EXPECT_TRUE(WaitUntil([&] { return PurplePixels(ScreenShot(), rc) == 0; }));
  EXPECT_TRUE(HasLine(L"WndProc::WM_DESTROY"));
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  ASSERT_FALSE(lines.empty());
  EXPECT_TRUE(HasLine(L"App terminated."));
}

TEST_F(QuitletTest, AShellThatEndsTakesTheButtonAndTheProgramWithIt) {
  ASSERT_NE(nullptr, StartQuitlet());
  // The shell ends with its taskbar. A program left running without its button would make the next
  // shell's StartUp copy leave as a second instance: it ends too. (The next test starts the shell.)
  PostMessageW(Taskbar(), WM_CLOSE, 0, 0);
  EXPECT_EQ(0u, app_.Wait(10000));
  EXPECT_TRUE(HasLine(L"Button gone, ending."));
  EXPECT_TRUE(HasLine(L"App terminated."));
}

}  // namespace
