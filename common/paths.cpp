#include "paths.h"
#include <strsafe.h>

ProgramPaths g_Paths;

void GetModuleFolder(ProgramPaths *paths) {
  ZeroMemory(paths, sizeof(*paths));
  DWORD len = GetModuleFileNameW(NULL, paths->moduleFolder, MAX_PATH);
  if (len == 0 || len >= MAX_PATH) {
    paths->moduleFolder[0] = 0;
    return;
  }
  WCHAR *slash = wcsrchr(paths->moduleFolder, L'\\');
  if (slash)
    slash[1] = 0;
  else
    paths->moduleFolder[0] = 0;
}

static void ReadInstallFolder(ProgramPaths *paths, LPCWSTR productKey) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, productKey, 0, NULL, 0, KEY_READ, NULL, &key, NULL) != ERROR_SUCCESS)
    return;
  DWORD type = 0, size = sizeof(paths->installFolder) - sizeof(WCHAR);
  LONG rc = RegQueryValueExW(key, L"InstallPath", NULL, &type, (BYTE *)paths->installFolder, &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
    paths->installFolder[0] = 0;  // missing or unusable: asked again next time
  else
    paths->installFolder[size / sizeof(WCHAR)] = 0;
}

LPCWSTR GetInstallFilePath(ProgramPaths *paths, LPCWSTR productKey, LPCWSTR subfolder, LPCWSTR fileName) {
  static WCHAR result[MAX_PATH];
  ZeroMemory(result, sizeof(result));
  if (!paths->installFolder[0]) ReadInstallFolder(paths, productKey);
  // Without the folder no path is built: "\Images\x" would name a file of the device's root.
  if (!paths->installFolder[0]) return result;
  HRESULT hr = StringCchCopyW(result, MAX_PATH, paths->installFolder);
  if (SUCCEEDED(hr) && subfolder && subfolder[0]) hr = StringCchPrintfW(result, MAX_PATH, L"%s\\%s", paths->installFolder, subfolder);
  if (SUCCEEDED(hr)) {
    hr = StringCchCatW(result, MAX_PATH, L"\\");
    if (SUCCEEDED(hr) && fileName) hr = StringCchCatW(result, MAX_PATH, fileName);
  }
  // A cut path names another file: no path at all is safer.
  if (FAILED(hr)) result[0] = 0;
  return result;
}

LPCWSTR JoinPath(LPCWSTR folder, LPCWSTR subfolder, LPCWSTR fileName) {
  static WCHAR result[MAX_PATH];
  ZeroMemory(result, sizeof(result));
  if (FAILED(StringCchPrintfW(result, MAX_PATH, L"%s%s\\%s", folder ? folder : L"", subfolder ? subfolder : L"",
                              fileName ? fileName : L"")))
    result[0] = 0;
  return result;
}
