// What the device tests need done inside the device from outside it (the reset test drives the
// device from the host, since a reset ends every program of the device):
//   devicehelper arm NAME      StartUp shortcut NAME to "devicehelper mark"; start a lingering copy
//   devicehelper mark          append a line to \vt-startup-mark.txt (started from StartUp)
//   devicehelper linger        a window of class VTLingerHelper until closed
//   devicehelper reset         soft reset; exit 1 (and \vt-reset-returned.txt) when it came back
//   devicehelper report        print the storage cards, the battery and whether a card probe exists
//   devicehelper regset VALUE  write and flush HKLM\Software\VTResetProbe "Value"
//   devicehelper regget        print that value
//   devicehelper store         look at the store's use once and end (exit 1 when it cannot be read)
//   devicehelper log N         append N numbered lines to the debug log of an unknown channel (\VT.txt)
#include <windows.h>
#include <stdio.h>
#include <strsafe.h>
#include "debuglog.h"
#include "device.h"
#include "wm_shell.h"

namespace {

const wchar_t kProbeKey[] = L"Software\\VTResetProbe";

void Print(const wchar_t *text) {
  char bytes[1024];
  WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), NULL, NULL);
  fputs(bytes, stdout);
  fputs("\n", stdout);
  fflush(stdout);
}

int Arm(const wchar_t *name) {
  WCHAR self[MAX_PATH], target[MAX_PATH + 16], cmd[MAX_PATH + 16];
  GetModuleFileNameW(NULL, self, MAX_PATH);
  StringCchPrintfW(target, ARRAYSIZE(target), L"\"%s\" mark", self);
  SetStartupShortcut(1, target, name);
  StringCchPrintfW(cmd, ARRAYSIZE(cmd), L"\"%s\" linger", self);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(NULL, cmd, NULL, NULL, FALSE, DETACHED_PROCESS, NULL, NULL, &si, &pi)) return 1;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return 0;
}

int Mark() {
  HANDLE f = CreateFileW(L"C:\\vt-startup-mark.txt", FILE_APPEND_DATA, FILE_SHARE_READ, NULL, OPEN_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return 1;
  DWORD written;
  WriteFile(f, "started\r\n", 9, &written, NULL);
  CloseHandle(f);
  return 0;
}

int Linger(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"VTLingerHelper";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Linger", WS_POPUP, 0, 0, 10, 10, NULL, NULL, instance, NULL);
  if (!hwnd) return 1;
  MSG msg;
  while (IsWindow(hwnd) && GetMessageW(&msg, NULL, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

int Report() {
  WCHAR line[512] = L"cards=";
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFlashCard(&fd);
  if (find != INVALID_HANDLE_VALUE) {
    int n = 0;
    do {
      if (n++) StringCchCatW(line, ARRAYSIZE(line), L"|");
      StringCchCatW(line, ARRAYSIZE(line), fd.cFileName);
    } while (FindNextFlashCard(find, &fd));
    FindClose(find);
  }
  Print(line);
  SYSTEM_POWER_STATUS_EX2 power = {};
  GetSystemPowerStatusEx2(&power, sizeof(power), FALSE);
  StringCchPrintfW(line, ARRAYSIZE(line), L"battery=%u %u", power.BatteryLifePercent, power.BatteryFlag);
  Print(line);
  StringCchPrintfW(line, ARRAYSIZE(line), L"probe=%d",
                   GetFileAttributesW(L"C:\\Storage Card\\probe.txt") != INVALID_FILE_ATTRIBUTES ? 1 : 0);
  Print(line);
  return 0;
}

int RegSet(const wchar_t *text) {
  DWORD value = (DWORD)_wtoi(text);
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProbeKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) return 1;
  RegSetValueExW(key, L"Value", 0, REG_DWORD, (const BYTE *)&value, sizeof(value));
  LONG rc = RegFlushKey(key);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS ? 0 : 1;
}

int RegGet() {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kProbeKey, L"Value", RRF_RT_REG_DWORD, NULL, &value, &size)) return 1;
  WCHAR line[64];
  StringCchPrintfW(line, ARRAYSIZE(line), L"value=%lu", value);
  Print(line);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc < 2) return 2;
  if (!wcscmp(argv[1], L"arm") && argc > 2) return Arm(argv[2]);
  if (!wcscmp(argv[1], L"mark")) return Mark();
  if (!wcscmp(argv[1], L"linger")) return Linger(GetModuleHandleW(NULL));
  if (!wcscmp(argv[1], L"reset")) {
    ResetDevice();
    // Never reached when the reset happened.
    HANDLE f = CreateFileW(L"C:\\vt-reset-returned.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    return 1;
  }
  if (!wcscmp(argv[1], L"report")) return Report();
  if (!wcscmp(argv[1], L"regset") && argc > 2) return RegSet(argv[2]);
  if (!wcscmp(argv[1], L"regget")) return RegGet();
  if (!wcscmp(argv[1], L"store")) {
    STORE_INFORMATION store = {};
    return GetStoreInformation(&store) ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"log") && argc > 2) {
    g_DebugEnabled = 1;
    for (int i = 0, lines = _wtoi(argv[2]); i < lines; i++) WriteDebugLog(77, L"helper line %d", i);
    return 0;
  }
  return 2;
}
