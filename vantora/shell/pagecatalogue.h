// The page catalogue: the items a page lists, the texts of its items and the states its indicators
// show, set up from what each page is (pagemodel.h).
#pragma once
#include "pagemodel.h"

struct TaskEntry;

// Prepares the data a page lists before its rows are set up.
void InitPageItems(int page);
// (Re)fills a page's record: rows that fit, items, labels, indicator states, scroll and focus reset.
void SetupPageRows(int page);
// The items, labels and indicator states again, scroll and focus kept while the item count stays.
// true when the count changed and the rows were set up again from the first.
bool UpdatePageItems(int page);
// After the screen changed: rows that fit and the scroll flag of every page record.
void RecomputeVisibleRows(void);

// The name the task page shows for a row: names longer than 12 characters cut, with "...".
#define SHOWN_NAME_CHARS 12
void TaskShownName(const TaskEntry *task, WCHAR *out, size_t outChars);
