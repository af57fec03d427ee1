// The device profile's values as the layer and the device's programs read them: one checked reader.
#include "device_profile.h"

namespace {

// Reads a value of the given type into data; bytes in: the room, out: what was read.
bool ReadValue(LPCWSTR name, DWORD wantedType, void *data, DWORD *bytes) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD type = 0;
  LONG rc = RegQueryValueExW(key, name, NULL, &type, (BYTE *)data, bytes);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && type == wantedType;
}

// A text value into chars WCHARs, terminated by `terminators` zeros inside the buffer.
BOOL ReadText(LPCWSTR name, DWORD type, LPWSTR text, DWORD chars, DWORD terminators) {
  if (!text || chars == 0) return FALSE;
  ZeroMemory(text, chars * sizeof(WCHAR));
  if (chars <= terminators) return FALSE;
  DWORD bytes = (chars - terminators) * sizeof(WCHAR);
  if (!ReadValue(name, type, text, &bytes)) {
    ZeroMemory(text, chars * sizeof(WCHAR));
    return FALSE;
  }
  // The stored value may or may not carry its own terminators; the room left holds ours.
  DWORD end = bytes / sizeof(WCHAR);
  for (DWORD i = end; i < chars; i++) text[i] = 0;
  return TRUE;
}

}  // namespace

BOOL ReadDeviceProfileDword(LPCWSTR name, DWORD *value) {
  if (!value) return FALSE;
  DWORD read = 0, bytes = sizeof(read);
  if (!ReadValue(name, REG_DWORD, &read, &bytes) || bytes != sizeof(read)) return FALSE;
  *value = read;
  return TRUE;
}

BOOL ReadDeviceProfileString(LPCWSTR name, LPWSTR text, DWORD chars) { return ReadText(name, REG_SZ, text, chars, 1); }

BOOL ReadDeviceProfileList(LPCWSTR name, LPWSTR list, DWORD chars) {
  return ReadText(name, REG_MULTI_SZ, list, chars, 2);
}
