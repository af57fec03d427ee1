// Measurements and priority operations on one running process, by process id.
#pragma once
#include <windows.h>
#include "wm_process.h"

// Load of the process in percent over about 200 ms: the time of all its threads that exist in both
// samples (a process with two busy threads reads about twice one busy thread). -1.0 when the first
// thread snapshot fails, -2.0 when the second does.
double GetProcessCpuUsage(DWORD processId);
// The integer average of the levels 0..7 of the process's threads; 3 when it has none. 1 when a
// thread snapshot was taken.
int GetProcessPriority(DWORD processId, int *priority);
// Sets every thread of the process to the level 0..7. 1 when a thread snapshot was taken (0 for a
// level outside 0..7, which changes nothing).
int SetProcessPriority(DWORD processId, int priority);
// Heap use of the process in bytes (see WmGetProcessHeapUsage for the measure); 0 when unknown.
SIZE_T GetProcessHeapUsage(DWORD processId);
// Used physical memory and used storage of the device, in megabytes.
double GetUsedProgramMemory(void);
double GetUsedStorageMemory(void);

// The threads of the device, their processes and levels from one thread snapshot, for callers that
// read or set the levels of many processes at once (one snapshot instead of one per process).
#define MAX_LISTED_THREADS 4096
struct ThreadOwners {
  int count;
  WmThreadLevel threads[MAX_LISTED_THREADS];
};
// 0 (and an empty table) when no thread snapshot could be taken.
int TakeThreadOwners(ThreadOwners *owners);
// GetProcessPriority and SetProcessPriority over the threads of a table (levels as the table read them).
int GetProcessPriorityIn(const ThreadOwners *owners, DWORD processId, int *priority);
int SetProcessPriorityIn(const ThreadOwners *owners, DWORD processId, int priority);
