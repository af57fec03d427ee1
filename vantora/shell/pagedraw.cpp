// Drawing the current page: skin pictures in their controls, texts, task rows, the focus edge.
#include "pages.h"
#include "mainwindow.h"
#include "pagecatalogue.h"
#include "pagemodel.h"
#include "skin.h"
#include "../tasks/processfigures.h"
#include "../tasks/tasklist.h"
#include "device.h"
#include "drawtext.h"
#include "strings.h"
#include <strsafe.h>

#define SINGLE_CENTRED (DT_CENTER | DT_VCENTER | DT_SINGLELINE)
#define SINGLE_LEFT (DT_VCENTER | DT_SINGLELINE)

static RECT RectOf(int left, int top, int right, int bottom) {
  RECT rc = {left, top, right, bottom};
  return rc;
}
static RECT ControlRect(const PageControl *c) { return RectOf(c->left, c->top, c->right, c->bottom); }
static RECT SubRect(const SubElement *s) { return RectOf(s->left, s->top, s->right, s->bottom); }

static LPCWSTR Text(LPCWSTR key) { return GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX); }

static void PageText(HDC dc, LPCWSTR text, RECT rc, UINT flags, COLORREF colour = RGB(0, 0, 0), int height = 0,
                     int weight = PAGE_FONT_WEIGHT) {
  if (!text || !*text) return;
  DrawTextInFont(PAGE_FONT, height ? height : ScaleY(14), weight, colour, dc, text, &rc, flags | DT_NOPREFIX);
}

// A wrapped text kept in the middle of its area: a two-line label in a row reads as part of the row.
static void WrappedTextCentred(HDC dc, LPCWSTR text, RECT rc) {
  if (!text || !*text) return;
  RECT calc = rc;
  DrawTextInFont(PAGE_FONT, ScaleY(14), PAGE_FONT_WEIGHT, 0, dc, text, &calc, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
  int textH = calc.bottom - calc.top, areaH = rc.bottom - rc.top;
  if (textH < areaH) rc.top += (areaH - textH) / 2;
  PageText(dc, text, rc, DT_WORDBREAK);
}

static void DrawControlImage(HDC dc, int control, const PageControl *c, bool transparent) {
  if (c->image < 0 || c->image >= SKIN_IMAGE_COUNT) return;
  const BITMAP *info = &g_Skin[c->image].info;
  DrawSkinImage(dc, control, -1, c->left, c->top, c->right - c->left, c->bottom - c->top, transparent, true, 0, 0,
                info->bmWidth, info->bmHeight);
}

static void DrawSubImage(HDC dc, int control, int sub, const SubElement *s, bool transparent) {
  if (s->image < 0 || s->image >= SKIN_IMAGE_COUNT) return;
  const BITMAP *info = &g_Skin[s->image].info;
  DrawSkinImage(dc, control, sub, s->left, s->top, s->right - s->left, s->bottom - s->top, transparent, true, 0, 0,
                info->bmWidth, info->bmHeight);
}

// A pressed part whose picture has no pressed twin (a row, an indicator) is shown pushed in.
static bool HasPressedPicture(int image) {
  return image == IMG_BUTTON_PUSH || image == IMG_BUTTONSMALL_PUSH || image == IMG_SCROLLUP_PUSH ||
         image == IMG_SCROLLDOWN_PUSH;
}

static void DrawPushedIn(HDC dc, RECT rc) {
  DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
  InflateRect(&rc, -1, -1);
  DrawEdge(dc, &rc, EDGE_SUNKEN, BF_RECT);
}

// Rows of pages 0 and 6: the item's label in the middle of its row.
static void DrawMenuLabels(HDC dc, const PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= p->itemCount || item >= MAX_PAGE_ITEMS) continue;
    PageText(dc, p->labels[item], ControlRect(&p->controls[c]), SINGLE_CENTRED);
  }
}

static void DrawTaskRow(HDC dc, int control, const PageControl *c, const TaskEntry *task) {
  if (c->subCount < 10) return;
  for (int s = 0; s < c->subCount; s++) {
    if (s == 1) continue;
    DrawSubImage(dc, control, s, &c->sub[s], s == 2 || s == 5 || s == 8 || s == 9);
  }
  const SubElement *icon = &c->sub[1];
  if (task->icon.hIcon)
    DrawIconEx(dc, icon->left, icon->top, task->icon.hIcon, ScaleX(16), ScaleY(16), 0, NULL, DI_NORMAL);
  WCHAR name[TASK_TEXT_CHARS];
  TaskShownName(task, name, ARRAYSIZE(name));
  PageText(dc, name, SubRect(&c->sub[3]), SINGLE_LEFT | DT_END_ELLIPSIS);
  WCHAR cpu[32];
  StringCchPrintfW(cpu, ARRAYSIZE(cpu), L"%.2f", task->cpuUsage);
  PageText(dc, cpu, SubRect(&c->sub[4]), SINGLE_CENTRED);
  PageText(dc, L"-", SubRect(&c->sub[5]), SINGLE_CENTRED);
  PageText(dc, L"+", SubRect(&c->sub[8]), SINGLE_CENTRED);
}

static void DrawTaskPage(HDC dc, const PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= g_TaskList.count || item >= MAX_TASKS) continue;
    DrawTaskRow(dc, c, &p->controls[c], &g_TaskList.entries[item]);
  }
  COLORREF monitor = g_Main.monitorRunning ? MONITOR_ON_COLOUR : MONITOR_OFF_COLOUR;
  PageText(dc, Text(L"String46VT"), ControlRect(&p->controls[3]), SINGLE_CENTRED, monitor);
  PageText(dc, Text(L"String47VT"), ControlRect(&p->controls[4]), SINGLE_CENTRED);
  PageText(dc, Text(L"String48VT"), ControlRect(&p->controls[5]), SINGLE_CENTRED);
}

static void DrawMemoryPage(HDC dc, const PageModel *p) {
  PageText(dc, Text(L"String50VT"), ControlRect(&p->controls[1]), DT_WORDBREAK);
  PageText(dc, Text(L"String49VT"), ControlRect(&p->controls[3]), SINGLE_CENTRED);
  WCHAR figure[64];
  StringCchPrintfW(figure, ARRAYSIZE(figure), L"%.3f MB", GetUsedProgramMemory() + GetUsedStorageMemory());
  PageText(dc, figure, ControlRect(&p->controls[4]), SINGLE_CENTRED, RGB(0, 0, 0), 2 * ScaleY(14), 1);
}

static void DrawDisplayPage(HDC dc, const PageModel *p) {
  const PageControl *c = p->controls;
  PageText(dc, Text(L"String51VT"), ControlRect(&c[1]), DT_WORDBREAK);
  PageText(dc, Text(L"String52VT"), ControlRect(&c[3]), SINGLE_LEFT);
  PageText(dc, L"-", ControlRect(&c[4]), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  PageText(dc, L"+", ControlRect(&c[7]), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  // The label right of the slider keeps a little room from the "+" button.
  RECT large = ControlRect(&c[8]);
  large.left += ScaleX(4);
  large.right += ScaleX(4);
  PageText(dc, Text(L"String53VT"), large, SINGLE_LEFT);
  PageText(dc, Text(L"String54VT"), ControlRect(&c[9]), DT_WORDBREAK);
  PageText(dc, Text(L"String55VT"), ControlRect(&c[11]), DT_WORDBREAK);
}

// Pages 4 and 5: the indicator (when the item has one) and the label beside it.
static void DrawToggleRows(HDC dc, int page, const PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    const PageControl *row = &p->controls[c];
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= p->itemCount || item >= MAX_PAGE_ITEMS || row->subCount < 1) continue;
    const SubElement *label = &row->sub[row->subCount - 1];
    if (row->subCount > 1) {
      DrawSubImage(dc, c, 0, &row->sub[0], false);
      if (row->sub[0].pressed) DrawPushedIn(dc, SubRect(&row->sub[0]));
    }
    RECT rc = SubRect(label);
    rc.left += ScaleX(4);
    if (page == PAGE_STORAGE && (item == 3 || item == 4))
      WrappedTextCentred(dc, p->labels[item], rc);
    else
      PageText(dc, p->labels[item], rc, SINGLE_LEFT | DT_END_ELLIPSIS);
  }
}

static void DrawFocusEdge(HDC dc, const PageModel *p) {
  int f = p->focusedControl;
  if (f < 1 || f >= p->controlCount || f >= MAX_PAGE_CONTROLS) return;
  const PageControl *c = &p->controls[f];
  RECT rc = ControlRect(c);
  if (c->subCount > 1 && c->focusedSub >= 0 && c->focusedSub < c->subCount) rc = SubRect(&c->sub[c->focusedSub]);
  DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
}

void DrawPage(HDC dc) {
  g_Main.lastPaintTick = GetTickCount();
  int page = g_Main.currentPage;
  if (!dc || page < 0 || page >= PAGE_COUNT) return;
  const PageModel *p = &g_Pages[page];

  RECT all = ControlRect(&p->controls[0]);
  if (all.right <= all.left || all.bottom <= all.top) all = RectOf(0, 0, g_Main.screenWidth, g_Main.screenHeight);
  HBRUSH background = CreateSolidBrush(PAGE_BACKGROUND);
  FillRect(dc, &all, background);
  DeleteObject(background);

  int count = p->controlCount < MAX_PAGE_CONTROLS ? p->controlCount : MAX_PAGE_CONTROLS;
  for (int c = 1; c < count; c++) {
    const PageControl *control = &p->controls[c];
    DrawControlImage(dc, c, control, DrawsTransparent(page, p, c));
    if (control->pressed && !HasPressedPicture(control->image)) DrawPushedIn(dc, ControlRect(control));
  }

  switch (PageKindOf(page)) {
    case PAGE_KIND_LIST:
      DrawMenuLabels(dc, p);
      break;
    case PAGE_KIND_TASKS:
      DrawTaskPage(dc, p);
      break;
    case PAGE_KIND_TOGGLES:
      DrawToggleRows(dc, page, p);
      break;
    case PAGE_KIND_CONTROLS:
      if (page == PAGE_MEMORY) DrawMemoryPage(dc, p);
      else DrawDisplayPage(dc, p);
      break;
  }
  // Pushed-in task row parts (the database and running marks) go over their pictures.
  if (PageKindOf(page) == PAGE_KIND_TASKS) {
    for (int c = FirstRowControl(p); c < count; c++) {
      const PageControl *row = &p->controls[c];
      for (int s = 0; s < row->subCount && s < MAX_SUB_ELEMENTS; s++)
        if (row->sub[s].pressed && !HasPressedPicture(row->sub[s].image)) DrawPushedIn(dc, SubRect(&row->sub[s]));
    }
  }
  DrawFocusEdge(dc, p);
}
