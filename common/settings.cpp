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

DWORD ReadRegistryDword(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD fallback) {
  DWORD value = 0;
  return ReadRegistryValue(root, keyPath, valueName, REG_DWORD, &value, sizeof(value)) ? value : fallback;
}

BOOL ReadRegistryText(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, LPWSTR text, DWORD chars, LPCWSTR fallback) {
  if (!text || !chars) return FALSE;
  BOOL ok = FALSE;
  HKEY key;
  if (keyPath && RegOpenKeyExW(root, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    DWORD type = 0, size = chars * sizeof(WCHAR);
    LONG rc = RegQueryValueExW(key, valueName, NULL, &type, (BYTE *)text, &size);
    RegCloseKey(key);
    DWORD length = size / sizeof(WCHAR);
    // It must fit with its terminator; a string stored without one ends where its data ends.
    if (rc == ERROR_SUCCESS && type == REG_SZ) {
      if (length < chars) {
        text[length] = 0;
        ok = TRUE;
      } else {
        ok = text[chars - 1] == 0;
      }
    }
  }
  if (!ok && FAILED(StringCchCopyW(text, chars, fallback ? fallback : L""))) text[0] = 0;
  return ok;
}

DWORD ReadMachineDword(LPCWSTR keyPath, LPCWSTR valueName, DWORD fallback) {
  return ReadRegistryDword(HKEY_LOCAL_MACHINE, keyPath, valueName, fallback);
}

BOOL ReadMachineText(LPCWSTR keyPath, LPCWSTR valueName, LPWSTR text, DWORD chars, LPCWSTR fallback) {
  return ReadRegistryText(HKEY_LOCAL_MACHINE, keyPath, valueName, text, chars, fallback);
}
