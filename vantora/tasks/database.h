// The task database: the programs whose priority the user chose, kept in "Settings.db" beside the
// program as a 16-bit count followed by fixed 602-byte records. The main program writes it; the main
// program and the monitor read it.
#pragma once
#include <windows.h>

struct TaskList;

#define MAX_TASK_RECORDS 100
#define TASK_RECORD_NAME_CHARS 20
#define TASK_RECORD_PATH_CHARS 260
#define TASK_DATABASE_FILE L"Settings.db"

#pragma pack(push, 2)
struct TaskRecord {
  WCHAR title[TASK_RECORD_NAME_CHARS];    // zero-padded; no terminator when all 20 are used
  WCHAR exeName[TASK_RECORD_NAME_CHARS];  // zero-padded; no terminator when all 20 are used
  WCHAR path[TASK_RECORD_PATH_CHARS];     // always terminated
  SHORT priority;                         // level 0..7
};
#pragma pack(pop)
static_assert(sizeof(TaskRecord) == 602, "the record layout of Settings.db");

struct TaskDatabase {
  WORD count;
  TaskRecord records[MAX_TASK_RECORDS];
};

// The program's in-memory database.
extern TaskDatabase g_TaskDatabase;

// Path of "Settings.db" in the running program's folder. Points to one buffer that the next call
// overwrites; empty when the folder is unknown.
LPCWSTR TaskDatabasePath(void);

// Rebuilds g_TaskDatabase from the database rows of g_TaskList and writes the file. 1 when written.
int SaveSettings(void);
// Reads the file into g_TaskDatabase (empty when there is none). 1 when the file was read.
int LoadSettings(void);

// Deletes the file and empties g_TaskDatabase (the revert to the device's first state).
void ForgetTaskDatabase(void);

// Builds a database from the rows of a task list that are in the database, in list order.
void FillTaskDatabase(TaskDatabase *database, const TaskList *list);
// Writes a database as a whole file, replacing an existing one only once the new one is complete.
int WriteTaskDatabase(LPCWSTR path, const TaskDatabase *database);
// Reads a file into a database: at most MAX_TASK_RECORDS records, only whole records, priorities held
// to 0..7, paths terminated. The count and every record go to the log of the channel with the given
// formats ("%d" count; "%d %s %d" index, executable name, priority). 0 (and an empty database) when
// the file cannot be opened.
int ReadTaskDatabase(LPCWSTR path, TaskDatabase *database, int channel, LPCWSTR countFormat, LPCWSTR recordFormat);

// The one rule a program name is matched by, wherever a running program meets a record or a name the
// suite knows: equal over the width of a record's name field, case counted.
bool SameProgramName(LPCWSTR a, LPCWSTR b);

// A name field of a record as a terminated string (out holds TASK_RECORD_NAME_CHARS + 1 characters).
void RecordText(const WCHAR field[TASK_RECORD_NAME_CHARS], WCHAR out[TASK_RECORD_NAME_CHARS + 1]);
