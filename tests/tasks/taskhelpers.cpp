#include "taskhelpers.h"
#include <tlhelp32.h>

std::wstring HelperCopy(const std::wstring &name) {
  std::wstring original = HelperProgram(L"taskhelper.exe");
  if (name.empty()) return original;
  std::wstring copy = MakeTempFolder(L"helpers") + L"\\" + name;
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
