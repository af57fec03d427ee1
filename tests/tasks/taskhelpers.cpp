#include "taskhelpers.h"
#include <tlhelp32.h>
#include <vector>

namespace {

// Removes a copy's folder with every file left in it; a copy whose program still ends is tried again.
void RemoveHelperFolder(const std::wstring &dir, DWORD ms) {
  WaitUntil([&] {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveFile(dir + L"\\" + found.cFileName);
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    return RemoveDirectoryW(dir.c_str()) || GetFileAttributesW(dir.c_str()) == INVALID_FILE_ATTRIBUTES;
  }, ms);
}

// The device's store is small: the copies of a test process go when it ends, and the copies of an
// earlier process that never got that far (a crash, a timeout) go with the next one's first copy.
class HelperCopies {
 public:
  std::wstring Folder() {
    if (folder_.empty()) RemoveStaleFolders();
    // Made again for every case: the folders of a case go when it ends.
    if (folder_.empty() || GetFileAttributesW(folder_.c_str()) == INVALID_FILE_ATTRIBUTES)
      folder_ = MakeTempFolder(L"helpers");
    return folder_;
  }
  ~HelperCopies() {
    if (!folder_.empty()) RemoveHelperFolder(folder_, 2000);
  }

 private:
  static void RemoveStaleFolders() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((std::wstring(temp) + L"vt-*-helpers").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    std::vector<std::wstring> stale;
    do {
      DWORD pid = wcstoul(found.cFileName + 3, NULL, 10);
      HANDLE owner = pid ? OpenProcess(SYNCHRONIZE, FALSE, pid) : NULL;
      bool alive = owner && WaitForSingleObject(owner, 0) == WAIT_TIMEOUT;
      if (owner) CloseHandle(owner);
      if (!alive && pid != GetCurrentProcessId()) stale.push_back(std::wstring(temp) + found.cFileName);
    } while (FindNextFileW(find, &found));
    FindClose(find);
    for (const std::wstring &dir : stale) RemoveHelperFolder(dir, 0);
  }
  std::wstring folder_;
};

HelperCopies g_Copies;

}  // namespace

std::wstring HelperCopy(const std::wstring &name) {
  std::wstring original = HelperProgram(L"taskhelper.exe");
  if (name.empty()) return original;
  std::wstring copy = g_Copies.Folder() + L"\\" + name;
  // One copy per name: a name asked for again reuses the file (it may be running).
  if (GetFileAttributesW(copy.c_str()) != INVALID_FILE_ATTRIBUTES) return copy;
  if (!CopyFileW(original.c_str(), copy.c_str(), FALSE)) ADD_FAILURE() << "cannot copy the helper as " << copy.size();
  return copy;
}

std::wstring UniqueName(const wchar_t *prefix, const wchar_t *suffix) {
  return prefix + std::to_wstring(GetCurrentProcessId()) + suffix;
}

bool StartHelper(Program *program, const std::wstring &exe, const std::wstring &args) {
  static int serial;
  std::wstring name = L"taskhelper-ready-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
  HANDLE ready = CreateEventW(NULL, TRUE, FALSE, name.c_str());
  bool ok = ready && program->Start(exe, args + L" ready " + name) && WaitForSingleObject(ready, 10000) == WAIT_OBJECT_0;
  if (ready) CloseHandle(ready);
  return ok;
}

const TaskEntry *FindRow(const TaskList &list, DWORD processId) {
  for (int i = 0; i < list.count; i++)
    if (list.entries[i].processId == processId) return &list.entries[i];
  return NULL;
}

const TaskEntry *FindStoppedRow(const TaskList &list, const wchar_t *exeName) {
  for (int i = 0; i < list.count; i++)
    if (!list.entries[i].running && !wcscmp(list.entries[i].exeName, exeName)) return &list.entries[i];
  return NULL;
}

int CountRows(const TaskList &list, DWORD processId) {
  int n = 0;
  for (int i = 0; i < list.count; i++) n += list.entries[i].processId == processId;
  return n;
}

std::vector<DWORD> ThreadsOf(DWORD processId) {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    if (entry.th32OwnerProcessID == processId) ids.push_back(entry.th32ThreadID);
  CloseHandle(snapshot);
  return ids;
}
