// Processes of the handheld over desktop Win32: access permissions, executable paths, memory figures.
#include "wm_process.h"
#include <psapi.h>
#include "device_profile.h"
#include "systemlisting.h"
#include <strsafe.h>

namespace {
// The handheld starts a thread with access to its own process only.
DWORD g_Permissions = 1;

// What the emulator runs to be a Windows system at all: never a program of the handheld.
const LPCWSTR kInfrastructure[] = {
    L"explorer.exe", L"services.exe", L"winedevice.exe", L"plugplay.exe", L"rpcss.exe",  L"svchost.exe",
    L"wineboot.exe", L"winemenubuilder.exe", L"conhost.exe", L"start.exe", L"tabtip.exe", L"rundll32.exe",
    L"mscorsvw.exe", L"dllhost.exe", L"lsass.exe", L"smss.exe", L"csrss.exe", L"wininit.exe",
};

BOOL SkipInfrastructure(HANDLE snapshot, PROCESSENTRY32W *entry, BOOL more) {
  while (more && WmIsInfrastructureProcess(entry->szExeFile)) more = Process32NextW(snapshot, entry);
  return more;
}
}  // namespace

BOOL WmIsInfrastructureProcess(LPCWSTR exeName) {
  if (!exeName) return FALSE;
  for (size_t i = 0; i < ARRAYSIZE(kInfrastructure); i++)
    if (!lstrcmpiW(exeName, kInfrastructure[i])) return TRUE;
  return FALSE;
}

BOOL WmProcess32First(HANDLE snapshot, PROCESSENTRY32W *entry) {
  if (!entry) return FALSE;
  return SkipInfrastructure(snapshot, entry, Process32FirstW(snapshot, entry));
}

BOOL WmProcess32Next(HANDLE snapshot, PROCESSENTRY32W *entry) {
  if (!entry) return FALSE;
  return SkipInfrastructure(snapshot, entry, Process32NextW(snapshot, entry));
}

int WmListProcesses(WmProcessEntry *processes, int capacity) {
  if (!processes || capacity < 0) return -1;
  int count = 0;
  auto add = [&](DWORD processId, DWORD threads, ULONGLONG startTime, LPCWSTR exeName) {
    if (!processId || WmIsInfrastructureProcess(exeName)) return true;
    if (count >= capacity) return false;
    WmProcessEntry *entry = &processes[count++];
    entry->processId = processId;
    entry->threadCount = threads;
    entry->startTime = startTime;
    StringCchCopyW(entry->exeName, MAX_PATH, exeName);
    return true;
  };
  if (ForEachSystemProcess([&](const SYSTEM_PROCESS_INFORMATION *process, const SystemThread *) {
        // The name is counted, not terminated.
        WCHAR name[MAX_PATH] = L"";
        int chars = process->ImageName.Buffer ? process->ImageName.Length / (int)sizeof(WCHAR) : 0;
        if (chars >= MAX_PATH) chars = MAX_PATH - 1;
        if (chars > 0) CopyMemory(name, process->ImageName.Buffer, chars * sizeof(WCHAR));
        name[chars] = 0;
        return add((DWORD)(ULONG_PTR)process->UniqueProcessId, process->NumberOfThreads,
                   (ULONGLONG)process->CreateTime.QuadPart, name);
      }))
    return count;
  count = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = WmProcess32First(snapshot, &entry); more; more = WmProcess32Next(snapshot, &entry))
    if (!add(entry.th32ProcessID, entry.cntThreads, 0, entry.szExeFile)) break;
  CloseHandle(snapshot);
  return count;
}

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

void WmGlobalMemoryStatus(LPMEMORYSTATUS status) {
  if (!status) return;
  DWORD ramMb = 0;
  if (!ReadDeviceProfileDword(DEVICE_PROFILE_RAM, &ramMb) || ramMb == 0 || ramMb > 4095) ramMb = 128;
  SIZE_T total = (SIZE_T)ramMb << 20, used = WM_SYSTEM_MEMORY_SHARE;
  // The system's listing carries every process's private bytes, the figure WmGetProcessHeapUsage
  // reads: one call instead of opening every process of the device at every paint of a figure.
  BOOL listed = ForEachSystemProcess([&](const SYSTEM_PROCESS_INFORMATION *process, const SystemThread *) {
    if (!process->UniqueProcessId) return true;
    WCHAR name[MAX_PATH] = L"";
    int chars = process->ImageName.Buffer ? process->ImageName.Length / (int)sizeof(WCHAR) : 0;
    if (chars >= MAX_PATH) chars = MAX_PATH - 1;
    if (chars > 0) CopyMemory(name, process->ImageName.Buffer, chars * sizeof(WCHAR));
    name[chars] = 0;
    if (WmIsInfrastructureProcess(name)) return true;
    SIZE_T bytes = process->PrivatePageCount;
    used += bytes ? bytes : process->VirtualMemoryCounters.PagefileUsage;
    return true;
  });
  HANDLE snapshot = listed ? INVALID_HANDLE_VALUE : CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot != INVALID_HANDLE_VALUE) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = WmProcess32First(snapshot, &entry); more; more = WmProcess32Next(snapshot, &entry))
      if (entry.th32ProcessID) used += WmGetProcessHeapUsage(entry.th32ProcessID);
    CloseHandle(snapshot);
  }
  if (used > total) used = total;
  const SIZE_T slot = 32u << 20;
  SIZE_T own = WmGetProcessHeapUsage(GetCurrentProcessId());
  ZeroMemory(status, sizeof(*status));
  status->dwLength = sizeof(*status);
  status->dwMemoryLoad = (DWORD)((ULONGLONG)used * 100 / total);
  status->dwTotalPhys = total;
  status->dwAvailPhys = total - used;
  status->dwTotalVirtual = slot;
  status->dwAvailVirtual = own < slot ? slot - own : 0;
}
