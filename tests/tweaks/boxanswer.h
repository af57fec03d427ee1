// Answers the message boxes of the code under test the way a user does: waits for the dialog
// captioned "Vantora", notes its text and presses a button.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// The visible box captioned "Vantora" of the process, NULL while there is none.
HWND FindBox(DWORD processId = GetCurrentProcessId());

class BoxAnswerer {
 public:
  // One button id (IDYES, IDNO, IDOK) per box expected, in order.
  explicit BoxAnswerer(std::vector<int> answers, DWORD processId = GetCurrentProcessId());
  ~BoxAnswerer();
  // The texts of the boxes answered so far.
  std::vector<std::wstring> Texts();
  int Answered();

 private:
  static DWORD WINAPI Run(LPVOID self);
  std::vector<int> answers_;
  DWORD processId_;
  std::vector<std::wstring> texts_;
  CRITICAL_SECTION lock_;
  volatile LONG stop_ = 0;
  HANDLE thread_ = NULL;
};
