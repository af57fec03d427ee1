// The page catalogue and the set-up of a page's rows from it.
#include "pagecatalogue.h"
#include "layout.h"
#include "debuglog.h"
#include "strings.h"
#include "../tasks/taskops.h"
#include <strsafe.h>

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
  if (PageRecordOf(page)->items != PAGE_LISTS_TASKS) return PageRecordOf(page)->items;
  int count = g_TaskList.count;
  if (count < 0) count = 0;
  if (count > MAX_TASKS) count = MAX_TASKS;
  return count;
}

static void FillItems(int page) {
  PageModel *p = &g_Pages[page];
  const PageRecord *entry = PageRecordOf(page);
  p->itemCount = ItemCountOf(page);
  ZeroMemory(p->labels, sizeof(p->labels));
  ZeroMemory(p->itemState, sizeof(p->itemState));
  ZeroMemory(p->itemHasIndicator, sizeof(p->itemHasIndicator));
  for (int i = 0; i < p->itemCount && i < MAX_PAGE_ITEMS; i++) {
    if (entry->items == PAGE_LISTS_TASKS) {
      TaskShownName(&g_TaskList.entries[i], p->labels[i], PAGE_LABEL_CHARS);
    } else {
      WCHAR key[32];
      StringCchPrintfW(key, ARRAYSIZE(key), L"String%dVT", entry->firstLabelKey + i);
      StringCchCopyW(p->labels[i], PAGE_LABEL_CHARS, GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX));
    }
    // The state an indicator row shows, from the tweaks that own the values behind it.
    if (entry->readItem) entry->readItem(i, &p->itemHasIndicator[i], &p->itemState[i]);
  }
}

void SetupPageRows(int page) {
  if (!IsPageNumber(page)) return;
  PageModel *p = &g_Pages[page];
  const PageRecord *entry = PageRecordOf(page);
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

bool UpdatePageItems(int page) {
  if (!IsPageNumber(page) || !PageRecordOf(page)->items) return false;
  PageModel *p = &g_Pages[page];
  if (ItemCountOf(page) != p->itemCount) {
    SetupPageRows(page);
    return true;
  }
  FillItems(page);
  return false;
}

void RecomputeVisibleRows(void) {
  for (int page = 0; page < PAGE_COUNT; page++) {
    PageModel *p = &g_Pages[page];
    p->visibleRows = RowsThatFit(page);
    p->scrolling = p->visibleRows < p->itemCount;
  }
}
