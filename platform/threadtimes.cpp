// Thread times of every thread of the device in one pass.
#include "wm_process.h"
#include <tlhelp32.h>

namespace {
ULONGLONG FileTimeValue(const FILETIME &ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }
}  // namespace

int WmSampleThreadTimes(WmThreadTimes *threads, int capacity) {
  if (!threads || capacity < 0) return -1;
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
