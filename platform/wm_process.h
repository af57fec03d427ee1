// The handheld layer for processes, threads and top-level windows: what the task code expects of the
// handheld's kernel over desktop Win32.
#pragma once
#include <windows.h>
#include <tlhelp32.h>

// ---- Thread priority levels ------------------------------------------------------------------------

// The handheld's eight levels: 0 time critical, 1 highest, 2 above normal, 3 normal, 4 below normal,
// 5 lowest, 6 above idle, 7 idle.
#define WM_PRIORITY_LEVELS 8

// Sets a thread (by id, as the handheld hands out thread ids as handles) to a level 0..7. The host
// scheduler gets the nearest priority it knows; level 6, which the host lacks, is recorded by the
// layer so that reading it back gives 6 again. FALSE for a bad level or a thread that cannot be opened.
BOOL WmSetThreadPriority(DWORD threadId, int level);
// The level of a thread 0..7, or THREAD_PRIORITY_ERROR_RETURN when the thread cannot be read.
int WmGetThreadPriority(DWORD threadId);
// The host priority a level runs at (THREAD_PRIORITY_TIME_CRITICAL ... THREAD_PRIORITY_IDLE);
// THREAD_PRIORITY_ERROR_RETURN for a bad level.
int WmHostPriorityOfLevel(int level);
// GetThreadTimes of a thread given by id.
BOOL WmGetThreadTimes(DWORD threadId, FILETIME *creation, FILETIME *exit, FILETIME *kernel, FILETIME *user);

// ---- Access to other processes -------------------------------------------------------------------

// The handheld asks for permission to touch another process's memory; the host grants access by user,
// so these only keep the value the caller set, and the caller's save/restore pairs round-trip.
DWORD SetProcPermissions(DWORD newPermissions);
DWORD GetCurrentPermissions(void);

// Full path of a process's executable (the handheld's GetModuleFileName with a process handle). The
// handle needs PROCESS_QUERY_LIMITED_INFORMATION. Returns the length, 0 (empty text) when the path
// cannot be read or does not fit.
DWORD WmGetModuleFileName(HANDLE process, LPWSTR path, DWORD chars);

// ---- The device's processes -----------------------------------------------------------------------

// The processes of the device as its programs see them, over a TH32CS_SNAPPROCESS snapshot: as
// Process32FirstW / Process32NextW, less the emulator's own infrastructure (its desktop, services,
// device, plug-and-play, RPC and service-host processes and the like), which are no programs of the
// handheld. Every program of the suite lists processes through these.
BOOL WmProcess32First(HANDLE snapshot, PROCESSENTRY32W *entry);
BOOL WmProcess32Next(HANDLE snapshot, PROCESSENTRY32W *entry);
// TRUE for the executable name (no folder, any case) of one of those infrastructure processes.
BOOL WmIsInfrastructureProcess(LPCWSTR exeName);

// One process of a listing: what a TH32CS_SNAPPROCESS entry says of it.
struct WmProcessEntry {
  DWORD processId;
  DWORD threadCount;
  // When the process started (FILETIME units); with the id it names the process over its whole life.
  // 0 when the listing does not tell it.
  ULONGLONG startTime;
  WCHAR exeName[MAX_PATH];  // no folder
};
// The same processes as WmProcess32First/Next (the infrastructure and the host's idle process left
// out), at most capacity of them (the count is returned), -1 when they cannot be listed. One call to
// the system where it lists every process, else a snapshot: a fraction of a snapshot's cost, for
// callers that list the device often.
int WmListProcesses(WmProcessEntry *processes, int capacity);

// ---- Memory ----------------------------------------------------------------------------------------

// Heap use of a process in bytes, 0 when it cannot be measured. The host cannot list another
// process's heaps, so the measure is the process's private memory in use (its heaps plus thread
// stacks and other private allocations, as far as they have been written to), not the sum of heap
// blocks: a few megabytes more than the heaps alone, growing with what the program allocates and
// falling when it frees, which is what the callers compare. No block limit applies.
SIZE_T WmGetProcessHeapUsage(DWORD processId);

// Program memory of the device, as the handheld's GlobalMemoryStatus gives it: the total is the
// device profile's RAM; in use is what the device's processes take (the private bytes of every process
// the device lists) plus a fixed share for the system itself, never more than the total. Virtual
// figures are the caller's 32 MB slot. The object store is GetStoreInformation (wm_shell.h).
void WmGlobalMemoryStatus(LPMEMORYSTATUS status);
// The memory the device keeps for its own system, counted as in use (bytes).
#define WM_SYSTEM_MEMORY_SHARE (12u << 20)

// ---- Top-level windows ------------------------------------------------------------------------------

// Calls visit for every top-level window in z-order, first (topmost) to last, until it returns FALSE.
// The walk works on a list taken at the start, so a window that closes meanwhile does not cut it short.
// Returns the number of windows visited.
typedef BOOL (*WmWindowVisitor)(HWND hwnd, void *context);
int WmWalkTopLevelWindows(WmWindowVisitor visit, void *context);

// What a top-level window keeps for its whole life: the process and thread that made it and its class.
struct WmWindowFacts {
  DWORD processId;
  DWORD threadId;
  LPCWSTR className;  // valid during the visit
};
// The same walk, handing each window's facts. A window's facts are asked of the system the first time a
// walk of this process meets it and remembered while later walks still find it, so that a walk over
// windows already met costs no question per window. A window that closed before it could be asked
// comes with process and thread 0 and an empty class.
typedef BOOL (*WmWindowFactsVisitor)(HWND hwnd, const WmWindowFacts *facts, void *context);
int WmWalkTopLevelWindowFacts(WmWindowFactsVisitor visit, void *context);

// ---- Thread times of the whole device ------------------------------------------------------------

// One thread's place and times at one moment.
struct WmThreadTimes {
  DWORD threadId;
  DWORD processId;
  ULONGLONG creation;  // tells a reused thread id from the thread measured before
  ULONGLONG busy;      // kernel + user time, 100 ns units
};
// The times of every thread of the device, at most capacity of them (the count is returned). -1 when
// they could not be read. One call to the system where it lists every thread with its times, else a
// thread snapshot and one open per thread (threads that end meanwhile are left out).
int WmSampleThreadTimes(WmThreadTimes *threads, int capacity);

// One thread's place and level at one moment.
struct WmThreadLevel {
  DWORD threadId;
  DWORD processId;
  int level;  // 0..7
};
// The levels of every thread of the device, at most capacity of them (the count is returned; a thread
// whose level cannot be read is left out). -1 when the threads cannot be listed. One call to the
// system where it lists every thread with its priority (else a thread snapshot); a thread is opened
// only for a priority two levels share (level 6's record) or one that is not a thread priority.
int WmSampleThreadLevels(WmThreadLevel *threads, int capacity);
