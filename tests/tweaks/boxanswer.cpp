#include "boxanswer.h"

namespace {
struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK IsBox(HWND hwnd, LPARAM param) {
  Search *s = (Search *)param;
  WCHAR cls[32] = {}, title[64] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  GetClassNameW(hwnd, cls, 32);
  GetWindowTextW(hwnd, title, 64);
  if (pid == s->processId && !wcscmp(cls, L"#32770") && !wcscmp(title, L"Vantora") && IsWindowVisible(hwnd)) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND FindBox(DWORD processId) {
  Search s = {processId, NULL};
  EnumWindows(IsBox, (LPARAM)&s);
  return s.found;
}

BoxAnswerer::BoxAnswerer(std::vector<int> answers, DWORD processId) : answers_(answers), processId_(processId) {
  InitializeCriticalSection(&lock_);
  thread_ = CreateThread(NULL, 0, Run, this, 0, NULL);
}

BoxAnswerer::~BoxAnswerer() {
  InterlockedExchange(&stop_, 1);
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
  DeleteCriticalSection(&lock_);
}

std::vector<std::wstring> BoxAnswerer::Texts() {
  EnterCriticalSection(&lock_);
  std::vector<std::wstring> copy = texts_;
  LeaveCriticalSection(&lock_);
  return copy;
}

int BoxAnswerer::Answered() { return (int)Texts().size(); }

DWORD WINAPI BoxAnswerer::Run(LPVOID param) {
  BoxAnswerer *self = (BoxAnswerer *)param;
  size_t next = 0;
  while (!self->stop_ && next < self->answers_.size()) {
    Search s = {self->processId_, FindBox(self->processId_)};
    if (!s.found) {
      Sleep(30);
      continue;
    }
    WCHAR text[512] = {};
    GetDlgItemTextW(s.found, 0xFFFF, text, 512);
    EnterCriticalSection(&self->lock_);
    self->texts_.push_back(text);
    LeaveCriticalSection(&self->lock_);
    PostMessageW(s.found, WM_COMMAND, MAKEWPARAM(self->answers_[next], BN_CLICKED), 0);
    next++;
    // The same box must not be answered twice.
    for (int i = 0; i < 100 && IsWindow(s.found); i++) Sleep(20);
  }
  return 0;
}
