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
