#include "device.h"
#include "wm.h"
#include "wm_shell.h"
#include <shellapi.h>
#include <strsafe.h>

UINT CWM_VT_REFRESH = 0;

static int g_ScaleX = 0, g_ScaleY = 0;

void GetScreenSize(int *width, int *height) { WmGetScreenSize(width, height); }

static void ComputeScaleFactors(void) {
  int w, h;
  GetScreenSize(&w, &h);
  g_ScaleX = WmScaleFactorFor(w);
  g_ScaleY = WmScaleFactorFor(h);
}

int ScaleX(int value) {
  if (!g_ScaleX) ComputeScaleFactors();
  return value * g_ScaleX;
}

int ScaleY(int value) {
  if (!g_ScaleY) ComputeScaleFactors();
  return value * g_ScaleY;
}

void ResetScaleFactors(void) { g_ScaleX = g_ScaleY = 0; }

void SetScaleFactorsForScreen(int width, int height) {
  g_ScaleX = WmScaleFactorFor(width);
  g_ScaleY = WmScaleFactorFor(height);
}

int IsPocketPC(void) {
  WCHAR platform[32];
  ZeroMemory(platform, sizeof(platform));
  if (!WmSystemParametersInfo(SPI_GETPLATFORMTYPE, sizeof(platform), platform, 0)) return 0;
  platform[ARRAYSIZE(platform) - 1] = 0;
  return lstrcmpiW(platform, L"PocketPC") == 0;
}

int RunProgram(LPCWSTR file, LPCWSTR arguments) {
  // "\windows\fexplore.exe" names the device's root whatever the caller's current folder.
  WCHAR path[MAX_PATH];
  if (!file || !WmDevicePath(file, path, MAX_PATH)) return 0;
  SHELLEXECUTEINFOW sei = {};
  sei.cbSize = sizeof(sei);
  sei.fMask = SEE_MASK_FLAG_NO_UI;
  sei.lpFile = path;
  sei.lpParameters = arguments;
  sei.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&sei) ? 1 : 0;
}

void ResetDevice(void) { KernelIoControl(IOCTL_HAL_REBOOT, NULL, 0, NULL, 0, NULL); }

void SetStartupShortcut(int create, LPCWSTR target, LPCWSTR shortcutName) {
  WCHAR path[MAX_PATH];
  if (!shortcutName || !shortcutName[0] || !WmGetSpecialFolderPath(NULL, path, CSIDL_STARTUP, FALSE)) return;
  // A name that does not fit must not shorten into another file's name, which would then be deleted.
  if (FAILED(StringCchCatW(path, MAX_PATH, L"\\")) || FAILED(StringCchCatW(path, MAX_PATH, shortcutName))) return;
  SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path);
  if (create && target && target[0]) SHCreateShortcut(path, target);
}

HWND FindTaskbarWindow(void) {
  HWND taskbar = FindWindowW(L"HHTaskbar", L"");
  if (!taskbar) taskbar = FindWindowW(L"Tray", L"Tray");
  return taskbar;
}
