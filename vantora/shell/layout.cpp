// Page layout. Sizes are given for a 240 x 320 screen and scaled; images are drawn at SkinW x SkinH.
#include "layout.h"
#include "mainwindow.h"
#include "skin.h"
#include "device.h"
#include "../tweaks/tweaks.h"
#include "../tasks/tasklist.h"

#define ROW_PITCH 40
#define TASK_SUB_ELEMENTS 10

static int x(int v) { return ScaleX(v); }
static int y(int v) { return ScaleY(v); }
static int w(int image) { return SkinW(image); }
static int h(int image) { return SkinH(image); }

static int UsableHeight(void) { return g_Main.screenHeight - 2 * g_Main.taskbarHeight; }

int RowsThatFit(int page) {
  if (page < 0 || page >= PAGE_COUNT) return 0;
  int reserve = 0;
  if (page == PAGE_MENU) reserve = y(41);
  else if (page == PAGE_TASKS) reserve = h(IMG_BUTTON);
  int rows = (UsableHeight() - reserve) / y(ROW_PITCH);
  if (rows < 0) rows = 0;
  // Row controls follow the scroll controls; the table of controls must hold them all.
  int first = g_Pages[page].firstRowScrolling;
  if (first < 1) first = 1;
  if (rows > MAX_PAGE_CONTROLS - first) rows = MAX_PAGE_CONTROLS - first;
  return rows;
}

static void SetRect4(PageControl *c, int left, int top, int right, int bottom, int image) {
  c->left = left;
  c->top = top;
  c->right = right;
  c->bottom = bottom;
  c->image = image;
}

static void SetSub(SubElement *s, int left, int top, int right, int bottom, int image) {
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
  SetRect4(&p->controls[0], 0, 0, g_Main.screenWidth, g_Main.screenHeight, IMG_NONE);
}

static int LaidOutRows(const PageModel *p) {
  int rows = p->visibleRows < p->itemCount ? p->visibleRows : p->itemCount;
  if (rows < 0) rows = 0;
  if (rows > MAX_PAGE_CONTROLS - FirstRowControl(p)) rows = MAX_PAGE_CONTROLS - FirstRowControl(p);
  return rows;
}

// Row backgrounds, the scroll bar and its buttons: shared by every list page.
static void LayoutListRows(PageModel *p) {
  int W = g_Main.screenWidth;
  int first = FirstRowControl(p);
  int rows = LaidOutRows(p);
  int right = p->scrolling ? W - w(IMG_SCROLLBAR) : W;
  int top = 0;
  for (int r = 0; r < rows; r++) {
    SetRect4(&p->controls[first + r], 0, top, right, top + h(IMG_ITEM), IMG_ITEM);
    top += h(IMG_ITEM);
  }
  if (p->scrolling) {
    int bar = p->firstRowFixed;
    int barBottom = p->visibleRows * y(ROW_PITCH);
    int half = barBottom / 2;
    SetRect4(&p->controls[bar], W - w(IMG_SCROLLBAR), 0, W, barBottom, IMG_SCROLLBAR);
    int upTop = (half - h(IMG_SCROLLUP)) / 2;
    SetRect4(&p->controls[bar + 1], W - w(IMG_SCROLLUP), upTop, W, upTop + h(IMG_SCROLLUP), IMG_SCROLLUP);
    int downTop = barBottom - (half - h(IMG_SCROLLDOWN)) / 2 - h(IMG_SCROLLDOWN);
    SetRect4(&p->controls[bar + 2], W - w(IMG_SCROLLDOWN), downTop, W, downTop + h(IMG_SCROLLDOWN),
             IMG_SCROLLDOWN);
  }
  p->controlCount = first + rows;
}

// Left edge of a slider's knob at one of `stops` stops (0 .. stops - 1) along a track: the knob is
// centred on the stop.
static int KnobLeft(int trackLeft, int trackWidth, int stop, int stops, int knobWidth) {
  return trackLeft + trackWidth * stop / (stops - 1) - knobWidth / 2;
}

static void LayoutLogo(PageControl *c) {
  int left = (g_Main.screenWidth - w(IMG_LOGO)) / 2;
  int top = UsableHeight() - h(IMG_LOGO) - y(6);
  SetRect4(c, left, top, left + w(IMG_LOGO), top + h(IMG_LOGO), IMG_LOGO);
}

// The ten parts of a task row: database mark, icon, CPU gauge, name, CPU figure, "-", slider track,
// knob, "+", running mark. Depends on the task's database, running and priority state.
static void LayoutTaskRow(PageControl *c, const TaskEntry *task) {
  int l = c->left, t = c->top, r = c->right;
  int rh = h(IMG_ITEM), q = rh / 2;
  SubElement *s = c->sub;
  c->subCount = TASK_SUB_ELEMENTS;

  int db = task->inDatabase ? IMG_IND_DB_ON : IMG_IND_DB_OFF;
  int dbTop = t + (rh - h(db)) / 2;
  SetSub(&s[0], l, dbTop, l + w(db), dbTop + h(db), db);
  int r0 = s[0].right;

  int iconLeft = r0 + (q - x(16)) / 2, iconTop = t + (q - y(16)) / 2;
  SetSub(&s[1], iconLeft, iconTop, iconLeft + x(16), iconTop + y(16), IMG_NONE);

  int gaugeLeft = r - 7 * rh / 4 + (q - w(IMG_CPUUSAGE)) / 2, gaugeTop = t + (q - h(IMG_CPUUSAGE)) / 2;
  SetSub(&s[2], gaugeLeft, gaugeTop, gaugeLeft + w(IMG_CPUUSAGE), gaugeTop + h(IMG_CPUUSAGE), IMG_CPUUSAGE);

  SetSub(&s[3], r0 + q, t, r - 3 * rh / 4 - rh, t + q, IMG_NONE);

  int run = task->running ? IMG_IND_ON : IMG_IND_OFF;
  int runLeft = r - (q - w(run)) / 2 - w(run), runTop = t + (q - h(run)) / 2;
  SetSub(&s[9], runLeft, runTop, runLeft + w(run), runTop + h(run), run);

  SetSub(&s[4], s[2].right, t, s[9].left, t + q, IMG_NONE);

  int smallTop = t + q + (q - h(IMG_BUTTONSMALL)) / 2;
  int minusLeft = r0 + (q - w(IMG_BUTTONSMALL)) / 2;
  SetSub(&s[5], minusLeft, smallTop, minusLeft + w(IMG_BUTTONSMALL), smallTop + h(IMG_BUTTONSMALL),
         IMG_BUTTONSMALL);

  int trackTop = t + q + (q - h(IMG_SLIDERBAR)) / 2;
  SetSub(&s[6], r0 + q, trackTop, r - q, trackTop + h(IMG_SLIDERBAR), IMG_SLIDERBAR);

  // Level 0 (most urgent) sits at the right end of the track, 7 (idle) at the left.
  int level = task->priority;
  if (level < PRIORITY_LEVEL_HIGHEST) level = PRIORITY_LEVEL_HIGHEST;
  if (level > PRIORITY_LEVEL_IDLE) level = PRIORITY_LEVEL_IDLE;
  int knobLeft = KnobLeft(s[6].left, s[6].right - s[6].left, PRIORITY_LEVEL_IDLE - level, PRIORITY_LEVEL_IDLE + 1,
                          w(IMG_SLIDER));
  int knobTop = t + q + (q - h(IMG_SLIDER)) / 2;
  SetSub(&s[7], knobLeft, knobTop, knobLeft + w(IMG_SLIDER), knobTop + h(IMG_SLIDER), IMG_SLIDER);

  int plusLeft = r - (q - w(IMG_BUTTONSMALL)) / 2 - w(IMG_BUTTONSMALL);
  SetSub(&s[8], plusLeft, smallTop, plusLeft + w(IMG_BUTTONSMALL), smallTop + h(IMG_BUTTONSMALL),
         IMG_BUTTONSMALL);
}

static void LayoutTaskRows(PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= g_TaskList.count || item >= MAX_TASKS) {
      p->controls[c].subCount = 0;
      continue;
    }
    LayoutTaskRow(&p->controls[c], &g_TaskList.entries[item]);
  }
}

// Toggle rows: the indicator at the row's left and the label beside it; a row without one has only
// the label, indented a little.
static void LayoutToggleRows(PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    PageControl *row = &p->controls[c];
    int item = p->scrollOffset + c - first;
    bool indicator = item >= 0 && item < MAX_PAGE_ITEMS && p->itemHasIndicator[item];
    int l = row->left, t = row->top, r = row->right, rh = row->bottom - row->top;
    if (indicator) {
      int image = p->itemState[item] ? IMG_ITEM_ON : IMG_ITEM_OFF;
      int top = t + (rh - h(image)) / 2;
      SetSub(&row->sub[0], l, top, l + w(image), top + h(image), image);
      SetSub(&row->sub[1], row->sub[0].right, t, r, row->bottom, IMG_NONE);
      row->subCount = 2;
    } else {
      SetSub(&row->sub[0], l + x(4), t, r, row->bottom, IMG_NONE);
      row->subCount = 1;
    }
    for (int s = row->subCount; s < MAX_SUB_ELEMENTS; s++) {
      ZeroMemory(&row->sub[s], sizeof(SubElement));
      row->sub[s].image = IMG_NONE;
    }
  }
}

// Control 1 of pages 0, 5 and 6: the empty space between the last row and the menu bar.
static void LayoutAreaBelowRows(PageModel *p) {
  SetRect4(&p->controls[1], 0, LaidOutRows(p) * y(ROW_PITCH), g_Main.screenWidth, UsableHeight(), IMG_NONE);
}

static void LayoutMenuPage(PageModel *p) {
  LayoutAreaBelowRows(p);
  LayoutLogo(&p->controls[2]);
}

static void LayoutTaskPage(PageModel *p) {
  int W = g_Main.screenWidth, usable = UsableHeight();
  int listBottom = LaidOutRows(p) * y(ROW_PITCH);
  SetRect4(&p->controls[1], 0, h(IMG_BUTTON) + listBottom + y(2), W, usable, IMG_NONE);
  SetRect4(&p->controls[2], 0, usable, W, g_Main.screenHeight - g_Main.taskbarHeight, IMG_NONE);
  int bw = w(IMG_BUTTON), bh = h(IMG_BUTTON);
  int gap = (W - 3 * bw) / 4;
  int top = listBottom + (usable - listBottom - bh) / 2;
  for (int i = 0; i < 3; i++) {
    int left = (i + 1) * gap + i * bw;
    SetRect4(&p->controls[3 + i], left, top, left + bw, top + bh, IMG_BUTTON);
  }
}

static void LayoutMemoryPage(PageModel *p) {
  int W = g_Main.screenWidth;
  SetRect4(&p->controls[1], x(20), y(20) / 2, W, y(70), IMG_NONE);
  LayoutLogo(&p->controls[2]);
  SetRect4(&p->controls[4], 0, y(70), W, y(90), IMG_NONE);
  int left = (W - w(IMG_BUTTON)) / 2, top = p->controls[4].bottom + y(6);
  SetRect4(&p->controls[3], left, top, left + w(IMG_BUTTON), top + h(IMG_BUTTON), IMG_BUTTON);
  p->controlCount = 5;
  p->focusedControl = 3;
}

static void LayoutDisplayPage(PageModel *p) {
  int W = g_Main.screenWidth;
  PageControl *c = p->controls;
  // The heading keeps the same margin on both sides.
  SetRect4(&c[1], x(20), x(20) / 2, W - x(20), y(20) + x(20) / 2, IMG_NONE);
  SetRect4(&c[2], 0, UsableHeight(), W, g_Main.screenHeight - g_Main.taskbarHeight, IMG_NONE);

  // The glyph cache line: every part centred in one band.
  int bandTop = c[1].bottom + y(2), bandH = y(20), bandBottom = bandTop + bandH;
  SetRect4(&c[3], x(20), bandTop, x(20) + x(40), bandBottom, IMG_NONE);
  int smallTop = bandTop + (bandH - h(IMG_BUTTONSMALL)) / 2;
  int left = c[3].right + x(4) / 3;
  SetRect4(&c[4], left, smallTop, left + w(IMG_BUTTONSMALL), smallTop + h(IMG_BUTTONSMALL), IMG_BUTTONSMALL);
  int trackTop = bandTop + (bandH - h(IMG_SLIDERBAR)) / 2;
  int trackW = 2 * w(IMG_SLIDERBAR) / 3;
  SetRect4(&c[5], c[4].right, trackTop, c[4].right + trackW, trackTop + h(IMG_SLIDERBAR), IMG_SLIDERBAR);
  int level = GetGlyphCacheLevel();
  int knobLeft = KnobLeft(c[5].left, trackW, level, GLYPH_CACHE_LEVELS, w(IMG_SLIDER));
  int knobTop = bandTop + (bandH - h(IMG_SLIDER)) / 2;
  SetRect4(&c[6], knobLeft, knobTop, knobLeft + w(IMG_SLIDER), knobTop + h(IMG_SLIDER), IMG_SLIDER);
  SetRect4(&c[7], c[5].right, smallTop, c[5].right + w(IMG_BUTTONSMALL), smallTop + h(IMG_BUTTONSMALL),
           IMG_BUTTONSMALL);
  SetRect4(&c[8], c[7].right, bandTop, c[7].right + x(40), bandBottom, IMG_NONE);

  int textTop = c[8].bottom + y(2);
  SetRect4(&c[9], x(20), textTop, W, textTop + 2 * y(20), IMG_NONE);
  // The animation toggle: "on" means animation is off, the faster setting.
  int toggle = GetDisplayAnimationActive() ? IMG_ITEM_ON : IMG_ITEM_OFF;
  int toggleTop = c[9].bottom + 3 * y(2) + (y(20) - h(IMG_ITEM_ON)) / 2;
  SetRect4(&c[10], x(20), toggleTop, x(20) + w(toggle), toggleTop + h(toggle), toggle);
  SetRect4(&c[11], c[10].right + x(4), toggleTop, W, toggleTop + 2 * y(20), IMG_NONE);
  p->controlCount = 12;
  p->focusedControl = 4;
}

static void LayoutStorageRows(PageModel *p) { LayoutToggleRows(p); }

static void LayoutCompanionPage(PageModel *p) {
  LayoutToggleRows(p);
  LayoutAreaBelowRows(p);
}

static void LayoutTaskList(PageModel *p) {
  LayoutTaskPage(p);
  LayoutTaskRows(p);
  // An empty list leaves no row to focus: the first button takes it.
  if (p->controlCount <= FirstRowControl(p)) p->focusedControl = 3;
}

// What a full layout does on each page after the list rows (list pages) or instead of them.
static void (*const kLayout[PAGE_COUNT])(PageModel *) = {
    LayoutMenuPage, LayoutTaskList, LayoutMemoryPage, LayoutDisplayPage, LayoutStorageRows, LayoutCompanionPage,
    LayoutAreaBelowRows,
};

static void LayoutFull(int page) {
  PageModel *p = &g_Pages[page];
  ClearControls(p);
  p->scrollOffset = 0;
  p->focusedItem = 0;
  if (IsListPage(page)) {
    LayoutListRows(p);
    p->focusedControl = FirstRowControl(p);
  }
  kLayout[page](p);
}

void LayoutPage(int page, bool partial) {
  if (page < 0 || page >= PAGE_COUNT) return;
  if (!partial) {
    LayoutFull(page);
    return;
  }
  PageModel *p = &g_Pages[page];
  if (PageKindOf(page) == PAGE_KIND_TASKS) LayoutTaskRows(p);
  else if (PageKindOf(page) == PAGE_KIND_TOGGLES) LayoutToggleRows(p);
}
