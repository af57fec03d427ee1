#include "programstatics.h"
#include "device.h"
#include "paths.h"
#include "settings.h"
#include "strings.h"
#include <stdlib.h>

static void ReleaseStringTable(void) { FreeStringTable(&g_Strings); }

void InitProgramStatics(void) {
  GetModuleFolder(&g_Paths);
  LoadStringTable(&g_Strings, GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"", L""));
  atexit(ReleaseStringTable);
  CWM_VT_REFRESH = RegisterWindowMessageW(L"Vantora Refresh");
}

int TakeInstanceName(const wchar_t *name, unsigned long waitMs) {
  HANDLE mutex = CreateMutexW(NULL, FALSE, name);
  if (!mutex) return 1;  // nothing to compare with: run, as before
  // A copy that is ending gives the name up as its process ends; a running one keeps it.
  DWORD got = WaitForSingleObject(mutex, waitMs);
  if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return 1;  // owned by this thread until it ends
  CloseHandle(mutex);
  return 0;
}
