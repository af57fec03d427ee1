// The task database file: save and load of "Settings.db".
#include "database.h"
#include "tasklist.h"
#include "debuglog.h"
#include "paths.h"
#include "safefile.h"
#include "wm.h"
#include <strsafe.h>

TaskDatabase g_TaskDatabase;

namespace {

// Copies at most chars characters of text; the rest of the field stays zero.
void CopyField(WCHAR *field, size_t chars, LPCWSTR text) {
  for (size_t i = 0; i < chars && text[i]; i++) field[i] = text[i];
}

}  // namespace

void RecordText(const WCHAR field[TASK_RECORD_NAME_CHARS], WCHAR out[TASK_RECORD_NAME_CHARS + 1]) {
  int i = 0;
  for (; i < TASK_RECORD_NAME_CHARS && field[i]; i++) out[i] = field[i];
  out[i] = 0;
}

LPCWSTR TaskDatabasePath(void) {
  // The module folder ends with a backslash; JoinPath adds its own.
  WCHAR folder[MAX_PATH];
  if (FAILED(StringCchCopyW(folder, ARRAYSIZE(folder), g_Paths.moduleFolder))) folder[0] = 0;
  size_t len = wcslen(folder);
  if (len && folder[len - 1] == L'\\') folder[len - 1] = 0;
  if (!folder[0]) {
    static WCHAR none[1];
    none[0] = 0;
    return none;
  }
  return JoinPath(folder, L"", TASK_DATABASE_FILE);
}

void FillTaskDatabase(TaskDatabase *database, const TaskList *list) {
  ZeroMemory(database, sizeof(*database));
  for (int i = 0; i < list->count && i < MAX_TASKS; i++) {
    const TaskEntry *row = &list->entries[i];
    if (!row->inDatabase) continue;
    if (database->count >= MAX_TASK_RECORDS) break;
    TaskRecord *record = &database->records[database->count++];
    CopyField(record->path, TASK_RECORD_PATH_CHARS - 1, row->path);
    CopyField(record->exeName, TASK_RECORD_NAME_CHARS, row->exeName);
    CopyField(record->title, TASK_RECORD_NAME_CHARS, row->title);
    record->priority = (SHORT)row->priority;
  }
}

int WriteTaskDatabase(LPCWSTR path, const TaskDatabase *database) {
  if (!path || !path[0]) return 0;
  WORD count = database->count <= MAX_TASK_RECORDS ? database->count : MAX_TASK_RECORDS;
  // The whole image in one save: a reader, a killed save or a full store never leaves half a file,
  // and a failed save leaves the old database in place.
  static BYTE image[sizeof(WORD) + MAX_TASK_RECORDS * sizeof(TaskRecord)];
  CopyMemory(image, &count, sizeof(count));
  CopyMemory(image + sizeof(count), database->records, count * sizeof(TaskRecord));
  int ok = SaveWholeFile(path, image, (DWORD)(sizeof(count) + count * sizeof(TaskRecord)), LOG_GUI);
  if (ok) {
    WriteDebugLog(LOG_GUI, L"Settings.db write data [%d tasks].", (int)count);
  } else {
    // The caller still sees why, after the log has had its own calls.
    DWORD error = GetLastError();
    WriteDebugLog(LOG_GUI, L"Settings.db not written [error %u].", (unsigned)error);
    SetLastError(error);
  }
  return ok;
}

int ReadTaskDatabase(LPCWSTR path, TaskDatabase *database, int channel, LPCWSTR countFormat, LPCWSTR recordFormat) {
  ZeroMemory(database, sizeof(*database));
  if (!path || !path[0]) return 0;
  // The whole file in one read, closed before anything is logged: the writer replaces the file by
  // renaming a new one over it, and an open reader must hold it for as short a time as possible.
  static BYTE image[sizeof(WORD) + MAX_TASK_RECORDS * sizeof(TaskRecord)];
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD size = 0;
  if (!ReadFile(file, image, sizeof(image), &size, NULL)) size = 0;
  CloseHandle(file);
  WORD stored = 0;
  if (size >= sizeof(WORD)) CopyMemory(&stored, image, sizeof(WORD));
  // A count beyond the table comes from a file this program did not write: the first records only.
  WORD wanted = stored <= MAX_TASK_RECORDS ? stored : MAX_TASK_RECORDS;
  WriteDebugLog(channel, countFormat, (int)wanted);
  // A file that ends inside a record ends the database before it.
  DWORD whole = size >= sizeof(WORD) ? (size - sizeof(WORD)) / sizeof(TaskRecord) : 0;
  WORD count = wanted <= whole ? wanted : (WORD)whole;
  for (WORD i = 0; i < count; i++) {
    TaskRecord *record = &database->records[i];
    CopyMemory(record, image + sizeof(WORD) + i * sizeof(TaskRecord), sizeof(TaskRecord));
    record->path[TASK_RECORD_PATH_CHARS - 1] = 0;
    if (record->priority < 0) record->priority = 0;
    if (record->priority > 7) record->priority = 7;
    WCHAR name[TASK_RECORD_NAME_CHARS + 1];
    RecordText(record->exeName, name);
    WriteDebugLog(channel, recordFormat, (int)i, name, (int)record->priority);
  }
  database->count = count;
  return 1;
}

int SaveSettings(void) {
  WriteDebugLog(LOG_GUI, L"+SaveSettings call.");
  FillTaskDatabase(&g_TaskDatabase, &g_TaskList);
  int ok = WriteTaskDatabase(TaskDatabasePath(), &g_TaskDatabase);
  WriteDebugLog(LOG_GUI, L"-SaveSettings done.");
  return ok;
}

int LoadSettings(void) {
  WriteDebugLog(LOG_GUI, L"+LoadSettings call.");
  int ok = ReadTaskDatabase(TaskDatabasePath(), &g_TaskDatabase, LOG_GUI, L"Settings.db read data [%d tasks] in DB.",
                            L"[%d][%s][setprio=%d]");
  WriteDebugLog(LOG_GUI, L"-LoadSettings done.");
  return ok;
}

bool SameProgramName(LPCWSTR a, LPCWSTR b) { return a && b && wcsncmp(a, b, TASK_RECORD_NAME_CHARS) == 0; }

void ForgetTaskDatabase(void) {
  WriteDebugLog(LOG_GUI, L"Delete VTMon settings.");
  LPCWSTR database = TaskDatabasePath();
  WCHAR path[MAX_PATH];
  if (database && WmDevicePath(database, path, MAX_PATH)) DeleteFileW(path);
  g_TaskDatabase.count = 0;
}
