// The pages of on/off rows: storage tweaks (with the browser files' cleaning) and the companion
// programs, with the commands behind their rows.
#include "pagecommands.h"
#include "pageinput.h"
#include "pages.h"
#include "mainwindow.h"
#include "../tweaks/browsercache.h"
#include "../tweaks/tweaks.h"
#include "wm.h"

#define CLEAR_BROWSER_ITEM 3
#define COMPANION_ROWS 3

// ---- Commands --------------------------------------------------------------------------------------

void SetStorageTweak(int item, int row, bool *redraw) {
  (void)item;
  if (!StorageRowHasState(row)) return;
  TweakChange change = SetStorageRowActive(row, !PageOf(PAGE_STORAGE)->itemState[row]);
  if (change == TWEAK_NO_CARD) {
    MessageBeep(MB_OK);
    WmMessageBox(g_Main.window, Text(L"String37VT"), VANTORA_TITLE, MB_OK | MB_ICONEXCLAMATION);
  }
  RefreshPage(PAGE_STORAGE);
  if (redraw) *redraw = true;
}

void SetCompanionTweak(int item, int row, bool *redraw) {
  (void)item;
  if (row < 0 || row >= COMPANION_ROWS) return;
  SetCompanionRowActive(row, !PageOf(PAGE_COMPANIONS)->itemState[row]);
  RefreshPage(PAGE_COMPANIONS);
  if (redraw) *redraw = true;
}

static bool ClearBrowserFilesCommand(void) {
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, Text(L"String56VT"), VANTORA_TITLE, MB_YESNO) == IDYES) {
    WaitCursor wait;
    ClearBrowserFiles();
  }
  return true;
}

// ---- Input -----------------------------------------------------------------------------------------

// A tap on a row's indicator is part 0; the rest of the row is the row.
static int IndicatorPart(const PageControl *row, int x, int y) {
  return row->subCount == 2 && HitSub(&row->sub[0], x, y) ? 0 : -1;
}

// Enter acts as a tap on the indicator.
static bool ActOnStorageRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_STORAGE);
  if (!byKey) MoveFocus(p, control, 0);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  if (p->itemHasIndicator[item]) {
    if (sub != 0) return false;
    bool redraw = false;
    SetStorageTweak(control, item, &redraw);
    return true;
  }
  return item == CLEAR_BROWSER_ITEM && ClearBrowserFilesCommand();
}

static bool ActOnCompanionRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_COMPANIONS);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount || !p->itemHasIndicator[item] || sub != 0) return false;
  bool redraw = false;
  {
    WaitCursor wait;
    SetCompanionTweak(control, item, &redraw);
  }
  p->controls[control].focusedSub = 0;
  return true;
}

const PageInput g_StoragePageInput = {IndicatorPart, NULL, NULL, NULL, ActOnStorageRow, NULL, NULL, -1};
const PageInput g_CompanionsPageInput = {IndicatorPart, NULL, NULL, NULL, ActOnCompanionRow, NULL, NULL, -1};
