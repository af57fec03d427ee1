// The page catalogue and the set-up of a page's rows from it.
#include "pagecatalogue.h"
#include "layout.h"
#include "debuglog.h"
#include "strings.h"
#include "../tasks/taskops.h"
#include "../tweaks/tweaks.h"
#include <strsafe.h>

#define TASK_ITEMS (-1)  // the page lists the task list
#define CONTROL_BIT(c) (1u << (c))

struct PageCatalogueEntry {
  PageKind kind;
  int items;               // fixed item count, TASK_ITEMS, or 0 for a page without a list
  int firstLabelKey;       // "String<n>VT" of item 0; the others follow in order
  int firstRowScrolling;   // first row control while scrolling (the scroll bar, up, down come before)
  int firstRowFixed;       // ... and without scrolling; also where the scroll controls start
  bool focusTransparent;   // the focused control draws transparent
  DWORD transparent;       // controls that always draw transparent, one bit each
};

static const PageCatalogueEntry kCatalogue[PAGE_COUNT] = {
    {PAGE_KIND_LIST, 7, 17, 6, 3, true, 0},                                                  // main menu
    {PAGE_KIND_TASKS, TASK_ITEMS, 0, 9, 6, true, CONTROL_BIT(3) | CONTROL_BIT(4) | CONTROL_BIT(5)},  // task list
    {PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, 0},                                              // memory
    {PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, CONTROL_BIT(4) | CONTROL_BIT(7)},                // display
    {PAGE_KIND_TOGGLES, 7, 24, 4, 1, true, 0},                                               // storage tweaks
    {PAGE_KIND_TOGGLES, 3, 31, 6, 3, false, 0},                                              // companion programs
    {PAGE_KIND_LIST, 3, 34, 6, 3, false, 0},                                                 // benchmark
};

static bool ValidPage(int page) { return page >= 0 && page < PAGE_COUNT; }

PageKind PageKindOf(int page) { return ValidPage(page) ? kCatalogue[page].kind : PAGE_KIND_CONTROLS; }

bool IsListPage(int page) { return PageKindOf(page) != PAGE_KIND_CONTROLS; }

bool RowsFollowItems(int page) {
  PageKind kind = PageKindOf(page);
  return kind == PAGE_KIND_TASKS || kind == PAGE_KIND_TOGGLES;
}

bool DrawsTransparent(int page, const PageModel *p, int control) {
  if (!ValidPage(page) || control < 0 || control >= 32) return false;
  const PageCatalogueEntry *entry = &kCatalogue[page];
  return (entry->focusTransparent && control == p->focusedControl) || (entry->transparent & CONTROL_BIT(control));
}

void TaskShownName(const TaskEntry *task, WCHAR *out, size_t outChars) {
  if (!outChars) return;
  out[0] = 0;
  if (!task) return;
  StringCchCopyNW(out, outChars, task->displayName, SHOWN_NAME_CHARS);
  if (wcslen(task->displayName) > SHOWN_NAME_CHARS) StringCchCatW(out, outChars, L"...");
}

void InitPageItems(int page) {
  WriteDebugLog(LOG_GUI, L"+InitPageItems call.");
  if (PageKindOf(page) == PAGE_KIND_TASKS) GetProcessList();
  WriteDebugLog(LOG_GUI, L"-InitPageItems done.");
}

static int ItemCountOf(int page) {
  if (kCatalogue[page].items != TASK_ITEMS) return kCatalogue[page].items;
  int count = g_TaskList.count;
  if (count < 0) count = 0;
  if (count > MAX_TASKS) count = MAX_TASKS;
  return count;
}

// The state an indicator row shows, from the tweaks that own the values behind it.
static void ReadItemState(int page, int item, PageModel *p) {
  if (page == PAGE_STORAGE) {
    p->itemHasIndicator[item] = StorageRowHasState(item);
    p->itemState[item] = p->itemHasIndicator[item] && GetStorageRowActive(item);
  } else {
    p->itemHasIndicator[item] = true;
    p->itemState[item] = GetCompanionRowActive(item);
  }
}

static void FillItems(int page) {
  PageModel *p = &g_Pages[page];
  const PageCatalogueEntry *entry = &kCatalogue[page];
  p->itemCount = ItemCountOf(page);
  ZeroMemory(p->labels, sizeof(p->labels));
  ZeroMemory(p->itemState, sizeof(p->itemState));
  ZeroMemory(p->itemHasIndicator, sizeof(p->itemHasIndicator));
  for (int i = 0; i < p->itemCount && i < MAX_PAGE_ITEMS; i++) {
    if (entry->items == TASK_ITEMS) {
      TaskShownName(&g_TaskList.entries[i], p->labels[i], PAGE_LABEL_CHARS);
    } else {
      WCHAR key[32];
      StringCchPrintfW(key, ARRAYSIZE(key), L"String%dVT", entry->firstLabelKey + i);
      StringCchCopyW(p->labels[i], PAGE_LABEL_CHARS, GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX));
    }
    if (entry->kind == PAGE_KIND_TOGGLES) ReadItemState(page, i, p);
  }
}

void SetupPageRows(int page) {
  if (!ValidPage(page)) return;
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
  FillItems(page);
}

void UpdatePageItems(int page) {
  if (!ValidPage(page) || !kCatalogue[page].items) return;
  PageModel *p = &g_Pages[page];
  if (ItemCountOf(page) != p->itemCount) {
    SetupPageRows(page);
    return;
  }
  FillItems(page);
}

void RecomputeVisibleRows(void) {
  for (int page = 0; page < PAGE_COUNT; page++) {
    PageModel *p = &g_Pages[page];
    p->visibleRows = RowsThatFit(page);
    p->scrolling = p->visibleRows < p->itemCount;
  }
}
