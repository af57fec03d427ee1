// The browser's cache folder on a storage card, and the cleaning of its files.
#include "browsercache.h"
#include "tweaks.h"
#include "debuglog.h"
#include "settings.h"
#include "wm.h"
#include "wm_shell.h"
#include <strsafe.h>

#define SHELL_FOLDERS_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\shell Folders\\"
#define SAVED_CACHE L"storperfCache"

// The browser's cache folder as last read or written (the text saved at first run when moving back).
static WCHAR g_CacheFolder[MAX_PATH];

static bool IsStorageCardName(LPCWSTR name) {
  return wcsstr(name, L"storage") != NULL || wcsstr(name, L"Storage") != NULL;
}

// The first storage card's name (without a leading backslash) into card; false when there is none.
static bool FindStorageCard(WCHAR *card) {
  card[0] = 0;
  WIN32_FIND_DATAW data;
  ZeroMemory(&data, sizeof(data));
  HANDLE find = FindFirstFlashCard(&data);
  if (find == INVALID_HANDLE_VALUE) {
    WriteDebugLog(LOG_GUI, L"INVALID_HANDLE_VALUE");
    return false;
  }
  bool found = false;
  do {
    data.cFileName[MAX_PATH - 1] = 0;
    if (IsStorageCardName(data.cFileName)) {
      StringCchCopyW(card, MAX_PATH, data.cFileName);
      found = true;
      break;
    }
    WriteDebugLog(LOG_GUI, L"non storage path: %s", data.cFileName);
  } while (FindNextFlashCard(find, &data));
  FindClose(find);
  if (found) WriteDebugLog(LOG_GUI, L"storage path: %s", card);
  return found;
}

void ComposeCardCacheFolder(LPCWSTR cardName, LPCWSTR savedFolder, WCHAR *out) {
  // The last folder name of the saved path, a trailing backslash kept; the path's first character
  // (its leading backslash) is never part of it.
  WCHAR reversed[MAX_PATH], name[MAX_PATH];
  ZeroMemory(reversed, sizeof(reversed));
  ZeroMemory(name, sizeof(name));
  size_t n = wcslen(savedFolder), taken = 0;
  if (n >= 2 && n < MAX_PATH) {
    reversed[taken++] = savedFolder[n - 1];
    for (size_t i = n - 2; i >= 1 && savedFolder[i] != L'\\'; i--) reversed[taken++] = savedFolder[i];
    for (size_t i = 0; i < taken; i++) name[i] = reversed[taken - 1 - i];
  }
  WriteDebugLog(LOG_GUI, L"p2 %s", reversed);
  WriteDebugLog(LOG_GUI, L"p3 %s", name);

  ZeroMemory(out, MAX_PATH * sizeof(WCHAR));
  StringCchCopyW(out, MAX_PATH, cardName);
  size_t cardLen = wcslen(out);
  bool cardEnds = cardLen && out[cardLen - 1] == L'\\';
  if (!cardEnds && name[0] != L'\\') StringCchCatW(out, MAX_PATH, L"\\");
  WriteDebugLog(LOG_GUI, L"p4 %s", out);
  StringCchCatW(out, MAX_PATH, name);
}

static void WriteCacheFolder(LPCWSTR folder) {
  WriteRegistryValue(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, L"Cache", REG_SZ, folder,
                     (DWORD)(wcslen(folder) + 1) * sizeof(WCHAR));
}

static void ReadSavedCacheFolder(void) { ReadMachineText(PRODUCT_KEY, SAVED_CACHE, g_CacheFolder, MAX_PATH, L""); }

bool MoveBrowserCacheFolder(bool toStorage) {
  WriteDebugLog(LOG_GUI, L"+MoveIETempFilesToStorage call.");
  if (!toStorage) {
    ReadSavedCacheFolder();
    WriteDebugLog(LOG_GUI, L"default loc %s", g_CacheFolder);
    WriteCacheFolder(g_CacheFolder);
    WriteDebugLog(LOG_GUI, L"-MoveIETempFilesToStorage done.");
    return true;
  }
  WCHAR card[MAX_PATH];
  ZeroMemory(g_CacheFolder, sizeof(g_CacheFolder));
  if (!FindStorageCard(card)) {
    WriteDebugLog(LOG_GUI, L"-MoveIETempFilesToStorage done.");
    return false;
  }
  ReadSavedCacheFolder();
  WriteDebugLog(LOG_GUI, L"p1 %s", g_CacheFolder);
  WCHAR folder[MAX_PATH];
  ComposeCardCacheFolder(card, g_CacheFolder, folder);
  WriteDebugLog(LOG_GUI, L"tmpstorageloc %s", folder);
  WriteCacheFolder(folder);
  StringCchCopyW(g_CacheFolder, MAX_PATH, folder);
  WriteDebugLog(LOG_GUI, L"-MoveIETempFilesToStorage done.");
  return true;
}

void MoveIETempFilesToStorage(bool toStorage) { MoveBrowserCacheFolder(toStorage); }

// ---- Cleaning ------------------------------------------------------------------------------------

// A device path as the file system takes it, made absolute and free of "." and ".." parts, without a
// trailing backslash (except a drive's root). A path without a drive counts from the device's root,
// as every path does on the handheld. False for network paths and what does not fit.
static bool ResolveFolder(LPCWSTR folder, WCHAR *out) {
  WCHAR rooted[MAX_PATH], device[MAX_PATH];
  if (folder[0] == L'\\' && folder[1] == L'\\') return false;
  if (folder[0] != L'\\' && !wcschr(folder, L':')) {
    if (FAILED(StringCchPrintfW(rooted, MAX_PATH, L"\\%s", folder))) return false;
  } else if (FAILED(StringCchCopyW(rooted, MAX_PATH, folder))) {
    return false;
  }
  if (!WmDevicePath(rooted, device, MAX_PATH)) return false;
  DWORD len = GetFullPathNameW(device, MAX_PATH, out, NULL);
  if (!len || len >= MAX_PATH) return false;
  while (len > 3 && out[len - 1] == L'\\') out[--len] = 0;
  return true;
}

static bool IsDriveRoot(LPCWSTR full) {
  size_t len = wcslen(full);
  return len <= 3;
}

// The storage cards' own folders are never cleaned as a whole.
static bool IsCardRoot(LPCWSTR full) {
  WIN32_FIND_DATAW data;
  ZeroMemory(&data, sizeof(data));
  HANDLE find = FindFirstFlashCard(&data);
  if (find == INVALID_HANDLE_VALUE) return false;
  bool match = false;
  do {
    WCHAR card[MAX_PATH];
    data.cFileName[MAX_PATH - 1] = 0;
    if (ResolveFolder(data.cFileName, card) && !lstrcmpiW(card, full)) match = true;
  } while (!match && FindNextFlashCard(find, &data));
  FindClose(find);
  return match;
}

static void DeleteTree(LPCWSTR folder, int *deleted, int *left) {
  WCHAR pattern[MAX_PATH];
  if (FAILED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\*", folder))) return;
  WriteDebugLog(LOG_GUI, L"delete from %s", pattern);
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    LPCWSTR name = data.cFileName;
    WriteDebugLog(LOG_GUI, L"name %s %x %d", name, (unsigned)data.dwFileAttributes, (int)data.nFileSizeLow);
    if (!wcscmp(name, L".") || !wcscmp(name, L"..")) continue;
    WCHAR path[MAX_PATH];
    if (FAILED(StringCchPrintfW(path, MAX_PATH, L"%s\\%s", folder, name))) {
      (*left)++;
      continue;
    }
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      // A linked folder leads out of the tree: its files are not ours to delete.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        WriteDebugLog(LOG_GUI, L"linked folder skipped %s", path);
        continue;
      }
      WriteDebugLog(LOG_GUI, L"szDirName %s", path);
      DeleteTree(path, deleted, left);
    } else if (name[0] == L'.') {
      WriteDebugLog(LOG_GUI, L"file..");
      (*left)++;
    } else {
      WriteDebugLog(LOG_GUI, L"file name to delete %s", name);
      WriteDebugLog(LOG_GUI, L"delete %s", path);
      if (DeleteFileW(path)) {
        (*deleted)++;
      } else {
        WriteDebugLog(LOG_GUI, L"not deleted %s [%u]", path, (unsigned)GetLastError());
        (*left)++;
      }
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
}

int DeleteFolderFilesCounted(LPCWSTR folder, int *deleted, int *left) {
  int d = 0, l = 0;
  if (deleted) *deleted = 0;
  if (left) *left = 0;
  WCHAR full[MAX_PATH];
  if (!folder || !folder[0] || !ResolveFolder(folder, full)) {
    WriteDebugLog(LOG_GUI, L"delete refused, no folder [%s]", folder ? folder : L"");
    return -1;
  }
  if (IsDriveRoot(full) || IsCardRoot(full)) {
    WriteDebugLog(LOG_GUI, L"delete refused, a root folder [%s]", full);
    return -1;
  }
  DWORD attributes = GetFileAttributesW(full);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WriteDebugLog(LOG_GUI, L"delete refused, not a folder of its own [%s]", full);
    return -1;
  }
  DeleteTree(full, &d, &l);
  WriteDebugLog(LOG_GUI, L"files deleted [%d] left [%d] in %s", d, l, full);
  if (deleted) *deleted = d;
  if (left) *left = l;
  return d;
}

int DeleteFolderFiles(LPCWSTR folder) { return DeleteFolderFilesCounted(folder, NULL, NULL); }

void ClearBrowserFiles(void) {
  WriteDebugLog(LOG_GUI, L"+ClearBrowserFiles call.");
  static const LPCWSTR kValues[3] = {L"Cache", L"History", L"Cookies"};
  int deleted = 0, left = 0;
  for (int i = 0; i < 3; i++) {
    WCHAR folder[MAX_PATH];
    ReadRegistryText(HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, kValues[i], folder, MAX_PATH, L"");
    // No folder named: nothing to clean (an empty path would mean the whole device).
    if (!folder[0]) {
      WriteDebugLog(LOG_GUI, L"no %s folder, skipped", kValues[i]);
      continue;
    }
    int d = 0, l = 0;
    DeleteFolderFilesCounted(folder, &d, &l);
    deleted += d;
    left += l;
  }
  WriteDebugLog(LOG_GUI, L"browser files deleted [%d] left [%d]", deleted, left);
  WriteDebugLog(LOG_GUI, L"-ClearBrowserFiles done.");
}
