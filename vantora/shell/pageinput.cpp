// Stylus taps and keys on the pages: pressed looks, keyboard focus, scrolling, and the operations
// behind every button and row.
#include "pages.h"
#include "browser.h"
#include "layout.h"
#include "mainwindow.h"
#include "pagemodel.h"
#include "skin.h"
#include "../tasks/memclean.h"
#include "../tasks/taskops.h"
#include "../tasks/tasklist.h"
#include "../tweaks/browsercache.h"
#include "../tweaks/companions.h"
#include "../tweaks/tweaks.h"
#include "debuglog.h"
#include "strings.h"
#include "wm.h"

// Task row parts (sub-elements) that act.
#define TASK_DB_MARK 0
#define TASK_MINUS 5
#define TASK_PLUS 8
#define TASK_RUN_MARK 9
// Task page buttons below the list.
#define TASK_MONITOR_BUTTON 3
#define TASK_ADD_BUTTON 4
#define TASK_REFRESH_BUTTON 5
#define MEMORY_BUTTON 3
#define DISPLAY_MINUS 4
#define DISPLAY_PLUS 7
#define DISPLAY_ANIMATION 10
#define CLEAR_BROWSER_ITEM 3

// What the stylus went down on: the up acts only when it comes up on the same thing.
struct PressTarget {
  int page;
  int control;  // -1: nothing
  int sub;      // the touched part of a row, -1 for the row or a plain control
};
static PressTarget g_Press = {-1, -1, -1};
// The control (and part) that Enter showed pressed, restored on key up.
static PressTarget g_EnterPress = {-1, -1, -1};

static PageModel *PageOf(int page) { return &g_Pages[page]; }
static int FirstRow(const PageModel *p) { return FirstRowControl(p); }
static int RowCount(const PageModel *p) {
  int rows = p->controlCount - FirstRow(p);
  return rows > 0 ? rows : 0;
}
static int LastRow(const PageModel *p) { return FirstRow(p) + RowCount(p) - 1; }
static bool IsListPage(int page);
// Only the list pages have rows; the controls of the memory and display pages are not rows.
static bool IsRow(const PageModel *p, int control) {
  return IsListPage((int)(p - g_Pages)) && RowCount(p) > 0 && control >= FirstRow(p) && control <= LastRow(p);
}
static int ItemOfRow(const PageModel *p, int control) { return p->scrollOffset + control - FirstRow(p); }
static bool IsListPage(int page) {
  return page == PAGE_MENU || page == PAGE_TASKS || page == PAGE_STORAGE || page == PAGE_COMPANIONS ||
         page == PAGE_BENCHMARK;
}
static LPCWSTR Text(LPCWSTR key) { return GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX); }

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
static void RedrawWindowWhole(void) {
  if (g_Main.window) InvalidateRect(g_Main.window, NULL, FALSE);
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
  if (g_Press.page >= 0 && g_Press.page < PAGE_COUNT) ReleasePressed(PageOf(g_Press.page), true);
  g_Press.page = g_Press.control = g_Press.sub = -1;
}

// ---- Focus -----------------------------------------------------------------------------------------

static void ClearFocus(PageModel *p) {
  if (p->focusedControl >= 0) InvalidateControl(p, p->focusedControl);
  p->focusedControl = -1;
  for (int c = 0; c < MAX_PAGE_CONTROLS; c++) p->controls[c].focusedSub = -1;
}

// Moves the focus to a control (and part); only the two controls concerned are repainted.
static void MoveFocus(PageModel *p, int control, int sub) {
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

// ---- Operations ------------------------------------------------------------------------------------

// Operations that start programs, sample or wait show the wait cursor while they run.
struct WaitCursor {
  WaitCursor() { WmSetWaitCursor(TRUE); }
  ~WaitCursor() { WmSetWaitCursor(FALSE); }
};

void OpenPage(int page) {
  if (page < 0 || page >= PAGE_COUNT) return;
  CancelPagePress();
  g_Main.currentPage = page;
  WriteDebugLog(LOG_GUI, L"currp %d", page);
  LayoutPage(page, false);
  RedrawWindowWhole();
}

// The rows of a toggle page show what the tweaks now hold.
static void SyncToggleStates(int page) {
  PageModel *p = PageOf(page);
  for (int item = 0; item < p->itemCount && item < MAX_PAGE_ITEMS; item++) {
    if (!p->itemHasIndicator[item]) continue;
    p->itemState[item] = page == PAGE_STORAGE ? GetStorageRowActive(item) : GetCompanionRowActive(item);
  }
  LayoutPage(page, true);
}

// The display page's slider and toggle after a change: laid out again, the focus kept.
static void SyncDisplayPage(void) {
  PageModel *p = PageOf(PAGE_DISPLAY);
  int focus = p->focusedControl;
  LayoutPage(PAGE_DISPLAY, false);
  p->focusedControl = focus;
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
  if (page == PAGE_TASKS || page == PAGE_STORAGE || page == PAGE_COMPANIONS) LayoutPage(page, true);
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
  RedrawWindowWhole();
  return true;
}

// A row of page 0, 4, 5 or 6 chosen by a tap (onIndicator: the tap was on the row's indicator) or by
// Enter (which acts as a tap on the indicator). True when the whole window must be redrawn.
static bool ActivateRow(int page, int control, bool onIndicator, bool byKey) {
  PageModel *p = PageOf(page);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  bool redraw = false;
  switch (page) {
    case PAGE_MENU:
      if (item == p->itemCount - 1) {
        RevertDefaultsCommand();
        LayoutPage(PAGE_MENU, false);
        if (!byKey) ClearFocus(p);
        return true;
      }
      OpenPage(item + 1);
      return true;
    case PAGE_BENCHMARK: {
      p->focusedItem = item;
      WaitCursor wait;
      RunBenchmark(control - FirstRow(p));
      return false;
    }
    case PAGE_STORAGE:
      if (p->itemHasIndicator[item]) {
        if (!onIndicator) return false;
        SetStorageTweak(control, item, &redraw);
        SyncToggleStates(PAGE_STORAGE);
        return true;
      }
      if (item == CLEAR_BROWSER_ITEM) {
        MessageBeep(MB_OK);
        if (WmMessageBox(g_Main.window, Text(L"String56VT"), VANTORA_TITLE, MB_YESNO) == IDYES) {
          WaitCursor wait;
          ClearBrowserFiles();
        }
        return true;
      }
      return false;
    case PAGE_COMPANIONS:
      if (!p->itemHasIndicator[item] || !onIndicator) return false;
      {
        WaitCursor wait;
        SetCompanionTweak(control, item, &redraw);
      }
      SyncToggleStates(PAGE_COMPANIONS);
      p->controls[control].focusedSub = 0;
      return true;
  }
  return false;
}

// A part of a task row. True when the whole window must be redrawn.
static bool ActivateTaskPart(int control, int sub) {
  PageModel *p = PageOf(PAGE_TASKS);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= g_TaskList.count) return false;
  switch (sub) {
    case TASK_DB_MARK: {
      WaitCursor wait;
      AddDeleteTaskFromDataBase(PAGE_TASKS, item);
      break;
    }
    case TASK_MINUS:
    case TASK_PLUS: {
      WaitCursor wait;
      ChangeTaskPriority(PAGE_TASKS, sub, item);
      break;
    }
    case TASK_RUN_MARK:
      RunCloseTask(PAGE_TASKS, item);
      break;
    default:
      return false;
  }
  // The row's marks and knob follow the task's new state (a rebuilt list is laid out already).
  LayoutPage(PAGE_TASKS, true);
  return true;
}

static bool ActivateTaskButton(int control) {
  bool redraw = true;
  switch (control) {
    case TASK_MONITOR_BUTTON: {
      WaitCursor wait;
      ToggleVTMonitor(control, &redraw);
      return redraw;
    }
    case TASK_ADD_BUTTON:
      redraw = false;
      AddProgramCommand(control, &redraw);
      return redraw;
    case TASK_REFRESH_BUTTON:
      RefreshProcessList(PAGE_TASKS);
      return true;
  }
  return false;
}

static bool ActivateDisplayControl(int control) {
  if (control == DISPLAY_MINUS || control == DISPLAY_PLUS) {
    StepGlyphCacheLimit(control, (control & 1) != 0);
  } else if (control == DISPLAY_ANIMATION) {
    ToggleWindowAnimation(control);
  } else {
    return false;
  }
  SyncDisplayPage();
  return true;
}

static bool RunCleanUp(void) {
  CloseAllApplications(PAGE_MEMORY);
  return true;
}

// ---- Taps ------------------------------------------------------------------------------------------

static bool Hit(const PageControl *c, int x, int y) { return PointInControl(x, y, c->left, c->top, c->right, c->bottom); }
static bool HitSub(const SubElement *s, int x, int y) {
  return PointInControl(x, y, s->left, s->top, s->right, s->bottom);
}

// The control under the point among [from, to], -1 for none.
static int HitControl(const PageModel *p, int x, int y, int from, int to) {
  for (int c = from; c <= to && c < p->controlCount && c < MAX_PAGE_CONTROLS; c++)
    if (c >= 1 && Hit(&p->controls[c], x, y)) return c;
  return -1;
}

static int HitRow(const PageModel *p, int x, int y) {
  if (RowCount(p) == 0) return -1;
  return HitControl(p, x, y, FirstRow(p), LastRow(p));
}

// The scroll buttons of a scrolling list page: -1 up, 1 down, 0 none.
static int HitScrollButton(const PageModel *p, int x, int y, int *control) {
  if (!p->scrolling) return 0;
  int up = p->firstRowFixed + 1, down = p->firstRowFixed + 2;
  if (Hit(&p->controls[up], x, y)) {
    *control = up;
    return -1;
  }
  if (Hit(&p->controls[down], x, y)) {
    *control = down;
    return 1;
  }
  return 0;
}

// The part of a task row a tap touches: the marks and the small buttons act, the rest does not.
static int HitTaskPart(const PageControl *row, int x, int y) {
  static const int kActive[] = {TASK_DB_MARK, TASK_RUN_MARK, TASK_MINUS, TASK_PLUS};
  for (int s : kActive)
    if (s < row->subCount && HitSub(&row->sub[s], x, y)) return s;
  return -1;
}

// Works out what a tap at (x, y) touches on the page: the control and the part of it.
static PressTarget TargetAt(int page, int x, int y) {
  PageModel *p = PageOf(page);
  PressTarget t = {page, -1, -1};
  int row = IsListPage(page) ? HitRow(p, x, y) : -1;
  if (row >= 0) {
    t.control = row;
    const PageControl *c = &p->controls[row];
    if (page == PAGE_TASKS) t.sub = HitTaskPart(c, x, y);
    else if ((page == PAGE_STORAGE || page == PAGE_COMPANIONS) && c->subCount == 2 && HitSub(&c->sub[0], x, y))
      t.sub = 0;
    return t;
  }
  int scroll = 0;
  if (IsListPage(page) && (scroll = HitScrollButton(p, x, y, &t.control)) != 0) return t;
  switch (page) {
    case PAGE_TASKS:
      t.control = HitControl(p, x, y, TASK_MONITOR_BUTTON, TASK_REFRESH_BUTTON);
      break;
    case PAGE_MEMORY:
      t.control = HitControl(p, x, y, MEMORY_BUTTON, MEMORY_BUTTON);
      break;
    case PAGE_DISPLAY:
      if (Hit(&p->controls[DISPLAY_MINUS], x, y)) t.control = DISPLAY_MINUS;
      else if (Hit(&p->controls[DISPLAY_PLUS], x, y)) t.control = DISPLAY_PLUS;
      else if (Hit(&p->controls[DISPLAY_ANIMATION], x, y)) t.control = DISPLAY_ANIMATION;
      break;
  }
  return t;
}

static bool IsScrollButton(const PageModel *p, int control) {
  return p->scrolling && (control == p->firstRowFixed + 1 || control == p->firstRowFixed + 2);
}

static void ShowPressed(int page, const PressTarget &t) {
  PageModel *p = PageOf(page);
  if (t.control < 0) return;
  if (IsScrollButton(p, t.control) && !IsRow(p, t.control)) {
    PressControl(p, t.control, t.control == p->firstRowFixed + 1 ? IMG_SCROLLUP_PUSH : IMG_SCROLLDOWN_PUSH);
    return;
  }
  if (IsRow(p, t.control)) {
    PressControl(p, t.control, -1);
    if (page == PAGE_TASKS && t.sub >= 0) {
      bool small = t.sub == TASK_MINUS || t.sub == TASK_PLUS;
      PressSub(p, t.control, t.sub, small ? IMG_BUTTONSMALL_PUSH : -1);
    } else if (t.sub == 0) {
      PressSub(p, t.control, 0, -1);
    }
    return;
  }
  switch (page) {
    case PAGE_TASKS:
    case PAGE_MEMORY:
      PressControl(p, t.control, IMG_BUTTON_PUSH);
      break;
    case PAGE_DISPLAY:
      PressControl(p, t.control, t.control == DISPLAY_ANIMATION ? -1 : IMG_BUTTONSMALL_PUSH);
      break;
  }
}

// The stylus came up on what it went down on: act. True when the whole window must be redrawn.
static bool ActOnTap(int page, const PressTarget &t) {
  PageModel *p = PageOf(page);
  if (IsRow(p, t.control)) {
    switch (page) {
      case PAGE_TASKS:
        return t.sub >= 0 && ActivateTaskPart(t.control, t.sub);
      case PAGE_STORAGE:
        MoveFocus(p, t.control, 0);
        return ActivateRow(page, t.control, t.sub == 0, false);
      default:
        return ActivateRow(page, t.control, t.sub == 0, false);
    }
  }
  if (IsScrollButton(p, t.control)) {
    Scroll(page, t.control == p->firstRowFixed + 1 ? -1 : 1);
    return false;
  }
  switch (page) {
    case PAGE_TASKS:
      return ActivateTaskButton(t.control);
    case PAGE_MEMORY:
      return t.control == MEMORY_BUTTON && RunCleanUp();
    case PAGE_DISPLAY:
      return ActivateDisplayControl(t.control);
  }
  return false;
}

void OnPageTap(int x, int y, bool down) {
  int page = g_Main.currentPage;
  if (page < 0 || page >= PAGE_COUNT) return;
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
  if (redraw) RedrawWindowWhole();
}

// ---- Keys ------------------------------------------------------------------------------------------

// With no focus an arrow key brings it back to the remembered item, scrolled into view.
static void RestoreFocus(int page) {
  PageModel *p = PageOf(page);
  if (page == PAGE_MEMORY) {
    MoveFocus(p, MEMORY_BUTTON, -1);
    return;
  }
  if (page == PAGE_DISPLAY) {
    MoveFocus(p, DISPLAY_MINUS, -1);
    return;
  }
  if (p->itemCount <= 0 || RowCount(p) == 0) {
    if (page == PAGE_TASKS) MoveFocus(p, TASK_MONITOR_BUTTON, -1);
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
      if (page == PAGE_TASKS || page == PAGE_STORAGE || page == PAGE_COMPANIONS) LayoutPage(page, true);
    }
  }
  int control = FirstRow(p) + item - p->scrollOffset;
  p->focusedControl = control;
  PageControl *c = &p->controls[control];
  c->focusedSub = p->savedSubFocus >= 0 && p->savedSubFocus < c->subCount ? p->savedSubFocus : -1;
  p->focusedItem = item;
  RedrawWindowWhole();
}

// Up/Down (and Left/Right on the plain lists) over the rows; the list scrolls at its ends. false when
// the focus cannot move (the caller decides: a beep, or the task page's buttons).
static bool MoveAlongRows(int page, int delta) {
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

static void PressForEnter(PageModel *p, int control, int sub, int pushedImage) {
  g_EnterPress.page = g_Main.currentPage;
  g_EnterPress.control = control;
  g_EnterPress.sub = sub;
  if (sub >= 0) PressSub(p, control, sub, pushedImage);
  else PressControl(p, control, pushedImage);
  // Seen before the operation runs.
  if (g_Main.window) UpdateWindow(g_Main.window);
}

static void ReleaseEnterPress(void) {
  if (g_EnterPress.page < 0 || g_EnterPress.page >= PAGE_COUNT) return;
  ReleasePressed(PageOf(g_EnterPress.page), true);
  g_EnterPress.page = g_EnterPress.control = g_EnterPress.sub = -1;
}

// A modal question may have taken the key's release: restore the look now when Enter is already up.
static void ReleaseEnterPressIfKeyUp(void) {
  if (!(GetKeyState(VK_RETURN) & 0x8000)) ReleaseEnterPress();
}

static void TaskPageKey(WPARAM key) {
  PageModel *p = PageOf(PAGE_TASKS);
  int f = p->focusedControl;
  bool rows = RowCount(p) > 0;
  if (IsRow(p, f)) {
    int sub = p->controls[f].focusedSub;
    switch (key) {
      case VK_UP:
        if (!MoveAlongRows(PAGE_TASKS, -1)) MoveFocus(p, TASK_REFRESH_BUTTON, -1);
        return;
      case VK_DOWN:
        if (!MoveAlongRows(PAGE_TASKS, 1)) MoveFocus(p, TASK_MONITOR_BUTTON, -1);
        return;
      case VK_LEFT:
      case VK_RIGHT: {
        static const int kCycle[] = {TASK_DB_MARK, TASK_MINUS, TASK_PLUS, TASK_RUN_MARK};
        int at = -1;
        for (int i = 0; i < 4; i++)
          if (kCycle[i] == sub) at = i;
        int next;
        if (at < 0) next = key == VK_RIGHT ? 0 : 3;  // no part focused yet: start at an end
        else next = (at + (key == VK_RIGHT ? 1 : 3)) % 4;
        MoveFocus(p, f, kCycle[next]);
        return;
      }
      case VK_RETURN: {
        if (sub < 0) return;
        bool redraw = false;
        if (sub == TASK_MINUS || sub == TASK_PLUS) {
          PressForEnter(p, f, sub, IMG_BUTTONSMALL_PUSH);
        } else if (sub == TASK_RUN_MARK) {
          WriteDebugLog(LOG_GUI, L"return");
        }
        redraw = ActivateTaskPart(f, sub);
        // The focus stays on the part the key acted on, also after the row was laid out again.
        if (IsRow(p, f) && p->focusedControl == f) p->controls[f].focusedSub = sub;
        ReleaseEnterPressIfKeyUp();
        if (redraw) RedrawWindowWhole();
        return;
      }
    }
    return;
  }
  int lastRow = rows ? LastRow(p) : -1, firstRow = rows ? FirstRow(p) : -1;
  int target = -1;
  switch (f) {
    case TASK_MONITOR_BUTTON:
      if (key == VK_LEFT || key == VK_UP) target = lastRow;
      else if (key == VK_RIGHT || key == VK_DOWN) target = TASK_ADD_BUTTON;
      break;
    case TASK_ADD_BUTTON:
      if (key == VK_LEFT) target = TASK_MONITOR_BUTTON;
      else if (key == VK_UP) target = lastRow;
      else if (key == VK_RIGHT || key == VK_DOWN) target = TASK_REFRESH_BUTTON;
      break;
    case TASK_REFRESH_BUTTON:
      if (key == VK_LEFT) target = TASK_ADD_BUTTON;
      else if (key == VK_UP) target = lastRow;
      else if (key == VK_RIGHT || key == VK_DOWN) target = firstRow;
      break;
    default:
      return;
  }
  if (key == VK_RETURN) {
    PressForEnter(p, f, -1, IMG_BUTTON_PUSH);
    bool redraw = ActivateTaskButton(f);
    ReleaseEnterPressIfKeyUp();
    if (redraw) RedrawWindowWhole();
    return;
  }
  // Without rows the focus goes round the three buttons.
  if (target < 0) target = f == TASK_MONITOR_BUTTON ? TASK_REFRESH_BUTTON : TASK_MONITOR_BUTTON;
  MoveFocus(p, target, IsRow(p, target) ? TASK_DB_MARK : -1);
}

static void DisplayPageKey(WPARAM key) {
  PageModel *p = PageOf(PAGE_DISPLAY);
  int f = p->focusedControl, target = -1;
  switch (f) {
    case DISPLAY_MINUS:
      if (key == VK_LEFT || key == VK_UP || key == VK_DOWN) target = DISPLAY_ANIMATION;
      else if (key == VK_RIGHT) target = DISPLAY_PLUS;
      break;
    case DISPLAY_PLUS:
      if (key == VK_LEFT || key == VK_UP) target = DISPLAY_MINUS;
      else if (key == VK_RIGHT || key == VK_DOWN) target = DISPLAY_ANIMATION;
      break;
    case DISPLAY_ANIMATION:
      if (key == VK_LEFT || key == VK_RIGHT) target = DISPLAY_PLUS;
      else if (key == VK_UP || key == VK_DOWN) target = DISPLAY_MINUS;
      break;
    default:
      return;
  }
  if (key == VK_RETURN) {
    PressForEnter(p, f, -1, f == DISPLAY_ANIMATION ? -1 : IMG_BUTTONSMALL_PUSH);
    bool redraw = ActivateDisplayControl(f);
    p->focusedControl = f;
    ReleaseEnterPressIfKeyUp();
    if (redraw) RedrawWindowWhole();
    return;
  }
  if (target >= 0) MoveFocus(p, target, -1);
}

static void ListPageKey(int page, WPARAM key) {
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
      if (ActivateRow(page, f, true, true)) RedrawWindowWhole();
      return;
  }
}

void OnPageKey(UINT message, WPARAM key, LPARAM data) {
  (void)data;
  if (key != VK_RETURN && key != VK_LEFT && key != VK_UP && key != VK_RIGHT && key != VK_DOWN) return;
  int page = g_Main.currentPage;
  if (page < 0 || page >= PAGE_COUNT) return;
  if (message == WM_KEYUP) {
    if (key == VK_RETURN) ReleaseEnterPress();
    return;
  }
  if (message != WM_KEYDOWN) return;
  ReleaseEnterPress();
  PageModel *p = PageOf(page);
  if (p->focusedControl < 1 || p->focusedControl >= p->controlCount) {
    if (key != VK_RETURN) RestoreFocus(page);
    return;
  }
  switch (page) {
    case PAGE_TASKS:
      TaskPageKey(key);
      break;
    case PAGE_MEMORY:
      if (key == VK_RETURN && p->focusedControl == MEMORY_BUTTON) {
        PressForEnter(p, MEMORY_BUTTON, -1, IMG_BUTTON_PUSH);
        RunCleanUp();
        ReleaseEnterPressIfKeyUp();
        RedrawWindowWhole();
      }
      break;
    case PAGE_DISPLAY:
      DisplayPageKey(key);
      break;
    default:
      ListPageKey(page, key);
      break;
  }
}
