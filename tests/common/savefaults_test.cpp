// Saves under faults: the task database and the benchmark's result file, saved by their own save
// functions in a helper program that is killed part-way, and saves refused by a read-only file.
// (A full store is tried from the host: fullstore_test.sh.)
#include "testsupport.h"
#include "database.h"
#include "debuglog.h"
#include "results.h"
#include "safefile.h"

namespace {

// The temporaries of saves of path that are still there.
int TemporariesOf(const std::wstring &path) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((path + L".*" SAFE_SAVE_SUFFIX).c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n++;
  while (FindNextFileW(find, &found));
  FindClose(find);
  return n;
}

std::string Bytes(const std::wstring &path) {
  std::string bytes;
  ReadFileBytes(path, &bytes);
  return bytes;
}

// Runs the helper to its end; its exit code.
DWORD RunHelper(const std::wstring &exe, const std::wstring &args) {
  Program p;
  if (!p.Start(exe, args)) return 99;
  return p.Wait(60000);
}

// Which of the two results the file holds: 0 (A), 1 (B), -1 neither or not whole.
int WhichResult(const std::string &bytes) {
  if (bytes.size() != sizeof(ResultRecord)) return -1;
  ResultRecord r;
  memcpy(&r, bytes.data(), sizeof(r));
  if (r.cpu == 7.25 && r.ram == 9.0 && r.storage == 4.0 && r.video == 0.5) return 0;
  if (r.cpu == 2.5 && r.ram == 1.0 && r.storage == 3.0 && r.video == 8.0) return 1;
  return -1;
}

bool LogHas(const wchar_t *log, const std::wstring &a, const std::wstring &b) {
  for (const std::wstring &line : ReadLogLines(log))
    if (line.find(a) != std::wstring::npos && line.find(b) != std::wstring::npos) return true;
  return false;
}

}  // namespace

TEST(SavesUnderFaults, AKilledSaveLeavesTheWholeOldOrTheWholeNewFileAndItsTemporaryIsNeverRead) {
  std::wstring folder = MakeTempFolder(L"killed");
  std::wstring helper = folder + L"\\savehelper.exe", db = folder + L"\\Settings.db";
  std::wstring result = folder + L"\\benchmark.dat";
  ASSERT_TRUE(CopyFileW(HelperProgram(L"savehelper.exe").c_str(), helper.c_str(), FALSE));
  ASSERT_EQ(0u, RunHelper(helper, L"expect \"" + folder + L"\\want\""));
  const std::string a = Bytes(folder + L"\\want.0"), b = Bytes(folder + L"\\want.1");
  ASSERT_EQ(2u + 100 * 602, a.size());
  ASSERT_EQ(2u + 37 * 602, b.size());

  // An old file of each kind, then saves killed at many moments: before, inside and after the
  // writing of the new file and its rename.
  ASSERT_EQ(0u, RunHelper(helper, L"db \"" + db + L"\" 1"));
  ASSERT_EQ(a, Bytes(db));
  ASSERT_EQ(0u, RunHelper(helper, L"result 1"));
  ASSERT_EQ(0, WhichResult(Bytes(result)));
  int killedDuring = 0, seen[2] = {0, 0};
  for (int i = 0; i < 60; i++) {
    bool database = i % 2 == 0;
    std::wstring file = database ? db : result;
    std::string before = Bytes(file);
    Program saver;
    ASSERT_TRUE(saver.Start(helper, database ? L"db \"" + db + L"\" 0" : std::wstring(L"result 0")));
    // Saves are going on once the file has changed (every save alternates the two contents).
    ASSERT_TRUE(WaitUntil([&] {
      std::string now = Bytes(file);
      return !now.empty() && now != before;
    }, 30000)) << i;
    Sleep(i % 7);
    saver.Kill();
    std::string after = Bytes(file);
    if (database) {
      ASSERT_TRUE(after == a || after == b) << "kill " << i << " left " << after.size() << " bytes";
      seen[after == b]++;
      TaskDatabase read;
      ASSERT_EQ(1, ReadTaskDatabase(db.c_str(), &read, LOG_GUI, L"%d", L"%d %s %d"));
      EXPECT_EQ(after == a ? 100 : 37, read.count);
    } else {
      int which = WhichResult(after);
      ASSERT_NE(-1, which) << "kill " << i << " left " << after.size() << " bytes";
      seen[which]++;
    }
    killedDuring += TemporariesOf(file) > 0;
  }
  std::cout << "kills that left a temporary file: " << killedDuring << " of 60; old/new contents: " << seen[0]
            << "/" << seen[1] << std::endl;

  // A temporary left by a killed save is never the database: the reader takes the file, and the next
  // save clears every stale one and leaves none of its own.
  std::string stale(2 + 5 * 602, '\x01');
  ASSERT_TRUE(WriteFileBytes(db + L".4242" SAFE_SAVE_SUFFIX, stale.data(), stale.size()));
  std::string now = Bytes(db);
  TaskDatabase read;
  ASSERT_EQ(1, ReadTaskDatabase(db.c_str(), &read, LOG_GUI, L"%d", L"%d %s %d"));
  EXPECT_EQ(now == a ? 100 : 37, read.count);
  ASSERT_EQ(0u, RunHelper(helper, L"db \"" + db + L"\" 1"));
  EXPECT_EQ(a, Bytes(db));
  EXPECT_EQ(0, TemporariesOf(db));
  ASSERT_EQ(0u, RunHelper(helper, L"result 2"));
  EXPECT_EQ(1, WhichResult(Bytes(result)));
  EXPECT_EQ(0, TemporariesOf(result));
}

TEST(SavesUnderFaults, AReadOnlyFileStaysAsItWasAndTheSaveSaysWhy) {
  g_DebugEnabled = 1;
  std::wstring folder = MakeTempFolder(L"readonly");
  std::wstring helper = folder + L"\\savehelper.exe", db = folder + L"\\Settings.db";
  std::wstring result = folder + L"\\benchmark.dat";
  ASSERT_TRUE(CopyFileW(HelperProgram(L"savehelper.exe").c_str(), helper.c_str(), FALSE));
  ASSERT_EQ(0u, RunHelper(helper, L"expect \"" + folder + L"\\want\""));
  const std::string a = Bytes(folder + L"\\want.0"), b = Bytes(folder + L"\\want.1");

  // The task database: the save returns 0 with the error, the old file stays byte for byte.
  ASSERT_EQ(0u, RunHelper(helper, L"db \"" + db + L"\" 1"));
  ASSERT_TRUE(SetFileAttributesW(db.c_str(), FILE_ATTRIBUTE_READONLY));
  TaskDatabase other = {};
  other.count = 1;
  lstrcpyW(other.records[0].exeName, L"other.exe");
  SetLastError(0);
  EXPECT_EQ(0, WriteTaskDatabase(db.c_str(), &other));
  EXPECT_EQ((DWORD)ERROR_ACCESS_DENIED, GetLastError());
  EXPECT_EQ(a, Bytes(db));
  EXPECT_EQ(0, TemporariesOf(db));
  EXPECT_TRUE(LogHas(L"C:\\VT.gui.txt", L"Save of [" + db + L"] failed: the file is read-only", L"[error 5]"));
  // The same through a program of its own, twice: nothing changes, the program is told.
  EXPECT_EQ(1u, RunHelper(helper, L"db \"" + db + L"\" 2 log"));
  EXPECT_EQ(a, Bytes(db));
  EXPECT_EQ(0, TemporariesOf(db));
  // Writable again, the next save goes through.
  ASSERT_TRUE(SetFileAttributesW(db.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(0u, RunHelper(helper, L"db \"" + db + L"\" 2"));
  EXPECT_EQ(b, Bytes(db));

  // The benchmark's result file.
  ASSERT_EQ(0u, RunHelper(helper, L"result 1"));
  std::string saved = Bytes(result);
  ASSERT_EQ(0, WhichResult(saved));
  ASSERT_TRUE(SetFileAttributesW(result.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(1u, RunHelper(helper, L"result 2 log"));
  EXPECT_EQ(saved, Bytes(result));
  EXPECT_EQ(0, TemporariesOf(result));
  EXPECT_TRUE(LogHas(L"C:\\VT.benchmark.txt", L"Cannot write [" + result + L"]", L"[error 5]"));
  SetFileAttributesW(result.c_str(), FILE_ATTRIBUTE_NORMAL);
}
