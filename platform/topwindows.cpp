// The z-order walk over every top-level window. The handheld starts it with GW_HWNDFIRST on the
// desktop window; on the desktop that names the desktop's own level, so the walk would see nothing.
#include "wm_process.h"
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct WalkState {
  WmWindowVisitor visit;
  void *context;
  int visited;
};

BOOL CALLBACK VisitOne(HWND hwnd, LPARAM param) {
  WalkState *state = (WalkState *)param;
  state->visited++;
  return state->visit(hwnd, state->context);
}

BOOL CALLBACK CollectOne(HWND hwnd, LPARAM param) {
  ((std::vector<HWND> *)param)->push_back(hwnd);
  return TRUE;
}

struct KnownWindow {
  HWND hwnd;
  DWORD processId;
  DWORD threadId;
  std::wstring className;
  bool operator<(const KnownWindow &other) const { return hwnd < other.hwnd; }
};

// The windows the last walk met, by handle. A handle names one window for its whole life: the system
// gives a closed window's slot a new handle value when it reuses it.
std::vector<KnownWindow> g_Known;
SRWLOCK g_KnownLock = SRWLOCK_INIT;

}  // namespace

int WmWalkTopLevelWindowFacts(WmWindowFactsVisitor visit, void *context) {
  if (!visit) return 0;
  std::vector<HWND> windows;
  EnumWindows(CollectOne, (LPARAM)&windows);
  std::vector<KnownWindow> met(windows.size());
  AcquireSRWLockExclusive(&g_KnownLock);
  for (size_t i = 0; i < windows.size(); i++) {
    KnownWindow &window = met[i];
    window.hwnd = windows[i];
    KnownWindow key;
    key.hwnd = windows[i];
    auto known = std::lower_bound(g_Known.begin(), g_Known.end(), key);
    if (known != g_Known.end() && known->hwnd == window.hwnd) {
      window.processId = known->processId;
      window.threadId = known->threadId;
      window.className.swap(known->className);
      continue;
    }
    window.processId = 0;
    window.threadId = GetWindowThreadProcessId(window.hwnd, &window.processId);
    WCHAR className[256];
    if (!window.threadId || !GetClassNameW(window.hwnd, className, ARRAYSIZE(className))) {
      window.processId = window.threadId = 0;
      continue;
    }
    window.className = className;
  }
  // Remembered: the windows met now that could be asked.
  std::vector<KnownWindow> keep;
  keep.reserve(met.size());
  for (const KnownWindow &window : met)
    if (window.threadId) keep.push_back(window);
  std::sort(keep.begin(), keep.end());
  g_Known.swap(keep);
  ReleaseSRWLockExclusive(&g_KnownLock);

  int visited = 0;
  for (const KnownWindow &window : met) {
    WmWindowFacts facts = {window.processId, window.threadId, window.className.c_str()};
    visited++;
    if (!visit(window.hwnd, &facts, context)) break;
  }
  return visited;
}

int WmWalkTopLevelWindows(WmWindowVisitor visit, void *context) {
  if (!visit) return 0;
  WalkState state = {visit, context, 0};
  // EnumWindows takes the list of the desktop's children in z-order before the first call.
  EnumWindows(VisitOne, (LPARAM)&state);
  return state.visited;
}
