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

int TakeInstanceName(const wchar_t *name, const wchar_t *windowClass, const wchar_t *windowTitle,
                     unsigned long waitMs, HWND *running) {
  *running = NULL;
  HANDLE mutex = CreateMutexW(NULL, FALSE, name);
  if (!mutex) return 1;  // nothing to compare with: run, as before
  DWORD start = GetTickCount();
  for (;;) {
    // The holder gives the name up as its process ends (abandoned when it was killed).
    DWORD got = WaitForSingleObject(mutex, 0);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return 1;  // owned by this thread until it ends
    *running = FindWindowW(windowClass, windowTitle);
    DWORD waited = GetTickCount() - start;
    if (*running || waited >= waitMs) break;
    // Woken at once when the holder ends; its window appearing is looked for between waits.
    DWORD slice = waitMs - waited < 20 ? waitMs - waited : 20;
    got = WaitForSingleObject(mutex, slice);
    if (got == WAIT_OBJECT_0 || got == WAIT_ABANDONED) return 1;
  }
  CloseHandle(mutex);
  return 0;
}
