// The pages of buttons and switches without rows: memory (the cleanup) and display (the glyph cache
// slider and the animation switch), with the commands behind them.
#include "pagecommands.h"
#include "pageinput.h"
#include "pages.h"
#include "mainwindow.h"
#include "skin.h"
#include "../tasks/memclean.h"
#include "../tasks/taskops.h"
#include "../tweaks/tweaks.h"
#include "debuglog.h"
#include "strings.h"
#include "wm.h"
#include <strsafe.h>

#define MEMORY_BUTTON 3
#define DISPLAY_MINUS 4
#define DISPLAY_PLUS 7
#define DISPLAY_ANIMATION 10

// ---- Commands --------------------------------------------------------------------------------------

void CloseAllApplications(int page) {
  (void)page;
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, Text(L"String43VT"), VANTORA_TITLE, MB_YESNO) != IDYES) return;
  WaitCursor wait;
  static WCHAR stillOpen[512];
  double freed = CloseOrdinaryApplications(stillOpen, ARRAYSIZE(stillOpen));

  // The amount freed; the programs that stayed open (asking their user, or not answering) named below.
  WCHAR report[1024];
  WCHAR lead[LOCALISED_STRING_MAX + 1];
  StringCchCopyW(lead, ARRAYSIZE(lead), Text(L"String44VT"));
  StringCchPrintfW(report, ARRAYSIZE(report), L"%s %.3f", lead, freed);
  StringCchCatW(report, ARRAYSIZE(report), Text(L"String45VT"));
  if (stillOpen[0]) {
    StringCchCatW(report, ARRAYSIZE(report), L"\n");
    StringCchCatW(report, ARRAYSIZE(report), Text(L"String59VT"));
    StringCchCatW(report, ARRAYSIZE(report), L" ");
    StringCchCatW(report, ARRAYSIZE(report), stillOpen);
  }
  WriteDebugLog(LOG_GUI, L"report %s", report);
  WmMessageBox(g_Main.window, report, VANTORA_TITLE, MB_OK | MB_ICONEXCLAMATION);

  GetProcessList();
  RefreshPage(PAGE_TASKS, true);
}

void StepGlyphCacheLimit(int item, bool up) {
  (void)item;
  if (StepGlyphCacheLevel(up) < 0) MessageBeep(MB_OK);
  RefreshPage(PAGE_DISPLAY);
}

void ToggleWindowAnimation(int item) {
  (void)item;
  ToggleWindowAnimationValue();
  RefreshPage(PAGE_DISPLAY);
}

// ---- Input -----------------------------------------------------------------------------------------

static int MemoryButtonAt(const PageModel *p, int x, int y) {
  return HitControl(p, x, y, MEMORY_BUTTON, MEMORY_BUTTON);
}

static int MemoryButtonPressedImage(int control) { return IMG_BUTTON_PUSH; }

static bool ActOnMemoryButton(int control) {
  if (control != MEMORY_BUTTON) return false;
  CloseAllApplications(PAGE_MEMORY);
  return true;
}

static void MemoryPageKey(WPARAM key) {
  PageModel *p = PageOf(PAGE_MEMORY);
  if (key != VK_RETURN || p->focusedControl != MEMORY_BUTTON) return;
  PressForEnter(p, MEMORY_BUTTON, -1, IMG_BUTTON_PUSH);
  ActOnMemoryButton(MEMORY_BUTTON);
  ReleaseEnterPressIfKeyUp();
  RedrawMainWindow();
}

static int DisplayControlAt(const PageModel *p, int x, int y) {
  static const int kActive[] = {DISPLAY_MINUS, DISPLAY_PLUS, DISPLAY_ANIMATION};
  for (int c : kActive)
    if (Hit(&p->controls[c], x, y)) return c;
  return -1;
}

static int DisplayPressedImage(int control) { return control == DISPLAY_ANIMATION ? -1 : IMG_BUTTONSMALL_PUSH; }

static bool ActOnDisplayControl(int control) {
  if (control == DISPLAY_MINUS || control == DISPLAY_PLUS) StepGlyphCacheLimit(control, control == DISPLAY_PLUS);
  else if (control == DISPLAY_ANIMATION) ToggleWindowAnimation(control);
  else return false;
  return true;
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
    PressForEnter(p, f, -1, DisplayPressedImage(f));
    bool redraw = ActOnDisplayControl(f);
    p->focusedControl = f;
    ReleaseEnterPressIfKeyUp();
    if (redraw) RedrawMainWindow();
    return;
  }
  if (target >= 0) MoveFocus(p, target, -1);
}

const PageInput g_MemoryPageInput = {
    NULL, NULL, MemoryButtonAt, MemoryButtonPressedImage, NULL, ActOnMemoryButton, MemoryPageKey, MEMORY_BUTTON,
};
const PageInput g_DisplayPageInput = {
    NULL, NULL, DisplayControlAt, DisplayPressedImage, NULL, ActOnDisplayControl, DisplayPageKey, DISPLAY_MINUS,
};
