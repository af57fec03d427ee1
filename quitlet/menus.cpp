// The button's menus: owner-drawn items with icons from the strip, the task submenus rebuilt before
// every showing. Showing a menu gives the chosen command back; the button runs it.
#include "quitlet.h"
#include "debuglog.h"
#include "device.h"
#include "strings.h"
#include "wm.h"
#include <strsafe.h>

namespace {

enum Icon {
  ICON_MODE_MINIMISE = 0, ICON_MODE_CLOSE = 1, ICON_MODE_MENU = 2, ICON_MINIMISE = 3, ICON_CLOSE = 4,
  ICON_CLOSE_ALL = 5, ICON_CLOSE_ALL_BUT_THIS = 6, ICON_SWITCH = 7, ICON_CLOSE_MENU = 8, ICON_TASK = 9,
  ICON_SYSTEM = 10, ICON_SYSTEM_ACTION = 11, ICON_TODAY = 12, ICON_MODE_MENU_SUB = 13,
};

LPCWSTR Text(LPCWSTR key) { return GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX); }

void InitMenu(OwnerDrawnMenu *m, HMENU menu) {
  m->menu = menu;
  m->count = 0;
  m->background = GetSysColor(COLOR_WINDOW);
  m->selectedBackground = GetSysColor(COLOR_ACTIVECAPTION);
  m->text = GetSysColor(COLOR_MENUTEXT);
  m->selectedText = GetSysColor(COLOR_WINDOW);
  m->disabledText = GetSysColor(COLOR_GRAYTEXT);
  LOGFONTW lf = {};
  lf.lfHeight = ScaleY(14);
  lf.lfWeight = 100;
  StringCchCopyW(lf.lfFaceName, LF_FACESIZE, L"tahoma");
  m->font = CreateFontIndirectW(&lf);
}

// Adds an owner-drawn item; a full menu takes no more (no record is ever reused while shown).
bool AddItem(QuitletState *state, OwnerDrawnMenu *m, UINT id, HMENU submenu, LPCWSTR text, int icon,
             UINT flags = 0) {
  if (m->count >= MENU_ITEM_RECORDS) return false;
  MenuItemRecord *r = &m->items[m->count];
  ZeroMemory(r, sizeof(*r));
  r->marker = MENU_ITEM_MARKER;
  r->index = m->count;
  StringCchCopyW(r->text, ARRAYSIZE(r->text), text ? text : L"");
  if (state->icons && icon >= 0 && (icon + 1) * MENU_ICON_SIZE <= state->iconsSize.cx) {
    r->strip = state->icons;
    SetRect(&r->iconSource, icon * MENU_ICON_SIZE, 0, MENU_ICON_SIZE, MENU_ICON_SIZE);
  }
  r->iconDrawn.cx = r->iconDrawn.cy = ScaleX(16);
  r->id = id;
  r->flags = MF_OWNERDRAW | flags | (submenu ? MF_POPUP : 0);
  if (!AppendMenuW(m->menu, r->flags, submenu ? (UINT_PTR)submenu : id, (LPCWSTR)r)) return false;
  m->count++;
  return true;
}

void ClearItems(OwnerDrawnMenu *m) {
  while (GetMenuItemCount(m->menu) > 0) DeleteMenu(m->menu, 0, MF_BYPOSITION);
  m->count = 0;
}

}  // namespace

void CreateQuitletMenus(QuitletState *state) {
  for (int k = 0; k < MENU_KINDS; k++) InitMenu(&state->menus[k], CreatePopupMenu());
  OwnerDrawnMenu *main = &state->menus[MENU_MAIN], *mode = &state->menus[MENU_MODE];
  OwnerDrawnMenu *sw = &state->menus[MENU_SWITCH], *close = &state->menus[MENU_CLOSE];
  OwnerDrawnMenu *sys = &state->menus[MENU_SYSTEM];

  AddItem(state, mode, CMD_MODE_MINIMISE, NULL, Text(L"String2Quitlet"), ICON_MODE_MINIMISE);
  AddItem(state, mode, CMD_MODE_CLOSE, NULL, Text(L"String4Quitlet"), ICON_MODE_CLOSE);
  AddItem(state, mode, CMD_MODE_MENU, NULL, Text(L"String3Quitlet"), ICON_MODE_MENU);
  CheckModeItem(state);

  AddItem(state, sys, CMD_SOFT_RESET, NULL, Text(L"String11Quitlet"), ICON_SYSTEM_ACTION);
  AddItem(state, sys, CMD_POWER_OFF, NULL, Text(L"String12Quitlet"), ICON_SYSTEM_ACTION);
  AddItem(state, sys, CMD_APPLET_DEVICE, NULL, Text(L"String13Quitlet"), ICON_SYSTEM_ACTION);
  AddItem(state, sys, CMD_APPLET_SETTINGS, NULL, Text(L"String14Quitlet"), ICON_SYSTEM_ACTION);
  AddItem(state, sys, CMD_FILE_EXPLORER, NULL, Text(L"String15Quitlet"), ICON_SYSTEM_ACTION);

  AddItem(state, main, 0, mode->menu, Text(L"String1Quitlet"), ICON_MODE_MENU_SUB);
  AppendMenuW(main->menu, MF_SEPARATOR, 0, NULL);
  AddItem(state, main, CMD_MINIMISE, NULL, Text(L"String2Quitlet"), ICON_MINIMISE);
  AddItem(state, main, CMD_CLOSE_FOREGROUND, NULL, Text(L"String4Quitlet"), ICON_CLOSE);
  AddItem(state, main, CMD_CLOSE_ALL, NULL, Text(L"String5Quitlet"), ICON_CLOSE_ALL);
  AddItem(state, main, CMD_CLOSE_ALL_BUT_THIS, NULL, Text(L"String6Quitlet"), ICON_CLOSE_ALL_BUT_THIS);
  AppendMenuW(main->menu, MF_SEPARATOR, 0, NULL);
  AddItem(state, main, 0, sw->menu, Text(L"String8Quitlet"), ICON_SWITCH);
  AddItem(state, main, 0, close->menu, Text(L"String9Quitlet"), ICON_CLOSE_MENU);
  AppendMenuW(main->menu, MF_SEPARATOR, 0, NULL);
  AddItem(state, main, 0, sys->menu, Text(L"String10Quitlet"), ICON_SYSTEM);
  UpdateMenuStates(state);
}

void DestroyQuitletMenus(QuitletState *state) {
  // The main menu takes its submenus with it.
  if (state->menus[MENU_MAIN].menu) DestroyMenu(state->menus[MENU_MAIN].menu);
  for (int k = 0; k < MENU_KINDS; k++) {
    if (state->menus[k].font) DeleteObject(state->menus[k].font);
    state->menus[k].font = NULL;
    state->menus[k].menu = NULL;
  }
}

void CheckModeItem(QuitletState *state) {
  CheckMenuRadioItem(state->menus[MENU_MODE].menu, CMD_MODE_MINIMISE, CMD_MODE_MENU, CMD_MODE_MINIMISE + state->mode,
                     MF_BYCOMMAND);
}

void UpdateMenuStates(QuitletState *state) {
  HMENU main = state->menus[MENU_MAIN].menu;
  if (!main) return;
  EnableMenuItem(main, CMD_MINIMISE, MF_BYCOMMAND | (state->trackedIsDesktop ? MF_GRAYED : MF_ENABLED));
  bool closable = !state->trackedInShell && !state->trackedIsDesktop;
  EnableMenuItem(main, CMD_CLOSE_FOREGROUND, MF_BYCOMMAND | (closable ? MF_ENABLED : MF_GRAYED));
}

void BuildTaskSubmenus(QuitletState *state) {
  OwnerDrawnMenu *sw = &state->menus[MENU_SWITCH], *close = &state->menus[MENU_CLOSE];
  ClearItems(sw);
  ClearItems(close);
  BuildTaskList(&state->tasks);
  AddItem(state, sw, CMD_SWITCH_TODAY, NULL, L"Today", ICON_TODAY);
  for (int i = 0; i < state->tasks.count; i++) {
    const QuitletTaskEntry &task = state->tasks.entries[i];
    AddItem(state, sw, CMD_SWITCH_FIRST + i, NULL, task.title, ICON_TASK);
    AddItem(state, close, CMD_CLOSE_FIRST + i, NULL, task.title, ICON_TASK, IsShellTask(task) ? MF_GRAYED : 0);
  }
  WriteDebugLog(LOG_QUITLET, L"Task list [%d]", state->tasks.count);
}

UINT ShowQuitletMenu(QuitletState *state) {
  if (!state->button || !state->menus[MENU_MAIN].menu) return 0;
  BuildTaskSubmenus(state);
  UpdateMenuStates(state);
  RECT bar;
  if (!GetWindowRect(state->taskbar, &bar)) return 0;
  WriteDebugLog(LOG_QUITLET, L"Menu at [%d,%d]", bar.right, bar.bottom);
  // The menu takes keys and goes away on a tap elsewhere only while this program is in front.
  SetForegroundWindow(state->mainWindow);
  UINT id = (UINT)TrackPopupMenuEx(state->menus[MENU_MAIN].menu, TPM_RIGHTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                                   bar.right, bar.bottom, state->button, NULL);
  // Give the front back to the application the user was in; a command may then move it on.
  HWND fg = GetForegroundWindow();
  DWORD processId = 0;
  GetWindowThreadProcessId(fg, &processId);
  if ((!fg || processId == GetCurrentProcessId()) && IsWindow(state->tracked)) WmSetForegroundWindow(state->tracked);
  return id;
}

BOOL MeasureMenuItem(QuitletState *state, MEASUREITEMSTRUCT *measure) {
  if (!measure || measure->CtlType != ODT_MENU) return FALSE;
  const MenuItemRecord *r = (const MenuItemRecord *)measure->itemData;
  measure->itemHeight = ScaleY(20);
  if (!r || r->marker != MENU_ITEM_MARKER) {
    measure->itemWidth = ScaleY(20) + ScaleX(150);
    return TRUE;
  }
  HDC dc = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(dc, state->menus[MENU_MAIN].font);
  RECT rc = {0, 0, 0, 0};
  DrawTextW(dc, r->text, -1, &rc, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteDC(dc);
  WriteDebugLog(LOG_QUITLET, L"[%s] w[%d]h[%d]", r->text, (int)(rc.right - rc.left), (int)(rc.bottom - rc.top));
  measure->itemWidth = ScaleY(20) + ScaleX(2) + (rc.right - rc.left);
  return TRUE;
}

BOOL DrawMenuItem(QuitletState *state, const DRAWITEMSTRUCT *draw) {
  if (!draw || draw->CtlType != ODT_MENU) return FALSE;
  const MenuItemRecord *r = (const MenuItemRecord *)draw->itemData;
  if (!r || r->marker != MENU_ITEM_MARKER) return FALSE;
  const OwnerDrawnMenu *m = &state->menus[MENU_MAIN];
  HDC dc = draw->hDC;
  RECT rc = draw->rcItem;
  bool selected = (draw->itemState & ODS_SELECTED) != 0;
  bool greyed = (draw->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;

  HBRUSH fill = CreateSolidBrush(selected ? m->selectedBackground : m->background);
  FillRect(dc, &rc, fill);
  DeleteObject(fill);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, greyed ? m->disabledText : selected ? m->selectedText : m->text);

  int iconX = rc.left + ScaleX(2), iconY = rc.top + ScaleX(2);
  if (r->strip && !greyed) {
    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = SelectObject(mem, r->strip);
    int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, iconX, iconY, r->iconDrawn.cx, r->iconDrawn.cy, mem, r->iconSource.left, r->iconSource.top,
               r->iconSource.right, r->iconSource.bottom, selected ? SRCPAINT : SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    SelectObject(mem, oldBitmap);
    DeleteDC(mem);
  }
  if (draw->itemState & ODS_CHECKED) {
    // The chosen mode: a frame around its icon.
    RECT mark = {iconX - 1, iconY - 1, iconX + r->iconDrawn.cx + 1, iconY + r->iconDrawn.cy + 1};
    HBRUSH pen = CreateSolidBrush(selected ? m->selectedText : m->text);
    FrameRect(dc, &mark, pen);
    DeleteObject(pen);
  }
  RECT text = {rc.left + ScaleY(20), rc.top, rc.right, rc.bottom};
  HGDIOBJ oldFont = SelectObject(dc, m->font);
  DrawTextW(dc, r->text, -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  SelectObject(dc, oldFont);
  return TRUE;
}
