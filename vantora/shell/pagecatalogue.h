// The page catalogue: what each page lists, the texts of its items and the states its indicators show.
#pragma once
#include "pagemodel.h"

// Prepares the data a page lists before its rows are set up.
void InitPageItems(int page);
// (Re)fills a page's record: rows that fit, items, labels, indicator states, scroll and focus reset.
void SetupPageRows(int page);
// After the screen changed: rows that fit and the scroll flag of every page record.
void RecomputeVisibleRows(void);
