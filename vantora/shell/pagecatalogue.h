// The page catalogue: what each page is (its kind, what it lists, the texts of its items, the states
// its indicators show, which of its pictures draw transparent) and the set-up of its rows from it.
#pragma once
#include "pagemodel.h"

struct TaskEntry;

// What a page is made of; input, layout and drawing follow the kind.
enum PageKind {
  PAGE_KIND_LIST,      // rows that open or start something (menu, benchmark)
  PAGE_KIND_TASKS,     // the task list: rows with parts, buttons below
  PAGE_KIND_TOGGLES,   // rows with an on/off indicator (storage, companions)
  PAGE_KIND_CONTROLS,  // buttons, a slider and switches, no rows (memory, display)
};

PageKind PageKindOf(int page);
// Pages whose controls are list rows (every kind but PAGE_KIND_CONTROLS).
bool IsListPage(int page);
// Pages whose rows depend on their items' states and the scroll offset: a partial layout covers them.
bool RowsFollowItems(int page);
// Whether a control of the page draws its picture with the transparent colour.
bool DrawsTransparent(int page, const PageModel *p, int control);

// Prepares the data a page lists before its rows are set up.
void InitPageItems(int page);
// (Re)fills a page's record: rows that fit, items, labels, indicator states, scroll and focus reset.
void SetupPageRows(int page);
// The items, labels and indicator states again, scroll and focus kept while the item count stays.
void UpdatePageItems(int page);
// After the screen changed: rows that fit and the scroll flag of every page record.
void RecomputeVisibleRows(void);

// The name the task page shows for a row: names longer than 12 characters cut, with "...".
#define SHOWN_NAME_CHARS 12
void TaskShownName(const TaskEntry *task, WCHAR *out, size_t outChars);
