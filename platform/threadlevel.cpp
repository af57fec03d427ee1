// The handheld's eight thread priority levels over the host's seven priorities.
#include "wm_process.h"
#include <strsafe.h>

namespace {

// Level -> host priority. Level 6 (above idle) has no host value; it runs at the nearer of its
// neighbours that still shares time with normal work (lowest) and is remembered in the level record.
const int kHostPriority[WM_PRIORITY_LEVELS] = {
    THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_NORMAL,
    THREAD_PRIORITY_BELOW_NORMAL,  THREAD_PRIORITY_LOWEST,  THREAD_PRIORITY_LOWEST,       THREAD_PRIORITY_IDLE};
const int kRecordedLevel = 6;

// Level records live in the registry so that every program of the device sees them (the main program
// sets a level, the monitor reads it). Volatile: a boot of the device starts without any.
const WCHAR kLevelKey[] = L"Software\\EmulatedHandheld\\ThreadLevels";

struct LevelRecord {
  FILETIME creation;  // tells a reused thread id from the thread the record was made for
  DWORD level;
};

int LevelOfHostPriority(int host) {
  int best = 0, bestDistance = 0x7fffffff;
  for (int level = 0; level < WM_PRIORITY_LEVELS; level++) {
    if (level == kRecordedLevel) continue;
    int distance = host > kHostPriority[level] ? host - kHostPriority[level] : kHostPriority[level] - host;
    if (distance < bestDistance) {
      best = level;
      bestDistance = distance;
    }
  }
  return best;
}

void ValueName(DWORD threadId, WCHAR *name, size_t chars) { StringCchPrintfW(name, chars, L"%u", (unsigned)threadId); }

BOOL ThreadCreationTime(HANDLE thread, FILETIME *creation) {
  FILETIME exitTime, kernel, user;
  return GetThreadTimes(thread, creation, &exitTime, &kernel, &user);
}

HKEY OpenLevelKey(BOOL create) {
  HKEY key = NULL;
  if (create) {
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kLevelKey, 0, NULL, REG_OPTION_VOLATILE, KEY_READ | KEY_WRITE, NULL, &key,
                        NULL) != ERROR_SUCCESS)
      key = NULL;
  } else if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLevelKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) {
    key = NULL;
  }
  return key;
}

// Drops the records of threads that have ended (or whose id now names another thread).
void PruneRecords(HKEY key) {
  for (DWORD index = 0;;) {
    WCHAR name[16];
    DWORD nameChars = ARRAYSIZE(name), type = 0, size = 0;
    LevelRecord record = {};
    size = sizeof(record);
    LONG rc = RegEnumValueW(key, index, name, &nameChars, NULL, &type, (BYTE *)&record, &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    BOOL keep = FALSE;
    if (rc == ERROR_SUCCESS && type == REG_BINARY && size == sizeof(record)) {
      DWORD threadId = wcstoul(name, NULL, 10);
      HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
      if (thread) {
        FILETIME creation;
        DWORD exitCode = 0;
        keep = ThreadCreationTime(thread, &creation) && CompareFileTime(&creation, &record.creation) == 0 &&
               GetExitCodeThread(thread, &exitCode) && exitCode == STILL_ACTIVE;
        CloseHandle(thread);
      }
    }
    if (keep || RegDeleteValueW(key, name) != ERROR_SUCCESS) index++;
  }
}

void WriteRecord(DWORD threadId, HANDLE thread, int level) {
  WCHAR name[16];
  ValueName(threadId, name, ARRAYSIZE(name));
  if (level != kRecordedLevel) {
    HKEY key = OpenLevelKey(FALSE);
    if (key) {
      RegDeleteValueW(key, name);
      RegCloseKey(key);
    }
    return;
  }
  LevelRecord record = {};
  if (!ThreadCreationTime(thread, &record.creation)) return;
  record.level = (DWORD)level;
  HKEY key = OpenLevelKey(TRUE);
  if (!key) return;
  PruneRecords(key);
  RegSetValueExW(key, name, 0, REG_BINARY, (const BYTE *)&record, sizeof(record));
  RegCloseKey(key);
}

// The recorded level of a thread, -1 without a valid record.
int ReadRecord(DWORD threadId, HANDLE thread) {
  HKEY key = OpenLevelKey(FALSE);
  if (!key) return -1;
  WCHAR name[16];
  ValueName(threadId, name, ARRAYSIZE(name));
  LevelRecord record = {};
  DWORD type = 0, size = sizeof(record);
  LONG rc = RegQueryValueExW(key, name, NULL, &type, (BYTE *)&record, &size);
  RegCloseKey(key);
  if (rc != ERROR_SUCCESS || type != REG_BINARY || size != sizeof(record) || record.level >= WM_PRIORITY_LEVELS)
    return -1;
  FILETIME creation;
  if (!ThreadCreationTime(thread, &creation) || CompareFileTime(&creation, &record.creation) != 0) return -1;
  return (int)record.level;
}

}  // namespace

int WmHostPriorityOfLevel(int level) {
  if (level < 0 || level >= WM_PRIORITY_LEVELS) return THREAD_PRIORITY_ERROR_RETURN;
  return kHostPriority[level];
}

BOOL WmSetThreadPriority(DWORD threadId, int level) {
  if (level < 0 || level >= WM_PRIORITY_LEVELS) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  HANDLE thread = OpenThread(THREAD_SET_INFORMATION | THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (!thread) return FALSE;
  BOOL ok = SetThreadPriority(thread, kHostPriority[level]);
  if (ok) WriteRecord(threadId, thread, level);
  CloseHandle(thread);
  return ok;
}

int WmGetThreadPriority(DWORD threadId) {
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
  int host = GetThreadPriority(thread);
  int level = THREAD_PRIORITY_ERROR_RETURN;
  if (host != THREAD_PRIORITY_ERROR_RETURN) {
    level = LevelOfHostPriority(host);
    // The record counts only while the host value is still the one level 6 runs at: a thread set
    // another way since then has left level 6.
    if (host == kHostPriority[kRecordedLevel] && ReadRecord(threadId, thread) == kRecordedLevel) level = kRecordedLevel;
  }
  CloseHandle(thread);
  return level;
}

BOOL WmGetThreadTimes(DWORD threadId, FILETIME *creation, FILETIME *exit, FILETIME *kernel, FILETIME *user) {
  HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
  if (!thread) return FALSE;
  BOOL ok = GetThreadTimes(thread, creation, exit, kernel, user);
  CloseHandle(thread);
  return ok;
}
