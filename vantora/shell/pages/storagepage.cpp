// The storage page: switches for the caches, the browser's cache folder and the cabinet files, and
// the row that clears the browser's files.
#include "shell/pagecommands.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "tweaks/browsercache.h"
#include "tweaks/tweaks.h"
#include "debuglog.h"
#include "wm.h"

namespace {

enum StorageControl {
  STORAGE_SCREEN = PAGE_SCREEN,
  STORAGE_SCROLL_BAR,  // the scroll bar and its two buttons, while the rows scroll
  STORAGE_FIRST_ROW = STORAGE_SCROLL_BAR + SCROLL_CONTROLS,
};

enum StorageItem {
  STORAGE_FILE_CACHE,
  STORAGE_REPLICATION_CACHE,
  STORAGE_BROWSER_CACHE_LIMIT,
  STORAGE_CLEAR_BROWSER_FILES,  // an action, no switch
  STORAGE_CACHE_ON_CARD,
  STORAGE_KEEP_CAB_FILES,
  STORAGE_NOTE,                 // a note, no switch
  STORAGE_ITEMS,
};

// The switch behind each row, -1 for a row without one.
const int kRowSwitch[STORAGE_ITEMS] = {
    SWITCH_FILE_CACHE, SWITCH_REPLICATION_CACHE, SWITCH_BROWSER_CACHE_LIMIT, -1, SWITCH_CACHE_ON_CARD,
    SWITCH_KEEP_CAB_FILES, -1,
};

int SwitchOfRow(int row) { return row >= 0 && row < STORAGE_ITEMS ? kRowSwitch[row] : -1; }

}  // namespace

// ---- Commands --------------------------------------------------------------------------------------

void SetStorageTweak(int item, int row, bool *redraw) {
  (void)item;
  int which = SwitchOfRow(row);
  if (which < 0) return;
  bool on = !PageOf(PAGE_STORAGE)->itemState[row];
  WriteDebugLog(LOG_GUI, L"SetStorageTweak row [%d] [%d]", row, (int)on);
  if (SetTweakSwitch(which, on) == TWEAK_NO_CARD) {
    MessageBeep(MB_OK);
    WmMessageBox(g_Main.window, Text(L"String37VT"), VANTORA_TITLE, MB_OK | MB_ICONEXCLAMATION);
  }
  RefreshPage(PAGE_STORAGE);
  if (redraw) *redraw = true;
}

namespace {

bool ClearBrowserFilesCommand(void) {
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, Text(L"String56VT"), VANTORA_TITLE, MB_YESNO) == IDYES) {
    WaitCursor wait;
    ClearBrowserFiles();
  }
  return true;
}

// ---- Items and drawing -----------------------------------------------------------------------------

void ReadStorageItem(int item, bool *hasIndicator, bool *state) {
  int which = SwitchOfRow(item);
  *hasIndicator = which >= 0;
  *state = *hasIndicator && GetTweakSwitch(which);
}

// The two long labels are written on two lines.
bool StorageLabelWraps(int item) { return item == STORAGE_CLEAR_BROWSER_FILES || item == STORAGE_CACHE_ON_CARD; }

void DrawStorageRows(HDC dc, const PageModel *p) { DrawToggleRows(dc, p, StorageLabelWraps); }

void LayoutStoragePage(PageModel *p) { LayoutToggleRows(p); }

// ---- Input -----------------------------------------------------------------------------------------

// Enter acts as a tap on the indicator.
bool ActOnStorageRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_STORAGE);
  if (!byKey) MoveFocus(p, control, TOGGLE_INDICATOR);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  if (p->itemHasIndicator[item]) {
    if (sub != TOGGLE_INDICATOR) return false;
    bool redraw = false;
    SetStorageTweak(control, item, &redraw);
    return true;
  }
  return item == STORAGE_CLEAR_BROWSER_FILES && ClearBrowserFilesCommand();
}

const PageInput kStorageInput = {IndicatorPart, NULL, NULL, NULL, ActOnStorageRow, NULL, NULL, -1};

}  // namespace

const PageRecord g_StoragePage = {
    PAGE_KIND_TOGGLES, STORAGE_ITEMS, 24, STORAGE_FIRST_ROW, STORAGE_SCROLL_BAR, true, 0,
    NULL, LayoutStoragePage, LayoutToggleRows, DrawStorageRows, ReadStorageItem, &kStorageInput,
};
