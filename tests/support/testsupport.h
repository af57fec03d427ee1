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
// A fresh empty folder under the device's temp folder, unique to this test process.
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

// Polls until a window of that class (and title, when given) exists.
HWND WaitForWindow(const wchar_t *cls, const wchar_t *title, DWORD ms);
// Polls until the window is gone.
bool WaitWindowGone(HWND hwnd, DWORD ms);
// Polls until a predicate holds.
template <class F> bool WaitUntil(F f, DWORD ms) {
  DWORD start = GetTickCount();
  while (!f()) {
    if (GetTickCount() - start >= ms) return false;
    Sleep(20);
  }
  return true;
}

// The screen as it is now.
class ScreenShot {
 public:
  ScreenShot();
  COLORREF Pixel(int x, int y) const;
  int width() const { return w_; }
  int height() const { return h_; }
  // Counts pixels of the colour inside a rectangle.
  int Count(const RECT &rc, COLORREF colour) const;
 private:
  int w_ = 0, h_ = 0;
  std::vector<DWORD> bits_;
};

int ScreenWidth();
int ScreenHeight();
