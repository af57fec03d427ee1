// What the pages' own drawing shares: texts in the page font, control and part pictures, the
// pushed-in look, and the rows of the list and toggle pages.
#pragma once
#include "pagemodel.h"
#include "currentpage.h"

#define SINGLE_CENTRED (DT_CENTER | DT_VCENTER | DT_SINGLELINE)
#define SINGLE_LEFT (DT_VCENTER | DT_SINGLELINE)

RECT ControlRect(const PageControl *c);
RECT SubRect(const SubElement *s);

// A text in the page font (height 0: the page's own size).
void PageText(HDC dc, LPCWSTR text, RECT rc, UINT flags, COLORREF colour = RGB(0, 0, 0), int height = 0,
              int weight = PAGE_FONT_WEIGHT);
// A wrapped text kept in the middle of its area: a two-line label in a row reads as part of the row.
void WrappedTextCentred(HDC dc, LPCWSTR text, RECT rc);

void DrawSubImage(HDC dc, const SubElement *s, bool transparent);
// A pressed part whose picture has no pressed twin (a row, an indicator) is shown pushed in.
bool HasPressedPicture(int image);
void DrawPushedIn(HDC dc, RECT rc);

// The list pages' rows: the item's label in the middle of its row.
void DrawListLabels(HDC dc, const PageModel *p);
// The toggle pages' rows: the indicator (when the item has one) and the label beside it; the items
// wrapped says are written on two lines.
void DrawToggleRows(HDC dc, const PageModel *p, bool (*wrapped)(int item));
