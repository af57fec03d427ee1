// Helper programs for the task tests: copies of taskhelper.exe under names of the test's own, started
// and waited for until their windows and threads are up.
#pragma once
#include <string>
#include "testsupport.h"
#include "tasklist.h"

// taskhelper.exe copied into this test process's temp folder as name ("" = the original file); one copy
// per name, removed with the folder when the process ends.
std::wstring HelperCopy(const std::wstring &name);
// A name no other test process uses: prefix + this process's id + suffix.
std::wstring UniqueName(const wchar_t *prefix, const wchar_t *suffix);
// Starts exe with the arguments and waits until it reports ready (10 s).
bool StartHelper(Program *program, const std::wstring &exe, const std::wstring &args);
// The row of a process id, NULL when absent; rows of programs that are not running by executable name.
const TaskEntry *FindRow(const TaskList &list, DWORD processId);
const TaskEntry *FindStoppedRow(const TaskList &list, const wchar_t *exeName);
int CountRows(const TaskList &list, DWORD processId);
// The thread ids of a process.
std::vector<DWORD> ThreadsOf(DWORD processId);
