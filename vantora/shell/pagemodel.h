// The page records: every drawable, tappable control of a page, its list items and their states.
#pragma once
#include <windows.h>

#define MAX_PAGE_CONTROLS 20
#define MAX_SUB_ELEMENTS 20
#define MAX_PAGE_ITEMS 50
#define PAGE_LABEL_CHARS 260

// Page numbers.
enum PageNumber {
  PAGE_MENU = 0,
  PAGE_TASKS = 1,
  PAGE_MEMORY = 2,
  PAGE_DISPLAY = 3,
  PAGE_STORAGE = 4,
  PAGE_COMPANIONS = 5,
  PAGE_BENCHMARK = 6,
  PAGE_COUNT,
};

struct SubElement {
  int left, top, right, bottom;
  int image;  // -1: none
  bool pressed;
};

struct PageControl {
  int left, top, right, bottom;  // inclusive for hit tests
  int image;                     // -1: none
  bool pressed;
  int subCount;                  // 0..MAX_SUB_ELEMENTS
  SubElement sub[MAX_SUB_ELEMENTS];
  int focusedSub;                // -1: none
};

struct PageModel {
  PageControl controls[MAX_PAGE_CONTROLS];  // control 0 is the whole screen
  int focusedControl;                       // -1: none
  WCHAR labels[MAX_PAGE_ITEMS][PAGE_LABEL_CHARS];
  int visibleRows;
  int itemCount;
  int scrollOffset;                         // first item shown
  int focusedItem;
  int savedSubFocus;
  bool scrolling;                           // visibleRows < itemCount
  bool itemState[MAX_PAGE_ITEMS];
  bool itemHasIndicator[MAX_PAGE_ITEMS];
  int firstRowScrolling;
  int firstRowFixed;
  int controlCount;
};

extern PageModel g_Pages[PAGE_COUNT];

// Control index of the first list row for the page's scrolling state.
inline int FirstRowControl(const PageModel *page) {
  return page->scrolling ? page->firstRowScrolling : page->firstRowFixed;
}
// Bounds are inclusive on every side.
inline bool PointInControl(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x <= right && y >= top && y <= bottom;
}
