// Whole-file saves through a temporary file and one rename.
#include "safefile.h"
#include "debuglog.h"
#include <strsafe.h>

namespace {

BOOL WriteAll(HANDLE file, const BYTE *data, DWORD size) {
  while (size) {
    DWORD written = 0;
    if (!WriteFile(file, data, size, &written, NULL)) return FALSE;
    // A write that takes nothing and reports no error: the store has no room for it.
    if (!written) {
      SetLastError(ERROR_DISK_FULL);
      return FALSE;
    }
    data += written;
    size -= written;
  }
  return TRUE;
}

// Logs the failed step and leaves the error for the caller.
int Failed(int channel, LPCWSTR path, LPCWSTR step, DWORD error) {
  WriteDebugLog(channel, L"Save of [%s] failed: %s [error %u].", path, step, (unsigned)error);
  SetLastError(error);
  return 0;
}

// The folder part of path, with its trailing backslash ("" when path has none).
void FolderOf(LPCWSTR path, WCHAR *folder, size_t chars) {
  folder[0] = 0;
  LPCWSTR slash = wcsrchr(path, L'\\');
  if (!slash) return;
  size_t len = (size_t)(slash - path) + 1;
  if (len < chars) {
    CopyMemory(folder, path, len * sizeof(WCHAR));
    folder[len] = 0;
  }
}

}  // namespace

int RemoveStaleSaves(LPCWSTR path) {
  if (!path || !path[0]) return 0;
  WCHAR pattern[MAX_PATH], folder[MAX_PATH];
  if (FAILED(StringCchPrintfW(pattern, ARRAYSIZE(pattern), L"%s.*%s", path, SAFE_SAVE_SUFFIX))) return 0;
  FolderOf(path, folder, ARRAYSIZE(folder));
  int removed = 0;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW(pattern, &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    WCHAR stale[MAX_PATH];
    if (FAILED(StringCchPrintfW(stale, ARRAYSIZE(stale), L"%s%s", folder, found.cFileName))) continue;
    // A save in progress holds its temporary open without sharing: the delete fails and it stays.
    if (DeleteFileW(stale)) removed++;
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return removed;
}

int SaveWholeFile(LPCWSTR path, const void *data, DWORD size, int logChannel) {
  if (!path || !path[0] || (!data && size)) return Failed(logChannel, path ? path : L"", L"no file", ERROR_INVALID_PARAMETER);
  // A read-only file stays as it is: the rename would otherwise put the new file in its place.
  DWORD attributes = GetFileAttributesW(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
    return Failed(logChannel, path, L"the file is read-only", ERROR_ACCESS_DENIED);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Failed(logChannel, path, L"a folder has that name", ERROR_ACCESS_DENIED);

  RemoveStaleSaves(path);
  WCHAR temp[MAX_PATH];
  if (FAILED(StringCchPrintfW(temp, ARRAYSIZE(temp), L"%s.%u%s", path, (unsigned)GetCurrentProcessId(),
                              SAFE_SAVE_SUFFIX)))
    return Failed(logChannel, path, L"the name is too long", ERROR_FILENAME_EXCED_RANGE);
  HANDLE file = CreateFileW(temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return Failed(logChannel, path, L"cannot create the new file", GetLastError());
  LPCWSTR step = NULL;
  DWORD error = ERROR_SUCCESS;
  if (!WriteAll(file, (const BYTE *)data, size)) step = L"cannot write the new file";
  // On the store before the rename: a crash after it must not find a new name over lost bytes.
  else if (!FlushFileBuffers(file)) step = L"cannot flush the new file";
  if (step) error = GetLastError();
  if (!CloseHandle(file) && !step) {
    step = L"cannot close the new file";
    error = GetLastError();
  }
  if (!step) {
    // A reader that holds the old file for a moment may refuse the replace: try again briefly rather
    // than lose the save.
    for (int tries = 0;; tries++) {
      if (MoveFileExW(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return 1;
      error = GetLastError();
      if (tries >= 50 || (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) break;
      Sleep(10);
    }
    step = L"cannot replace the file";
  }
  DeleteFileW(temp);
  return Failed(logChannel, path, step, error);
}
