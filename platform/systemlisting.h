// The system's own listing of every process with its threads, in one call (inside the layer only).
#pragma once
#include <windows.h>
#include <winternl.h>

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

// Calls visit(process, threads) for every process of the device (the host's idle process, id 0,
// included) from one system call, until it returns false. FALSE when the call is not answered.
template <class F> BOOL ForEachSystemProcess(F visit) {
  ULONG size = 256 * 1024;
  BYTE *buffer = NULL;
  NTSTATUS status = INFO_LENGTH_MISMATCH;
  for (int tries = 0; tries < 4 && status == INFO_LENGTH_MISMATCH; tries++) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    buffer = (BYTE *)HeapAlloc(GetProcessHeap(), 0, size);
    if (!buffer) return FALSE;
    ULONG needed = 0;
    status = NtQuerySystemInformation(SystemProcessInformation, buffer, size, &needed);
    // Threads start meanwhile: ask for some room beyond what was needed.
    if (status == INFO_LENGTH_MISMATCH) size = (needed > size ? needed : size * 2) + 64 * 1024;
  }
  if (status != 0) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    return FALSE;
  }
  for (ULONG offset = 0;;) {
    const SYSTEM_PROCESS_INFORMATION *process = (const SYSTEM_PROCESS_INFORMATION *)(buffer + offset);
    if (!visit(process, (const SystemThread *)(process + 1)) || !process->NextEntryOffset) break;
    offset += process->NextEntryOffset;
  }
  HeapFree(GetProcessHeap(), 0, buffer);
  return TRUE;
}

// Calls visit(processId, thread) for every thread of the device's processes (not the idle process's)
// from one system call, until it returns false. FALSE when the call is not answered.
template <class F> BOOL ForEachSystemThread(F visit) {
  return ForEachSystemProcess([&](const SYSTEM_PROCESS_INFORMATION *process, const SystemThread *thread) {
    DWORD processId = (DWORD)(ULONG_PTR)process->UniqueProcessId;
    bool more = true;
    for (ULONG i = 0; processId && i < process->NumberOfThreads && more; i++, thread++) more = visit(processId, thread);
    return more;
  });
}
