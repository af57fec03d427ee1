// The companions page: switches for the close button, the battery meter and the network drivers'
// power management.
#include "shell/pagecommands.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "tweaks/tweaks.h"

namespace {

enum CompanionsControl {
  COMPANIONS_SCREEN = PAGE_SCREEN,
  COMPANIONS_BELOW_ROWS,    // the empty space between the last row and the menu bar
  COMPANIONS_SCROLL_BAR = 3,  // the scroll bar and its two buttons, while the rows scroll
  COMPANIONS_FIRST_ROW = COMPANIONS_SCROLL_BAR + SCROLL_CONTROLS,
};

// The switch behind each row.
const int kRowSwitch[] = {SWITCH_CLOSE_BUTTON, SWITCH_BATTERY_METER, SWITCH_NETWORK_POWER};
const int kCompanionRows = ARRAYSIZE(kRowSwitch);

}  // namespace

// ---- Commands --------------------------------------------------------------------------------------

void SetCompanionTweak(int item, int row, bool *redraw) {
  (void)item;
  if (row < 0 || row >= kCompanionRows) return;
  SetTweakSwitch(kRowSwitch[row], !PageOf(PAGE_COMPANIONS)->itemState[row]);
  RefreshPage(PAGE_COMPANIONS);
  if (redraw) *redraw = true;
}

namespace {

// ---- Layout and items ------------------------------------------------------------------------------

void LayoutCompanionsPage(PageModel *p) {
  LayoutToggleRows(p);
  LayoutAreaBelowRows(&p->controls[COMPANIONS_BELOW_ROWS], p);
}

void ReadCompanionItem(int item, bool *hasIndicator, bool *state) {
  *hasIndicator = true;
  *state = item >= 0 && item < kCompanionRows && GetTweakSwitch(kRowSwitch[item]);
}

void DrawCompanionRows(HDC dc, const PageModel *p) { DrawToggleRows(dc, p, NULL); }

// ---- Input -----------------------------------------------------------------------------------------

bool ActOnCompanionRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_COMPANIONS);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount || !p->itemHasIndicator[item] || sub != TOGGLE_INDICATOR) return false;
  bool redraw = false;
  {
    WaitCursor wait;
    SetCompanionTweak(control, item, &redraw);
  }
  p->controls[control].focusedSub = TOGGLE_INDICATOR;
  return true;
}

const PageInput kCompanionsInput = {IndicatorPart, NULL, NULL, NULL, ActOnCompanionRow, NULL, NULL, -1};

}  // namespace

const PageRecord g_CompanionsPage = {
    PAGE_KIND_TOGGLES, kCompanionRows, 31, COMPANIONS_FIRST_ROW, COMPANIONS_SCROLL_BAR, false, 0,
    NULL, LayoutCompanionsPage, LayoutToggleRows, DrawCompanionRows, ReadCompanionItem, &kCompanionsInput,
};
