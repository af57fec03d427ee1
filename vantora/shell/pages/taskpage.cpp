// The task page: a row for each program (database mark, icon, CPU gauge, name, CPU figure, priority
// level buttons and slider, running mark), the monitor, add and refresh buttons below, and the
// commands behind them.
#include "shell/pagecommands.h"
#include "shell/pagecatalogue.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/currentpage.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "shell/skin.h"
#include "tasks/taskops.h"
#include "companions/companions.h"
#include "appclose.h"
#include "debuglog.h"
#include "wm.h"
#include <strsafe.h>

namespace {

enum TaskControl {
  TASK_SCREEN = PAGE_SCREEN,
  TASK_BELOW_BUTTONS,  // between the buttons and the menu bar
  TASK_MENU_BAR_AREA,
  TASK_MONITOR_BUTTON,
  TASK_ADD_BUTTON,
  TASK_REFRESH_BUTTON,
  TASK_SCROLL_BAR,     // the scroll bar and its two buttons, while the rows scroll
  TASK_FIRST_ROW = TASK_SCROLL_BAR + SCROLL_CONTROLS,
};

// The parts of a task row.
enum TaskPart {
  TASK_DB_MARK,
  TASK_ICON,
  TASK_GAUGE,
  TASK_NAME,
  TASK_CPU,
  TASK_MINUS,
  TASK_TRACK,
  TASK_KNOB,
  TASK_PLUS,
  TASK_RUN_MARK,
  TASK_PARTS,
};

static_assert(TASK_MINUS == PRIORITY_DIRECTION_DOWN, "the \"-\" part is the step toward idle");

}  // namespace

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

namespace {

// ---- Layout ----------------------------------------------------------------------------------------

// The buttons keep their height below the rows.
int TaskReserve(void) { return SkinH(IMG_BUTTON); }

// The parts of a task row; they follow the task's database, running and priority state.
void LayoutTaskRow(PageControl *c, const TaskEntry *task) {
  int l = c->left, t = c->top, r = c->right;
  int rh = SkinH(IMG_ITEM), q = rh / 2;
  SubElement *s = c->sub;
  c->subCount = TASK_PARTS;

  int db = task->inDatabase ? IMG_IND_DB_ON : IMG_IND_DB_OFF;
  int dbTop = t + (rh - SkinH(db)) / 2;
  SetSubRect(&s[TASK_DB_MARK], l, dbTop, l + SkinW(db), dbTop + SkinH(db), db);
  int r0 = s[TASK_DB_MARK].right;

  int iconLeft = r0 + (q - ScaleX(16)) / 2, iconTop = t + (q - ScaleY(16)) / 2;
  SetSubRect(&s[TASK_ICON], iconLeft, iconTop, iconLeft + ScaleX(16), iconTop + ScaleY(16), IMG_NONE);

  int gaugeLeft = r - 7 * rh / 4 + (q - SkinW(IMG_CPUUSAGE)) / 2, gaugeTop = t + (q - SkinH(IMG_CPUUSAGE)) / 2;
  SetSubRect(&s[TASK_GAUGE], gaugeLeft, gaugeTop, gaugeLeft + SkinW(IMG_CPUUSAGE), gaugeTop + SkinH(IMG_CPUUSAGE),
             IMG_CPUUSAGE);

  SetSubRect(&s[TASK_NAME], r0 + q, t, r - 3 * rh / 4 - rh, t + q, IMG_NONE);

  int run = task->running ? IMG_IND_ON : IMG_IND_OFF;
  int runLeft = r - (q - SkinW(run)) / 2 - SkinW(run), runTop = t + (q - SkinH(run)) / 2;
  SetSubRect(&s[TASK_RUN_MARK], runLeft, runTop, runLeft + SkinW(run), runTop + SkinH(run), run);

  SetSubRect(&s[TASK_CPU], s[TASK_GAUGE].right, t, s[TASK_RUN_MARK].left, t + q, IMG_NONE);

  int smallTop = t + q + (q - SkinH(IMG_BUTTONSMALL)) / 2;
  int minusLeft = r0 + (q - SkinW(IMG_BUTTONSMALL)) / 2;
  SetSubRect(&s[TASK_MINUS], minusLeft, smallTop, minusLeft + SkinW(IMG_BUTTONSMALL),
             smallTop + SkinH(IMG_BUTTONSMALL), IMG_BUTTONSMALL);

  int trackTop = t + q + (q - SkinH(IMG_SLIDERBAR)) / 2;
  SetSubRect(&s[TASK_TRACK], r0 + q, trackTop, r - q, trackTop + SkinH(IMG_SLIDERBAR), IMG_SLIDERBAR);

  // Level 0 (most urgent) sits at the right end of the track, 7 (idle) at the left.
  int level = task->priority;
  if (level < PRIORITY_LEVEL_HIGHEST) level = PRIORITY_LEVEL_HIGHEST;
  if (level > PRIORITY_LEVEL_IDLE) level = PRIORITY_LEVEL_IDLE;
  const SubElement *track = &s[TASK_TRACK];
  int knobLeft = KnobLeft(track->left, track->right - track->left, PRIORITY_LEVEL_IDLE - level,
                          PRIORITY_LEVEL_IDLE + 1, SkinW(IMG_SLIDER));
  int knobTop = t + q + (q - SkinH(IMG_SLIDER)) / 2;
  SetSubRect(&s[TASK_KNOB], knobLeft, knobTop, knobLeft + SkinW(IMG_SLIDER), knobTop + SkinH(IMG_SLIDER), IMG_SLIDER);

  int plusLeft = r - (q - SkinW(IMG_BUTTONSMALL)) / 2 - SkinW(IMG_BUTTONSMALL);
  SetSubRect(&s[TASK_PLUS], plusLeft, smallTop, plusLeft + SkinW(IMG_BUTTONSMALL), smallTop + SkinH(IMG_BUTTONSMALL),
             IMG_BUTTONSMALL);
}

void LayoutTaskRows(PageModel *p) {
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

void LayoutTaskPage(PageModel *p) {
  int W = g_Screen.width, usable = PageAreaHeight();
  int listBottom = LaidOutRows(p) * ScaleY(ROW_PITCH);
  SetControlRect(&p->controls[TASK_BELOW_BUTTONS], 0, SkinH(IMG_BUTTON) + listBottom + ScaleY(2), W, usable,
                 IMG_NONE);
  LayoutMenuBarArea(&p->controls[TASK_MENU_BAR_AREA]);
  int bw = SkinW(IMG_BUTTON), bh = SkinH(IMG_BUTTON);
  int gap = (W - 3 * bw) / 4;
  int top = listBottom + (usable - listBottom - bh) / 2;
  for (int i = 0; i < 3; i++) {
    int left = (i + 1) * gap + i * bw;
    SetControlRect(&p->controls[TASK_MONITOR_BUTTON + i], left, top, left + bw, top + bh, IMG_BUTTON);
  }
  LayoutTaskRows(p);
  // An empty list leaves no row to focus: the first button takes it.
  if (p->controlCount <= FirstRowControl(p)) p->focusedControl = TASK_MONITOR_BUTTON;
}

// ---- Drawing ---------------------------------------------------------------------------------------

void DrawTaskRow(HDC dc, const PageControl *c, const TaskEntry *task) {
  if (c->subCount < TASK_PARTS) return;
  for (int s = 0; s < c->subCount; s++) {
    if (s == TASK_ICON) continue;
    DrawSubImage(dc, &c->sub[s], s == TASK_GAUGE || s == TASK_MINUS || s == TASK_PLUS || s == TASK_RUN_MARK);
  }
  const SubElement *icon = &c->sub[TASK_ICON];
  if (task->icon.hIcon)
    DrawIconEx(dc, icon->left, icon->top, task->icon.hIcon, ScaleX(16), ScaleY(16), 0, NULL, DI_NORMAL);
  WCHAR name[TASK_TEXT_CHARS];
  TaskShownName(task, name, ARRAYSIZE(name));
  PageText(dc, name, SubRect(&c->sub[TASK_NAME]), SINGLE_LEFT | DT_END_ELLIPSIS);
  WCHAR cpu[32];
  StringCchPrintfW(cpu, ARRAYSIZE(cpu), L"%.2f", task->cpuUsage);
  PageText(dc, cpu, SubRect(&c->sub[TASK_CPU]), SINGLE_CENTRED);
  PageText(dc, L"-", SubRect(&c->sub[TASK_MINUS]), SINGLE_CENTRED);
  PageText(dc, L"+", SubRect(&c->sub[TASK_PLUS]), SINGLE_CENTRED);
}

void DrawTaskPage(HDC dc, const PageModel *p) {
  int first = FirstRowControl(p);
  for (int c = first; c < p->controlCount; c++) {
    int item = p->scrollOffset + c - first;
    if (item < 0 || item >= g_TaskList.count || item >= MAX_TASKS) continue;
    DrawTaskRow(dc, &p->controls[c], &g_TaskList.entries[item]);
  }
  COLORREF monitor = g_Main.monitorRunning ? MONITOR_ON_COLOUR : MONITOR_OFF_COLOUR;
  PageText(dc, Text(L"String46VT"), ControlRect(&p->controls[TASK_MONITOR_BUTTON]), SINGLE_CENTRED, monitor);
  PageText(dc, Text(L"String47VT"), ControlRect(&p->controls[TASK_ADD_BUTTON]), SINGLE_CENTRED);
  PageText(dc, Text(L"String48VT"), ControlRect(&p->controls[TASK_REFRESH_BUTTON]), SINGLE_CENTRED);
  // Pushed-in row parts (the database and running marks) go over their pictures.
  int count = p->controlCount < MAX_PAGE_CONTROLS ? p->controlCount : MAX_PAGE_CONTROLS;
  for (int c = first; c < count; c++) {
    const PageControl *row = &p->controls[c];
    for (int s = 0; s < row->subCount && s < MAX_SUB_ELEMENTS; s++)
      if (row->sub[s].pressed && !HasPressedPicture(row->sub[s].image)) DrawPushedIn(dc, SubRect(&row->sub[s]));
  }
}

// ---- Input -----------------------------------------------------------------------------------------

// A part of a task row. True when the whole window must be redrawn.
bool ActivateTaskPart(int control, int sub) {
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

bool ActivateTaskButton(int control) {
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
int TaskRowPart(const PageControl *row, int x, int y) {
  static const int kActive[] = {TASK_DB_MARK, TASK_RUN_MARK, TASK_MINUS, TASK_PLUS};
  for (int s : kActive)
    if (s < row->subCount && HitSub(&row->sub[s], x, y)) return s;
  return -1;
}

int TaskPartPressedImage(int sub) { return sub == TASK_MINUS || sub == TASK_PLUS ? IMG_BUTTONSMALL_PUSH : -1; }

int TaskButtonAt(const PageModel *p, int x, int y) {
  return HitControl(p, x, y, TASK_MONITOR_BUTTON, TASK_REFRESH_BUTTON);
}

int ButtonPressedImage(int control) { return IMG_BUTTON_PUSH; }

bool ActOnTaskRow(int control, int sub, bool byKey) { return sub >= 0 && ActivateTaskPart(control, sub); }

void TaskPageKey(WPARAM key) {
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
        // A row reached from another row has no part focused: Left and Right leave it so.
        if (at < 0) return;
        MoveFocus(p, f, kCycle[(at + (key == VK_RIGHT ? 1 : 3)) % 4]);
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

const PageInput kTaskInput = {
    TaskRowPart, TaskPartPressedImage, TaskButtonAt, ButtonPressedImage,
    ActOnTaskRow, ActivateTaskButton, TaskPageKey, TASK_MONITOR_BUTTON,
};

}  // namespace

const PageRecord g_TaskPage = {
    PAGE_KIND_TASKS, PAGE_LISTS_TASKS, 0, TASK_FIRST_ROW, TASK_SCROLL_BAR, true,
    CONTROL_BIT(TASK_MONITOR_BUTTON) | CONTROL_BIT(TASK_ADD_BUTTON) | CONTROL_BIT(TASK_REFRESH_BUTTON),
    TaskReserve, LayoutTaskPage, LayoutTaskRows, DrawTaskPage, NULL, &kTaskInput,
};
