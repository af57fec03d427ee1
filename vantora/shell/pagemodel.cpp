// The page records and the one table of what each page is.
#include "pagemodel.h"
#include "pagerecords.h"

PageModel g_Pages[PAGE_COUNT];

// In page number order: a new page is a new file and one line here.
static const PageRecord *const kPages[PAGE_COUNT] = {
    &g_MenuPage, &g_TaskPage, &g_MemoryPage, &g_DisplayPage, &g_StoragePage, &g_CompanionsPage, &g_BenchmarkPage,
};

const PageRecord *PageRecordOf(int page) { return kPages[IsPageNumber(page) ? page : PAGE_MEMORY]; }

PageKind PageKindOf(int page) { return IsPageNumber(page) ? kPages[page]->kind : PAGE_KIND_CONTROLS; }

bool IsListPage(int page) { return PageKindOf(page) != PAGE_KIND_CONTROLS; }

bool RowsFollowItems(int page) { return IsPageNumber(page) && kPages[page]->layoutRows != NULL; }

bool DrawsTransparent(int page, const PageModel *p, int control) {
  if (!IsPageNumber(page) || control < 0 || control >= 32) return false;
  const PageRecord *entry = kPages[page];
  return (entry->focusTransparent && control == p->focusedControl) || (entry->transparent & CONTROL_BIT(control));
}
