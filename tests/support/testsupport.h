// What the tests share: files, registry values, programs and windows of the device, screen pixels.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

#include "gtest/gtest.h"

#define TEST_PRODUCT_KEY L"Software\\Ondrel\\Vantora"

// The suite's installation folder in the test device.
std::wstring InstallFolder();
std::wstring InstalledProgram(const wchar_t *exe);
// A folder of the test executable's own (tests/), e.g. for its helper programs.
std::wstring TestBinFolder();
std::wstring HelperProgram(const wchar_t *exe);
// A folder under the device's temp folder, unique to this test process: empty at the running
// case's first call with that name, and removed when that case ends.
std::wstring MakeTempFolder(const wchar_t *name);

bool ReadFileBytes(const std::wstring &path, std::string *out);
bool WriteFileBytes(const std::wstring &path, const void *data, size_t size);
bool FileExists(const std::wstring &path);
void RemoveFile(const std::wstring &path);
// The lines of a debug log (UTF-8, CRLF) as wide strings; empty when the file is missing.
std::vector<std::wstring> ReadLogLines(const std::wstring &path);

// Product key values (HKLM\Software\Ondrel\Vantora) a test changes; restored when it goes.
class ProductKeyGuard {
 public:
  explicit ProductKeyGuard(std::vector<std::wstring> names);
  ~ProductKeyGuard();
 private:
  struct Saved {
    std::wstring name;
    bool present;
    DWORD type;
    std::vector<BYTE> data;
  };
  std::vector<Saved> saved_;
};
void SetProductDword(const wchar_t *name, DWORD value);
void SetProductString(const wchar_t *name, const wchar_t *value);
void DeleteProductValue(const wchar_t *name);

// A program started in the device.
struct Program {
  HANDLE process = NULL;
  DWORD id = 0;
  ~Program();
  bool Start(const std::wstring &exe, const std::wstring &args = L"");
  // Exit code, or STILL_ACTIVE after the timeout.
  DWORD Wait(DWORD ms);
  void Kill();
  // Lets the program run on after this object goes.
  void Detach();
};

// ---- Waiting for what a test means ----
// A wait polls for the event it names until it comes or the deadline passes. The deadline is only
// there to end a test that would otherwise hang: it is generous and never decides a check by
// itself. A failed wait says what was awaited.
const DWORD kWaitMs = 10000;

// Polls until a predicate holds.
template <class F> bool WaitUntil(F f, DWORD ms = kWaitMs) {
  DWORD start = GetTickCount();
  while (!f()) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
  return true;
}
// The same, for a check: EXPECT_TRUE(WaitFor("the menu to open", MenuOpen));
template <class F> ::testing::AssertionResult WaitFor(const std::string &what, F f, DWORD ms = kWaitMs) {
  if (WaitUntil(f, ms)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "waited " << ms << " ms for " << what;
}

// A window of that class (and title, when given) appears; NULL when none did.
HWND WaitForWindow(const wchar_t *cls, const wchar_t *title, DWORD ms = kWaitMs);
// The window is gone.
bool WaitWindowGone(HWND hwnd, DWORD ms = kWaitMs);
// The first visible top-level window of a process appears; NULL when none did.
HWND WaitForWindowOf(DWORD processId, DWORD ms = kWaitMs);

// Lines of a debug log that begin with the prefix.
int CountLogLines(const std::wstring &path, const std::wstring &prefix);
// The log holds at least `count` lines that begin with the prefix.
::testing::AssertionResult WaitForLogLine(const std::wstring &path, const std::wstring &prefix, int count = 1,
                                          DWORD ms = kWaitMs);
// A file exists with at least `size` bytes, and a writer that holds it open without sharing is done.
::testing::AssertionResult WaitForFile(const std::wstring &path, DWORD size = 1, DWORD ms = kWaitMs);
// Running processes of that program file name ("QuitletApp.exe"), of the whole device.
int RunningCopies(const wchar_t *exe);
// As many copies of the program run as wanted (the others ended).
::testing::AssertionResult WaitForCopies(const wchar_t *exe, int copies, DWORD ms = kWaitMs);

// A window (of any program) and its children have handled the paint they had pending: each gets its
// WM_PAINT sent and has drawn when this returns.
void RepaintNow(HWND hwnd);
// The thread of the window has handled what was queued to it before (input included): two round
// trips through its queue, as a message sent to it is handled ahead of what waits there.
bool QueueHandled(HWND hwnd, DWORD ms = kWaitMs);
// Input sent to the window's thread (a tap: move, press, release; a key: press, character, release)
// and what handling it posted have been handled. The thread takes one queued message per pass
// through its loop, handling what was sent to it first: a round trip per message that may wait.
bool InputHandled(HWND hwnd, DWORD ms = kWaitMs);

// The screen as it is now.
class ScreenShot {
 public:
  ScreenShot();
  // Only a part of the screen (faster to take); Pixel keeps screen coordinates.
  explicit ScreenShot(const RECT &part);
  COLORREF Pixel(int x, int y) const;
  int width() const { return w_; }
  int height() const { return h_; }
  // Counts pixels of the colour inside a rectangle.
  int Count(const RECT &rc, COLORREF colour) const;
 private:
  void Take(int x, int y, int w, int h);
  int x_ = 0, y_ = 0, w_ = 0, h_ = 0;
  std::vector<DWORD> bits_;
};

// A plain window of the test's own, in front while it lives: the taskbar paints itself anew to show
// its title. Changed() is whether the screen's part differs from a screenshot of it.
class WindowInFront {
 public:
  explicit WindowInFront(const wchar_t *title);
  ~WindowInFront();
 private:
  HWND hwnd_;
};
bool Changed(const ScreenShot &before, const RECT &part);

int ScreenWidth();
int ScreenHeight();
