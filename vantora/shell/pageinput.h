// What the pages share of stylus and key handling, and what each page adds: every page file defines
// the PageInput of its page in its record.
#pragma once
#include "pagemodel.h"

// What the stylus went down on: the up acts only when it comes up on the same thing.
struct PressTarget {
  int page;
  int control;  // -1: nothing
  int sub;      // the touched part of a row, -1 for the row or a plain control
};

struct PageInput {
  // The part of a row a tap touches, -1 for the row itself (NULL: rows have no parts that act).
  int (*rowPart)(const PageControl *row, int x, int y);
  // The pressed picture of a row part (NULL or -1: the part is shown pushed in).
  int (*partPressedImage)(int sub);
  // The control a tap touches that is neither a row nor a scroll button, -1 for none (NULL: none).
  int (*control)(const PageModel *p, int x, int y);
  // The pressed picture of such a control (-1: it is shown pushed in).
  int (*controlPressedImage)(int control);
  // A row chosen by a tap on it (sub: its part, 0 the indicator) or by Enter (byKey, sub 0). True
  // when the whole window must be redrawn.
  bool (*actOnRow)(int control, int sub, bool byKey);
  // A control chosen by a tap. True when the whole window must be redrawn.
  bool (*actOnControl)(int control);
  // A key down while a control of the page has the focus (NULL: the rows' walk, Enter chooses).
  void (*key)(WPARAM key);
  // Where an arrow key puts the focus when nothing has it and there is no row (-1: nowhere).
  int restingFocus;
};

PageModel *PageOf(int page);
int FirstRow(const PageModel *p);
int RowCount(const PageModel *p);
int LastRow(const PageModel *p);
// Only the list pages have rows; the controls of the other pages are not rows.
bool IsRow(const PageModel *p, int control);
int ItemOfRow(const PageModel *p, int control);
LPCWSTR Text(LPCWSTR key);

bool Hit(const PageControl *c, int x, int y);
bool HitSub(const SubElement *s, int x, int y);
// The control under the point among [from, to], -1 for none.
int HitControl(const PageModel *p, int x, int y, int from, int to);
// The part of a toggle row a tap touches: its indicator (TOGGLE_INDICATOR), -1 for the rest of the row.
int IndicatorPart(const PageControl *row, int x, int y);

// Moves the focus to a control (and part); only the two controls concerned are repainted.
void MoveFocus(PageModel *p, int control, int sub);
void ClearFocus(PageModel *p);
// Up/Down over the rows; the list scrolls at its ends. false when the focus cannot move.
bool MoveAlongRows(int page, int delta);
// Enter shows the control (or part) pressed before its operation runs.
void PressForEnter(PageModel *p, int control, int sub, int pushedImage);
// A modal question may have taken the key's release: restore the look now when Enter is already up.
void ReleaseEnterPressIfKeyUp(void);

// Operations that start programs, sample or wait show the wait cursor while they run.
struct WaitCursor {
  WaitCursor();
  ~WaitCursor();
};
