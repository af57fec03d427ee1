// The task database file: layout byte for byte, and what a reader makes of files it did not write.
#include "testsupport.h"
#include "database.h"
#include "tasklist.h"
#include <string.h>

namespace {

const size_t kRecord = 602;

TaskList g_List;

void AddRow(const wchar_t *exe, const wchar_t *title, const wchar_t *path, int priority, int inDatabase) {
  TaskEntry *row = &g_List.entries[g_List.count++];
  ZeroMemory(row, sizeof(*row));
  wcscpy(row->exeName, exe);
  wcscpy(row->title, title);
  wcscpy(row->path, path);
  row->priority = priority;
  row->inDatabase = (BYTE)inDatabase;
}

std::wstring FieldAt(const std::string &bytes, size_t offset, size_t chars) {
  std::wstring text;
  for (size_t i = 0; i < chars; i++) {
    wchar_t c = (wchar_t)((unsigned char)bytes[offset + 2 * i] | ((unsigned char)bytes[offset + 2 * i + 1] << 8));
    if (!c) break;
    text += c;
  }
  return text;
}

std::string Record(const wchar_t *exe, const wchar_t *path, short priority) {
  TaskRecord record = {};
  memcpy(record.exeName, exe, wcslen(exe) * 2 > 40 ? 40 : wcslen(exe) * 2);
  memcpy(record.path, path, wcslen(path) * 2);
  record.priority = priority;
  return std::string((const char *)&record, sizeof(record));
}

std::string Count(unsigned short n) { return std::string((const char *)&n, 2); }

TaskDatabase g_Read;

}  // namespace

TEST(TaskDatabase, StoresTheDatabaseRowsInListOrderByteForByte) {
  g_List.count = 0;
  AddRow(L"first.exe", L"First", L"\\Windows\\first.exe", 2, 1);
  AddRow(L"skipped.exe", L"Skipped", L"\\Windows\\skipped.exe", 3, 0);
  AddRow(L"abcdefghijklmnopqrstuvwxy.exe", L"A title much longer than twenty", L"\\Program Files\\x\\abcdefghijklmnopqrstuvwxy.exe", 4, 1);
  AddRow(L"idle.exe", L"Idle", L"\\idle.exe", 7, 1);
  TaskDatabase database;
  FillTaskDatabase(&database, &g_List);
  ASSERT_EQ(3, database.count);

  std::wstring path = MakeTempFolder(L"db") + L"\\Settings.db";
  ASSERT_EQ(1, WriteTaskDatabase(path.c_str(), &database));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  ASSERT_EQ(1808u, bytes.size());
  EXPECT_EQ(Count(3), bytes.substr(0, 2));
  EXPECT_EQ(L"first.exe", FieldAt(bytes, 2 + 40, 20));
  EXPECT_EQ(L"First", FieldAt(bytes, 2, 20));
  EXPECT_EQ(L"\\Windows\\first.exe", FieldAt(bytes, 2 + 80, 260));
  EXPECT_EQ(std::string("\x02\x00", 2), bytes.substr(2 + 600, 2));
  // The long name fills its field without a terminator; the path follows at once.
  size_t second = 2 + kRecord;
  EXPECT_EQ(L"abcdefghijklmnopqrst", FieldAt(bytes, second + 40, 20));
  EXPECT_EQ(L"A title much longer ", FieldAt(bytes, second, 20));
  EXPECT_NE(0, bytes[second + 40 + 38]);
  EXPECT_EQ(L"\\Program Files\\x\\abcdefghijklmnopqrstuvwxy.exe", FieldAt(bytes, second + 80, 260));
  size_t third = 2 + 2 * kRecord;
  EXPECT_EQ(L"idle.exe", FieldAt(bytes, third + 40, 20));
  EXPECT_EQ(std::string("\x07\x00", 2), bytes.substr(third + 600, 2));
  // Everything after a name is zero-padded.
  for (size_t i = third + 40 + 2 * 8; i < third + 80; i++) EXPECT_EQ(0, bytes[i]) << i;

  // Read back: the same records, the full name ending at the field's end.
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  ASSERT_EQ(3, g_Read.count);
  EXPECT_EQ(0, memcmp(database.records, g_Read.records, 3 * sizeof(TaskRecord)));
  WCHAR name[TASK_RECORD_NAME_CHARS + 1];
  RecordText(g_Read.records[1].exeName, name);
  EXPECT_STREQ(L"abcdefghijklmnopqrst", name);

  // A row leaving the database drops out and the later records move up; the file shrinks.
  g_List.entries[0].inDatabase = 0;
  FillTaskDatabase(&database, &g_List);
  ASSERT_EQ(1, WriteTaskDatabase(path.c_str(), &database));
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  ASSERT_EQ(2 + 2 * kRecord, bytes.size());
  EXPECT_EQ(L"abcdefghijklmnopqrst", FieldAt(bytes, 2 + 40, 20));
  EXPECT_FALSE(FileExists(path + L".new"));

  // No database rows: a 2-byte file holding 0.
  for (int i = 0; i < g_List.count; i++) g_List.entries[i].inDatabase = 0;
  FillTaskDatabase(&database, &g_List);
  ASSERT_EQ(1, WriteTaskDatabase(path.c_str(), &database));
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  EXPECT_EQ(Count(0), bytes);
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(0, g_Read.count);
}

TEST(TaskDatabase, AFullListStoresAtMostAHundredRecords) {
  g_List.count = 0;
  for (int i = 0; i < MAX_TASKS; i++) AddRow((L"p" + std::to_wstring(i) + L".exe").c_str(), L"", L"", 3, 1);
  TaskDatabase database;
  FillTaskDatabase(&database, &g_List);
  EXPECT_EQ(100, database.count);
  std::wstring path = MakeTempFolder(L"full") + L"\\Settings.db";
  ASSERT_EQ(1, WriteTaskDatabase(path.c_str(), &database));
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(path, &bytes));
  EXPECT_EQ(2 + 100 * kRecord, bytes.size());
}

TEST(TaskDatabase, MissingFilesAndFoldersGiveAnEmptyDatabase) {
  std::wstring folder = MakeTempFolder(L"missing");
  memset(&g_Read, 0x55, sizeof(g_Read));
  EXPECT_EQ(0, ReadTaskDatabase((folder + L"\\Settings.db").c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(0, g_Read.count);
  EXPECT_EQ(0, g_Read.records[0].exeName[0]);

  TaskDatabase database = {};
  database.count = 1;
  wcscpy(database.records[0].exeName, L"x.exe");
  std::wstring nowhere = folder + L"\\no such folder\\Settings.db";
  EXPECT_EQ(0, WriteTaskDatabase(nowhere.c_str(), &database));
  EXPECT_FALSE(FileExists(nowhere));
  EXPECT_EQ(0, WriteTaskDatabase(L"", &database));
}

TEST(TaskDatabase, ReadsNoMoreThanAHundredRecordsOfALargerCount) {
  std::string bytes = Count(150);
  for (int i = 0; i < 150; i++) bytes += Record((L"n" + std::to_wstring(i) + L".exe").c_str(), L"\\n.exe", 5);
  std::wstring path = MakeTempFolder(L"large") + L"\\Settings.db";
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(100, g_Read.count);
  WCHAR name[TASK_RECORD_NAME_CHARS + 1];
  RecordText(g_Read.records[99].exeName, name);
  EXPECT_STREQ(L"n99.exe", name);
}

TEST(TaskDatabase, AShortFileEndsTheDatabaseAtTheLastWholeRecord) {
  std::string whole = Count(3) + Record(L"one.exe", L"\\one.exe", 1) + Record(L"two.exe", L"\\two.exe", 2);
  std::wstring path = MakeTempFolder(L"short") + L"\\Settings.db";
  // Two whole records and half of the third.
  std::string bytes = whole + Record(L"three.exe", L"\\three.exe", 3).substr(0, 300);
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(2, g_Read.count);
  EXPECT_EQ(2, g_Read.records[1].priority);
  EXPECT_EQ(0, g_Read.records[2].exeName[0]);
  EXPECT_EQ(0, g_Read.records[2].priority);

  // A file too short for its count, and one too short for the count itself.
  ASSERT_TRUE(WriteFileBytes(path, "\x05", 1));
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(0, g_Read.count);
  ASSERT_TRUE(WriteFileBytes(path, "\x05\x00", 2));
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  EXPECT_EQ(0, g_Read.count);
}

TEST(TaskDatabase, FieldsOfAForeignFileAreHeldInsideTheirLimits) {
  TaskRecord record;
  // Every field full of letters: no terminator anywhere, priority far out of range.
  for (int i = 0; i < TASK_RECORD_NAME_CHARS; i++) record.title[i] = record.exeName[i] = L'a' + i;
  for (int i = 0; i < TASK_RECORD_PATH_CHARS; i++) record.path[i] = L'p';
  record.priority = 300;
  TaskRecord low = record;
  low.priority = -4;
  std::string bytes = Count(2) + std::string((const char *)&record, sizeof(record)) +
                      std::string((const char *)&low, sizeof(low));
  std::wstring path = MakeTempFolder(L"foreign") + L"\\Settings.db";
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  ASSERT_EQ(1, ReadTaskDatabase(path.c_str(), &g_Read, 1, L"%d", L"%d %s %d"));
  ASSERT_EQ(2, g_Read.count);
  EXPECT_EQ(7, g_Read.records[0].priority);
  EXPECT_EQ(0, g_Read.records[1].priority);
  EXPECT_EQ(259u, wcslen(g_Read.records[0].path));
  WCHAR name[TASK_RECORD_NAME_CHARS + 1];
  RecordText(g_Read.records[0].exeName, name);
  EXPECT_STREQ(L"abcdefghijklmnopqrst", name);
}
