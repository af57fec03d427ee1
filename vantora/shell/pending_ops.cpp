// Stand-ins for the task, companion, cleanup and tweak operations the pages call, until the real ones
// are built: each only logs its call (the states are the plain registry reads). Delete this file when
// the real operations are in.
#include "../tasks/memclean.h"
#include "../tasks/taskops.h"
#include "../tweaks/browsercache.h"
#include "../tweaks/companions.h"
#include "../tweaks/tweaks.h"
#include "layout.h"
#include "debuglog.h"
#include "settings.h"

static void Pending(LPCWSTR name, int a, int b) { WriteDebugLog(LOG_GUI, L"pending %s [%d][%d]", name, a, b); }

void RefreshProcessList(int page) { Pending(L"RefreshProcessList", page, 0); }
void AddDeleteTaskFromDataBase(int page, int row) { Pending(L"AddDeleteTaskFromDataBase", page, row); }
void ChangeTaskPriority(int page, int direction, int row) { Pending(L"ChangeTaskPriority", direction, row); }
void RunCloseTask(int page, int row) { Pending(L"RunCloseTask", page, row); }
void ToggleVTMonitor(int item, bool *redraw) {
  Pending(L"ToggleVTMonitor", item, 0);
  if (redraw) *redraw = true;
}
void RunBenchmark(int visibleRow) { Pending(L"RunBenchmark", visibleRow, 0); }
void CloseAllApplications(int page) { Pending(L"CloseAllApplications", page, 0); }
void RevertDefaultsCommand(void) { Pending(L"RevertDefaultsCommand", 0, 0); }
void StepGlyphCacheLimit(int item, bool up) { Pending(L"StepGlyphCacheLimit", item, up); }
void ToggleWindowAnimation(int item) { Pending(L"ToggleWindowAnimation", item, 0); }
void SetStorageTweak(int item, int row, bool *redraw) {
  Pending(L"SetStorageTweak", item, row);
  if (redraw) *redraw = true;
}
void SetCompanionTweak(int item, int row, bool *redraw) {
  Pending(L"SetCompanionTweak", item, row);
  if (redraw) *redraw = true;
}
void ClearBrowserFiles(void) { Pending(L"ClearBrowserFiles", 0, 0); }

static DWORD ReadDword(HKEY root, LPCWSTR key, LPCWSTR value, DWORD absent) {
  DWORD v = absent;
  ReadRegistryValue(root, key, value, REG_DWORD, &v, sizeof(v));
  return v;
}

int GetGlyphCacheLevel(void) {
  return GlyphCacheLevelOf(ReadDword(HKEY_LOCAL_MACHINE, L"SYSTEM\\GDI\\GLYPHCACHE\\", L"limit", 8192));
}
bool GetDisplayAnimationActive(void) { return ReadDword(HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\", L"Animate", 0) == 0; }
bool GetStorageRowActive(int row) {
  switch (row) {
    case 0: return ReadDword(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\FATFS\\", L"CacheSize", 0) != 0;
    case 1:
      return ReadDword(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Filters\\fsreplxfilt\\", L"ReplStoreCacheSize",
                       0) != 0;
    case 2:
      return ReadDword(HKEY_CURRENT_USER,
                       L"SOFTWARE\\Microsoft\\Windows\\Current Version\\Internet Settings\\5.0\\Cache\\Content\\",
                       L"CacheLimit", 0) != 0;
    case 4: return ReadDword(HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"storperfIETmpToStorage", 0) != 0;
    case 5: {
      WCHAR command[MAX_PATH + 1] = L"";
      ReadRegistryValue(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL, REG_SZ, command,
                        sizeof(command) - sizeof(WCHAR));
      command[MAX_PATH] = 0;
      return wcsstr(command, L"/nodelete") != NULL;
    }
  }
  return false;
}
bool GetCompanionRowActive(int row) {
  switch (row) {
    case 0: return ReadDword(HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"RealQuitlet", 0) != 0;
    case 1: return ReadDword(HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"Gaugelet", 0) != 0;
    case 2: return ReadDword(HKEY_LOCAL_MACHINE, L"Comm\\AsyncMac1\\Parms\\", L"DisablePowerManagement", 1) == 0;
  }
  return false;
}
