// The tweaked registry values on the device's real registry: exports to compare byte for byte, reads
// and writes of one catalogue row, and a test fixture that puts every tweaked value back afterwards.
#pragma once
#include "testsupport.h"
#include "regguard.h"
#include "tweaks.h"
#include "debuglog.h"
#include "programstatics.h"
#include "settings.h"
#include <algorithm>

inline const wchar_t kLog[] = L"C:\\VT.gui.txt";

inline std::wstring Hex(const BYTE *data, DWORD size) {
  std::wstring out;
  wchar_t two[4];
  for (DWORD i = 0; i < size; i++) {
    swprintf(two, 4, L"%02x", data[i]);
    out += two;
  }
  return out;
}

// A key, its values (type and bytes) and its subkeys, recursively, as text.
inline void DumpKey(HKEY root, const std::wstring &path, std::wstring *out) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    *out += L"[" + path + L"] absent\n";
    return;
  }
  *out += L"[" + path + L"]\n";
  std::vector<std::wstring> lines;
  for (DWORD i = 0;; i++) {
    wchar_t name[256];
    BYTE data[4096];
    DWORD nameChars = 256, size = sizeof(data), type = 0;
    if (RegEnumValueW(key, i, name, &nameChars, NULL, &type, data, &size) != ERROR_SUCCESS) break;
    lines.push_back(L"  \"" + std::wstring(name) + L"\" " + std::to_wstring(type) + L" " + Hex(data, size) + L"\n");
  }
  std::sort(lines.begin(), lines.end());
  for (const std::wstring &l : lines) *out += l;
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; i++) {
    wchar_t name[256];
    DWORD chars = 256;
    if (RegEnumKeyExW(key, i, name, &chars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  RegCloseKey(key);
  std::sort(subkeys.begin(), subkeys.end());
  for (const std::wstring &s : subkeys) DumpKey(root, path + L"\\" + s, out);
}

// Every key a tweak touches: whether each part of its path exists, and the key itself in full.
inline std::wstring ExportTweakedKeys() {
  std::wstring out;
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
    std::wstring key = g_Tweaks[row].key, prefix;
    if (!key.empty() && key.back() == L'\\') key.pop_back();
    size_t at = 0;
    while (at != std::wstring::npos) {
      at = key.find(L'\\', at + 1);
      prefix = key.substr(0, at);
      HKEY k;
      bool exists = RegOpenKeyExW(g_Tweaks[row].root, prefix.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
      if (exists) RegCloseKey(k);
      out += prefix + (exists ? L" +\n" : L" -\n");
    }
    DumpKey(g_Tweaks[row].root, key, &out);
  }
  return out;
}

inline DWORD Dword(HKEY root, const wchar_t *key, const wchar_t *value, DWORD absent = 0xDEADBEEF) {
  DWORD v = 0, size = sizeof(v), type = 0;
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return absent;
  LONG rc = RegQueryValueExW(k, value, NULL, &type, (BYTE *)&v, &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? v : absent;
}

inline std::wstring Text(HKEY root, const wchar_t *key, const wchar_t *value) {
  wchar_t v[300] = {};
  DWORD size = sizeof(v) - 2, type = 0;
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<absent>";
  LONG rc = RegQueryValueExW(k, value, NULL, &type, (BYTE *)v, &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(v) : L"<absent>";
}

inline DWORD Product(const wchar_t *name) { return Dword(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, name); }
inline DWORD System(int row) { return Dword(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value); }

inline void SetSystemDword(int row, DWORD v) {
  WriteRegistryValue(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value, REG_DWORD, &v, sizeof(v));
}
inline void SetSystemText(int row, const wchar_t *v) {
  WriteRegistryValue(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value, REG_SZ, v,
                     (DWORD)(wcslen(v) + 1) * 2);
}

// Removes a value and then the keys of its path that hold nothing else, from the leaf upwards,
// leaving at least `keep` parts.
inline void RemoveSystem(int row, size_t keep) {
  HKEY k;
  if (RegOpenKeyExW(g_Tweaks[row].root, g_Tweaks[row].key, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
    RegDeleteValueW(k, g_Tweaks[row].value);
    RegCloseKey(k);
  }
  std::wstring key = g_Tweaks[row].key;
  if (!key.empty() && key.back() == L'\\') key.pop_back();
  while (std::count(key.begin(), key.end(), L'\\') + 1 > (long)keep) {
    if (RegDeleteKeyW(g_Tweaks[row].root, key.c_str()) != ERROR_SUCCESS) break;
    key = key.substr(0, key.rfind(L'\\'));
  }
}

inline std::vector<std::wstring> ProductNames() {
  std::vector<std::wstring> names = {L"DefaultRegistrySaved", L"DefaultRegistryAbsent", L"RealQuitlet", L"Gaugelet",
                                     L"storperfIETmpToStorage", L"EnableDebug"};
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) names.push_back(g_Tweaks[row].savedName);
  return names;
}

// A device as first run may find it: some values set (one glyph limit that is none of the steps),
// others absent together with the keys that would hold them; no copies yet. Returns its export.
inline std::wstring MakeFirstRunDevice() {
  for (const std::wstring &name : ProductNames())
    if (name != L"EnableDebug") DeleteProductValue(name.c_str());
  SetSystemDword(TWEAK_GLYPH_LIMIT, 12000);
  SetSystemDword(TWEAK_ANIMATE, 1);
  RemoveSystem(TWEAK_FS_ENABLE_CACHE, 1);
  SetSystemDword(TWEAK_FS_CACHE_SIZE, 0);
  RemoveSystem(TWEAK_REPL_CACHE_SIZE, 1);
  RemoveSystem(TWEAK_BROWSER_CACHE_LIMIT, 2);
  SetSystemText(TWEAK_BROWSER_CACHE_FOLDER, L"\\Windows\\Profiles\\guest\\Temporary Internet Files");
  RemoveSystem(TWEAK_CAB_COMMAND, 0);
  SetSystemDword(TWEAK_POWER_ASYNCMAC, 1);
  for (int row = TWEAK_POWER_IRSIR; row <= TWEAK_POWER_L2TP; row++) RemoveSystem(row, 0);
  return ExportTweakedKeys();
}

class TweaksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    SetProductDword(L"EnableDebug", 1);
    ReadDebugSwitch();
    RemoveFile(kLog);
  }
  static std::vector<RegValueGuard::Item> SystemValues() {
    std::vector<RegValueGuard::Item> items;
    for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
      const TweakValue &t = g_Tweaks[row];
      items.push_back({t.root, t.key, t.value ? t.value : L"", t.value == NULL});
    }
    return items;
  }
  ProductKeyGuard guard_{ProductNames()};
  RegValueGuard system_{SystemValues()};
};
