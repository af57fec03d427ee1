// Thread times of every thread of the device in one pass.
#include "wm_process.h"
#include <tlhelp32.h>
#include <winternl.h>

namespace {

ULONGLONG FileTimeValue(const FILETIME &ft) { return ((ULONGLONG)ft.dwHighDateTime << 32) | ft.dwLowDateTime; }

// The thread record that follows each process record of the system's process information.
struct SystemThread {
  LARGE_INTEGER kernelTime;
  LARGE_INTEGER userTime;
  LARGE_INTEGER createTime;
  ULONG waitTime;
  PVOID startAddress;
  CLIENT_ID clientId;
  LONG priority;
  LONG basePriority;
  ULONG contextSwitches;
  ULONG threadState;
  ULONG waitReason;
};

#define INFO_LENGTH_MISMATCH ((NTSTATUS)0xC0000004L)

// The whole device's threads and their times in one system call. -1 when the call is not answered.
int SampleFromSystem(WmThreadTimes *threads, int capacity) {
  ULONG size = 256 * 1024;
  BYTE *buffer = NULL;
  NTSTATUS status = INFO_LENGTH_MISMATCH;
  for (int tries = 0; tries < 4 && status == INFO_LENGTH_MISMATCH; tries++) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    buffer = (BYTE *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!buffer) return -1;
    ULONG needed = 0;
    status = NtQuerySystemInformation(SystemProcessInformation, buffer, size, &needed);
    // Threads start meanwhile: ask for some room beyond what was needed.
    if (status == INFO_LENGTH_MISMATCH) size = (needed > size ? needed : size * 2) + 64 * 1024;
  }
  if (status != 0) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    return -1;
  }
  int count = 0;
  for (ULONG offset = 0;;) {
    const SYSTEM_PROCESS_INFORMATION *process = (const SYSTEM_PROCESS_INFORMATION *)(buffer + offset);
    const SystemThread *thread = (const SystemThread *)(process + 1);
    DWORD processId = (DWORD)(ULONG_PTR)process->UniqueProcessId;
    for (ULONG i = 0; processId && i < process->NumberOfThreads && count < capacity; i++, thread++) {
      WmThreadTimes *t = &threads[count++];
      t->threadId = (DWORD)(ULONG_PTR)thread->clientId.UniqueThread;
      t->processId = processId;
      t->creation = (ULONGLONG)thread->createTime.QuadPart;
      t->busy = (ULONGLONG)thread->kernelTime.QuadPart + (ULONGLONG)thread->userTime.QuadPart;
    }
    if (!process->NextEntryOffset || count >= capacity) break;
    offset += process->NextEntryOffset;
  }
  HeapFree(GetProcessHeap(), 0, buffer);
  return count;
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
