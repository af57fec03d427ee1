// Page layout: what every page shares (the screen control, list rows and their scroll bar, toggle
// rows); each page's own file lays out the rest. Images are drawn at SkinW x SkinH.
#include "layout.h"
#include "screen.h"
#include "skin.h"

int RowsThatFit(int page) {
  if (!IsPageNumber(page)) return 0;
  const PageRecord *record = PageRecordOf(page);
  int reserve = record->reserveBelowRows ? record->reserveBelowRows() : 0;
  int rows = (PageAreaHeight() - reserve) / ScaleY(ROW_PITCH);
  if (rows < 0) rows = 0;
  // Row controls follow the scroll controls; the table of controls must hold them all.
  int first = g_Pages[page].firstRowScrolling;
  if (first < FIRST_PAGE_CONTROL) first = FIRST_PAGE_CONTROL;
  if (rows > MAX_PAGE_CONTROLS - first) rows = MAX_PAGE_CONTROLS - first;
  return rows;
}

void SetControlRect(PageControl *c, int left, int top, int right, int bottom, int image) {
  c->left = left;
  c->top = top;
  c->right = right;
  c->bottom = bottom;
  c->image = image;
}

void SetSubRect(SubElement *s, int left, int top, int right, int bottom, int image) {
  s->left = left;
  s->top = top;
  s->right = right;
  s->bottom = bottom;
  s->image = image;
}

static void ClearControls(PageModel *p) {
  ZeroMemory(p->controls, sizeof(p->controls));
  for (int i = 0; i < MAX_PAGE_CONTROLS; i++) {
    p->controls[i].image = IMG_NONE;
    p->controls[i].focusedSub = -1;
    for (int s = 0; s < MAX_SUB_ELEMENTS; s++) p->controls[i].sub[s].image = IMG_NONE;
  }
  SetControlRect(&p->controls[PAGE_SCREEN], 0, 0, g_Screen.width, g_Screen.height, IMG_NONE);
}

int LaidOutRows(const PageModel *p) {
  int rows = p->visibleRows < p->itemCount ? p->visibleRows : p->itemCount;
  if (rows < 0) rows = 0;
  if (rows > MAX_PAGE_CONTROLS - FirstRowControl(p)) rows = MAX_PAGE_CONTROLS - FirstRowControl(p);
  return rows;
}

// Row backgrounds, the scroll bar and its buttons: shared by every list page.
static void LayoutListRows(PageModel *p) {
  int W = g_Screen.width;
  int first = FirstRowControl(p);
  int rows = LaidOutRows(p);
  int right = p->scrolling ? W - SkinW(IMG_SCROLLBAR) : W;
  int top = 0;
  for (int r = 0; r < rows; r++) {
    SetControlRect(&p->controls[first + r], 0, top, right, top + SkinH(IMG_ITEM), IMG_ITEM);
    top += SkinH(IMG_ITEM);
  }
  if (p->scrolling) {
    PageControl *scroll = &p->controls[p->firstRowFixed];
    int barBottom = p->visibleRows * ScaleY(ROW_PITCH);
    int half = barBottom / 2;
    SetControlRect(&scroll[SCROLL_BAR], W - SkinW(IMG_SCROLLBAR), 0, W, barBottom, IMG_SCROLLBAR);
    int upTop = (half - SkinH(IMG_SCROLLUP)) / 2;
    SetControlRect(&scroll[SCROLL_UP], W - SkinW(IMG_SCROLLUP), upTop, W, upTop + SkinH(IMG_SCROLLUP), IMG_SCROLLUP);
    int downTop = barBottom - (half - SkinH(IMG_SCROLLDOWN)) / 2 - SkinH(IMG_SCROLLDOWN);
    SetControlRect(&scroll[SCROLL_DOWN], W - SkinW(IMG_SCROLLDOWN), downTop, W, downTop + SkinH(IMG_SCROLLDOWN),
                   IMG_SCROLLDOWN);
  }
  p->controlCount = first + rows;
}

int KnobLeft(int trackLeft, int trackWidth, int stop, int stops, int knobWidth) {
  return trackLeft + trackWidth * stop / (stops - 1) - knobWidth / 2;
}

void LayoutLogo(PageControl *c) {
  int left = (g_Screen.width - SkinW(IMG_LOGO)) / 2;
  int top = PageAreaHeight() - SkinH(IMG_LOGO) - ScaleY(6);
  SetControlRect(c, left, top, left + SkinW(IMG_LOGO), top + SkinH(IMG_LOGO), IMG_LOGO);
}

void LayoutAreaBelowRows(PageControl *c, const PageModel *p) {
  SetControlRect(c, 0, LaidOutRows(p) * ScaleY(ROW_PITCH), g_Screen.width, PageAreaHeight(), IMG_NONE);
}

void LayoutMenuBarArea(PageControl *c) {
  SetControlRect(c, 0, PageAreaHeight(), g_Screen.width, g_Screen.height - g_Screen.taskbarHeight, IMG_NONE);
}

void LayoutToggleRows(PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    PageControl *row = &p->controls[c];
    int item = p->scrollOffset + c - first;
    bool indicator = item >= 0 && item < MAX_PAGE_ITEMS && p->itemHasIndicator[item];
    int l = row->left, t = row->top, r = row->right, rh = row->bottom - row->top;
    if (indicator) {
      int image = p->itemState[item] ? IMG_ITEM_ON : IMG_ITEM_OFF;
      int top = t + (rh - SkinH(image)) / 2;
      SetSubRect(&row->sub[TOGGLE_INDICATOR], l, top, l + SkinW(image), top + SkinH(image), image);
      SetSubRect(&row->sub[TOGGLE_LABEL], row->sub[TOGGLE_INDICATOR].right, t, r, row->bottom, IMG_NONE);
      row->subCount = TOGGLE_PARTS;
    } else {
      SetSubRect(&row->sub[TOGGLE_LABEL_ALONE], l + ScaleX(4), t, r, row->bottom, IMG_NONE);
      row->subCount = 1;
    }
    for (int s = row->subCount; s < MAX_SUB_ELEMENTS; s++) {
      ZeroMemory(&row->sub[s], sizeof(SubElement));
      row->sub[s].image = IMG_NONE;
    }
  }
}

static void LayoutFull(int page) {
  PageModel *p = &g_Pages[page];
  ClearControls(p);
  p->scrollOffset = 0;
  p->focusedItem = 0;
  if (IsListPage(page)) {
    LayoutListRows(p);
    p->focusedControl = FirstRowControl(p);
  }
  PageRecordOf(page)->layout(p);
}

void LayoutPage(int page, bool partial) {
  if (!IsPageNumber(page)) return;
  if (!partial) {
    LayoutFull(page);
    return;
  }
  const PageRecord *record = PageRecordOf(page);
  if (record->layoutRows) record->layoutRows(&g_Pages[page]);
}
