// The page catalogue and the set-up of a page's rows from it.
#include "pagecatalogue.h"
#include "../tasks/taskops.h"
#include "layout.h"
#include "debuglog.h"
#include "../tweaks/tweaks.h"
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

void InitPageItems(int page) {
  WriteDebugLog(LOG_GUI, L"+InitPageItems call.");
  if (page == PAGE_TASKS) GetProcessList();
  WriteDebugLog(LOG_GUI, L"-InitPageItems done.");
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

  // The states come from the tweaks, which own the values behind them.
  if (page == PAGE_STORAGE) {
    for (int i = 0; i < p->itemCount && i < MAX_PAGE_ITEMS; i++) {
      p->itemHasIndicator[i] = StorageRowHasState(i);
      p->itemState[i] = p->itemHasIndicator[i] && GetStorageRowActive(i);
    }
  } else if (page == PAGE_COMPANIONS) {
    for (int i = 0; i < p->itemCount && i < MAX_PAGE_ITEMS; i++) {
      p->itemHasIndicator[i] = true;
      p->itemState[i] = GetCompanionRowActive(i);
    }
  }
}

void RecomputeVisibleRows(void) {
  for (int page = 0; page < PAGE_RECORDS; page++) {
    PageModel *p = &g_Pages[page];
    p->visibleRows = RowsThatFit(page);
    p->scrolling = p->visibleRows < p->itemCount;
  }
}
