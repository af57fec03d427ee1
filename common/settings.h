// The product's registry key and typed access to registry values.
#pragma once
#include <windows.h>

#define PRODUCT_KEY L"Software\\Ondrel\\Vantora"

// Reads a value of the expected type; 1 only when it exists, has that type and fits the buffer.
// On 0 the buffer keeps what it held, except that a value of another type that fitted is stored in
// it all the same: callers put their default in first and rely on it staying for a missing value.
int ReadRegistryValue(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD expectedType, void *buffer,
                      DWORD bufferBytes);
// Creates or opens the key and sets the value; 1 when the value was set.
int WriteRegistryValue(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD type, const void *data,
                       DWORD dataBytes);
int ReadMachineSetting(LPCWSTR keyPath, LPCWSTR valueName, DWORD expectedType, void *buffer, DWORD bufferBytes);
int WriteMachineSetting(LPCWSTR keyPath, LPCWSTR valueName, DWORD type, const void *data, DWORD dataBytes);

// Typed reads. A number: the value when it exists as a REG_DWORD of four bytes, else fallback.
DWORD ReadRegistryDword(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, DWORD fallback);
// A string of at most chars - 1 characters, always terminated: the value when it exists as REG_SZ and
// fits, else fallback (NULL: empty). TRUE when the value was read.
BOOL ReadRegistryText(HKEY root, LPCWSTR keyPath, LPCWSTR valueName, LPWSTR text, DWORD chars, LPCWSTR fallback);
// The same under HKEY_LOCAL_MACHINE.
DWORD ReadMachineDword(LPCWSTR keyPath, LPCWSTR valueName, DWORD fallback);
BOOL ReadMachineText(LPCWSTR keyPath, LPCWSTR valueName, LPWSTR text, DWORD chars, LPCWSTR fallback);
