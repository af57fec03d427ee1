// The plain list pages: the first page (the other pages, "restore original settings") and the
// benchmark page, with the commands behind their rows and the leaving of the program.
#include "pagecommands.h"
#include "pageinput.h"
#include "pagecatalogue.h"
#include "pages.h"
#include "layout.h"
#include "mainwindow.h"
#include "../tasks/database.h"
#include "../tasks/taskops.h"
#include "../tweaks/companions.h"
#include "../tweaks/tweaks.h"
#include "debuglog.h"
#include "wm.h"

// ---- Commands --------------------------------------------------------------------------------------

void RevertToDefaultRegistryKeys(void) {
  WriteDebugLog(LOG_GUI, L"+RevertToDefaultRegistryKeys call.");
  RevertTweakValues();
  ForgetTaskDatabase();
  GetProcessList();
  SetupPageRows(PAGE_TASKS);
  WriteDebugLog(LOG_GUI, L"-RevertToDefaultRegistryKeys done.");
}

void RevertDefaultsCommand(void) {
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, Text(L"String38VT"), VANTORA_TITLE, MB_YESNO) == IDYES) {
    RevertToDefaultRegistryKeys();
    for (int page = 0; page < PAGE_COUNT; page++) SetupPageRows(page);
    LayoutPage(g_Main.currentPage, false);
  }
  MarkNeedsReset();
  RedrawMainWindow();
}

void ExitWithResetOffer(void) {
  if (!NeedsReset()) return;
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, Text(L"String57VT"), VANTORA_TITLE, MB_YESNO) != IDYES) return;
  FlushRegistryAndReset();
}

void RunBenchmark(int visibleRow) {
  PageModel *page = PageOf(PAGE_BENCHMARK);
  int row = visibleRow + page->scrollOffset;
  page->focusedItem = row;
  StartBenchmark(row);
}

// ---- Input -----------------------------------------------------------------------------------------

static bool ActOnMenuRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_MENU);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  if (item == p->itemCount - 1) {
    RevertDefaultsCommand();
    LayoutPage(PAGE_MENU, false);
    if (!byKey) ClearFocus(p);
    return true;
  }
  OpenPage(item + 1);
  return true;
}

static bool ActOnBenchmarkRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_BENCHMARK);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  p->focusedItem = item;
  WaitCursor wait;
  RunBenchmark(control - FirstRow(p));
  return false;
}

const PageInput g_MenuPageInput = {NULL, NULL, NULL, NULL, ActOnMenuRow, NULL, NULL, -1};
const PageInput g_BenchmarkPageInput = {NULL, NULL, NULL, NULL, ActOnBenchmarkRow, NULL, NULL, -1};
