// The page catalogue and the set-up of a page's rows from it.
#include "pagecatalogue.h"
#include "../tasks/taskops.h"
#include "layout.h"
#include "debuglog.h"
#include "settings.h"
#include "strings.h"
#include "../tasks/tasklist.h"
#include <strsafe.h>

#define TASK_ITEMS (-1)  // the page lists the task list

struct PageCatalogueEntry {
  int items;               // fixed item count, TASK_ITEMS, or 0 for a page without a list
  int firstLabelKey;       // "String<n>VT" of item 0; the others follow in order
  int firstRowScrolling;   // first row control while scrolling (the scroll bar, up, down come before)
  int firstRowFixed;       // ... and without scrolling; also where the scroll controls start
};

static const PageCatalogueEntry kCatalogue[PAGE_BENCHMARK + 1] = {
    {7, 17, 6, 3},           // main menu
    {TASK_ITEMS, 0, 9, 6},   // task list
    {0, 0, 0, 0},            // memory
    {0, 0, 0, 0},            // display
    {7, 24, 4, 1},           // storage tweaks
    {3, 31, 6, 3},           // companion programs
    {3, 34, 6, 3},           // benchmark
};

enum StateKind {
  STATE_NONE,      // no indicator
  STATE_NONZERO,   // on when the 32-bit value is not 0
  STATE_ZERO,      // on when the 32-bit value is 0
  STATE_NODELETE,  // on when the cab installer's command keeps the file
};

struct ItemStateSource {
  StateKind kind;
  HKEY root;
  LPCWSTR key;
  LPCWSTR value;
  DWORD whenAbsent;  // also used for a value of another type or size
};

#define CAB_COMMAND_KEY L"cabfile\\Shell\\open\\command"

static const ItemStateSource kStorageStates[7] = {
    {STATE_NONZERO, HKEY_LOCAL_MACHINE, L"System\\StorageManager\\FATFS\\", L"CacheSize", 0},
    {STATE_NONZERO, HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Filters\\fsreplxfilt\\", L"ReplStoreCacheSize", 0},
    {STATE_NONZERO, HKEY_CURRENT_USER,
     L"SOFTWARE\\Microsoft\\Windows\\Current Version\\Internet Settings\\5.0\\Cache\\Content\\", L"CacheLimit", 0},
    {STATE_NONE, NULL, NULL, NULL, 0},
    {STATE_NONZERO, HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"storperfIETmpToStorage", 0},
    {STATE_NODELETE, HKEY_CLASSES_ROOT, CAB_COMMAND_KEY, NULL, 0},
    {STATE_NONE, NULL, NULL, NULL, 0},
};

static const ItemStateSource kCompanionStates[3] = {
    {STATE_NONZERO, HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"RealQuitlet", 0},
    {STATE_NONZERO, HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"Gaugelet", 0},
    // Absent means the drivers' power management stays disabled, as the saved default assumes.
    {STATE_ZERO, HKEY_LOCAL_MACHINE, L"Comm\\AsyncMac1\\Parms\\", L"DisablePowerManagement", 1},
};

void InitPageItems(int page) {
  WriteDebugLog(LOG_GUI, L"+InitPageItems call.");
  if (page == PAGE_TASKS) GetProcessList();
  WriteDebugLog(LOG_GUI, L"-InitPageItems done.");
}

static DWORD ReadStateValue(const ItemStateSource *src) {
  DWORD value = 0;
  if (ReadRegistryValue(src->root, src->key, src->value, REG_DWORD, &value, sizeof(value))) return value;
  return src->whenAbsent;
}

static bool CabCommandKeepsFile(void) {
  WCHAR command[MAX_PATH + 1];
  ZeroMemory(command, sizeof(command));
  if (!ReadRegistryValue(HKEY_CLASSES_ROOT, CAB_COMMAND_KEY, NULL, REG_SZ, command, sizeof(command) - sizeof(WCHAR)))
    command[0] = 0;
  command[MAX_PATH] = 0;
  WriteDebugLog(LOG_GUI, L"lstv %s", command);
  return wcsstr(command, L"/nodelete") != NULL;
}

static bool ReadItemState(const ItemStateSource *src) {
  switch (src->kind) {
    case STATE_NONZERO:
      return ReadStateValue(src) != 0;
    case STATE_ZERO:
      return ReadStateValue(src) == 0;
    case STATE_NODELETE:
      return CabCommandKeepsFile();
    default:
      return false;
  }
}

static int ItemCountOf(int page) {
  if (kCatalogue[page].items != TASK_ITEMS) return kCatalogue[page].items;
  int count = g_TaskList.count;
  if (count < 0) count = 0;
  if (count > MAX_TASKS) count = MAX_TASKS;
  return count;
}

void SetupPageRows(int page) {
  if (page < 0 || page > PAGE_BENCHMARK) return;
  PageModel *p = &g_Pages[page];
  const PageCatalogueEntry *entry = &kCatalogue[page];
  p->firstRowScrolling = entry->firstRowScrolling;
  p->firstRowFixed = entry->firstRowFixed;
  p->visibleRows = RowsThatFit(page);
  if (!entry->items) return;

  p->itemCount = ItemCountOf(page);
  p->scrollOffset = 0;
  p->focusedItem = 0;
  p->savedSubFocus = 0;
  p->scrolling = p->visibleRows < p->itemCount;
  p->focusedControl = FirstRowControl(p);

  ZeroMemory(p->labels, sizeof(p->labels));
  ZeroMemory(p->itemState, sizeof(p->itemState));
  ZeroMemory(p->itemHasIndicator, sizeof(p->itemHasIndicator));
  for (int i = 0; i < p->itemCount && i < MAX_PAGE_ITEMS; i++) {
    if (entry->items == TASK_ITEMS) {
      StringCchCopyW(p->labels[i], PAGE_LABEL_CHARS, g_TaskList.entries[i].displayName);
    } else {
      WCHAR key[32];
      StringCchPrintfW(key, ARRAYSIZE(key), L"String%dVT", entry->firstLabelKey + i);
      StringCchCopyW(p->labels[i], PAGE_LABEL_CHARS, GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX));
    }
  }

  const ItemStateSource *states = NULL;
  int stateCount = 0;
  if (page == PAGE_STORAGE) {
    states = kStorageStates;
    stateCount = ARRAYSIZE(kStorageStates);
  } else if (page == PAGE_COMPANIONS) {
    states = kCompanionStates;
    stateCount = ARRAYSIZE(kCompanionStates);
  }
  for (int i = 0; i < stateCount && i < p->itemCount; i++) {
    p->itemHasIndicator[i] = states[i].kind != STATE_NONE;
    p->itemState[i] = ReadItemState(&states[i]);
  }
}

void RecomputeVisibleRows(void) {
  for (int page = 0; page < PAGE_RECORDS; page++) {
    PageModel *p = &g_Pages[page];
    p->visibleRows = RowsThatFit(page);
    p->scrolling = p->visibleRows < p->itemCount;
  }
}
