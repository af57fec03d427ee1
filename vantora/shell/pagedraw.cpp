// Drawing the current page: the background, skin pictures in their controls, the pushed-in looks and
// the focus edge; each page's own file draws its texts and row parts.
#include "pagedraw.h"
#include "mainwindow.h"
#include "screen.h"
#include "skin.h"
#include "drawtext.h"

static RECT RectOf(int left, int top, int right, int bottom) {
  RECT rc = {left, top, right, bottom};
  return rc;
}
RECT ControlRect(const PageControl *c) { return RectOf(c->left, c->top, c->right, c->bottom); }
RECT SubRect(const SubElement *s) { return RectOf(s->left, s->top, s->right, s->bottom); }

void PageText(HDC dc, LPCWSTR text, RECT rc, UINT flags, COLORREF colour, int height, int weight) {
  if (!text || !*text) return;
  DrawTextInFont(PAGE_FONT, height ? height : ScaleY(14), weight, colour, dc, text,
                 &rc, flags | DT_NOPREFIX);
}

void WrappedTextCentred(HDC dc, LPCWSTR text, RECT rc) {
  if (!text || !*text) return;
  RECT calc = rc;
  DrawTextInFont(PAGE_FONT, ScaleY(14), PAGE_FONT_WEIGHT, 0, dc, text, &calc, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  int textH = calc.bottom - calc.top, areaH = rc.bottom - rc.top;
  if (textH < areaH) rc.top += (areaH - textH) / 2;
  PageText(dc, text, rc, DT_WORDBREAK);
}

// A picture drawn whole into its rectangle.
static void DrawImageIn(HDC dc, int image, int left, int top, int right, int bottom, bool transparent) {
  if (image < 0 || image >= SKIN_IMAGE_COUNT) return;
  const BITMAP *info = &g_Skin[image].info;
  DrawSkinImage(dc, {image, left, top, right - left, bottom - top, transparent, true, 0, 0, (int)info->bmWidth,
                     (int)info->bmHeight});
}

void DrawSubImage(HDC dc, const SubElement *s, bool transparent) {
  DrawImageIn(dc, s->image, s->left, s->top, s->right, s->bottom, transparent);
}

bool HasPressedPicture(int image) {
  return image == IMG_BUTTON_PUSH || image == IMG_BUTTONSMALL_PUSH || image == IMG_SCROLLUP_PUSH ||
         image == IMG_SCROLLDOWN_PUSH;
}

void DrawPushedIn(HDC dc, RECT rc) {
  DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
  InflateRect(&rc, -1, -1);
  DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
}

void DrawListLabels(HDC dc, const PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= p->itemCount || item >= MAX_PAGE_ITEMS) continue;
    PageText(dc, p->labels[item], ControlRect(&p->controls[c]), SINGLE_CENTRED);
  }
}

void DrawToggleRows(HDC dc, const PageModel *p, bool (*wrapped)(int item)) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    const PageControl *row = &p->controls[c];
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= p->itemCount || item >= MAX_PAGE_ITEMS || row->subCount < 1) continue;
    const SubElement *label = &row->sub[row->subCount - 1];
    if (row->subCount > 1) {
      const SubElement *indicator = &row->sub[TOGGLE_INDICATOR];
      DrawSubImage(dc, indicator, false);
      if (indicator->pressed) DrawPushedIn(dc, SubRect(indicator));
    }
    RECT rc = SubRect(label);
    rc.left += ScaleX(4);
    if (wrapped && wrapped(item))
      WrappedTextCentred(dc, p->labels[item], rc);
    else
      PageText(dc, p->labels[item], rc, SINGLE_LEFT | DT_END_ELLIPSIS);
  }
}

static void DrawFocusEdge(HDC dc, const PageModel *p) {
  int f = p->focusedControl;
  if (f < FIRST_PAGE_CONTROL || f >= p->controlCount || f >= MAX_PAGE_CONTROLS) return;
  const PageControl *c = &p->controls[f];
  RECT rc = ControlRect(c);
  if (c->subCount > 1 && c->focusedSub >= 0 && c->focusedSub < c->subCount) rc = SubRect(&c->sub[c->focusedSub]);
  DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
}

void DrawPage(HDC dc) {
  g_Main.lastPaintTick = GetTickCount();
  int page = g_Main.currentPage;
  if (!dc || !IsPageNumber(page)) return;
  const PageModel *p = &g_Pages[page];

  RECT all = ControlRect(&p->controls[PAGE_SCREEN]);
  if (all.right <= all.left || all.bottom <= all.top) all = RectOf(0, 0, g_Screen.width, g_Screen.height);
  HBRUSH background = CreateSolidBrush(PAGE_BACKGROUND);
  FillRect(dc, &all, background);
  DeleteObject(background);

  int count = p->controlCount < MAX_PAGE_CONTROLS ? p->controlCount : MAX_PAGE_CONTROLS;
  for (int c = FIRST_PAGE_CONTROL; c < count; c++) {
    const PageControl *control = &p->controls[c];
    DrawImageIn(dc, control->image, control->left, control->top, control->right, control->bottom,
                DrawsTransparent(page, p, c));
    if (control->pressed && !HasPressedPicture(control->image)) DrawPushedIn(dc, ControlRect(control));
  }
  PageRecordOf(page)->draw(dc, p);
  DrawFocusEdge(dc, p);
}
