// The display page: the glyph cache slider with its "-" and "+" buttons, and the animation switch.
#include "shell/pagecommands.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "shell/skin.h"
#include "tweaks/tweaks.h"

namespace {

enum DisplayControl {
  DISPLAY_SCREEN = PAGE_SCREEN,
  DISPLAY_HEADING,
  DISPLAY_MENU_BAR_AREA,
  DISPLAY_GLYPH_LABEL,  // left of the slider
  DISPLAY_MINUS,
  DISPLAY_TRACK,
  DISPLAY_KNOB,
  DISPLAY_PLUS,
  DISPLAY_LARGE_LABEL,  // right of the slider
  DISPLAY_ANIMATION_TEXT,
  DISPLAY_ANIMATION,    // the switch
  DISPLAY_ANIMATION_LABEL,
  DISPLAY_CONTROLS,
};

}  // namespace

// ---- Commands --------------------------------------------------------------------------------------

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

namespace {

// ---- Layout and drawing ----------------------------------------------------------------------------

void LayoutDisplayPage(PageModel *p) {
  int W = g_Screen.width;
  PageControl *c = p->controls;
  // The heading keeps the same margin on both sides.
  SetControlRect(&c[DISPLAY_HEADING], ScaleX(20), ScaleX(20) / 2, W - ScaleX(20), ScaleY(20) + ScaleX(20) / 2,
                 IMG_NONE);
  LayoutMenuBarArea(&c[DISPLAY_MENU_BAR_AREA]);

  // The glyph cache line: every part centred in one band.
  int bandTop = c[DISPLAY_HEADING].bottom + ScaleY(2), bandH = ScaleY(20), bandBottom = bandTop + bandH;
  SetControlRect(&c[DISPLAY_GLYPH_LABEL], ScaleX(20), bandTop, ScaleX(20) + ScaleX(40), bandBottom, IMG_NONE);
  int smallTop = bandTop + (bandH - SkinH(IMG_BUTTONSMALL)) / 2;
  int left = c[DISPLAY_GLYPH_LABEL].right + ScaleX(4) / 3;
  SetControlRect(&c[DISPLAY_MINUS], left, smallTop, left + SkinW(IMG_BUTTONSMALL), smallTop + SkinH(IMG_BUTTONSMALL),
                 IMG_BUTTONSMALL);
  int trackTop = bandTop + (bandH - SkinH(IMG_SLIDERBAR)) / 2;
  int trackW = 2 * SkinW(IMG_SLIDERBAR) / 3;
  int trackLeft = c[DISPLAY_MINUS].right;
  SetControlRect(&c[DISPLAY_TRACK], trackLeft, trackTop, trackLeft + trackW, trackTop + SkinH(IMG_SLIDERBAR),
                 IMG_SLIDERBAR);
  int level = GetGlyphCacheLevel();
  int knobLeft = KnobLeft(trackLeft, trackW, level, GLYPH_CACHE_LEVELS, SkinW(IMG_SLIDER));
  int knobTop = bandTop + (bandH - SkinH(IMG_SLIDER)) / 2;
  SetControlRect(&c[DISPLAY_KNOB], knobLeft, knobTop, knobLeft + SkinW(IMG_SLIDER), knobTop + SkinH(IMG_SLIDER),
                 IMG_SLIDER);
  int plusLeft = c[DISPLAY_TRACK].right;
  SetControlRect(&c[DISPLAY_PLUS], plusLeft, smallTop, plusLeft + SkinW(IMG_BUTTONSMALL),
                 smallTop + SkinH(IMG_BUTTONSMALL), IMG_BUTTONSMALL);
  SetControlRect(&c[DISPLAY_LARGE_LABEL], c[DISPLAY_PLUS].right, bandTop, c[DISPLAY_PLUS].right + ScaleX(40),
                 bandBottom, IMG_NONE);

  int textTop = c[DISPLAY_LARGE_LABEL].bottom + ScaleY(2);
  SetControlRect(&c[DISPLAY_ANIMATION_TEXT], ScaleX(20), textTop, W, textTop + 2 * ScaleY(20), IMG_NONE);
  // The animation switch: "on" means animation is off, the faster setting.
  int toggle = GetDisplayAnimationActive() ? IMG_ITEM_ON : IMG_ITEM_OFF;
  int toggleTop = c[DISPLAY_ANIMATION_TEXT].bottom + 3 * ScaleY(2) + (ScaleY(20) - SkinH(IMG_ITEM_ON)) / 2;
  SetControlRect(&c[DISPLAY_ANIMATION], ScaleX(20), toggleTop, ScaleX(20) + SkinW(toggle), toggleTop + SkinH(toggle),
                 toggle);
  SetControlRect(&c[DISPLAY_ANIMATION_LABEL], c[DISPLAY_ANIMATION].right + ScaleX(4), toggleTop, W,
                 toggleTop + 2 * ScaleY(20), IMG_NONE);
  p->controlCount = DISPLAY_CONTROLS;
  p->focusedControl = DISPLAY_MINUS;
}

void DrawDisplayPage(HDC dc, const PageModel *p) {
  const PageControl *c = p->controls;
  PageText(dc, Text(L"String51VT"), ControlRect(&c[DISPLAY_HEADING]), DT_WORDBREAK);
  PageText(dc, Text(L"String52VT"), ControlRect(&c[DISPLAY_GLYPH_LABEL]), SINGLE_LEFT);
  PageText(dc, L"-", ControlRect(&c[DISPLAY_MINUS]), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  PageText(dc, L"+", ControlRect(&c[DISPLAY_PLUS]), DT_CENTER | DT_VCENTER | DT_WORDBREAK);
  // The label right of the slider keeps a little room from the "+" button.
  RECT large = ControlRect(&c[DISPLAY_LARGE_LABEL]);
  large.left += ScaleX(4);
  large.right += ScaleX(4);
  PageText(dc, Text(L"String53VT"), large, SINGLE_LEFT);
  PageText(dc, Text(L"String54VT"), ControlRect(&c[DISPLAY_ANIMATION_TEXT]), DT_WORDBREAK);
  PageText(dc, Text(L"String55VT"), ControlRect(&c[DISPLAY_ANIMATION_LABEL]), DT_WORDBREAK);
}

// ---- Input -----------------------------------------------------------------------------------------

int DisplayControlAt(const PageModel *p, int x, int y) {
  static const int kActive[] = {DISPLAY_MINUS, DISPLAY_PLUS, DISPLAY_ANIMATION};
  for (int c : kActive)
    if (Hit(&p->controls[c], x, y)) return c;
  return -1;
}

int DisplayPressedImage(int control) { return control == DISPLAY_ANIMATION ? -1 : IMG_BUTTONSMALL_PUSH; }

bool ActOnDisplayControl(int control) {
  if (control == DISPLAY_MINUS || control == DISPLAY_PLUS) StepGlyphCacheLimit(control, control == DISPLAY_PLUS);
  else if (control == DISPLAY_ANIMATION) ToggleWindowAnimation(control);
  else return false;
  return true;
}

void DisplayPageKey(WPARAM key) {
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

const PageInput kDisplayInput = {
    NULL, NULL, DisplayControlAt, DisplayPressedImage, NULL, ActOnDisplayControl, DisplayPageKey, DISPLAY_MINUS,
};

}  // namespace

const PageRecord g_DisplayPage = {
    PAGE_KIND_CONTROLS, 0, 0, 0, 0, false, CONTROL_BIT(DISPLAY_MINUS) | CONTROL_BIT(DISPLAY_PLUS),
    NULL, LayoutDisplayPage, NULL, DrawDisplayPage, NULL, &kDisplayInput,
};
