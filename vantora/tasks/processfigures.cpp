// CPU load, thread priority levels and memory figures of running processes.
#include "processfigures.h"
#include "cpusample.h"
#include "tasklist.h"
#include "wm_process.h"
#include "wm_shell.h"
#include <tlhelp32.h>

namespace {

// Calls act for every thread of the process in a thread snapshot. FALSE without a snapshot.
template <class F> BOOL ForEachThread(DWORD processId, F act) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return FALSE;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  // Process id 0 is a program that is not running: it has no threads, whatever the host lists as 0.
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (processId && entry.th32OwnerProcessID == processId) act(entry.th32ThreadID);
  CloseHandle(snapshot);
  return TRUE;
}

// Two samples are large; they are taken on the user-interface thread only, so one pair serves.
CpuSample g_FirstSample, g_SecondSample;

}  // namespace

double GetProcessCpuUsage(DWORD processId) {
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  if (!TakeCpuSample(&g_FirstSample)) {
    SetProcPermissions(oldPermissions);
    return -1.0;
  }
  Sleep(200);
  BOOL second = TakeCpuSample(&g_SecondSample);
  SetProcPermissions(oldPermissions);
  if (!second) return -2.0;
  // Process id 0 is a program that is not running: it has no threads, whatever the host lists as 0.
  return processId ? ProcessLoadBetween(&g_FirstSample, &g_SecondSample, processId) : 0.0;
}

int GetProcessPriority(DWORD processId, int *priority) {
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  int sum = 0, count = 0;
  BOOL ok = ForEachThread(processId, [&](DWORD threadId) {
    int level = WmGetThreadPriority(threadId);
    if (level == THREAD_PRIORITY_ERROR_RETURN) return;
    sum += level;
    count++;
  });
  SetProcPermissions(oldPermissions);
  if (priority) *priority = count ? sum / count : PRIORITY_LEVEL_NORMAL;
  return ok ? 1 : 0;
}

int SetProcessPriority(DWORD processId, int priority) {
  if (priority < PRIORITY_LEVEL_HIGHEST || priority > PRIORITY_LEVEL_IDLE) return 0;
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  BOOL ok = ForEachThread(processId, [&](DWORD threadId) { WmSetThreadPriority(threadId, priority); });
  SetProcPermissions(oldPermissions);
  return ok ? 1 : 0;
}

SIZE_T GetProcessHeapUsage(DWORD processId) { return WmGetProcessHeapUsage(processId); }

double GetUsedProgramMemory(void) {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof(status);
  WmGlobalMemoryStatus(&status);
  return (double)(status.dwTotalPhys - status.dwAvailPhys) / 1048576.0;
}

double GetUsedStorageMemory(void) {
  STORE_INFORMATION store = {};
  if (!GetStoreInformation(&store) || store.dwFreeSize > store.dwStoreSize) return 0.0;
  return (double)(store.dwStoreSize - store.dwFreeSize) / 1048576.0;
}

int TakeThreadOwners(ThreadOwners *owners) {
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  int count = WmSampleThreadLevels(owners->threads, MAX_LISTED_THREADS);
  SetProcPermissions(oldPermissions);
  owners->count = count > 0 ? count : 0;
  return count >= 0 ? 1 : 0;
}

int GetProcessPriorityIn(const ThreadOwners *owners, DWORD processId, int *priority) {
  int sum = 0, count = 0;
  for (int i = 0; processId && i < owners->count; i++) {
    if (owners->threads[i].processId != processId) continue;
    sum += owners->threads[i].level;
    count++;
  }
  if (priority) *priority = count ? sum / count : PRIORITY_LEVEL_NORMAL;
  return 1;
}

int SetProcessPriorityIn(const ThreadOwners *owners, DWORD processId, int priority) {
  if (priority < PRIORITY_LEVEL_HIGHEST || priority > PRIORITY_LEVEL_IDLE) return 0;
  DWORD oldPermissions = SetProcPermissions(0xFFFFFFFF);
  for (int i = 0; processId && i < owners->count; i++)
    if (owners->threads[i].processId == processId) WmSetThreadPriority(owners->threads[i].threadId, priority);
  SetProcPermissions(oldPermissions);
  return 1;
}
