#include "benchsupport.h"
#include <tlhelp32.h>
#include "wm_process.h"
#include <strsafe.h>
#include <algorithm>

namespace {
ULONGLONG FileTimeValue(const FILETIME &t) { return ((ULONGLONG)t.dwHighDateTime << 32) | t.dwLowDateTime; }

BOOL CountWindow(HWND hwnd, void *context) {
  DWORD processId = 0;
  GetWindowThreadProcessId(hwnd, &processId);
  *(DWORD *)context += processId != 0;
  return TRUE;
}
}  // namespace

double Now() {
  static LARGE_INTEGER frequency;
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart * 1000.0 / frequency.QuadPart;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

ULONGLONG ProcessCpu(DWORD processId) {
  ULONGLONG total = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID != processId) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    FILETIME created, exited, kernel, user;
    if (GetThreadTimes(thread, &created, &exited, &kernel, &user))
      total += FileTimeValue(kernel) + FileTimeValue(user);
    CloseHandle(thread);
  }
  CloseHandle(snapshot);
  return total;
}

double ProcessCpuMs(DWORD processId) { return ProcessCpu(processId) / 10000.0; }

double ProcessShare(DWORD processId, DWORD ms, double *usedMs, double *elapsedMs) {
  ULONGLONG before = ProcessCpu(processId);
  double t0 = Now();
  Sleep(ms);
  double used = (ProcessCpu(processId) - before) / 10000.0, elapsed = Now() - t0;
  if (usedMs) *usedMs = used;
  if (elapsedMs) *elapsedMs = elapsed;
  return used * 100.0 / elapsed;
}

bool BuildTreeFile(LPCWSTR relative, WCHAR path[MAX_PATH]) {
  WCHAR self[MAX_PATH];
  if (!GetModuleFileNameW(NULL, self, MAX_PATH)) return false;
  WCHAR *slash = wcsrchr(self, L'\\');
  if (!slash) return false;
  slash[1] = 0;
  return SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%s..\\%s", self, relative));
}

void ListingFloor(void) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = WmProcess32First(snapshot, &entry); more; more = WmProcess32Next(snapshot, &entry)) {
    }
    CloseHandle(snapshot);
  }
  DWORD windows = 0;
  WmWalkTopLevelWindows(CountWindow, &windows);
}
