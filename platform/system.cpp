// System services of the handheld that desktop Win32 lacks: identity from the device profile,
// the reboot control code, device-absolute paths.
#include "wm.h"
#include "device_profile.h"
#include <strsafe.h>

namespace {

const DWORD kResetWaitMs = 20000;

BOOL ReadProfileString(LPCWSTR name, PVOID out, UINT outBytes) {
  if (!out || outBytes < sizeof(WCHAR)) return FALSE;
  return ReadDeviceProfileString(name, (WCHAR *)out, outBytes / sizeof(WCHAR));
}

}  // namespace

BOOL WmSystemParametersInfo(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
  switch (action) {
    case SPI_GETPLATFORMTYPE: return ReadProfileString(DEVICE_PROFILE_PLATFORM, pvParam, uiParam);
    case SPI_GETOEMINFO: return ReadProfileString(DEVICE_PROFILE_OEM, pvParam, uiParam);
  }
  return SystemParametersInfoW(action, uiParam, pvParam, winIni);
}

BOOL KernelIoControl(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned) {
  if (returned) *returned = 0;
  if (code != IOCTL_HAL_REBOOT) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  // The device's boot loop sees the request once every program has ended, and boots again.
  HKEY key;
  DWORD one = 1;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) ==
      ERROR_SUCCESS) {
    RegSetValueExW(key, DEVICE_PROFILE_REBOOT, 0, REG_DWORD, (const BYTE *)&one, sizeof(one));
    RegFlushKey(key);
    RegCloseKey(key);
  }
  if (!ExitWindowsEx(EWX_REBOOT | EWX_FORCE, 0)) return FALSE;
  // The device ends every program, this one too, moments after it accepted the reset: callers rely
  // on never running on. A device that has not done so after a while did not reset; the request goes.
  Sleep(kResetWaitMs);
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, DEVICE_PROFILE_REBOOT);
    RegCloseKey(key);
  }
  SetLastError(ERROR_TIMEOUT);
  return FALSE;
}

BOOL WmDevicePath(LPCWSTR path, LPWSTR out, size_t outChars) {
  if (!path || !out || !outChars) return FALSE;
  out[0] = 0;
  // "\name" is rooted at the device's root folder, the system drive; "\\server" paths are not.
  if (path[0] == L'\\' && path[1] != L'\\') {
    WCHAR drive[MAX_PATH] = L"C:";
    if (!GetEnvironmentVariableW(L"SystemDrive", drive, ARRAYSIZE(drive)) || lstrlenW(drive) != 2)
      StringCchCopyW(drive, ARRAYSIZE(drive), L"C:");
    return SUCCEEDED(StringCchPrintfW(out, outChars, L"%s%s", drive, path));
  }
  return SUCCEEDED(StringCchCopyW(out, outChars, path));
}
