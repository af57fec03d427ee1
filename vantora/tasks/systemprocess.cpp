// The processes of the system that the user's commands never close, start or stop.
#include "tasklist.h"
#include <strsafe.h>

namespace {
const LPCWSTR kSystemProcesses[] = {
    L"nk.exe",      L"filesys.exe", L"gwes.exe",  L"device.exe",  L"srvtrust.exe",   L"services.exe",
    L"shell32.exe", L"telshell.exe", L"appman.exe", L"rapiclnt",   L"cprog.exe",      L"connmgr.exe",
    L"plasma.exe",  L"wisssystem.exe", L"calupd.exe", L"poutlook.exe", L"tmail.exe",
};
}  // namespace

int IsSystemProcess(LPCWSTR exeName) {
  if (!exeName) return 0;
  WCHAR lower[TASK_TEXT_CHARS];
  // A name too long for the buffer matches none of the short names anyway.
  if (FAILED(StringCchCopyW(lower, ARRAYSIZE(lower), exeName))) return 0;
  CharLowerBuffW(lower, (DWORD)wcslen(lower));
  for (size_t i = 0; i < ARRAYSIZE(kSystemProcesses); i++)
    if (!wcscmp(lower, kSystemProcesses[i])) return 1;
  return 0;
}
