// Page layout: the rectangle of every control of a page from the screen's metrics, the skin image
// sizes and the rows that fit. Sizes are given for a 240 x 320 screen and scaled.
#pragma once
#include "pagemodel.h"

// Height of one list row, before scaling.
#define ROW_PITCH 40

// List rows that fit on a page: (H - 2T - reserve) / ScaleY(40), never below 0 and never more than
// the page's controls can hold.
int RowsThatFit(int page);
// partial = false: every control, scrolled back to the first item. partial = true: only what depends
// on the scroll offset and the item states (the pages whose rows follow their items).
void LayoutPage(int page, bool partial);

// What the pages' own layouts share.
void SetControlRect(PageControl *c, int left, int top, int right, int bottom, int image);
void SetSubRect(SubElement *s, int left, int top, int right, int bottom, int image);
// Rows laid out now: the visible rows that have an item.
int LaidOutRows(const PageModel *p);
// Left edge of a slider's knob at one of `stops` stops (0 .. stops - 1) along a track: the knob is
// centred on the stop.
int KnobLeft(int trackLeft, int trackWidth, int stop, int stops, int knobWidth);
// The logo, centred a little above the bottom of the page area.
void LayoutLogo(PageControl *c);
// The empty space between the last row and the menu bar.
void LayoutAreaBelowRows(PageControl *c, const PageModel *p);
// The menu bar's strip along the bottom of the page.
void LayoutMenuBarArea(PageControl *c);

// Toggle rows: the indicator at the row's left and the label beside it; a row without one has only
// the label, indented a little.
void LayoutToggleRows(PageModel *p);
