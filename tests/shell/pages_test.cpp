// The seven pages end to end: the program runs in the device and is driven by taps at screen
// positions and key presses, as a user drives it; the checks read the screen, the debug log and the
// files the program writes. Where to tap comes from the program's own layout code for this screen.
#include "shelltest.h"
#include "shell/browser.h"
#include "strings.h"
#include "tasklist_fill.h"
#include "wm_shell.h"

namespace {

const wchar_t kLog[] = L"C:\\VT.gui.txt";
const COLORREF kBackground = RGB(201, 199, 199);
const COLORREF kMonitorOff = RGB(255, 20, 14);

bool StartsWith(const std::wstring &s, const std::wstring &prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

int CountLines(const std::wstring &prefix) {
  int n = 0;
  for (const std::wstring &l : ReadLogLines(kLog)) n += StartsWith(l, prefix);
  return n;
}

int CountContaining(const std::wstring &part) {
  int n = 0;
  for (const std::wstring &l : ReadLogLines(kLog)) n += l.find(part) != std::wstring::npos;
  return n;
}

// The task count of the program's last list, from its log.
int LoggedTaskCount() {
  const std::wstring prefix = L"GetProcessList All Tasks (running+db) = ";
  int count = 0;
  for (const std::wstring &l : ReadLogLines(kLog))
    if (StartsWith(l, prefix)) count = _wtoi(l.c_str() + prefix.size());
  return count;
}

bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

int CountPixels(const ScreenShot &s, RECT rc, bool (*pred)(COLORREF)) {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; y++)
    for (int x = rc.left; x < rc.right; x++) n += pred(s.Pixel(x, y));
  return n;
}

RECT Box(int l, int t, int r, int b) {
  RECT rc = {l, t, r, b};
  return rc;
}

class PagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora")) << "a Vantora of another test is still running";
    InitProgramStatics();
    UseScreen({ScreenWidth(), ScreenHeight()});
    LoadSkinImages();
    bar_ = g_Screen.taskbarHeight;
    SetProductDword(L"EnableDebug", 1);
    // No companion program is started along: they would outlive the test.
    SetProductDword(L"DefaultRegistrySaved", 1);
    SetProductDword(L"RealQuitlet", 0);
    SetProductDword(L"Gaugelet", 0);
    RemoveFile(kLog);
  }
  void TearDown() override {
    app_.Kill();
    FreeSkinImages();
  }

  HWND Start() {
    EXPECT_TRUE(app_.Start(InstalledProgram(L"Vantora.exe")));
    HWND hwnd = WaitForWindow(L"VANTORA", L"Vantora", 15000);
    EXPECT_NE(nullptr, hwnd);
    EXPECT_TRUE(WaitUntil([] { return CountLines(L"Refresh timer set") > 0; }, 10000));
    // The start's task list gets its figures (and its rows again) once its measuring window is over.
    if (CountLines(L"GetProcessList paths, icons, levels and CPU loads follow.") > 0) {
      EXPECT_TRUE(WaitLines(L"GetProcessList paths, icons, levels and CPU loads done", 1));
    }
    window_ = hwnd;
    Front();
    Settle();
    return hwnd;
  }
  // The program has handled the input sent so far and its window shows the result.
  void Settle() {
    InputHandled(window_);
    RepaintNow(window_);
    InputHandled(window_);
  }
  // The program in front, as the user sees it after starting it (the test's own process started it).
  void Front() {
    if (!window_) return;
    SetForegroundWindow(window_);
    WaitUntil([&] { return GetForegroundWindow() == window_; }, 3000);
  }

  // The page as the program lays it out on this screen (the task page with the program's task count).
  const PageModel &Layout(int page, int scroll = 0) {
    if (page == PAGE_TASKS) FillTaskList(LoggedTaskCount());
    SetupPageRows(page);
    LayoutPage(page, false);
    if (scroll) {
      g_Pages[page].scrollOffset = scroll;
      LayoutPage(page, true);
    }
    return g_Pages[page];
  }

  // Screen position of a client point of the main window (it starts below the taskbar).
  void TapClient(int x, int y) { TapScreen(x, y + bar_); }
  void TapScreen(int x, int y) {
    // The stylus: moved there, down and up. The program acts on the release wherever the press was and
    // times nothing in between, so the press need not be held.
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dx = in[1].mi.dx = (x * 65535 + ScreenWidth() / 2) / (ScreenWidth() - 1);
    in[0].mi.dy = in[1].mi.dy = (y * 65535 + ScreenHeight() / 2) / (ScreenHeight() - 1);
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    SetCursorPos(x, y);
    SendInput(2, in, sizeof(INPUT));
    InputHandled(window_);
  }
  void TapControl(const PageControl &c) { TapClient((c.left + c.right) / 2, (c.top + c.bottom) / 2); }
  void TapSub(const SubElement &s) { TapClient((s.left + s.right) / 2, (s.top + s.bottom) / 2); }
  void TapOk() {
    TapScreen(ScreenWidth() / 4, ScreenHeight() - bar_ / 2);
    Front();
  }
  void Key(BYTE vk) {
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    InputHandled(window_);
  }
  void Type(const char *letters) {
    for (const char *c = letters; *c; c++) Key((BYTE)toupper(*c));
  }
  bool WaitLines(const std::wstring &prefix, int count) {
    return WaitUntil([&] { return CountLines(prefix) >= count; }, 6000);
  }
  COLORREF At(const ScreenShot &s, int x, int y) { return s.Pixel(x, y + bar_); }
  RECT OnScreen(const PageControl &c) { return Box(c.left, c.top + bar_, c.right, c.bottom + bar_); }
  // The raised focus edge's darkest line runs along the bottom of the focused part.
  bool FocusEdgeAt(const ScreenShot &s, int left, int right, int bottom) {
    return At(s, (left + right) / 2, bottom - 1) == GetSysColor(COLOR_3DDKSHADOW);
  }
  bool FocusEdgeOn(const ScreenShot &s, const PageControl &c) { return FocusEdgeAt(s, c.left, c.right, c.bottom); }
  // The message box of the program, its text, and an answer by key.
  HWND WaitMessageBox() {
    HWND box = NULL;
    WaitUntil([&] { return (box = FindWindowW(L"#32770", L"Vantora")) != NULL; }, 6000);
    return box;
  }
  std::wstring MessageText(HWND box) {
    for (HWND child = FindWindowExW(box, NULL, L"Static", NULL); child;
         child = FindWindowExW(box, child, L"Static", NULL)) {
      WCHAR text[512] = L"";
      SendMessageW(child, WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text);
      if (text[0]) return text;
    }
    return L"";
  }
  std::wstring Text(const wchar_t *key) { return GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX); }
  // The task page from the menu's first entry.
  void OpenTaskPage() {
    PageModel menu = Layout(PAGE_MENU);
    TapControl(menu.controls[FirstRowControl(&menu)]);
    ASSERT_TRUE(WaitLines(L"currp 1", 1));
    Settle();
  }
  // A page by the menu's keys, from the menu's first entry.
  void OpenByKeys(int page) {
    for (int i = 1; i < page; i++) Key(VK_DOWN);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitLines(L"currp " + std::to_wstring(page), 1));
    Settle();
  }
  // The program browser from the task page's Add button, which sits below the rows: where depends on
  // how many rows the program lists.
  HWND OpenBrowser(int rows) {
    FillTaskList(rows);
    SetupPageRows(PAGE_TASKS);
    LayoutPage(PAGE_TASKS, false);
    TapControl(g_Pages[PAGE_TASKS].controls[4]);
    HWND browser = NULL;
    WaitUntil([&] {
      HWND w = GetForegroundWindow();
      WCHAR cls[64] = L"";
      GetClassNameW(w, cls, ARRAYSIZE(cls));
      if (StartsWith(cls, L"browsefile:")) browser = w;
      return browser != NULL;
    }, 6000);
    // Ready once its path box, made after the window, names the tree's root (asked with a message:
    // the window text of another process's box is not the box's text).
    EXPECT_TRUE(WaitFor("the browser's path box", [&] {
      return SendMessageW(GetDlgItem(browser, 501), WM_GETTEXTLENGTH, 0, 0) > 0;
    }, 3000));
    return browser;
  }

  ProductKeyGuard guard_{{L"EnableDebug", L"DefaultRegistrySaved", L"RealQuitlet", L"Gaugelet"}};
  Program app_;
  HWND window_ = NULL;
  int bar_ = 26;
};

TEST_F(PagesTest, EveryPageOpensFromTheMenuShowsItsSkinAndOkComesBack) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PageModel menu = Layout(PAGE_MENU);
  int first = FirstRowControl(&menu), usable = ScreenHeight() - 2 * bar_;

  // The menu shows its rows, their labels and the focus edge on the first row.
  {
    ScreenShot s;
    EXPECT_EQ(kBackground, At(s, 1, usable - 2));
    const PageControl &row0 = menu.controls[first];
    EXPECT_NE(kBackground, At(s, row0.left + 3, (row0.top + row0.bottom) / 2));
    EXPECT_GT(CountPixels(s, OnScreen(row0), Dark), 20);  // its label
    EXPECT_TRUE(FocusEdgeOn(s, row0));
    // The rows that do not fit are reached with the scroll bar.
    EXPECT_EQ(menu.visibleRows < 7, menu.scrolling);
  }
  // A tap on nothing (the logo) opens nothing; it takes the keyboard focus away.
  TapControl(menu.controls[2]);
  EXPECT_TRUE(WaitUntil([&] { return !FocusEdgeOn(ScreenShot(), menu.controls[first]); }, 3000));
  EXPECT_EQ(0, CountLines(L"currp "));

  for (int page = 1; page <= 6; page++) {
    int item = page - 1, opened = CountLines(L"currp " + std::to_wstring(page));
    if (item < menu.visibleRows && page % 2) {
      TapControl(menu.controls[first + item]);
    } else {
      // The keys reach every item, scrolling the list when needed.
      for (int i = 0; i < item; i++) Key(VK_DOWN);
      Key(VK_RETURN);
    }
    ASSERT_TRUE(WaitLines(L"currp " + std::to_wstring(page), opened + 1)) << page;
    Settle();
    PageModel p = Layout(page);
    ScreenShot s;
    EXPECT_EQ(kBackground, At(s, 1, usable - 2)) << page;
    switch (page) {
      case PAGE_TASKS: {
        // The monitor is not running: its button's label is red. The buttons show their picture.
        EXPECT_GT(CountPixels(s, OnScreen(p.controls[3]), [](COLORREF c) { return c == kMonitorOff; }), 10);
        EXPECT_NE(kBackground, At(s, p.controls[4].left + 4, (p.controls[4].top + p.controls[4].bottom) / 2));
        ASSERT_GT(p.itemCount, 0);
        const PageControl &row = p.controls[FirstRowControl(&p)];
        EXPECT_GT(CountPixels(s, OnScreen(row), Dark), 20);  // name and CPU figure
        break;
      }
      case PAGE_MEMORY:
        EXPECT_TRUE(FocusEdgeOn(s, p.controls[3]));
        EXPECT_GT(CountPixels(s, OnScreen(p.controls[4]), Dark), 40);  // the memory figure
        break;
      case PAGE_DISPLAY:
        EXPECT_TRUE(FocusEdgeOn(s, p.controls[4]));
        EXPECT_NE(kBackground, At(s, (p.controls[5].left + p.controls[5].right) / 2, p.controls[5].top + 1));
        break;
      default: {
        const PageControl &row = p.controls[FirstRowControl(&p)];
        EXPECT_TRUE(FocusEdgeOn(s, row)) << page;
        EXPECT_GT(CountPixels(s, OnScreen(row), Dark), 20) << page;
        if (page != PAGE_BENCHMARK) {
          EXPECT_NE(kBackground, At(s, (row.sub[0].left + row.sub[0].right) / 2, (row.sub[0].top + row.sub[0].bottom) / 2));
        }
        break;
      }
    }
    TapOk();
    // Back on the menu, laid out afresh: the first row has the focus again.
    EXPECT_TRUE(WaitUntil([&] { return FocusEdgeOn(ScreenShot(), menu.controls[first]); }, 4000)) << page;
  }
  TapOk();
  EXPECT_EQ(0u, app_.Wait(10000));
}

TEST_F(PagesTest, ListsScrollOneItemPerTapAndWithTheKeysAndBeepAtTheirEnds) {
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PageModel menu = Layout(PAGE_MENU);
  ASSERT_TRUE(menu.scrolling) << "the menu fits this screen";
  int first = FirstRowControl(&menu), bar = menu.firstRowFixed;

  // One tap on the down button moves the list by one item: the first row then opens the second page.
  TapControl(menu.controls[bar + 2]);
  TapControl(menu.controls[first]);
  ASSERT_TRUE(WaitLines(L"currp 2", 1));
  TapOk();
  // Back at the top: up only beeps, the first row still opens the first page.
  TapControl(menu.controls[bar + 1]);
  TapControl(menu.controls[first]);
  ASSERT_TRUE(WaitLines(L"currp 1", 1));
  TapOk();
  // Keys: down to the last visible row and once more scrolls; Enter opens the item below.
  for (int i = 0; i < menu.visibleRows; i++) Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_TRUE(WaitLines(L"currp " + std::to_wstring(menu.visibleRows + 1), 1));
  TapOk();

  // The storage page: its fourth item (clearing the browser files, no indicator) asks first. After one
  // scroll it sits one row higher; a second tap at the end changes nothing.
  for (int i = 0; i < 3; i++) Key(VK_DOWN);
  Key(VK_RETURN);
  ASSERT_TRUE(WaitLines(L"currp 4", 1));
  Settle();
  PageModel storage = Layout(PAGE_STORAGE);
  if (storage.scrolling) {
    int sfirst = FirstRowControl(&storage), sbar = storage.firstRowFixed;
    for (int i = 0; i < storage.itemCount - storage.visibleRows + 1; i++) TapControl(storage.controls[sbar + 2]);
    TapControl(storage.controls[sfirst + 3 - (storage.itemCount - storage.visibleRows)]);
  } else {
    TapControl(storage.controls[FirstRowControl(&storage) + 3]);
  }
  HWND box = WaitMessageBox();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(Text(L"String56VT"), MessageText(box));
  // No: nothing is cleared.
  Key('N');
  EXPECT_TRUE(WaitWindowGone(box, 4000));
  InputHandled(window_);  // what the answer leads to is done
  EXPECT_EQ(0, CountContaining(L"ClearBrowserFiles"));
  // The same item by Enter: the tap left the focus on its row.
  Key(VK_RETURN);
  box = WaitMessageBox();
  ASSERT_NE(nullptr, box);
  Key('N');
  EXPECT_TRUE(WaitWindowGone(box, 4000));
  InputHandled(window_);
  EXPECT_EQ(0, CountContaining(L"ClearBrowserFiles"));
  TapOk();
  TapOk();
  EXPECT_EQ(0u, app_.Wait(10000));
}

// The task database put aside for a test and back as it was however the test ends.
class DatabaseAside {
 public:
  DatabaseAside() : path_(InstallFolder() + L"\\Settings.db") {
    had_ = ReadFileBytes(path_, &saved_);
    RemoveFile(path_);
  }
  ~DatabaseAside() {
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveFile(path_);
    if (had_) WriteFileBytes(path_, saved_.data(), saved_.size());
  }
  const std::wstring path_;
 private:
  std::string saved_;
  bool had_;
};

// A folder of the device with programs, other files and a shortcut, for the browser.
class BrowserFolder {
 public:
  BrowserFolder() {
    CreateDirectoryW(kFolder, NULL);
    const char bytes[] = "MZ";
    WriteFileBytes(std::wstring(kFolder) + L"\\zzdemo.exe", bytes, 2);
    WriteFileBytes(std::wstring(kFolder) + L"\\UPPER.EXE", bytes, 2);
    WriteFileBytes(std::wstring(kFolder) + L"\\notes.txt", bytes, 2);
    RemoveFile(std::wstring(kFolder) + L"\\zzlink.lnk");
    SHCreateShortcut(L"\\VTBrowseTest\\zzlink.lnk", L"\"\\VTBrowseTest\\zzdemo.exe\" -x");
    RemoveFile(std::wstring(kEmptyFolder) + L"\\late.exe");
    CreateDirectoryW(kEmptyFolder, NULL);
  }
  ~BrowserFolder() {
    for (const wchar_t *f : {L"zzdemo.exe", L"UPPER.EXE", L"notes.txt", L"zzlink.lnk"})
      RemoveFile(std::wstring(kFolder) + L"\\" + f);
    RemoveDirectoryW(kFolder);
    RemoveFile(std::wstring(kEmptyFolder) + L"\\late.exe");
    RemoveDirectoryW(kEmptyFolder);
  }
  static constexpr const wchar_t *kFolder = L"C:\\VTBrowseTest";
  static constexpr const wchar_t *kEmptyFolder = L"C:\\zzVTLate";
};

TEST_F(PagesTest, BrowserAddsAProgramOnceAndRefusesItAgainThroughItsShortcut) {
  BrowserFolder folder;
  DatabaseAside aside;
  const std::wstring &db = aside.path_;
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  OpenTaskPage();
  int count = LoggedTaskCount();
  auto openBrowser = [&] { return OpenBrowser(count); };
  auto pathShown = [](HWND browser) {
    WCHAR text[MAX_PATH] = L"";
    SendMessageW(GetDlgItem(browser, 501), WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text);
    return std::wstring(text);
  };

  // Cancel first: nothing happens. Before that, a folder with nothing in it stays closed when opened
  // and keeps its button: a program put there later shows when it is opened again.
  HWND browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  EXPECT_EQ(L"\\", pathShown(browser));
  const std::wstring late = std::wstring(BrowserFolder::kEmptyFolder) + L"\\late.exe";
  Key(VK_RIGHT);
  Type("zzvtlate");
  EXPECT_TRUE(WaitUntil([&] { return pathShown(browser) == L"\\zzVTLate"; }, 3000)) << pathShown(browser);
  Key(VK_RIGHT);
  ASSERT_TRUE(WriteFileBytes(late, "MZ", 2));
  Key(VK_RIGHT);
  Key(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return pathShown(browser) == L"\\zzVTLate\\late.exe"; }, 3000))
      << pathShown(browser);
  // Two Enters further apart than the double press (2 s, timed by the browser from handling one Enter
  // to handling the next) do not save: the second goes once the first is handled and the time passed.
  Key(VK_RETURN);
  Sleep(2000 + 200);
  Key(VK_RETURN);
  EXPECT_TRUE(IsWindow(browser));
  Key(VK_F2);
  EXPECT_TRUE(WaitWindowGone(browser, 4000));
  EXPECT_FALSE(FileExists(db));

  browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  Key(VK_RIGHT);  // open the root
  Type("vtbrowse");
  EXPECT_TRUE(WaitUntil([&] { return pathShown(browser) == L"\\VTBrowseTest"; }, 3000)) << pathShown(browser);
  Key(VK_RIGHT);
  // The folder lists only the ".exe" and ".lnk" files: no "notes.txt", no upper-case "UPPER.EXE".
  Key(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return pathShown(browser) == L"\\VTBrowseTest\\zzdemo.exe"; }, 3000))
      << pathShown(browser);
  Key(VK_DOWN);
  EXPECT_EQ(L"\\VTBrowseTest\\zzlink.lnk", pathShown(browser));
  Key(VK_DOWN);
  EXPECT_EQ(L"\\windows", pathShown(browser));
  // A folder is not saved, whatever the keys.
  Key(VK_F1);
  EXPECT_TRUE(IsWindow(browser));
  Key(VK_UP);
  Key(VK_UP);
  EXPECT_EQ(L"\\VTBrowseTest\\zzdemo.exe", pathShown(browser));
  // Enter twice within two seconds saves the file.
  Key(VK_RETURN);
  Key(VK_RETURN);
  EXPECT_TRUE(WaitWindowGone(browser, 4000));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(db); }, 4000));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(db, &bytes));
  ASSERT_EQ(2u + 602u, bytes.size());
  EXPECT_EQ(1, bytes[0]);
  // The record: title "zzdemo", executable "zzdemo.exe", the path, level 3.
  const wchar_t *record = (const wchar_t *)(bytes.data() + 2);
  EXPECT_EQ(std::wstring(L"zzdemo"), std::wstring(record, wcsnlen(record, 20)));
  EXPECT_EQ(std::wstring(L"zzdemo.exe"), std::wstring(record + 20, wcsnlen(record + 20, 20)));
  EXPECT_EQ(std::wstring(L"\\VTBrowseTest\\zzdemo.exe"), std::wstring(record + 40));
  EXPECT_EQ(3, *(const short *)(bytes.data() + 2 + 600));

  count++;

  // The shortcut leads to the same program: refused, nothing saved again.
  browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  Key(VK_RIGHT);
  Type("vtbrowse");
  Key(VK_RIGHT);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_TRUE(WaitUntil([&] { return pathShown(browser) == L"\\VTBrowseTest\\zzlink.lnk"; }, 3000));
  Key(VK_RETURN);
  Key(VK_RETURN);
  HWND box = WaitMessageBox();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(Text(L"String42VT"), MessageText(box));
  Key(VK_RETURN);
  EXPECT_TRUE(WaitWindowGone(box, 4000));
  std::string again;
  ASSERT_TRUE(ReadFileBytes(db, &again));
  EXPECT_EQ(bytes, again);
  // Both choices led to the one program.
  EXPECT_EQ(2, CountLines(L"AddProgramCommand [\\VTBrowseTest\\zzdemo.exe][zzdemo.exe]"));

  app_.Kill();
}

// Registry values a test changes outside the product key; put back as they were when it goes.
class ValueGuard {
 public:
  ValueGuard(HKEY root, const wchar_t *key, const wchar_t *value) : root_(root), key_(key), value_(value ? value : L"") {
    DWORD size = sizeof(data_);
    present_ = RegGetValueW(root, key, value, RRF_RT_ANY, &type_, data_, &size) == ERROR_SUCCESS;
    size_ = size;
  }
  ~ValueGuard() {
    HKEY k;
    if (RegCreateKeyExW(root_, key_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL) != ERROR_SUCCESS) return;
    const wchar_t *name = value_.empty() ? NULL : value_.c_str();
    if (present_) RegSetValueExW(k, name, 0, type_, data_, size_);
    else RegDeleteValueW(k, name);
    RegCloseKey(k);
  }
 private:
  HKEY root_;
  std::wstring key_, value_;
  bool present_;
  DWORD type_ = 0, size_ = 0;
  BYTE data_[1024];
};

DWORD ReadDword(HKEY root, const wchar_t *key, const wchar_t *value) {
  DWORD v = 0xFFFFFFFF, size = sizeof(v);
  RegGetValueW(root, key, value, RRF_RT_REG_DWORD, NULL, &v, &size);
  return v;
}

void WriteDword(HKEY root, const wchar_t *key, const wchar_t *value, DWORD v) {
  HKEY k;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, key, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL));
  RegSetValueExW(k, value, 0, REG_DWORD, (const BYTE *)&v, sizeof(v));
  RegCloseKey(k);
}

int RowOfTask(const std::wstring &exe) {
  int row = -1;
  for (const std::wstring &l : ReadLogLines(kLog)) {
    size_t at = l.find(L"][" + exe + L"][running=");
    if (StartsWith(l, L"GetProcessList [") && at != std::wstring::npos) row = _wtoi(l.c_str() + 16);
  }
  return row;
}

TEST_F(PagesTest, TaskRowJoinsTheDatabaseMovesItsLevelAndClosesAndStartsItsProgram) {
  std::wstring db = InstallFolder() + L"\\Settings.db";
  std::string savedDb;
  bool hadDb = ReadFileBytes(db, &savedDb);
  RemoveFile(db);
  Program helper;
  ASSERT_TRUE(helper.Start(HelperProgram(L"windowhelper.exe"), L"VTPAGEAPP PageApp"));
  ASSERT_NE(nullptr, WaitForWindow(L"VTPAGEAPP", L"PageApp", 10000));
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PageModel menu = Layout(PAGE_MENU);
  TapControl(menu.controls[FirstRowControl(&menu)]);
  ASSERT_TRUE(WaitLines(L"currp 1", 1));
  Settle();
  int item = RowOfTask(L"windowhelper.exe");
  ASSERT_GE(item, 0);
  PageModel tasks = Layout(PAGE_TASKS);
  int scroll = item >= tasks.visibleRows ? item - tasks.visibleRows + 1 : 0;
  for (int i = 0; i < scroll; i++) TapControl(tasks.controls[tasks.firstRowFixed + 2]);
  tasks = Layout(PAGE_TASKS, scroll);
  const PageControl &row = tasks.controls[FirstRowControl(&tasks) + item - scroll];
  auto record = [&](int *level) {
    std::string bytes;
    if (!ReadFileBytes(db, &bytes) || bytes.size() < 2) return -1;
    int count = (unsigned char)bytes[0] | ((unsigned char)bytes[1] << 8);
    if (count > 0 && bytes.size() >= 604) *level = *(const short *)(bytes.data() + 602);
    return count;
  };

  TapSub(row.sub[0]);  // into the database
  int level = -1;
  EXPECT_TRUE(WaitUntil([&] { return record(&level) == 1; }, 4000));
  EXPECT_EQ(3, level);
  TapSub(row.sub[8]);  // "+": one level more urgent
  EXPECT_TRUE(WaitUntil([&] { return record(&level) == 1 && level == 2; }, 4000)) << level;
  TapSub(row.sub[5]);  // "-": back to normal, which is never stored
  EXPECT_TRUE(WaitUntil([&] { return record(&level) == 0; }, 4000));
  TapSub(row.sub[9]);  // close the program
  EXPECT_EQ(7u, helper.Wait(5000));
  TapSub(row.sub[9]);  // and start it again
  EXPECT_TRUE(WaitUntil([] { return CountLines(L"execute file ") > 0; }, 4000));
  TapOk();
  TapOk();
  EXPECT_EQ(0u, app_.Wait(10000));
  RemoveFile(db);
  if (hadDb) WriteFileBytes(db, savedDb.data(), savedDb.size());
}

TEST_F(PagesTest, GlyphCacheStepsToBothEndsAndEveryStorageRowToggles) {
  const wchar_t *glyph = L"SYSTEM\\GDI\\GLYPHCACHE\\";
  ValueGuard limit(HKEY_LOCAL_MACHINE, glyph, L"limit");
  ValueGuard fs(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\FATFS\\", L"CacheSize");
  ValueGuard fsOn(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\FATFS\\", L"EnableCache");
  ValueGuard repl(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Filters\\fsreplxfilt\\", L"ReplStoreCacheSize");
  ValueGuard web(HKEY_CURRENT_USER,
                 L"SOFTWARE\\Microsoft\\Windows\\Current Version\\Internet Settings\\5.0\\Cache\\Content\\",
                 L"CacheLimit");
  ValueGuard cab(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL);
  ProductKeyGuard product{{L"storperfIETmpToStorage"}};
  WriteDword(HKEY_LOCAL_MACHINE, glyph, L"limit", 8192);
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  PageModel menu = Layout(PAGE_MENU);
  int first = FirstRowControl(&menu);
  TapControl(menu.controls[first + 2]);
  ASSERT_TRUE(WaitLines(L"currp 3", 1));
  Settle();
  PageModel display = Layout(PAGE_DISPLAY);

  // Taps: down to the smallest limit, and once more only beeps.
  TapControl(display.controls[4]);
  EXPECT_TRUE(WaitUntil([&] { return ReadDword(HKEY_LOCAL_MACHINE, glyph, L"limit") == 4096; }, 3000));
  TapControl(display.controls[4]);
  EXPECT_EQ(4096u, ReadDword(HKEY_LOCAL_MACHINE, glyph, L"limit"));
  // After a tap the page has no focus and its keys do nothing.
  Key(VK_RIGHT);
  Key(VK_RETURN);
  Key(VK_LEFT);
  Key(VK_RETURN);
  Settle();
  EXPECT_FALSE(FocusEdgeOn(ScreenShot(), display.controls[4]));
  EXPECT_EQ(4096u, ReadDword(HKEY_LOCAL_MACHINE, glyph, L"limit"));
  // Opened again, the focus rests on "-": Right moves it to "+", Enter steps up to the largest.
  TapOk();
  ASSERT_TRUE(WaitUntil([&] { return FocusEdgeOn(ScreenShot(), menu.controls[first]); }, 4000));
  TapControl(menu.controls[first + 2]);
  ASSERT_TRUE(WaitLines(L"currp 3", 2));
  Settle();
  Key(VK_RIGHT);
  for (DWORD want : {8192u, 16384u, 32768u, 32768u}) {
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return ReadDword(HKEY_LOCAL_MACHINE, glyph, L"limit") == want; }, 3000)) << want;
  }
  TapOk();

  // The storage page: every row with an indicator flips it on a tap, and back on a second tap. Its
  // menu row is scrolled into sight first where the menu shows fewer rows.
  int scroll = 3 >= menu.visibleRows ? 3 - menu.visibleRows + 1 : 0;
  for (int i = 0; i < scroll; i++) TapControl(menu.controls[menu.firstRowFixed + 2]);
  menu = Layout(PAGE_MENU, scroll);
  TapControl(menu.controls[FirstRowControl(&menu) + 3 - scroll]);
  ASSERT_TRUE(WaitLines(L"currp 4", 1));
  Settle();
  PageModel storage = Layout(PAGE_STORAGE);
  int sfirst = FirstRowControl(&storage);
  for (int r = 0; sfirst + r < storage.controlCount; r++) {
    const PageControl &row = storage.controls[sfirst + r];
    if (row.subCount != 2) continue;
    RECT ind = OnScreen(row);
    ind.left = row.sub[0].left;
    ind.right = row.sub[0].right;
    auto picture = [&] {
      ScreenShot s;
      std::vector<COLORREF> px;
      // Inside the focus edge that a tap puts around the indicator.
      for (int y = ind.top + 3; y < ind.bottom - 3; y += 3)
        for (int x = ind.left + 3; x < ind.right - 3; x += 3) px.push_back(s.Pixel(x, y));
      return px;
    };
    std::vector<COLORREF> before = picture();
    TapSub(row.sub[0]);
    // A row that cannot change (browser files to a card when the device has none) says why and
    // stays as it was.
    if (HWND box = FindWindowW(L"#32770", L"Vantora")) {
      Key(VK_RETURN);
      WaitWindowGone(box, 3000);
      Settle();
      EXPECT_TRUE(picture() == before) << "row " << r;
      continue;
    }
    EXPECT_TRUE(WaitUntil([&] { return picture() != before; }, 3000)) << "row " << r;
    TapSub(row.sub[0]);
    if (HWND box = FindWindowW(L"#32770", L"Vantora")) {
      Key(VK_RETURN);
      WaitWindowGone(box, 3000);
    }
    EXPECT_TRUE(WaitUntil([&] { return picture() == before; }, 3000)) << "row " << r;
  }
  app_.Kill();
}

// The level steps a task row's key presses logged ("priority 3 -> 2"), in order.
std::vector<std::pair<int, int>> LoggedLevelSteps() {
  std::vector<std::pair<int, int>> steps;
  for (const std::wstring &l : ReadLogLines(kLog)) {
    size_t at = l.find(L"] priority ");
    if (!StartsWith(l, L"ChangeTaskPriority [") || at == std::wstring::npos) continue;
    int from = -1, to = -1;
    if (swscanf(l.c_str() + at, L"] priority %d -> %d", &from, &to) == 2) steps.push_back({from, to});
  }
  return steps;
}

HWND DeviceTaskbar() { return FindWindowW(L"HHTaskbar", L""); }

// The task page by keys alone, and its Refresh button by key and by tap.
TEST_F(PagesTest, TaskPageByKeysAndItsRefreshButton) {
  DatabaseAside aside;  // the level steps save it
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  OpenTaskPage();
  PageModel tasks = Layout(PAGE_TASKS);
  ASSERT_GT(tasks.itemCount, 0);
  int firstRow = FirstRowControl(&tasks);
  auto edgeOn = [&](const PageControl &c) {
    return WaitUntil([&] { return FocusEdgeOn(ScreenShot(), c); }, 3000);
  };
  auto edgeOnPart = [&](int part) {
    const SubElement &e = g_Pages[PAGE_TASKS].controls[firstRow].sub[part];
    return WaitUntil([&] { return FocusEdgeAt(ScreenShot(), e.left, e.right, e.bottom); }, 3000);
  };

  // Up from the first row reaches Refresh; from there the first row, on its database mark.
  Key(VK_UP);
  EXPECT_TRUE(edgeOn(tasks.controls[5]));
  Key(VK_RIGHT);
  EXPECT_TRUE(edgeOnPart(0));
  // Right goes round the row's parts: "-", "+", the running mark, the database mark; Left back.
  for (int part : {5, 8, 9, 0}) {
    Key(VK_RIGHT);
    EXPECT_TRUE(edgeOnPart(part)) << part;
  }
  Key(VK_LEFT);
  EXPECT_TRUE(edgeOnPart(9));
  Key(VK_LEFT);
  EXPECT_TRUE(edgeOnPart(8));
  // Enter on "+" one level more urgent, on "-" back.
  Key(VK_RETURN);
  ASSERT_TRUE(WaitUntil([] { return LoggedLevelSteps().size() == 1; }, 4000));
  Key(VK_LEFT);
  EXPECT_TRUE(edgeOnPart(5));
  Key(VK_RETURN);
  ASSERT_TRUE(WaitUntil([] { return LoggedLevelSteps().size() == 2; }, 4000));
  std::vector<std::pair<int, int>> steps = LoggedLevelSteps();
  EXPECT_EQ(steps[0].first - 1, steps[0].second);
  EXPECT_EQ(steps[0].second, steps[1].first);
  EXPECT_EQ(steps[0].first, steps[1].second);
  // Down through every item, scrolling as it goes, and once more from the last: the monitor button.
  tasks = Layout(PAGE_TASKS);
  for (int i = 1; i < tasks.itemCount; i++) Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_TRUE(edgeOn(tasks.controls[3]));
  // Right twice to Refresh, Enter on it; then a tap on it.
  int refreshed = CountLines(L"RefreshProcessList:");
  Key(VK_RIGHT);
  Key(VK_RIGHT);
  EXPECT_TRUE(edgeOn(tasks.controls[5]));
  Key(VK_RETURN);
  EXPECT_TRUE(WaitLines(L"RefreshProcessList:", refreshed + 1));
  tasks = Layout(PAGE_TASKS);
  TapControl(tasks.controls[5]);
  EXPECT_TRUE(WaitLines(L"RefreshProcessList:", refreshed + 2));
}

// The refresh tick renews the figures while the task page is in front, and not while Help from the
// soft-key menu is. The tick is a time of the program's: it fires every period and renews only when
// the page was last drawn a period before, so one comes within two periods of the last drawing.
TEST_F(PagesTest, TheTickRenewsTheTaskPageInFrontAndNotBehindHelp) {
  const DWORD period = REFRESH_PERIOD_MS;
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  OpenTaskPage();
  auto tickAfter = [&](int ticks) {
    return WaitFor("a tick", [&] { return CountLines(L"Refresh tick:") > ticks; }, 2 * period + 3000);
  };
  ASSERT_TRUE(tickAfter(CountLines(L"Refresh tick:")));
  DWORD ticked = GetTickCount();
  // Help from the soft-key menu opens the help page in front.
  Key(VK_F2);
  Key('H');
  HWND help = WaitForWindow(L"VTBrowser", NULL, 10000);
  ASSERT_NE(nullptr, help);
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == help; }, 3000));
  DWORD inFront = GetTickCount();
  int ticks = CountLines(L"Refresh tick:");
  // The timer fires a period apart from the firing that ticked; the first firing a period after the
  // page's last drawing (before the help page came in front) would tick if the page were in front:
  // none may, until that firing is past.
  DWORD firing = ticked;
  while ((int)(firing - inFront) < (int)period) firing += period;
  int left = (int)(firing + 500 - GetTickCount());
  if (left > 0) Sleep(left);
  EXPECT_EQ(ticks, CountLines(L"Refresh tick:")) << "ticked behind the help page";
  PostMessageW(help, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitWindowGone(help, 5000));
  Front();
  EXPECT_TRUE(tickAfter(ticks));
}

// The program browser: full screen while open, a shortcut that leads to no program refused, an add
// whose save fails undone, the taskbar back when the program is killed with the browser open.
TEST_F(PagesTest, BrowserShowsFullScreenAndAddsNothingRefusedOrUnsaved) {
  BrowserFolder folder;
  const std::wstring note = std::wstring(BrowserFolder::kFolder) + L"\\zznote.lnk";
  RemoveFile(note);
  ASSERT_TRUE(SHCreateShortcut(L"\\VTBrowseTest\\zznote.lnk", L"\\VTBrowseTest\\notes.txt"));
  DatabaseAside aside;
  const std::wstring &db = aside.path_;
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  OpenTaskPage();

  // An added row is in no list the log names yet.
  auto openBrowser = [&](int added = 0) { return OpenBrowser(LoggedTaskCount() + added); };
  auto choose = [&](HWND browser, int downs, const std::wstring &path) {
    Key(VK_RIGHT);
    Type("vtbrowse");
    Key(VK_RIGHT);
    for (int i = 0; i < downs; i++) Key(VK_DOWN);
    WCHAR text[MAX_PATH] = L"";
    WaitUntil([&] {
      SendMessageW(GetDlgItem(browser, 501), WM_GETTEXT, ARRAYSIZE(text), (LPARAM)text);
      return path == text;
    }, 3000);
    EXPECT_EQ(path, std::wstring(text));
    Key(VK_RETURN);
    Key(VK_RETURN);
  };

  // The browser takes the whole screen: no taskbar, no Start icon; they come back when it closes.
  HWND browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  EXPECT_TRUE(WaitUntil([] { return !IsWindowVisible(DeviceTaskbar()); }, 3000));
  RECT rc;
  GetWindowRect(browser, &rc);
  EXPECT_EQ(0, rc.top);
  EXPECT_EQ(ScreenWidth(), rc.right - rc.left);
  // A shortcut to a text file is no program: told, nothing added.
  choose(browser, 3, L"\\VTBrowseTest\\zznote.lnk");
  HWND box = WaitMessageBox();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(Text(L"String41VT"), MessageText(box));
  EXPECT_TRUE(IsWindowVisible(DeviceTaskbar()));
  Key(VK_RETURN);
  EXPECT_TRUE(WaitWindowGone(box, 4000));
  EXPECT_FALSE(FileExists(db));

  // A save that fails: the file stays as it was, the list too, so the same program adds later.
  ASSERT_TRUE(WriteFileBytes(db, "\0\0", 2));
  SetFileAttributesW(db.c_str(), FILE_ATTRIBUTE_READONLY);
  browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  choose(browser, 1, L"\\VTBrowseTest\\zzdemo.exe");
  EXPECT_TRUE(WaitLines(L"AddProgramCommand: Settings.db not saved, change undone.", 1));
  SetFileAttributesW(db.c_str(), FILE_ATTRIBUTE_NORMAL);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(db, &bytes));
  EXPECT_EQ(2u, bytes.size());
  EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(DeviceTaskbar()); }, 3000));
  browser = openBrowser();
  ASSERT_NE(nullptr, browser);
  choose(browser, 1, L"\\VTBrowseTest\\zzdemo.exe");
  EXPECT_TRUE(WaitUntil([&] { return ReadFileBytes(db, &bytes) && bytes.size() == 2u + 602u; }, 4000));
  EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"Vantora")) << "refused as already listed";

  // Killed with the browser open: the shell shows its taskbar again.
  browser = openBrowser(1);
  ASSERT_NE(nullptr, browser);
  EXPECT_TRUE(WaitUntil([] { return !IsWindowVisible(DeviceTaskbar()); }, 3000));
  app_.Kill();
  EXPECT_TRUE(WaitUntil([] { return IsWindowVisible(DeviceTaskbar()); }, 3000));

  RemoveFile(note);
}

// The companion page's first two rows start and stop the close button and the battery meter; the
// benchmark page's compare row without a saved result says so and the benchmark ends.
TEST_F(PagesTest, CompanionRowsStartAndStopTheirProgramsAndCompareWithoutAResultSaysSo) {
  std::wstring result = InstallFolder() + L"\\benchmark.dat";
  std::string savedResult;
  bool hadResult = ReadFileBytes(result, &savedResult);
  RemoveFile(result);
  HWND hwnd = Start();
  ASSERT_NE(nullptr, hwnd);
  OpenByKeys(PAGE_COMPANIONS);
  PageModel companions = Layout(PAGE_COMPANIONS);
  struct {
    const wchar_t *cls, *title;
  } programs[] = {{L"QUITLETAPP", L"QuitletApp"}, {L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl"}};
  for (int row = 0; row < 2; row++) {
    const PageControl &c = companions.controls[FirstRowControl(&companions) + row];
    ASSERT_EQ(nullptr, FindWindowW(programs[row].cls, programs[row].title)) << row;
    TapSub(c.sub[0]);
    HWND started = WaitForWindow(programs[row].cls, programs[row].title, 10000);
    EXPECT_NE(nullptr, started) << row;
    Front();
    TapSub(c.sub[0]);
    EXPECT_TRUE(WaitWindowGone(started, 10000)) << row;
    Front();
  }
  TapOk();

  OpenByKeys(PAGE_BENCHMARK);
  PageModel bench = Layout(PAGE_BENCHMARK);
  TapControl(bench.controls[FirstRowControl(&bench) + 2]);
  HWND box = WaitMessageBox();
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(GetLocalisedString(&g_Strings, L"String8BenchMark", LOCALISED_STRING_MAX), MessageText(box));
  DWORD benchmark = 0;
  GetWindowThreadProcessId(box, &benchmark);
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, benchmark);
  Key(VK_RETURN);
  EXPECT_TRUE(WaitWindowGone(box, 4000));
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process, 10000)) << "the benchmark still runs";
  CloseHandle(process);
  EXPECT_FALSE(FileExists(result));
  if (hadResult) WriteFileBytes(result, savedResult.data(), savedResult.size());
}

// The filter takes whole endings only, in the case written: "xe" is no ".exe", nor is ".EXE".
TEST(BrowserFilterTest, WholeEndingsInTheirCase) {
  EXPECT_TRUE(BrowserFilterAccepts(L"exe.|knl.", L"foo.exe"));
  EXPECT_TRUE(BrowserFilterAccepts(L"exe.|knl.", L"Start Here.lnk"));
  EXPECT_FALSE(BrowserFilterAccepts(L"exe.|knl.", L"FOO.EXE"));
  EXPECT_FALSE(BrowserFilterAccepts(L"exe.|knl.", L"xe"));
  EXPECT_FALSE(BrowserFilterAccepts(L"exe.|knl.", L"notes.txt"));
  EXPECT_TRUE(BrowserFilterAccepts(L"*.", L"notes.txt"));
}

// Every browser registers a window class of its own; closing it gives the class back, so a long
// session does not use up the window manager's classes.
TEST(BrowserWindowTest, ClosingTheBrowserUnregistersItsClass) {
  InitProgramStatics();
  UseScreen({ScreenWidth(), ScreenHeight()});
  std::wstring strip = InstallFolder() + L"\\Images\\tvf_f" + std::to_wstring(ScaleX(1)) + L".jpg";
  HINSTANCE instance = GetModuleHandleW(NULL);
  static WCHAR seenClass[64];
  seenClass[0] = 0;
  // Cancel from outside once the browser shows, as the soft key would.
  HANDLE closer = CreateThread(NULL, 0, [](LPVOID) -> DWORD {
    for (int i = 0; i < 200; i++) {
      HWND found = NULL;
      EnumWindows([](HWND w, LPARAM out) -> BOOL {
        WCHAR cls[64] = L"";
        GetClassNameW(w, cls, ARRAYSIZE(cls));
        if (wcsncmp(cls, L"browsefile:", 11) != 0) return TRUE;
        *(HWND *)out = w;
        return FALSE;
      }, (LPARAM)&found);
      if (found && IsWindowVisible(found)) {
        GetClassNameW(found, seenClass, ARRAYSIZE(seenClass));
        PostMessageW(found, WM_COMMAND, 30002, 0);
        return 0;
      }
      Sleep(50);
    }
    return 1;
  }, NULL, 0, NULL);
  WCHAR path[BROWSER_PATH_CHARS] = L"x", name[BROWSER_PATH_CHARS] = L"x";
  BrowseForProgram(instance, NULL, L"Add Shortcut or Program", L"exe.|knl.", path, name, strip.c_str());
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(closer, 5000));
  CloseHandle(closer);
  EXPECT_EQ(std::wstring(L""), path);
  EXPECT_EQ(std::wstring(L""), name);
  ASSERT_NE(0, seenClass[0]);
  WNDCLASSW wc;
  EXPECT_FALSE(GetClassInfoW(instance, seenClass, &wc)) << "class left registered";
}

}  // namespace
