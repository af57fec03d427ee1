// Shortcut files, special folders, storage cards and battery of the handheld.
#include "wm_shell.h"
#include "wm.h"
#include "device_profile.h"
#include <shobjidl.h>
#include <strsafe.h>

namespace {

// ---- Shortcuts ----

const DWORD kMaxShortcutBytes = 8192;

bool IsBinaryShortcut(const BYTE *data, DWORD size) {
  return size >= 4 && data[0] == 0x4C && data[1] == 0 && data[2] == 0 && data[3] == 0;
}

// The text of a text-form shortcut as UTF-16, whatever encoding it was saved in.
bool DecodeShortcutText(const BYTE *data, DWORD size, WCHAR *text, int textChars) {
  text[0] = 0;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    int chars = (int)((size - 2) / sizeof(WCHAR));
    if (chars >= textChars) return false;
    CopyMemory(text, data + 2, chars * sizeof(WCHAR));
    text[chars] = 0;
    return true;
  }
  const char *bytes = (const char *)data;
  int length = (int)size;
  if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
    bytes += 3;
    length -= 3;
  }
  if (length == 0) return true;
  int chars = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, length, text, textChars - 1);
  if (chars <= 0) chars = MultiByteToWideChar(CP_ACP, 0, bytes, length, text, textChars - 1);
  if (chars <= 0) return false;
  text[chars] = 0;
  return true;
}

// "NN#target": digits, a hash, then the target up to the end of the line. The number is the target's
// length as the writer counted it; hand-made shortcuts often get it wrong, so the line decides.
bool ParseShortcutText(const WCHAR *text, WCHAR *target, int targetChars) {
  const WCHAR *p = text;
  while (*p == L' ' || *p == L'\t') p++;
  int digits = 0;
  while (*p >= L'0' && *p <= L'9') {
    p++;
    digits++;
  }
  if (!digits || digits > 5 || *p != L'#') return false;
  p++;
  int length = 0;
  while (p[length] && p[length] != L'\r' && p[length] != L'\n') length++;
  while (length > 0 && (p[length - 1] == L' ' || p[length - 1] == L'\t')) length--;
  if (length == 0 || length >= targetChars) return false;
  CopyMemory(target, p, length * sizeof(WCHAR));
  target[length] = 0;
  return true;
}

bool ReadBinaryShortcut(LPCWSTR file, WCHAR *target, int targetChars) {
  HRESULT init = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  bool ok = false;
  IShellLinkW *link = NULL;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkW, (void **)&link))) {
    IPersistFile *persist = NULL;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&persist))) {
      WCHAR path[MAX_PATH] = L"", args[MAX_PATH] = L"";
      if (SUCCEEDED(persist->Load(file, STGM_READ)) &&
          link->GetPath(path, MAX_PATH, NULL, SLGP_RAWPATH) == S_OK && path[0]) {
        link->GetArguments(args, MAX_PATH);
        // The same command-line form the text shortcuts carry: a path with spaces is quoted.
        bool quote = wcschr(path, L' ') != NULL;
        HRESULT hr = StringCchPrintfW(target, targetChars, quote ? L"\"%s\"%s%s" : L"%s%s%s", path,
                                      args[0] ? L" " : L"", args);
        ok = SUCCEEDED(hr);
      }
      persist->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

// ---- Storage cards ----

const int kMaxCards = 16;
const int kCardListChars = 2048;

struct CardEnumeration {
  HANDLE find;
  int next;  // index in the card list of the card FindNextFlashCard tries first
};

CardEnumeration g_Enumerations[16];
int g_NextSlot = 0;
SRWLOCK g_EnumerationLock = SRWLOCK_INIT;

// The card names of the device profile, in order; names that could not be a folder of the root are
// left out.
int ReadCardNames(WCHAR list[kCardListChars], const WCHAR *names[kMaxCards]) {
  if (!ReadDeviceProfileList(DEVICE_PROFILE_CARDS, list, kCardListChars)) return 0;
  int count = 0;
  for (WCHAR *name = list; *name && count < kMaxCards; name += lstrlenW(name) + 1) {
    if (wcspbrk(name, L"\\/:*?\"<>|") || !lstrcmpW(name, L".") || !lstrcmpW(name, L"..")) continue;
    names[count++] = name;
  }
  return count;
}

// The find record of one card's folder; a handle open on it, or INVALID_HANDLE_VALUE when the card's
// folder is missing.
HANDLE FindCard(const WCHAR *name, LPWIN32_FIND_DATAW data) {
  WCHAR rooted[MAX_PATH], path[MAX_PATH];
  if (FAILED(StringCchPrintfW(rooted, MAX_PATH, L"\\%s", name)) || !WmDevicePath(rooted, path, MAX_PATH))
    return INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(path, &found);
  if (find == INVALID_HANDLE_VALUE) return find;
  if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    FindClose(find);
    return INVALID_HANDLE_VALUE;
  }
  *data = found;
  StringCchCopyW(data->cFileName, ARRAYSIZE(data->cFileName), name);
  data->cAlternateFileName[0] = 0;
  return find;
}

// ---- Power ----

bool ReadProfileDword(LPCWSTR name, DWORD *value) { return ReadDeviceProfileDword(name, value) != FALSE; }

void FillPowerStatus(SYSTEM_POWER_STATUS_EX2 *s) {
  ZeroMemory(s, sizeof(*s));
  s->BatteryLifeTime = s->BatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  s->BackupBatteryFlag = BATTERY_FLAG_UNKNOWN;
  s->BackupBatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  s->BackupBatteryLifeTime = s->BackupBatteryFullLifeTime = BATTERY_LIFE_UNKNOWN;
  s->BatteryChemistry = BATTERY_CHEMISTRY_UNKNOWN;
  DWORD percent = 0, flag = 0;
  if (ReadProfileDword(DEVICE_PROFILE_BATTERY_PERCENT, &percent)) {
    // A simulated battery; a percent outside 0..100 reads as unknown.
    if (!ReadProfileDword(DEVICE_PROFILE_BATTERY_FLAG, &flag)) flag = 0;
    s->BatteryLifePercent = percent <= 100 ? (BYTE)percent : BATTERY_PERCENTAGE_UNKNOWN;
    s->BatteryFlag = (BYTE)(flag & 0xFF);
    s->ACLineStatus = (flag & (BATTERY_FLAG_CHARGING | BATTERY_FLAG_NO_BATTERY)) ? AC_LINE_ONLINE : AC_LINE_OFFLINE;
    return;
  }
  SYSTEM_POWER_STATUS host;
  if (GetSystemPowerStatus(&host)) {
    s->ACLineStatus = host.ACLineStatus;
    s->BatteryFlag = host.BatteryFlag;
    s->BatteryLifePercent = host.BatteryLifePercent;
    s->BatteryLifeTime = host.BatteryLifeTime;
    s->BatteryFullLifeTime = host.BatteryFullLifeTime;
  } else {
    s->ACLineStatus = AC_LINE_UNKNOWN;
    s->BatteryFlag = BATTERY_FLAG_UNKNOWN;
    s->BatteryLifePercent = BATTERY_PERCENTAGE_UNKNOWN;
  }
}

}  // namespace

BOOL SHCreateShortcut(LPCWSTR shortcut, LPCWSTR target) {
  WCHAR path[MAX_PATH];
  if (!shortcut || !target || !target[0] || !WmDevicePath(shortcut, path, MAX_PATH)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  size_t length = 0;
  if (FAILED(StringCchLengthW(target, MAX_PATH, &length)) || wcspbrk(target, L"\r\n")) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WCHAR text[MAX_PATH + 16];
  StringCchPrintfW(text, ARRAYSIZE(text), L"%u#%s", (unsigned)length, target);
  char bytes[(MAX_PATH + 16) * 3];
  int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof(bytes), NULL, NULL);
  if (size <= 1) return FALSE;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes, (DWORD)(size - 1), &written, NULL) && written == (DWORD)(size - 1);
  CloseHandle(file);
  if (!ok) DeleteFileW(path);  // never leave half a shortcut behind
  return ok;
}

BOOL SHGetShortcutTarget(LPCWSTR shortcut, LPWSTR target, int targetChars) {
  if (!target || targetChars <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  target[0] = 0;
  WCHAR path[MAX_PATH];
  if (!shortcut || !WmDevicePath(shortcut, path, MAX_PATH)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  static BYTE data[kMaxShortcutBytes];
  DWORD size = 0;
  BOOL read = ReadFile(file, data, sizeof(data), &size, NULL);
  CloseHandle(file);
  if (!read) return FALSE;
  bool ok;
  if (IsBinaryShortcut(data, size)) {
    ok = ReadBinaryShortcut(path, target, targetChars);
  } else {
    static WCHAR text[kMaxShortcutBytes + 1];
    ok = DecodeShortcutText(data, size, text, ARRAYSIZE(text)) && ParseShortcutText(text, target, targetChars);
  }
  if (!ok) {
    target[0] = 0;
    SetLastError(ERROR_BAD_FORMAT);
  }
  return ok;
}

BOOL WmGetSpecialFolderPath(HWND owner, LPWSTR path, int folder, BOOL create) {
  if (!path) return FALSE;
  path[0] = 0;
  if (!SHGetSpecialFolderPathW(owner, path, folder, create)) return FALSE;
  int n = lstrlenW(path);
  if (n > 3 && path[n - 1] == L'\\') path[n - 1] = 0;
  return TRUE;
}

HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW findData) {
  if (!findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  WCHAR list[kCardListChars];
  const WCHAR *names[kMaxCards];
  int count = ReadCardNames(list, names);
  for (int i = 0; i < count; i++) {
    HANDLE find = FindCard(names[i], findData);
    if (find == INVALID_HANDLE_VALUE) continue;
    // The handle is a genuine find handle, so FindClose ends the enumeration; the position lives
    // here, keyed by it.
    AcquireSRWLockExclusive(&g_EnumerationLock);
    int slot = -1;
    for (int s = 0; s < (int)ARRAYSIZE(g_Enumerations); s++)
      if (g_Enumerations[s].find == find) slot = s;
    if (slot < 0) {
      slot = g_NextSlot;
      g_NextSlot = (g_NextSlot + 1) % (int)ARRAYSIZE(g_Enumerations);
    }
    g_Enumerations[slot].find = find;
    g_Enumerations[slot].next = i + 1;
    ReleaseSRWLockExclusive(&g_EnumerationLock);
    return find;
  }
  SetLastError(ERROR_NO_MORE_FILES);
  return INVALID_HANDLE_VALUE;
}

BOOL FindNextFlashCard(HANDLE find, LPWIN32_FIND_DATAW findData) {
  if (!findData || find == INVALID_HANDLE_VALUE || !find) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  AcquireSRWLockExclusive(&g_EnumerationLock);
  int slot = -1;
  for (int s = 0; s < (int)ARRAYSIZE(g_Enumerations); s++)
    if (g_Enumerations[s].find == find) slot = s;
  int next = slot >= 0 ? g_Enumerations[slot].next : -1;
  ReleaseSRWLockExclusive(&g_EnumerationLock);
  if (slot < 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  WCHAR list[kCardListChars];
  const WCHAR *names[kMaxCards];
  int count = ReadCardNames(list, names);
  for (int i = next; i < count; i++) {
    WIN32_FIND_DATAW data;
    HANDLE card = FindCard(names[i], &data);
    if (card == INVALID_HANDLE_VALUE) continue;
    FindClose(card);
    *findData = data;
    AcquireSRWLockExclusive(&g_EnumerationLock);
    if (g_Enumerations[slot].find == find) g_Enumerations[slot].next = i + 1;
    ReleaseSRWLockExclusive(&g_EnumerationLock);
    return TRUE;
  }
  AcquireSRWLockExclusive(&g_EnumerationLock);
  if (g_Enumerations[slot].find == find) g_Enumerations[slot].next = count;
  ReleaseSRWLockExclusive(&g_EnumerationLock);
  SetLastError(ERROR_NO_MORE_FILES);
  return FALSE;
}

DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update) {
  if (!status || !length) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  SYSTEM_POWER_STATUS_EX2 full;
  FillPowerStatus(&full);
  if (length > sizeof(full)) length = sizeof(full);
  CopyMemory(status, &full, length);
  return length;
}

BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX status, BOOL update) {
  if (!status) return FALSE;
  return GetSystemPowerStatusEx2((PSYSTEM_POWER_STATUS_EX2)status, sizeof(*status), update) == sizeof(*status);
}

