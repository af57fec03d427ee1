// The first page: a row for each of the other pages and "restore original settings", the logo below;
// with the revert behind its last row and the leaving of the program.
#include "shell/pagecommands.h"
#include "shell/pagecatalogue.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "shell/skin.h"
#include "tasks/database.h"
#include "tasks/taskops.h"
#include "tweaks/tweaks.h"
#include "debuglog.h"
#include "wm.h"

namespace {

enum MenuControl {
  MENU_SCREEN = PAGE_SCREEN,
  MENU_BELOW_ROWS,  // the empty space between the last row and the menu bar
  MENU_LOGO,
  MENU_SCROLL_BAR,  // the scroll bar and its two buttons, while the rows scroll
  MENU_FIRST_ROW = MENU_SCROLL_BAR + SCROLL_CONTROLS,
};

// The rows open the pages after this one in order; the last reverts.
enum MenuItem {
  MENU_ITEM_TASKS,
  MENU_ITEM_MEMORY,
  MENU_ITEM_DISPLAY,
  MENU_ITEM_STORAGE,
  MENU_ITEM_COMPANIONS,
  MENU_ITEM_BENCHMARK,
  MENU_ITEM_RESTORE,
  MENU_ITEMS,
};

}  // namespace

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

// ---- Layout ----------------------------------------------------------------------------------------

namespace {

// The logo and a little room stay below the rows.
int MenuReserve(void) { return ScaleY(41); }

void LayoutMenuPage(PageModel *p) {
  LayoutAreaBelowRows(&p->controls[MENU_BELOW_ROWS], p);
  LayoutLogo(&p->controls[MENU_LOGO]);
}

// ---- Input -----------------------------------------------------------------------------------------

bool ActOnMenuRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_MENU);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  if (item == MENU_ITEM_RESTORE) {
    RevertDefaultsCommand();
    LayoutPage(PAGE_MENU, false);
    if (!byKey) ClearFocus(p);
    return true;
  }
  OpenPage(PAGE_TASKS + item - MENU_ITEM_TASKS);
  return true;
}

const PageInput kMenuInput = {NULL, NULL, NULL, NULL, ActOnMenuRow, NULL, NULL, -1};

}  // namespace

const PageRecord g_MenuPage = {
    PAGE_KIND_LIST, MENU_ITEMS, 17, MENU_FIRST_ROW, MENU_SCROLL_BAR, true, 0,
    MenuReserve, LayoutMenuPage, NULL, DrawListLabels, NULL, &kMenuInput,
};
