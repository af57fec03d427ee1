// Thread times and levels of every thread of the device in one pass.
#include "wm_process.h"
#include <tlhelp32.h>
#include "systemlisting.h"

namespace {

ULONGLONG FileTimeValue(const FILETIME &ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

// The whole device's threads and their times in one system call. -1 when the call is not answered.
int SampleFromSystem(WmThreadTimes *threads, int capacity) {
  int count = 0;
  BOOL ok = ForEachSystemThread([&](DWORD processId, const SystemThread *thread) {
    if (count >= capacity) return false;
    WmThreadTimes *t = &threads[count++];
    t->threadId = (DWORD)(ULONG_PTR)thread->clientId.UniqueThread;
    t->processId = processId;
    t->creation = (ULONGLONG)thread->createTime.QuadPart;
    t->busy = (ULONGLONG)thread->kernelTime.QuadPart + (ULONGLONG)thread->userTime.QuadPart;
    return true;
  });
  return ok ? count : -1;
}

// The level of a thread whose host priority a listing reported: the level that runs at it, unless it
// is the priority level 6 shares or not a thread priority at all (a priority class's base, as some
// hosts report); those are asked of the thread itself.
int LevelOfListedPriority(DWORD threadId, int host) {
  int level = -1;
  for (int l = 0; l < WM_PRIORITY_LEVELS; l++)
    if (WmHostPriorityOfLevel(l) == host) {
      if (level >= 0) return WmGetThreadPriority(threadId);  // two levels share it
      level = l;
    }
  return level >= 0 ? level : WmGetThreadPriority(threadId);
}

// The same from a thread snapshot, opening every thread for its times.
int SampleFromSnapshot(WmThreadTimes *threads, int capacity) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more && count < capacity; more = Thread32Next(snapshot, &entry)) {
    // The host's own idle pseudo-process has no thread of a program.
    if (!entry.th32OwnerProcessID) continue;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ThreadID);
    if (!thread) continue;
    FILETIME creation, exitTime, kernel, user;
    BOOL ok = GetThreadTimes(thread, &creation, &exitTime, &kernel, &user);
    CloseHandle(thread);
    if (!ok) continue;
    WmThreadTimes *t = &threads[count++];
    t->threadId = entry.th32ThreadID;
    t->processId = entry.th32OwnerProcessID;
    t->creation = FileTimeValue(creation);
    t->busy = FileTimeValue(kernel) + FileTimeValue(user);
  }
  CloseHandle(snapshot);
  return count;
}

}  // namespace

int WmSampleThreadTimes(WmThreadTimes *threads, int capacity) {
  if (!threads || capacity < 0) return -1;
  int count = SampleFromSystem(threads, capacity);
  return count >= 0 ? count : SampleFromSnapshot(threads, capacity);
}

int WmSampleThreadLevels(WmThreadLevel *threads, int capacity) {
  if (!threads || capacity < 0) return -1;
  int count = 0;
  auto add = [&](DWORD threadId, DWORD processId, int host) {
    if (count >= capacity) return false;
    int level = LevelOfListedPriority(threadId, host);
    if (level == THREAD_PRIORITY_ERROR_RETURN) return true;  // ended meanwhile
    WmThreadLevel *t = &threads[count++];
    t->threadId = threadId;
    t->processId = processId;
    t->level = level;
    return true;
  };
  if (ForEachSystemThread([&](DWORD processId, const SystemThread *thread) {
        return add((DWORD)(ULONG_PTR)thread->clientId.UniqueThread, processId, (int)thread->priority);
      }))
    return count;
  count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID && !add(entry.th32ThreadID, entry.th32OwnerProcessID, (int)entry.tpBasePri)) break;
  CloseHandle(snapshot);
  return count;
}
