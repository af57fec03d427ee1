// CPU load, thread priority levels and memory figures of running processes.
#include "process.h"
#include "tasklist.h"
#include "wm_process.h"
#include "wm_shell.h"
#include <tlhelp32.h>

namespace {

// Threads one CPU sample keeps; a process with more is measured over its first ones.
#define MAX_SAMPLED_THREADS 512

struct ThreadSample {
  DWORD threadId;
  ULONGLONG creation;
  ULONGLONG busy;  // kernel + user time, 100 ns units
};

struct CpuSample {
  int count;
  ThreadSample threads[MAX_SAMPLED_THREADS];
};

ULONGLONG FileTimeValue(const FILETIME &ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

// The times of every thread of the process. FALSE when no thread snapshot could be taken.
BOOL TakeCpuSample(DWORD processId, CpuSample *sample) {
  sample->count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return FALSE;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more && sample->count < MAX_SAMPLED_THREADS;
       more = Thread32Next(snapshot, &entry)) {
    if (!processId || entry.th32OwnerProcessID != processId) continue;
    FILETIME creation, exitTime, kernel, user;
    // A thread that ended since the snapshot has no times to count.
    if (!WmGetThreadTimes(entry.th32ThreadID, &creation, &exitTime, &kernel, &user)) continue;
    ThreadSample *thread = &sample->threads[sample->count++];
    thread->threadId = entry.th32ThreadID;
    thread->creation = FileTimeValue(creation);
    thread->busy = FileTimeValue(kernel) + FileTimeValue(user);
  }
  CloseHandle(snapshot);
  return TRUE;
}

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
  DWORD start = GetTickCount();
  if (!TakeCpuSample(processId, &g_FirstSample)) {
    SetProcPermissions(oldPermissions);
    return -1.0;
  }
  Sleep(200);
  BOOL second = TakeCpuSample(processId, &g_SecondSample);
  DWORD elapsed = GetTickCount() - start;
  SetProcPermissions(oldPermissions);
  if (!second) return -2.0;
  // Every thread present in both samples counts; a thread that started or ended in between has no
  // difference to give.
  ULONGLONG busy = 0;
  for (int i = 0; i < g_SecondSample.count; i++) {
    const ThreadSample *now = &g_SecondSample.threads[i];
    for (int j = 0; j < g_FirstSample.count; j++) {
      const ThreadSample *before = &g_FirstSample.threads[j];
      if (before->threadId != now->threadId || before->creation != now->creation) continue;
      if (now->busy > before->busy) busy += now->busy - before->busy;
      break;
    }
  }
  if (elapsed == 0) elapsed = 1;
  return ((double)busy / 10000.0) * 100.0 / (double)elapsed;
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
