// Processes of the handheld over desktop Win32: access permissions, executable paths, memory figures.
#include "wm_process.h"
#include <psapi.h>

namespace {
// The handheld starts a thread with access to its own process only.
DWORD g_Permissions = 1;
}  // namespace

DWORD SetProcPermissions(DWORD newPermissions) {
  DWORD old = g_Permissions;
  g_Permissions = newPermissions;
  return old;
}

DWORD GetCurrentPermissions(void) { return g_Permissions; }

DWORD WmGetModuleFileName(HANDLE process, LPWSTR path, DWORD chars) {
  if (!path || !chars) return 0;
  path[0] = 0;
  DWORD size = chars;
  // A path that does not fit fails as a whole: a cut path would name another file.
  if (!process || !QueryFullProcessImageNameW(process, 0, path, &size)) {
    path[0] = 0;
    return 0;
  }
  return size;
}

SIZE_T WmGetProcessHeapUsage(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return 0;
  // An ended process may linger while handles to it close; it holds no memory any more.
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(process, &exitCode) || exitCode != STILL_ACTIVE) {
    CloseHandle(process);
    return 0;
  }
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof(counters);
  SIZE_T used = 0;
  // Private bytes; the device's host fills only the page-file figure, which counts the same memory.
  if (GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&counters, sizeof(counters)))
    used = counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
  CloseHandle(process);
  return used;
}

BOOL WmGetStoreInformation(ULONGLONG *storeSize, ULONGLONG *freeSize) {
  if (storeSize) *storeSize = 0;
  if (freeSize) *freeSize = 0;
  WCHAR root[MAX_PATH] = L"C:";
  DWORD len = GetEnvironmentVariableW(L"SystemDrive", root, ARRAYSIZE(root));
  if (len != 2) lstrcpyW(root, L"C:");
  lstrcatW(root, L"\\");
  ULARGE_INTEGER available, total, totalFree;
  if (!GetDiskFreeSpaceExW(root, &available, &total, &totalFree)) return FALSE;
  if (storeSize) *storeSize = total.QuadPart;
  if (freeSize) *freeSize = totalFree.QuadPart;
  return TRUE;
}
