// Saves files through the programs' own save functions, for the tests of saves under faults.
//   savehelper db PATH N       saves the task databases A (100 records) and B (37 records) to PATH
//                              in turn, N times (0: until it is killed)
//   savehelper result N        saves benchmark results A and B in turn beside this program, the same
//   savehelper expect PATH     writes the images of databases A and B to PATH.0 and PATH.1
// A last argument "log" writes the programs' debug logs whatever EnableDebug says.
// Exit 0 when every save reported success, 1 when one did not, 2 for a bad command line.
#include <windows.h>
#include <stdlib.h>
#include <string.h>
#include "database.h"
#include "debuglog.h"
#include "paths.h"
#include "results.h"

namespace {

// Two databases that differ in every record and in length.
void MakeDatabase(int which, TaskDatabase *database) {
  ZeroMemory(database, sizeof(*database));
  database->count = which ? 37 : MAX_TASK_RECORDS;
  for (int i = 0; i < database->count; i++) {
    TaskRecord *r = &database->records[i];
    for (int c = 0; c < TASK_RECORD_NAME_CHARS; c++) {
      r->title[c] = (WCHAR)(L'a' + (i + c + which) % 26);
      r->exeName[c] = (WCHAR)(L'A' + (i * 3 + c + which) % 26);
    }
    for (int c = 0; c < TASK_RECORD_PATH_CHARS - 1; c++) r->path[c] = (WCHAR)(L'0' + (i + c * (which + 1)) % 10);
    r->priority = (SHORT)((i + which) % 8);
  }
}

BOOL WriteBytes(const WCHAR *path, const void *data, DWORD size) {
  HANDLE f = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return FALSE;
  DWORD written = 0;
  BOOL ok = WriteFile(f, data, size, &written, NULL) && written == size;
  CloseHandle(f);
  return ok;
}

TaskDatabase g_Database;

}  // namespace

int wmain(int argc, wchar_t **argv) {
  if (argc < 3) return 2;
  ReadDebugSwitch();
  if (!wcscmp(argv[argc - 1], L"log")) g_DebugEnabled = 1;
  GetModuleFolder(&g_Paths);
  int ok = 1;
  if (!wcscmp(argv[1], L"db") && argc > 3) {
    int times = _wtoi(argv[3]);
    for (int n = 0; times == 0 || n < times; n++) {
      MakeDatabase(n % 2, &g_Database);
      if (!WriteTaskDatabase(argv[2], &g_Database)) ok = 0;
    }
    return ok ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"result")) {
    int times = _wtoi(argv[2]);
    for (int n = 0; times == 0 || n < times; n++) {
      // Scores A: 7.25 9 4 0.5; B: 2.5 1 3 8.
      g_RunResult.cpu = n % 2 ? 2.5 : 7.25;
      g_RunResult.ram = n % 2 ? 1.0 : 9.0;
      g_RunResult.storage = n % 2 ? 3.0 : 4.0;
      g_RunResult.video = n % 2 ? 8.0 : 0.5;
      if (!SaveResult()) ok = 0;
    }
    return ok ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"expect")) {
    WCHAR path[MAX_PATH];
    for (int which = 0; which < 2; which++) {
      MakeDatabase(which, &g_Database);
      wsprintfW(path, L"%s.%d", argv[2], which);
      if (!WriteBytes(path, &g_Database, (DWORD)(sizeof(WORD) + g_Database.count * sizeof(TaskRecord)))) return 1;
    }
    return 0;
  }
  return 2;
}
