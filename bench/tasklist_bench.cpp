// Cost of building the task list (no icons, no CPU figures) against its floor: one process snapshot
// plus one walk over the top-level windows that tells each window's process, in the same run.
// Runs with 10, 40 and 90 helper programs, each with a titled window; prints one line per size.
#include <windows.h>
#include <stdio.h>
#include <algorithm>
#include <vector>
#include "database.h"
#include "tasklist.h"
#include "wm_process.h"
#include "benchsupport.h"

namespace {

const int kSizes[] = {10, 40, 90};
const int kRounds = 31;

TaskList g_List;
TaskDatabase g_NoDatabase;

struct Helper {
  PROCESS_INFORMATION pi;
};

double g_SlowestStart;

// Started and up (its window made, its ready event set). A helper that ends before it is up is told
// at once with its exit code; one that is merely slow on a loaded machine is waited for.
bool StartHelper(const WCHAR *exe, int index, std::vector<Helper> *helpers) {
  WCHAR ready[64], cmd[MAX_PATH + 128];
  wsprintfW(ready, L"tasklist-bench-%u-%d", GetCurrentProcessId(), index);
  wsprintfW(cmd, L"\"%s\" window \"Bench %d\" ready %s", exe, index, ready);
  HANDLE event = CreateEventW(NULL, TRUE, FALSE, ready);
  if (!event) return false;
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  Helper helper = {};
  double t0 = Now();
  if (!CreateProcessW(exe, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &helper.pi)) {
    printf("tasklist bench: helper %d could not be started (error %lu)\n", index, GetLastError());
    CloseHandle(event);
    return false;
  }
  helpers->push_back(helper);
  HANDLE waits[2] = {event, helper.pi.hProcess};
  DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 60000);
  CloseHandle(event);
  double took = Now() - t0;
  if (took > g_SlowestStart) g_SlowestStart = took;
  if (woke == WAIT_OBJECT_0) return true;
  DWORD code = 0;
  GetExitCodeProcess(helper.pi.hProcess, &code);
  printf("tasklist bench: helper %d %s after %.0f ms (exit code 0x%lX)\n", index,
         woke == WAIT_OBJECT_0 + 1 ? "ended before it was up" : "was not up", took, code);
  return false;
}

}  // namespace

int main() {
  WCHAR exe[MAX_PATH];
  if (!BuildTreeFile(L"tests\\helpers\\taskhelper.exe", exe)) return 2;
  if (GetFileAttributesW(exe) == INVALID_FILE_ATTRIBUTES) {
    printf("tasklist bench: helper program missing (build taskhelper)\n");
    return 2;
  }
  std::vector<Helper> helpers;
  int result = 0;
  printf("BuildTaskList(windowed, no icons) against one process snapshot + one window walk\n");
  for (int size : kSizes) {
    while ((int)helpers.size() < size)
      if (!StartHelper(exe, (int)helpers.size(), &helpers)) {
        result = 2;
        break;
      }
    if (result) break;
    // Let the new programs finish starting: their start-up load is no part of either measure.
    Sleep(2000);
    std::vector<double> floor, build;
    for (int round = 0; round < kRounds; round++) {
      double t0 = Now();
      ListingFloor();
      double t1 = Now();
      BuildTaskListFrom(&g_List, &g_NoDatabase, 1, 0, 0);
      double t2 = Now();
      floor.push_back(t1 - t0);
      build.push_back(t2 - t1);
    }
    double ratio = Median(build) / Median(floor);
    printf("helpers %3d  rows %3d  floor %7.3f ms  build %7.3f ms  ratio %5.2f  (target <= 1.20)\n", size, g_List.count,
           Median(floor), Median(build), ratio);
    fflush(stdout);
  }
  printf("slowest helper start: %.0f ms\n", g_SlowestStart);
  for (Helper &helper : helpers) {
    TerminateProcess(helper.pi.hProcess, 0);
    WaitForSingleObject(helper.pi.hProcess, 5000);
    CloseHandle(helper.pi.hProcess);
    CloseHandle(helper.pi.hThread);
  }
  return result;
}
