// The memory page: the memory in use, and the button that closes the ordinary programs to free it.
#include "shell/pagecommands.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "shell/skin.h"
#include "tasks/memclean.h"
#include "tasks/processfigures.h"
#include "tasks/taskops.h"
#include "debuglog.h"
#include "strings.h"
#include "wm.h"
#include <strsafe.h>

namespace {

enum MemoryControl {
  MEMORY_SCREEN = PAGE_SCREEN,
  MEMORY_TEXT,    // what the button does
  MEMORY_LOGO,
  MEMORY_BUTTON,  // closes the ordinary programs
  MEMORY_FIGURE,  // the memory in use
  MEMORY_CONTROLS,
};

}  // namespace

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

namespace {

// ---- Layout and drawing ----------------------------------------------------------------------------

void LayoutMemoryPage(PageModel *p) {
  int W = g_Screen.width;
  PageControl *c = p->controls;
  SetControlRect(&c[MEMORY_TEXT], ScaleX(20), ScaleY(20) / 2, W, ScaleY(70), IMG_NONE);
  LayoutLogo(&c[MEMORY_LOGO]);
  SetControlRect(&c[MEMORY_FIGURE], 0, ScaleY(70), W, ScaleY(90), IMG_NONE);
  int left = (W - SkinW(IMG_BUTTON)) / 2, top = c[MEMORY_FIGURE].bottom + ScaleY(6);
  SetControlRect(&c[MEMORY_BUTTON], left, top, left + SkinW(IMG_BUTTON), top + SkinH(IMG_BUTTON), IMG_BUTTON);
  p->controlCount = MEMORY_CONTROLS;
  p->focusedControl = MEMORY_BUTTON;
}

void DrawMemoryPage(HDC dc, const PageModel *p) {
  const PageControl *c = p->controls;
  PageText(dc, Text(L"String50VT"), ControlRect(&c[MEMORY_TEXT]), DT_WORDBREAK);
  PageText(dc, Text(L"String49VT"), ControlRect(&c[MEMORY_BUTTON]), SINGLE_CENTRED);
  WCHAR figure[64];
  StringCchPrintfW(figure, ARRAYSIZE(figure), L"%.3f MB", GetUsedProgramMemory() + GetUsedStorageMemory());
  PageText(dc, figure, ControlRect(&c[MEMORY_FIGURE]), SINGLE_CENTRED, RGB(0, 0, 0), 2 * ScaleY(14), 1);
}

// ---- Input -----------------------------------------------------------------------------------------

int MemoryButtonAt(const PageModel *p, int x, int y) { return HitControl(p, x, y, MEMORY_BUTTON, MEMORY_BUTTON); }

int MemoryButtonPressedImage(int control) { return IMG_BUTTON_PUSH; }

bool ActOnMemoryButton(int control) {
  if (control != MEMORY_BUTTON) return false;
  CloseAllApplications(PAGE_MEMORY);
  return true;
}

void MemoryPageKey(WPARAM key) {
  PageModel *p = PageOf(PAGE_MEMORY);
  if (key != VK_RETURN || p->focusedControl != MEMORY_BUTTON) return;
  PressForEnter(p, MEMORY_BUTTON, -1, IMG_BUTTON_PUSH);
  ActOnMemoryButton(MEMORY_BUTTON);
  ReleaseEnterPressIfKeyUp();
  RedrawMainWindow();
}

const PageInput kMemoryInput = {
    NULL, NULL, MemoryButtonAt, MemoryButtonPressedImage, NULL, ActOnMemoryButton, MemoryPageKey, MEMORY_BUTTON,
};

}  // namespace

const PageRecord g_MemoryPage = {
    PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, 0, NULL, LayoutMemoryPage, NULL, DrawMemoryPage, NULL, &kMemoryInput,
};
