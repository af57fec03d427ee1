// Processor time the battery meter takes while nothing changes: the simulated battery held still,
// the meter started and left alone for 60 seconds, its threads' times summed before and after.
// Prints the share of one processor it used (the target is under 0.1 %).
#include <windows.h>
#include <stdio.h>
#include <tlhelp32.h>
#include "device_profile.h"
#include "benchsupport.h"

namespace {

const DWORD kMeasureMs = 60000;
const DWORD kSettleMs = 3000;

bool ReadDword(LPCWSTR name, DWORD *value) {
  DWORD size = sizeof(*value);
  return RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, RRF_RT_REG_DWORD, NULL, value, &size) ==
         ERROR_SUCCESS;
}

void WriteDword(LPCWSTR name, const DWORD *value) {
  if (value)
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, REG_DWORD, value, sizeof(*value));
  else
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name);
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (FindWindowW(L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl")) {
    printf("a battery meter is already running: stop it first\n");
    return 1;
  }
  WCHAR exe[MAX_PATH];
  DWORD size = sizeof(exe);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Ondrel\\Vantora", L"InstallPath", RRF_RT_REG_SZ, NULL, exe,
                   &size) != ERROR_SUCCESS ||
      lstrlenW(exe) + 20 >= MAX_PATH) {
    printf("the suite is not installed\n");
    return 1;
  }
  lstrcatW(exe, L"\\GaugeletApp.exe");

  DWORD oldPercent = 0, oldFlag = 0;
  bool hadPercent = ReadDword(DEVICE_PROFILE_BATTERY_PERCENT, &oldPercent);
  bool hadFlag = ReadDword(DEVICE_PROFILE_BATTERY_FLAG, &oldFlag);
  DWORD percent = 64, flag = 1;
  WriteDword(DEVICE_PROFILE_BATTERY_FLAG, &flag);
  WriteDword(DEVICE_PROFILE_BATTERY_PERCENT, &percent);

  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  WCHAR cmd[MAX_PATH + 2];
  wsprintfW(cmd, L"\"%s\"", exe);
  int rc = 1;
  if (CreateProcessW(exe, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    CloseHandle(pi.hThread);
    HWND top = NULL;
    for (int i = 0; i < 150 && !(top = FindWindowW(L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl")); i++) Sleep(100);
    if (top) {
      // Start-up is not idling.
      Sleep(kSettleMs);
      double used = 0, elapsed = 0, share = ProcessShare(pi.dwProcessId, kMeasureMs, &used, &elapsed);
      printf("GaugeletApp idle over %.1f s with a battery that does not change: %.1f ms of processor time, "
             "%.3f %% of one processor (target under 0.1 %%, ratio to target %.2f)\n",
             elapsed / 1000.0, used, share, share / 0.1);
      PostMessageW(top, WM_CLOSE, 0, 0);
      rc = 0;
    } else {
      printf("the battery meter did not start\n");
    }
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
  } else {
    printf("cannot start %ls\n", exe);
  }
  WriteDword(DEVICE_PROFILE_BATTERY_FLAG, hadFlag ? &oldFlag : NULL);
  WriteDword(DEVICE_PROFILE_BATTERY_PERCENT, hadPercent ? &oldPercent : NULL);
  return rc;
}
