// The task page: its rows (database mark, level buttons, running mark), its three buttons, and the
// commands behind them.
#include "pagecommands.h"
#include "pageinput.h"
#include "pages.h"
#include "layout.h"
#include "pagecatalogue.h"
#include "mainwindow.h"
#include "skin.h"
#include "../tasks/taskops.h"
#include "../tweaks/companions.h"
#include "appclose.h"
#include "debuglog.h"
#include "wm.h"

// Task row parts (sub-elements) that act.
#define TASK_DB_MARK 0
#define TASK_MINUS PRIORITY_DIRECTION_DOWN
#define TASK_PLUS 8
#define TASK_RUN_MARK 9
// Task page buttons below the list.
#define TASK_MONITOR_BUTTON 3
#define TASK_ADD_BUTTON 4
#define TASK_REFRESH_BUTTON 5

// ---- Commands --------------------------------------------------------------------------------------

void RefreshProcessList(int page) {
  WaitCursor wait;
  WriteDebugLog(LOG_GUI, L"RefreshProcessList:");
  GetProcessList();
  if (page >= 0 && page < PAGE_COUNT) RefreshPage(page, true);
  else RedrawMainWindow();
}

// What the page shows after an operation on a row: a refused or unsaved change beeps.
static void ShowOutcome(TaskOutcome outcome) {
  if (outcome == TASK_AT_LIMIT || outcome == TASK_NOT_SAVED || outcome == TASK_REFUSED) MessageBeep(MB_OK);
  if (outcome != TASK_NO_ROW) RefreshPage(PAGE_TASKS);
}

void AddDeleteTaskFromDataBase(int page, int row) {
  (void)page;
  ShowOutcome(ToggleTaskInDatabase(row));
}

void ChangeTaskPriority(int page, int direction, int row) {
  (void)page;
  ShowOutcome(StepTaskPriority(row, direction == PRIORITY_DIRECTION_DOWN));
}

void RunCloseTask(int page, int row) {
  TaskOutcome outcome = StartOrCloseTask(row);
  switch (outcome) {
    case TASK_TO_CLOSE:
      // Asked once, off this window's thread; a program that hangs is offered to the user to end.
      CloseAppWindowInBackground(g_TaskList.entries[row].window, Text(L"String58VT"), VANTORA_TITLE, LOG_GUI);
      break;
    case TASK_NO_ROW:
      return;
    case TASK_REFUSED:
      MessageBeep(MB_OK);
      WmMessageBox(g_Main.window, Text(L"String39VT"), VANTORA_TITLE, MB_OK | MB_ICONEXCLAMATION);
      return;
    case TASK_MONITOR_STOPPED:
    case TASK_MONITOR_STARTED:
      g_Main.monitorRunning = outcome == TASK_MONITOR_STARTED;
      break;
    default:
      break;
  }
  // A companion's switch follows its program.
  UpdatePageItems(PAGE_COMPANIONS);
  if (outcome == TASK_CLOSED || outcome == TASK_TO_CLOSE || outcome == TASK_MONITOR_STOPPED) RefreshPage(PAGE_TASKS);
  else RefreshProcessList(page);
}

void ToggleVTMonitor(int item, bool *redraw) {
  PageModel *page = PageOf(PAGE_TASKS);
  if (item >= 0 && item < MAX_PAGE_CONTROLS) {
    page->focusedControl = item;
    page->controls[item].image = IMG_BUTTON;
  }
  g_Main.monitorRunning = StartOrStopVTMonitor();
  if (redraw) *redraw = true;
}

// ---- Input -----------------------------------------------------------------------------------------

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

// The part of a task row a tap touches: the marks and the small buttons act, the rest does not.
static int TaskRowPart(const PageControl *row, int x, int y) {
  static const int kActive[] = {TASK_DB_MARK, TASK_RUN_MARK, TASK_MINUS, TASK_PLUS};
  for (int s : kActive)
    if (s < row->subCount && HitSub(&row->sub[s], x, y)) return s;
  return -1;
}

static int TaskPartPressedImage(int sub) { return sub == TASK_MINUS || sub == TASK_PLUS ? IMG_BUTTONSMALL_PUSH : -1; }

static int TaskButtonAt(const PageModel *p, int x, int y) {
  return HitControl(p, x, y, TASK_MONITOR_BUTTON, TASK_REFRESH_BUTTON);
}

static int ButtonPressedImage(int control) { return IMG_BUTTON_PUSH; }

static bool ActOnTaskRow(int control, int sub, bool byKey) { return sub >= 0 && ActivateTaskPart(control, sub); }

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
        if (sub == TASK_MINUS || sub == TASK_PLUS) {
          PressForEnter(p, f, sub, IMG_BUTTONSMALL_PUSH);
        } else if (sub == TASK_RUN_MARK) {
          WriteDebugLog(LOG_GUI, L"return");
        }
        bool redraw = ActivateTaskPart(f, sub);
        // The focus stays on the part the key acted on, also after the row was laid out again.
        if (IsRow(p, f) && p->focusedControl == f) p->controls[f].focusedSub = sub;
        ReleaseEnterPressIfKeyUp();
        if (redraw) RedrawMainWindow();
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
    if (redraw) RedrawMainWindow();
    return;
  }
  // Without rows the focus goes round the three buttons.
  if (target < 0) target = f == TASK_MONITOR_BUTTON ? TASK_REFRESH_BUTTON : TASK_MONITOR_BUTTON;
  MoveFocus(p, target, IsRow(p, target) ? TASK_DB_MARK : -1);
}

const PageInput g_TaskPageInput = {
    TaskRowPart, TaskPartPressedImage, TaskButtonAt, ButtonPressedImage,
    ActOnTaskRow, ActivateTaskButton, TaskPageKey, TASK_MONITOR_BUTTON,
};
