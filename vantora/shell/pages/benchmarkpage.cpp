// The benchmark page: three rows that start the benchmark beside the program to run, view or compare.
#include "shell/pagecommands.h"
#include "shell/pagedraw.h"
#include "shell/pageinput.h"
#include "shell/pagerecords.h"
#include "shell/layout.h"
#include "companions/companions.h"

namespace {

enum BenchmarkControl {
  BENCHMARK_SCREEN = PAGE_SCREEN,
  BENCHMARK_BELOW_ROWS,    // the empty space between the last row and the menu bar
  BENCHMARK_SCROLL_BAR = 3,  // the scroll bar and its two buttons, while the rows scroll
  BENCHMARK_FIRST_ROW = BENCHMARK_SCROLL_BAR + SCROLL_CONTROLS,
};

// The rows in the order of the benchmark's modes.
enum BenchmarkItem { BENCHMARK_RUN, BENCHMARK_VIEW, BENCHMARK_COMPARE, BENCHMARK_ITEMS };

}  // namespace

// ---- Commands --------------------------------------------------------------------------------------

void RunBenchmark(int visibleRow) {
  PageModel *page = PageOf(PAGE_BENCHMARK);
  int row = visibleRow + page->scrollOffset;
  page->focusedItem = row;
  StartBenchmark(row);
}

// ---- Layout and input ------------------------------------------------------------------------------

namespace {

void LayoutBenchmarkPage(PageModel *p) { LayoutAreaBelowRows(&p->controls[BENCHMARK_BELOW_ROWS], p); }

bool ActOnBenchmarkRow(int control, int sub, bool byKey) {
  PageModel *p = PageOf(PAGE_BENCHMARK);
  int item = ItemOfRow(p, control);
  if (item < 0 || item >= p->itemCount) return false;
  p->focusedItem = item;
  WaitCursor wait;
  RunBenchmark(control - FirstRow(p));
  return false;
}

const PageInput kBenchmarkInput = {NULL, NULL, NULL, NULL, ActOnBenchmarkRow, NULL, NULL, -1};

}  // namespace

const PageRecord g_BenchmarkPage = {
    PAGE_KIND_LIST, BENCHMARK_ITEMS, 34, BENCHMARK_FIRST_ROW, BENCHMARK_SCROLL_BAR, false, 0,
    NULL, LayoutBenchmarkPage, NULL, DrawListLabels, NULL, &kBenchmarkInput,
};
