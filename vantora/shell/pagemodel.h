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

inline bool IsPageNumber(int page) { return page >= 0 && page < PAGE_COUNT; }

// What a page is made of; input, layout and drawing follow the kind.
enum PageKind {
  PAGE_KIND_LIST,      // rows that open or start something (menu, benchmark)
  PAGE_KIND_TASKS,     // the task list: rows with parts, buttons below
  PAGE_KIND_TOGGLES,   // rows with an on/off indicator (storage, companions)
  PAGE_KIND_CONTROLS,  // buttons, a slider and switches, no rows (memory, display)
};

#define PAGE_LISTS_TASKS (-1)  // PageRecord.items of the page that lists the task list

struct PageModel;
struct PageInput;

// What one page is: every page file defines the record of its page, and the table in pagemodel.cpp
// lists them in page order.
struct PageRecord {
  PageKind kind;
  int items;               // fixed item count, PAGE_LISTS_TASKS, or 0 for a page without a list
  int firstLabelKey;       // "String<n>VT" of item 0; the others follow in order
  int firstRowScrolling;   // first row control while scrolling (the scroll bar, up, down come before)
  int firstRowFixed;       // ... and without scrolling; also where the scroll controls start
  bool focusTransparent;   // the focused control draws transparent
  DWORD transparent;       // controls that always draw transparent, one bit each
  // Height kept free below the rows when working out how many fit (NULL: none).
  int (*reserveBelowRows)(void);
  // What a full layout does after the list rows (list pages) or instead of them.
  void (*layout)(PageModel *p);
  // The rows laid out again from the items' states and the scroll offset (NULL: rows that do not
  // follow their items).
  void (*layoutRows)(PageModel *p);
  // Draws what the page adds to its controls' pictures: texts, row parts.
  void (*draw)(HDC dc, const PageModel *p);
  // The indicator of a toggle row: whether the item has one and its state (NULL: no indicators).
  void (*readItem)(int item, bool *hasIndicator, bool *state);
  const PageInput *input;
};

#define CONTROL_BIT(c) (1u << (c))

// Control 0 of every page is the whole screen: laid out, never drawn, hit or focused.
enum { PAGE_SCREEN, FIRST_PAGE_CONTROL };
// The scroll controls of a list page, in this order from its firstRowFixed control.
enum ScrollControl { SCROLL_BAR, SCROLL_UP, SCROLL_DOWN, SCROLL_CONTROLS };
// The parts of a toggle row: its indicator and its label; a row without an indicator has its label alone.
enum TogglePart { TOGGLE_INDICATOR, TOGGLE_LABEL, TOGGLE_PARTS, TOGGLE_LABEL_ALONE = 0 };

// What a page is (a page number out of range reads as the memory page, a page of controls).
const PageRecord *PageRecordOf(int page);
PageKind PageKindOf(int page);
// Pages whose controls are list rows (every kind but PAGE_KIND_CONTROLS).
bool IsListPage(int page);
// Pages whose rows depend on their items' states and the scroll offset: a partial layout covers them.
bool RowsFollowItems(int page);

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

// Whether a control of the page draws its picture with the transparent colour.
bool DrawsTransparent(int page, const PageModel *p, int control);

// Control index of the first list row for the page's scrolling state.
inline int FirstRowControl(const PageModel *page) {
  return page->scrolling ? page->firstRowScrolling : page->firstRowFixed;
}
// Bounds are inclusive on every side.
inline bool PointInControl(int x, int y, int left, int top, int right, int bottom) {
  return x >= left && x <= right && y >= top && y <= bottom;
}
