// Page layout: the rectangle of every control of a page from the screen size, the taskbar height, the
// skin image sizes and the rows that fit.
#pragma once
#include "pagemodel.h"

// List rows that fit on a page: (H - 2T - reserve) / ScaleY(40), never below 0 and never more than
// the page's controls can hold.
int RowsThatFit(int page);
// partial = false: every control, scrolled back to the first item. partial = true: only what depends
// on the scroll offset and the item states (the pages whose rows follow their items).
void LayoutPage(int page, bool partial);
