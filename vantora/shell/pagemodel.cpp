// The page records and what each page is.
#include "pagemodel.h"

PageModel g_Pages[PAGE_COUNT];

#define CONTROL_BIT(c) (1u << (c))

// kind, items, first label, first row scrolling / fixed, focus transparent, transparent controls
static const PageTraits kTraits[PAGE_COUNT] = {
    {PAGE_KIND_LIST, 7, 17, 6, 3, true, 0},                                                     // main menu
    {PAGE_KIND_TASKS, PAGE_LISTS_TASKS, 0, 9, 6, true, CONTROL_BIT(3) | CONTROL_BIT(4) | CONTROL_BIT(5)},
    {PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, 0},                                                 // memory
    {PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, CONTROL_BIT(4) | CONTROL_BIT(7)},                   // display
    {PAGE_KIND_TOGGLES, 7, 24, 4, 1, true, 0},                                                  // storage tweaks
    {PAGE_KIND_TOGGLES, 3, 31, 6, 3, false, 0},                                                 // companion programs
    {PAGE_KIND_LIST, 3, 34, 6, 3, false, 0},                                                    // benchmark
};

const PageTraits *PageTraitsOf(int page) { return &kTraits[IsPageNumber(page) ? page : PAGE_MEMORY]; }

PageKind PageKindOf(int page) { return IsPageNumber(page) ? kTraits[page].kind : PAGE_KIND_CONTROLS; }

bool IsListPage(int page) { return PageKindOf(page) != PAGE_KIND_CONTROLS; }

bool RowsFollowItems(int page) {
  PageKind kind = PageKindOf(page);
  return kind == PAGE_KIND_TASKS || kind == PAGE_KIND_TOGGLES;
}

bool DrawsTransparent(int page, const PageModel *p, int control) {
  if (!IsPageNumber(page) || control < 0 || control >= 32) return false;
  const PageTraits *entry = &kTraits[page];
  return (entry->focusTransparent && control == p->focusedControl) || (entry->transparent & CONTROL_BIT(control));
}

