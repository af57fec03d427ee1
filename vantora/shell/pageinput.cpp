// Stylus taps and keys on the pages: pressed looks, keyboard focus, scrolling, and the hand-over to
// the page whose control or row was chosen (each page's own file says what it does).
#include "currentpage.h"
#include "pageinput.h"
#include "layout.h"
#include "mainwindow.h"
#include "pagecatalogue.h"
#include "skin.h"
#include "debuglog.h"
#include "strings.h"
#include "wm.h"

static const PageInput *InputOf(int page) { return PageRecordOf(page)->input; }

static PressTarget g_Press = {-1, -1, -1};
// The control (and part) that Enter showed pressed, restored on key up.
static PressTarget g_EnterPress = {-1, -1, -1};

PageModel *PageOf(int page) { return &g_Pages[page]; }
int FirstRow(const PageModel *p) { return FirstRowControl(p); }
int RowCount(const PageModel *p) {
  int rows = p->controlCount - FirstRow(p);
  return rows > 0 ? rows : 0;
}
int LastRow(const PageModel *p) { return FirstRow(p) + RowCount(p) - 1; }
bool IsRow(const PageModel *p, int control) {
  return IsListPage((int)(p - g_Pages)) && RowCount(p) > 0 && control >= FirstRow(p) && control <= LastRow(p);
}
int ItemOfRow(const PageModel *p, int control) { return p->scrollOffset + control - FirstRow(p); }
LPCWSTR Text(LPCWSTR key) { return GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX); }

WaitCursor::WaitCursor() { WmSetWaitCursor(TRUE); }
WaitCursor::~WaitCursor() { WmSetWaitCursor(FALSE); }

// ---- Invalidation ----------------------------------------------------------------------------------

static void InvalidateBox(int left, int top, int right, int bottom) {
  if (!g_Main.window) return;
  // Bounds are inclusive: the last column and row belong to the part too.
  RECT rc = {left, top, right + 1, bottom + 1};
  InvalidateRect(g_Main.window, &rc, TRUE);
}
static void InvalidateControl(const PageModel *p, int control) {
  if (control < 0 || control >= MAX_PAGE_CONTROLS) return;
  const PageControl *c = &p->controls[control];
  InvalidateBox(c->left, c->top, c->right, c->bottom);
}
static void InvalidateSub(const PageModel *p, int control, int sub) {
  if (control < 0 || control >= MAX_PAGE_CONTROLS || sub < 0 || sub >= MAX_SUB_ELEMENTS) return;
  const SubElement *s = &p->controls[control].sub[sub];
  InvalidateBox(s->left, s->top, s->right, s->bottom);
}

void RefreshPage(int page, bool fromTop) {
  if (!IsPageNumber(page)) return;
  PageModel *p = PageOf(page);
  if (fromTop) {
    SetupPageRows(page);
    LayoutPage(page, false);
  } else if (UpdatePageItems(page)) {
    LayoutPage(page, false);
  } else if (RowsFollowItems(page)) {
    LayoutPage(page, true);
  } else {
    // A page whose controls follow the data (the display page's knob and switch) is laid out whole;
    // on a page of controls the focus stays where it was.
    int focus = p->focusedControl;
    LayoutPage(page, false);
    if (!IsListPage(page)) p->focusedControl = focus;
  }
  RedrawMainWindow();
}

// ---- Pressed looks ---------------------------------------------------------------------------------

static int NormalImage(int image) {
  switch (image) {
    case IMG_BUTTON_PUSH: return IMG_BUTTON;
    case IMG_BUTTONSMALL_PUSH: return IMG_BUTTONSMALL;
    case IMG_SCROLLUP_PUSH: return IMG_SCROLLUP;
    case IMG_SCROLLDOWN_PUSH: return IMG_SCROLLDOWN;
  }
  return image;
}

static void PressControl(PageModel *p, int control, int pushedImage) {
  PageControl *c = &p->controls[control];
  c->pressed = true;
  if (pushedImage >= 0) c->image = pushedImage;
  InvalidateControl(p, control);
}

static void PressSub(PageModel *p, int control, int sub, int pushedImage) {
  SubElement *s = &p->controls[control].sub[sub];
  s->pressed = true;
  if (pushedImage >= 0) s->image = pushedImage;
  InvalidateSub(p, control, sub);
}

// Every part still pressed goes back to its normal look; only its own rectangle is repainted unless
// the whole window is redrawn anyway.
static void ReleasePressed(PageModel *p, bool invalidate) {
  for (int c = 0; c < MAX_PAGE_CONTROLS; c++) {
    PageControl *control = &p->controls[c];
    if (control->pressed) {
      control->pressed = false;
      control->image = NormalImage(control->image);
      if (invalidate) InvalidateControl(p, c);
    }
    for (int s = 0; s < MAX_SUB_ELEMENTS; s++) {
      SubElement *sub = &control->sub[s];
      if (!sub->pressed) continue;
      sub->pressed = false;
      sub->image = NormalImage(sub->image);
      if (invalidate) InvalidateSub(p, c, s);
    }
  }
}

void CancelPagePress(void) {
  if (IsPageNumber(g_Press.page)) ReleasePressed(PageOf(g_Press.page), true);
  g_Press.page = g_Press.control = g_Press.sub = -1;
}

// ---- Focus -----------------------------------------------------------------------------------------

void ClearFocus(PageModel *p) {
  if (p->focusedControl >= 0) InvalidateControl(p, p->focusedControl);
  p->focusedControl = -1;
  for (int c = 0; c < MAX_PAGE_CONTROLS; c++) p->controls[c].focusedSub = -1;
}

void MoveFocus(PageModel *p, int control, int sub) {
  int old = p->focusedControl;
  if (old >= 0 && old < MAX_PAGE_CONTROLS) {
    p->controls[old].focusedSub = -1;
    InvalidateControl(p, old);
  }
  p->focusedControl = control;
  if (control >= 0 && control < MAX_PAGE_CONTROLS) {
    PageControl *c = &p->controls[control];
    c->focusedSub = sub < c->subCount ? sub : -1;
    if (IsRow(p, control)) {
      p->focusedItem = ItemOfRow(p, control);
      if (c->focusedSub >= 0) p->savedSubFocus = c->focusedSub;
    }
    InvalidateControl(p, control);
  }
}

// ---- Pages and scrolling ---------------------------------------------------------------------------

void OpenPage(int page) {
  if (!IsPageNumber(page)) return;
  CancelPagePress();
  g_Main.currentPage = page;
  WriteDebugLog(LOG_GUI, L"currp %d", page);
  LayoutPage(page, false);
  RedrawMainWindow();
}

static bool Scroll(int page, int delta) {
  PageModel *p = PageOf(page);
  int offset = p->scrollOffset + delta;
  if (!p->scrolling || offset < 0 || offset + p->visibleRows > p->itemCount) {
    MessageBeep(MB_OK);
    return false;
  }
  // The focus stays on its item while that item is still shown, else on the nearest row.
  int focused = p->focusedControl;
  int sub = focused >= 0 && focused < MAX_PAGE_CONTROLS ? p->controls[focused].focusedSub : -1;
  bool rowFocused = IsRow(p, focused);
  int item = rowFocused ? ItemOfRow(p, focused) : -1;
  p->scrollOffset = offset;
  if (RowsFollowItems(page)) LayoutPage(page, true);
  if (rowFocused) {
    int row = item - offset;
    if (row < 0) row = 0;
    if (row >= RowCount(p)) row = RowCount(p) - 1;
    p->controls[focused].focusedSub = -1;
    p->focusedControl = FirstRow(p) + row;
    PageControl *c = &p->controls[p->focusedControl];
    c->focusedSub = sub < c->subCount ? sub : -1;
    p->focusedItem = ItemOfRow(p, p->focusedControl);
  }
  RedrawMainWindow();
  return true;
}

// ---- Taps ------------------------------------------------------------------------------------------

bool Hit(const PageControl *c, int x, int y) { return PointInControl(x, y, c->left, c->top, c->right, c->bottom); }
bool HitSub(const SubElement *s, int x, int y) { return PointInControl(x, y, s->left, s->top, s->right, s->bottom); }

int HitControl(const PageModel *p, int x, int y, int from, int to) {
  for (int c = from; c <= to && c < p->controlCount && c < MAX_PAGE_CONTROLS; c++)
    if (c >= FIRST_PAGE_CONTROL && Hit(&p->controls[c], x, y)) return c;
  return -1;
}

int IndicatorPart(const PageControl *row, int x, int y) {
  return row->subCount == TOGGLE_PARTS && HitSub(&row->sub[TOGGLE_INDICATOR], x, y) ? TOGGLE_INDICATOR : -1;
}

static int HitRow(const PageModel *p, int x, int y) {
  if (RowCount(p) == 0) return -1;
  return HitControl(p, x, y, FirstRow(p), LastRow(p));
}

static bool IsScrollButton(const PageModel *p, int control) {
  return p->scrolling && (control == p->firstRowFixed + SCROLL_UP || control == p->firstRowFixed + SCROLL_DOWN);
}

// The scroll buttons of a scrolling list page, -1 for none.
static int HitScrollButton(const PageModel *p, int x, int y) {
  if (!p->scrolling) return -1;
  for (int c = p->firstRowFixed + SCROLL_UP; c <= p->firstRowFixed + SCROLL_DOWN; c++)
    if (Hit(&p->controls[c], x, y)) return c;
  return -1;
}

// Works out what a tap at (x, y) touches on the page: the control and the part of it.
static PressTarget TargetAt(int page, int x, int y) {
  const PageInput *input = InputOf(page);
  PageModel *p = PageOf(page);
  PressTarget t = {page, -1, -1};
  if (IsListPage(page)) {
    int row = HitRow(p, x, y);
    if (row >= 0) {
      t.control = row;
      if (input->rowPart) t.sub = input->rowPart(&p->controls[row], x, y);
      return t;
    }
    if ((t.control = HitScrollButton(p, x, y)) >= 0) return t;
  }
  if (input->control) t.control = input->control(p, x, y);
  return t;
}

static void ShowPressed(int page, const PressTarget &t) {
  const PageInput *input = InputOf(page);
  PageModel *p = PageOf(page);
  if (t.control < 0) return;
  if (IsScrollButton(p, t.control) && !IsRow(p, t.control)) {
    PressControl(p, t.control, t.control == p->firstRowFixed + SCROLL_UP ? IMG_SCROLLUP_PUSH : IMG_SCROLLDOWN_PUSH);
    return;
  }
  if (IsRow(p, t.control)) {
    PressControl(p, t.control, -1);
    if (t.sub >= 0) PressSub(p, t.control, t.sub, input->partPressedImage ? input->partPressedImage(t.sub) : -1);
    return;
  }
  if (input->controlPressedImage) PressControl(p, t.control, input->controlPressedImage(t.control));
}

// The stylus came up on what it went down on: act. True when the whole window must be redrawn.
static bool ActOnTap(int page, const PressTarget &t) {
  const PageInput *input = InputOf(page);
  PageModel *p = PageOf(page);
  if (IsRow(p, t.control)) return input->actOnRow && input->actOnRow(t.control, t.sub, false);
  if (IsScrollButton(p, t.control)) {
    Scroll(page, t.control == p->firstRowFixed + SCROLL_UP ? -1 : 1);
    return false;
  }
  return t.control >= 0 && input->actOnControl && input->actOnControl(t.control);
}

void OnPageTap(int x, int y, bool down) {
  int page = g_Main.currentPage;
  if (!IsPageNumber(page)) return;
  PageModel *p = PageOf(page);
  ClearFocus(p);
  if (down) {
    CancelPagePress();
    g_Press = TargetAt(page, x, y);
    if (g_Press.control < 0) return;
    ShowPressed(page, g_Press);
    if (g_Main.window) SetCapture(g_Main.window);
    return;
  }
  PressTarget pressed = g_Press;
  g_Press.page = g_Press.control = g_Press.sub = -1;
  if (GetCapture() == g_Main.window) ReleaseCapture();
  if (pressed.page != page || pressed.control < 0) return;
  PressTarget up = TargetAt(page, x, y);
  bool redraw = false;
  if (up.control == pressed.control && up.sub == pressed.sub) redraw = ActOnTap(page, pressed);
  // The page may have changed under the tap (a page opened): release where it was pressed.
  ReleasePressed(PageOf(pressed.page), !redraw);
  if (redraw) RedrawMainWindow();
}

// ---- Keys ------------------------------------------------------------------------------------------

// With no focus an arrow key brings it back to the remembered item of a list, scrolled into view.
// A page of fixed controls keeps no focus after a tap: its keys do nothing until it is opened again.
static void RestoreFocus(int page) {
  if (!IsListPage(page)) return;
  PageModel *p = PageOf(page);
  int resting = InputOf(page)->restingFocus;
  if (p->itemCount <= 0 || RowCount(p) == 0) {
    if (resting >= 0) MoveFocus(p, resting, -1);
    return;
  }
  int item = p->focusedItem;
  if (item < 0) item = 0;
  if (item >= p->itemCount) item = p->itemCount - 1;
  if (p->scrolling) {
    int offset = item;
    if (offset + p->visibleRows > p->itemCount) offset = p->itemCount - p->visibleRows;
    if (offset < 0) offset = 0;
    if (offset != p->scrollOffset) {
      p->scrollOffset = offset;
      if (RowsFollowItems(page)) LayoutPage(page, true);
    }
  }
  int control = FirstRow(p) + item - p->scrollOffset;
  p->focusedControl = control;
  PageControl *c = &p->controls[control];
  c->focusedSub = p->savedSubFocus >= 0 && p->savedSubFocus < c->subCount ? p->savedSubFocus : -1;
  p->focusedItem = item;
  RedrawMainWindow();
}

bool MoveAlongRows(int page, int delta) {
  PageModel *p = PageOf(page);
  int focused = p->focusedControl;
  int sub = p->controls[focused].focusedSub;
  int target = focused + delta;
  if (target >= FirstRow(p) && target <= LastRow(p)) {
    MoveFocus(p, target, sub);
    return true;
  }
  bool more = delta < 0 ? p->scrollOffset > 0 : p->scrollOffset + RowCount(p) < p->itemCount;
  if (!more) return false;
  // The list moves by one under the focus, which then goes on to the item that came into view.
  Scroll(page, delta);
  if (IsRow(p, focused)) MoveFocus(p, focused, sub);
  return true;
}

void PressForEnter(PageModel *p, int control, int sub, int pushedImage) {
  g_EnterPress.page = g_Main.currentPage;
  g_EnterPress.control = control;
  g_EnterPress.sub = sub;
  if (sub >= 0) PressSub(p, control, sub, pushedImage);
  else PressControl(p, control, pushedImage);
  // Seen before the operation runs.
  if (g_Main.window) UpdateWindow(g_Main.window);
}

static void ReleaseEnterPress(void) {
  if (!IsPageNumber(g_EnterPress.page)) return;
  ReleasePressed(PageOf(g_EnterPress.page), true);
  g_EnterPress.page = g_EnterPress.control = g_EnterPress.sub = -1;
}

void ReleaseEnterPressIfKeyUp(void) {
  if (!(GetKeyState(VK_RETURN) & 0x8000)) ReleaseEnterPress();
}

// Up/Down and Left/Right over the rows of a list; Enter chooses the focused row.
static void WalkRows(int page, WPARAM key) {
  PageModel *p = PageOf(page);
  int f = p->focusedControl;
  if (!IsRow(p, f)) return;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      if (!MoveAlongRows(page, -1)) MessageBeep(MB_OK);
      return;
    case VK_DOWN:
    case VK_RIGHT:
      if (!MoveAlongRows(page, 1)) MessageBeep(MB_OK);
      return;
    case VK_RETURN:
      if (InputOf(page)->actOnRow && InputOf(page)->actOnRow(f, 0, true)) RedrawMainWindow();
      return;
  }
}

void OnPageKey(UINT message, WPARAM key, LPARAM data) {
  (void)data;
  if (key != VK_RETURN && key != VK_LEFT && key != VK_UP && key != VK_RIGHT && key != VK_DOWN) return;
  int page = g_Main.currentPage;
  if (!IsPageNumber(page)) return;
  if (message == WM_KEYUP) {
    if (key == VK_RETURN) ReleaseEnterPress();
    return;
  }
  if (message != WM_KEYDOWN) return;
  ReleaseEnterPress();
  PageModel *p = PageOf(page);
  if (p->focusedControl < FIRST_PAGE_CONTROL || p->focusedControl >= p->controlCount) {
    if (key != VK_RETURN) RestoreFocus(page);
    return;
  }
  if (InputOf(page)->key) InputOf(page)->key(key);
  else WalkRows(page, key);
}
