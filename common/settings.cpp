#include "settings.h"
#include <strsafe.h>

int ReadRegistryValue(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD expectedType, void *buffer,
                      DWORD bufferBytes) {
  WCHAR path[255];
  if (!keyPath || FAILED(StringCchCopyW(path, ARRAYSIZE(path), keyPath))) return 0;
  HKEY key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  DWORD type = 0, size = bufferBytes;
  LONG rc = RegQueryValueExW(key, valueName, NULL, &type, (BYTE *)buffer, &size);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == expectedType && size <= bufferBytes;
}

int WriteRegistryValue(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD type, const void *data,
                       DWORD dataBytes) {
  HKEY key;
  if (RegCreateKeyExW(root, keyPath, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS) return 0;
  LONG error = RegSetValueExW(key, valueName, 0, type, (const BYTE *)data, dataBytes);
  RegCloseKey(key);
  return error == ERROR_SUCCESS ? 1 : 0;
}

int ReadMachineSetting(LPCWSTR keyPath, LPCWSTR valueName, DWORD expectedType, void *buffer, DWORD bufferBytes) {
  return ReadRegistryValue(HKEY_LOCAL_MACHINE, keyPath, valueName, expectedType, buffer, bufferBytes);
}

int WriteMachineSetting(LPCWSTR keyPath, LPCWSTR valueName, DWORD type, const void *data, DWORD dataBytes) {
  return WriteRegistryValue(HKEY_LOCAL_MACHINE, keyPath, valueName, type, data, dataBytes);
}
