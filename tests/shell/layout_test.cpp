// Page layout on the supported screens. Every expected number was worked out by hand from the image
// sizes at factor 1 (item 240x40, scrollbar 22x200, scroll buttons 22x30, button 74x30, gauge and
// running marks 16x16, slider track 144x8, knob 10x16, database marks 12x36, small buttons 18x18,
// toggles 44x40, logo 150x50; doubled at factor 2) and a taskbar of 26 (52) pixels.
#include "shelltest.h"
#include "tasklist_fill.h"
#include "tasks/tasklist.h"

namespace {

const Screen kQvga = {240, 320}, kVga = {480, 640}, kVgaLandscape = {640, 480}, kWide = {800, 480};

class LayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    LoadSkinImages();
    FillTaskList(0);
    g_Main.currentPage = 0;
  }
  void TearDown() override { FreeSkinImages(); }
  void LayOut(Screen s) {
    UseScreen(s);
    for (int page = 0; page <= PAGE_BENCHMARK; page++) {
      SetupPageRows(page);
      LayoutPage(page, false);
    }
  }
  const PageControl &C(int page, int control) { return g_Pages[page].controls[control]; }
};

TEST_F(LayoutTest, MenuPageScrollsItsSevenItemsOnEveryScreen) {
  struct Want {
    Screen s;
    int rows, rowRight, rowH;
    RECT bar, up, down, below, logo;
  } wants[] = {
      {kQvga, 5, 218, 40, {218, 0, 240, 200}, {218, 35, 240, 65}, {218, 135, 240, 165}, {0, 200, 240, 268},
       {45, 212, 195, 262}},
      {kVga, 5, 436, 80, {436, 0, 480, 400}, {436, 70, 480, 130}, {436, 270, 480, 330}, {0, 400, 480, 536},
       {90, 424, 390, 524}},
      {kVgaLandscape, 3, 596, 80, {596, 0, 640, 240}, {596, 30, 640, 90}, {596, 150, 640, 210},
       {0, 240, 640, 376}, {170, 264, 470, 364}},
      {kWide, 3, 756, 80, {756, 0, 800, 240}, {756, 30, 800, 90}, {756, 150, 800, 210}, {0, 240, 800, 376},
       {250, 264, 550, 364}},
  };
  for (const Want &w : wants) {
    SCOPED_TRACE(std::to_string(w.s.w) + "x" + std::to_string(w.s.h));
    LayOut(w.s);
    const PageModel &p = g_Pages[PAGE_MENU];
    EXPECT_EQ(7, p.itemCount);
    EXPECT_EQ(w.rows, p.visibleRows);
    EXPECT_TRUE(p.scrolling);
    EXPECT_EQ(6 + w.rows, p.controlCount);
    EXPECT_EQ(6, p.focusedControl);
    EXPECT_CONTROL(C(0, 0), 0, 0, w.s.w, w.s.h, -1);
    EXPECT_CONTROL(C(0, 1), w.below.left, w.below.top, w.below.right, w.below.bottom, -1);
    EXPECT_CONTROL(C(0, 2), w.logo.left, w.logo.top, w.logo.right, w.logo.bottom, IMG_LOGO);
    EXPECT_CONTROL(C(0, 3), w.bar.left, w.bar.top, w.bar.right, w.bar.bottom, IMG_SCROLLBAR);
    EXPECT_CONTROL(C(0, 4), w.up.left, w.up.top, w.up.right, w.up.bottom, IMG_SCROLLUP);
    EXPECT_CONTROL(C(0, 5), w.down.left, w.down.top, w.down.right, w.down.bottom, IMG_SCROLLDOWN);
    for (int r = 0; r < w.rows; r++) {
      EXPECT_CONTROL(C(0, 6 + r), 0, r * w.rowH, w.rowRight, (r + 1) * w.rowH, IMG_ITEM);
      EXPECT_EQ(0, C(0, 6 + r).subCount);
    }
  }
}

TEST_F(LayoutTest, TaskPageWithThreeTasksFitsOnEveryScreen) {
  struct Want {
    Screen s;
    RECT below, bar2;
    int buttonLefts[3], buttonTop, buttonW, buttonH;
    // row 0: database mark, icon, gauge, name, CPU text, "-", track, knob (level 3), "+", running mark
    RECT sub[10];
  } wants[] = {
      {kQvga, {0, 152, 240, 268}, {0, 268, 240, 294}, {4, 82, 160}, 179, 74, 30,
       {{0, 2, 12, 38}, {14, 2, 30, 18}, {172, 2, 188, 18}, {32, 0, 170, 20}, {188, 0, 222, 20},
        {13, 21, 31, 39}, {32, 26, 220, 34}, {134, 22, 144, 38}, {221, 21, 239, 39}, {222, 2, 238, 18}}},
      {kVga, {0, 304, 480, 536}, {0, 536, 480, 588}, {9, 166, 323}, 358, 148, 60,
       {{0, 4, 24, 76}, {28, 4, 60, 36}, {344, 4, 376, 36}, {64, 0, 340, 40}, {376, 0, 444, 40},
        {26, 42, 62, 78}, {64, 52, 440, 68}, {268, 44, 288, 76}, {442, 42, 478, 78}, {444, 4, 476, 36}}},
      {kVgaLandscape, {0, 304, 640, 376}, {0, 376, 640, 428}, {49, 246, 443}, 278, 148, 60,
       {{0, 4, 24, 76}, {28, 4, 60, 36}, {504, 4, 536, 36}, {64, 0, 500, 40}, {536, 0, 604, 40},
        {26, 42, 62, 78}, {64, 52, 600, 68}, {360, 44, 380, 76}, {602, 42, 638, 78}, {604, 4, 636, 36}}},
      {kWide, {0, 304, 800, 376}, {0, 376, 800, 428}, {89, 326, 563}, 278, 148, 60,
       {{0, 4, 24, 76}, {28, 4, 60, 36}, {664, 4, 696, 36}, {64, 0, 660, 40}, {696, 0, 764, 40},
        {26, 42, 62, 78}, {64, 52, 760, 68}, {451, 44, 471, 76}, {762, 42, 798, 78}, {764, 4, 796, 36}}},
  };
  const int images[10] = {IMG_IND_DB_ON, -1, IMG_CPUUSAGE, -1, -1, IMG_BUTTONSMALL, IMG_SLIDERBAR, IMG_SLIDER,
                          IMG_BUTTONSMALL, IMG_IND_ON};
  for (const Want &w : wants) {
    SCOPED_TRACE(std::to_string(w.s.w) + "x" + std::to_string(w.s.h));
    FillTaskList(3);
    g_TaskList.entries[0].inDatabase = 1;
    g_TaskList.entries[0].running = 1;
    LayOut(w.s);
    const PageModel &p = g_Pages[PAGE_TASKS];
    EXPECT_EQ(3, p.itemCount);
    EXPECT_FALSE(p.scrolling);
    EXPECT_EQ(9, p.controlCount);
    EXPECT_EQ(6, p.focusedControl);
    EXPECT_STREQ(L"Program 2", p.labels[2]);
    EXPECT_CONTROL(C(1, 1), w.below.left, w.below.top, w.below.right, w.below.bottom, -1);
    EXPECT_CONTROL(C(1, 2), w.bar2.left, w.bar2.top, w.bar2.right, w.bar2.bottom, -1);
    for (int i = 0; i < 3; i++)
      EXPECT_CONTROL(C(1, 3 + i), w.buttonLefts[i], w.buttonTop, w.buttonLefts[i] + w.buttonW,
                     w.buttonTop + w.buttonH, IMG_BUTTON);
    int rowH = w.s.w == 240 ? 40 : 80;
    for (int r = 0; r < 3; r++) EXPECT_CONTROL(C(1, 6 + r), 0, r * rowH, w.s.w, (r + 1) * rowH, IMG_ITEM);
    const PageControl &row = C(1, 6);
    ASSERT_EQ(10, row.subCount);
    EXPECT_EQ(-1, row.focusedSub);
    for (int i = 0; i < 10; i++) {
      SCOPED_TRACE("sub-element " + std::to_string(i));
      EXPECT_SUB(row.sub[i], w.sub[i].left, w.sub[i].top, w.sub[i].right, w.sub[i].bottom, images[i]);
    }
    // The second row shows a stopped task outside the database.
    EXPECT_EQ(IMG_IND_DB_OFF, C(1, 7).sub[0].image);
    EXPECT_EQ(IMG_IND_OFF, C(1, 7).sub[9].image);
    EXPECT_EQ(row.sub[0].top + rowH, C(1, 7).sub[0].top);
  }
}

TEST_F(LayoutTest, TaskPageWithEightTasksScrolls) {
  FillTaskList(8);
  LayOut(kQvga);
  const PageModel &p = g_Pages[PAGE_TASKS];
  EXPECT_EQ(5, p.visibleRows);
  EXPECT_TRUE(p.scrolling);
  EXPECT_EQ(14, p.controlCount);
  EXPECT_EQ(9, p.focusedControl);
  EXPECT_CONTROL(C(1, 1), 0, 232, 240, 268, -1);
  EXPECT_CONTROL(C(1, 3), 4, 219, 78, 249, IMG_BUTTON);
  EXPECT_CONTROL(C(1, 5), 160, 219, 234, 249, IMG_BUTTON);
  EXPECT_CONTROL(C(1, 6), 218, 0, 240, 200, IMG_SCROLLBAR);
  EXPECT_CONTROL(C(1, 7), 218, 35, 240, 65, IMG_SCROLLUP);
  EXPECT_CONTROL(C(1, 8), 218, 135, 240, 165, IMG_SCROLLDOWN);
  EXPECT_CONTROL(C(1, 13), 0, 160, 218, 200, IMG_ITEM);
  // Row 0 narrowed by the scroll bar: its right end moved from 240 to 218.
  const PageControl &row = C(1, 9);
  EXPECT_SUB(row.sub[2], 150, 2, 166, 18, IMG_CPUUSAGE);
  EXPECT_SUB(row.sub[3], 32, 0, 148, 20, -1);
  EXPECT_SUB(row.sub[4], 166, 0, 200, 20, -1);
  EXPECT_SUB(row.sub[6], 32, 26, 198, 34, IMG_SLIDERBAR);
  EXPECT_SUB(row.sub[7], 121, 22, 131, 38, IMG_SLIDER);
  EXPECT_SUB(row.sub[8], 199, 21, 217, 39, IMG_BUTTONSMALL);
  EXPECT_SUB(row.sub[9], 200, 2, 216, 18, IMG_IND_OFF);

  LayOut(kWide);
  EXPECT_EQ(3, g_Pages[PAGE_TASKS].visibleRows);
  EXPECT_EQ(12, g_Pages[PAGE_TASKS].controlCount);
  EXPECT_CONTROL(C(1, 6), 756, 0, 800, 240, IMG_SCROLLBAR);
  EXPECT_CONTROL(C(1, 7), 756, 30, 800, 90, IMG_SCROLLUP);
  EXPECT_CONTROL(C(1, 8), 756, 150, 800, 210, IMG_SCROLLDOWN);
  EXPECT_CONTROL(C(1, 11), 0, 160, 756, 240, IMG_ITEM);
  EXPECT_CONTROL(C(1, 3), 89, 278, 237, 338, IMG_BUTTON);
}

TEST_F(LayoutTest, EmptyTaskListHasNoRowsAndFocusesTheFirstButton) {
  FillTaskList(0);
  LayOut(kQvga);
  const PageModel &p = g_Pages[PAGE_TASKS];
  EXPECT_EQ(0, p.itemCount);
  EXPECT_FALSE(p.scrolling);
  EXPECT_EQ(6, p.controlCount);
  EXPECT_EQ(3, p.focusedControl);
  EXPECT_CONTROL(C(1, 1), 0, 32, 240, 268, -1);
  EXPECT_CONTROL(C(1, 4), 82, 119, 156, 149, IMG_BUTTON);
}

TEST_F(LayoutTest, SliderKnobFollowsThePriorityLevelInAPartialLayout) {
  FillTaskList(3);
  LayOut(kQvga);
  // Track 32..220 (188 px); knob 10 px wide, centred on 32 + (7 - level) * 188 / 7.
  const int knobLeft[8] = {215, 188, 161, 134, 107, 80, 53, 27};
  for (int level = 0; level <= 7; level++) {
    g_TaskList.entries[1].priority = level;
    LayoutPage(PAGE_TASKS, true);
    EXPECT_SUB(C(1, 7).sub[7], knobLeft[level], 62, knobLeft[level] + 10, 78, IMG_SLIDER) << "level " << level;
  }
  // The marks follow the task's state; what the user was pressing stays pressed.
  g_Pages[PAGE_TASKS].controls[7].sub[5].pressed = true;
  g_Pages[PAGE_TASKS].controls[7].focusedSub = 5;
  g_TaskList.entries[1].inDatabase = 1;
  g_TaskList.entries[1].running = 1;
  LayoutPage(PAGE_TASKS, true);
  EXPECT_SUB(C(1, 7).sub[0], 0, 42, 12, 78, IMG_IND_DB_ON);
  EXPECT_SUB(C(1, 7).sub[9], 222, 42, 238, 58, IMG_IND_ON);
  EXPECT_TRUE(C(1, 7).sub[5].pressed);
  EXPECT_EQ(5, C(1, 7).focusedSub);
  // A level out of range is drawn at the nearest end.
  g_TaskList.entries[1].priority = 12;
  LayoutPage(PAGE_TASKS, true);
  EXPECT_EQ(27, C(1, 7).sub[7].left);
}

TEST_F(LayoutTest, ScrolledTaskRowsShowTheirOwnTasks) {
  FillTaskList(8);
  g_TaskList.entries[2].inDatabase = 1;
  g_TaskList.entries[2].priority = 0;
  LayOut(kQvga);
  EXPECT_EQ(IMG_IND_DB_OFF, C(1, 9).sub[0].image);
  g_Pages[PAGE_TASKS].scrollOffset = 2;
  LayoutPage(PAGE_TASKS, true);
  EXPECT_EQ(IMG_IND_DB_ON, C(1, 9).sub[0].image);
  EXPECT_EQ(215 - 22, C(1, 9).sub[7].left);  // track 32..198: 32 + 166 - 5
  EXPECT_EQ(IMG_IND_DB_OFF, C(1, 10).sub[0].image);
  // A full layout returns to the first item.
  LayoutPage(PAGE_TASKS, false);
  EXPECT_EQ(0, g_Pages[PAGE_TASKS].scrollOffset);
  EXPECT_EQ(IMG_IND_DB_OFF, C(1, 9).sub[0].image);
}

TEST_F(LayoutTest, MemoryPage) {
  struct Want {
    Screen s;
    RECT text, figure, button, logo;
  } wants[] = {
      {kQvga, {20, 10, 240, 70}, {0, 70, 240, 90}, {83, 96, 157, 126}, {45, 212, 195, 262}},
      {kVga, {40, 20, 480, 140}, {0, 140, 480, 180}, {166, 192, 314, 252}, {90, 424, 390, 524}},
      {kVgaLandscape, {40, 20, 640, 140}, {0, 140, 640, 180}, {246, 192, 394, 252}, {170, 264, 470, 364}},
      {kWide, {40, 20, 800, 140}, {0, 140, 800, 180}, {326, 192, 474, 252}, {250, 264, 550, 364}},
  };
  for (const Want &w : wants) {
    SCOPED_TRACE(std::to_string(w.s.w) + "x" + std::to_string(w.s.h));
    LayOut(w.s);
    EXPECT_EQ(5, g_Pages[PAGE_MEMORY].controlCount);
    EXPECT_EQ(3, g_Pages[PAGE_MEMORY].focusedControl);
    EXPECT_CONTROL(C(2, 1), w.text.left, w.text.top, w.text.right, w.text.bottom, -1);
    EXPECT_CONTROL(C(2, 2), w.logo.left, w.logo.top, w.logo.right, w.logo.bottom, IMG_LOGO);
    EXPECT_CONTROL(C(2, 3), w.button.left, w.button.top, w.button.right, w.button.bottom, IMG_BUTTON);
    EXPECT_CONTROL(C(2, 4), w.figure.left, w.figure.top, w.figure.right, w.figure.bottom, -1);
  }
}

// The knob and the toggle's picture follow the registry: checked in the catalogue tests.
TEST_F(LayoutTest, DisplayPage) {
  struct Want {
    Screen s;
    RECT c[12];  // c[6]: only top and bottom checked
  } wants[] = {
      {kQvga,
       {{}, {20, 10, 220, 30}, {0, 268, 240, 294}, {20, 32, 60, 52}, {61, 33, 79, 51}, {79, 38, 175, 46},
        {0, 34, 0, 50}, {175, 33, 193, 51}, {193, 32, 233, 52}, {20, 54, 240, 94}, {20, 90, 64, 130},
        {68, 90, 240, 130}}},
      {kVga,
       {{}, {40, 20, 440, 60}, {0, 536, 480, 588}, {40, 64, 120, 104}, {122, 66, 158, 102}, {158, 76, 350, 92},
        {0, 68, 0, 100}, {350, 66, 386, 102}, {386, 64, 466, 104}, {40, 108, 480, 188}, {40, 180, 128, 260},
        {136, 180, 480, 260}}},
      {kVgaLandscape,
       {{}, {40, 20, 600, 60}, {0, 376, 640, 428}, {40, 64, 120, 104}, {122, 66, 158, 102}, {158, 76, 350, 92},
        {0, 68, 0, 100}, {350, 66, 386, 102}, {386, 64, 466, 104}, {40, 108, 640, 188}, {40, 180, 128, 260},
        {136, 180, 640, 260}}},
      {kWide,
       {{}, {40, 20, 760, 60}, {0, 376, 800, 428}, {40, 64, 120, 104}, {122, 66, 158, 102}, {158, 76, 350, 92},
        {0, 68, 0, 100}, {350, 66, 386, 102}, {386, 64, 466, 104}, {40, 108, 800, 188}, {40, 180, 128, 260},
        {136, 180, 800, 260}}},
  };
  const int images[12] = {-1, -1, -1, -1, IMG_BUTTONSMALL, IMG_SLIDERBAR, IMG_SLIDER, IMG_BUTTONSMALL, -1, -1, 0, -1};
  for (const Want &w : wants) {
    SCOPED_TRACE(std::to_string(w.s.w) + "x" + std::to_string(w.s.h));
    LayOut(w.s);
    EXPECT_EQ(12, g_Pages[PAGE_DISPLAY].controlCount);
    EXPECT_EQ(4, g_Pages[PAGE_DISPLAY].focusedControl);
    for (int i = 1; i < 12; i++) {
      SCOPED_TRACE("control " + std::to_string(i));
      const PageControl &c = C(3, i);
      if (i == 6) {
        EXPECT_EQ(w.c[6].top, c.top);
        EXPECT_EQ(w.c[6].bottom, c.bottom);
        EXPECT_EQ(w.s.w == 240 ? 10 : 20, c.right - c.left);
      } else if (i == 10) {
        EXPECT_TRUE(c.image == IMG_ITEM_ON || c.image == IMG_ITEM_OFF);
        EXPECT_CONTROL(c, w.c[i].left, w.c[i].top, w.c[i].right, w.c[i].bottom, c.image);
      } else {
        EXPECT_CONTROL(c, w.c[i].left, w.c[i].top, w.c[i].right, w.c[i].bottom, images[i]);
      }
    }
  }
}

TEST_F(LayoutTest, StoragePageScrollsOnEveryScreen) {
  struct Want {
    Screen s;
    int rows, rowRight, rowH;
    RECT bar, up, down;
  } wants[] = {
      {kQvga, 6, 218, 40, {218, 0, 240, 240}, {218, 45, 240, 75}, {218, 165, 240, 195}},
      {kVga, 6, 436, 80, {436, 0, 480, 480}, {436, 90, 480, 150}, {436, 330, 480, 390}},
      {kVgaLandscape, 4, 596, 80, {596, 0, 640, 320}, {596, 50, 640, 110}, {596, 210, 640, 270}},
      {kWide, 4, 756, 80, {756, 0, 800, 320}, {756, 50, 800, 110}, {756, 210, 800, 270}},
  };
  for (const Want &w : wants) {
    SCOPED_TRACE(std::to_string(w.s.w) + "x" + std::to_string(w.s.h));
    LayOut(w.s);
    const PageModel &p = g_Pages[PAGE_STORAGE];
    EXPECT_EQ(w.rows, p.visibleRows);
    EXPECT_TRUE(p.scrolling);
    EXPECT_EQ(4 + w.rows, p.controlCount);
    EXPECT_EQ(4, p.focusedControl);
    EXPECT_CONTROL(C(4, 1), w.bar.left, w.bar.top, w.bar.right, w.bar.bottom, IMG_SCROLLBAR);
    EXPECT_CONTROL(C(4, 2), w.up.left, w.up.top, w.up.right, w.up.bottom, IMG_SCROLLUP);
    EXPECT_CONTROL(C(4, 3), w.down.left, w.down.top, w.down.right, w.down.bottom, IMG_SCROLLDOWN);
    int toggleW = w.rowH == 40 ? 44 : 88, indent = w.rowH == 40 ? 4 : 8;
    for (int r = 0; r < w.rows; r++) {
      SCOPED_TRACE("row " + std::to_string(r));
      const PageControl &row = C(4, 4 + r);
      int t = r * w.rowH;
      EXPECT_CONTROL(row, 0, t, w.rowRight, t + w.rowH, IMG_ITEM);
      EXPECT_EQ(-1, row.focusedSub);
      if (r == 3) {  // the clear-files action has no indicator
        ASSERT_EQ(1, row.subCount);
        EXPECT_SUB(row.sub[0], indent, t, w.rowRight, t + w.rowH, -1);
      } else {
        ASSERT_EQ(2, row.subCount);
        int image = p.itemState[r] ? IMG_ITEM_ON : IMG_ITEM_OFF;
        EXPECT_SUB(row.sub[0], 0, t, toggleW, t + w.rowH, image);
        EXPECT_SUB(row.sub[1], toggleW, t, w.rowRight, t + w.rowH, -1);
      }
    }
  }
}

TEST_F(LayoutTest, ScrolledTogglePageShowsTheStatesOfItsVisibleItems) {
  LayOut(kVgaLandscape);  // four of seven rows
  PageModel &p = g_Pages[PAGE_STORAGE];
  for (int i = 0; i < 7; i++) p.itemState[i] = (i % 2) == 0;
  p.scrollOffset = 3;
  LayoutPage(PAGE_STORAGE, true);
  // Rows show items 3 (no indicator), 4 (on), 5 (off), 6 (no indicator).
  EXPECT_EQ(1, C(4, 4).subCount);
  EXPECT_SUB(C(4, 4).sub[0], 8, 0, 596, 80, -1);
  ASSERT_EQ(2, C(4, 5).subCount);
  EXPECT_SUB(C(4, 5).sub[0], 0, 80, 88, 160, IMG_ITEM_ON);
  EXPECT_SUB(C(4, 6).sub[0], 0, 160, 88, 240, IMG_ITEM_OFF);
  EXPECT_EQ(1, C(4, 7).subCount);
  // Scrolled back: item 0 gets its indicator again.
  p.scrollOffset = 0;
  LayoutPage(PAGE_STORAGE, true);
  ASSERT_EQ(2, C(4, 4).subCount);
  EXPECT_SUB(C(4, 4).sub[0], 0, 0, 88, 80, IMG_ITEM_ON);
  // A partial layout keeps the scroll position; a full one returns to the top.
  p.scrollOffset = 2;
  LayoutPage(PAGE_STORAGE, true);
  EXPECT_EQ(2, p.scrollOffset);
  LayoutPage(PAGE_STORAGE, false);
  EXPECT_EQ(0, p.scrollOffset);
  EXPECT_EQ(0, p.focusedItem);
}

TEST_F(LayoutTest, CompanionAndBenchmarkPagesFitWithoutScrolling) {
  for (Screen s : {kQvga, kVga, kVgaLandscape, kWide}) {
    SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
    LayOut(s);
    int rowH = s.w == 240 ? 40 : 80, toggleW = s.w == 240 ? 44 : 88, usable = s.w == 240 ? 268 : s.h - 104;
    for (int page : {PAGE_COMPANIONS, PAGE_BENCHMARK}) {
      const PageModel &p = g_Pages[page];
      EXPECT_EQ(3, p.itemCount);
      EXPECT_FALSE(p.scrolling);
      EXPECT_EQ(6, p.controlCount);
      EXPECT_EQ(3, p.focusedControl);
      EXPECT_CONTROL(C(page, 1), 0, 3 * rowH, s.w, usable, -1);
      for (int r = 0; r < 3; r++) EXPECT_CONTROL(C(page, 3 + r), 0, r * rowH, s.w, (r + 1) * rowH, IMG_ITEM);
    }
    EXPECT_EQ(0, C(PAGE_BENCHMARK, 3).subCount);
    ASSERT_EQ(2, C(PAGE_COMPANIONS, 5).subCount);
    EXPECT_SUB(C(PAGE_COMPANIONS, 5).sub[1], toggleW, 2 * rowH, s.w, 3 * rowH, -1);
  }
}

TEST_F(LayoutTest, AMissingImageCollapsesItsControls) {
  FillTaskList(8);
  for (int image : {IMG_ITEM, IMG_SCROLLBAR, IMG_LOGO, IMG_BUTTON, IMG_SLIDER}) {
    DeleteObject(g_Skin[image].bitmap);
    ZeroMemory(&g_Skin[image], sizeof(g_Skin[image]));
  }
  LayOut(kQvga);
  // Rows have no height; without a bar picture they reach the right edge.
  EXPECT_CONTROL(C(0, 6), 0, 0, 240, 0, IMG_ITEM);
  EXPECT_CONTROL(C(0, 10), 0, 0, 240, 0, IMG_ITEM);
  EXPECT_CONTROL(C(0, 3), 240, 0, 240, 200, IMG_SCROLLBAR);
  EXPECT_CONTROL(C(0, 4), 218, 35, 240, 65, IMG_SCROLLUP);  // its own picture is there
  EXPECT_CONTROL(C(0, 2), 120, 262, 120, 262, IMG_LOGO);
  EXPECT_CONTROL(C(2, 3), 120, 96, 120, 96, IMG_BUTTON);
  // No button height: the task page keeps one more row.
  EXPECT_EQ(6, g_Pages[PAGE_TASKS].visibleRows);
  EXPECT_CONTROL(C(1, 3), 60, 254, 60, 254, IMG_BUTTON);
  EXPECT_EQ(C(3, 6).left, C(3, 6).right);
  // Drawing a collapsed or missing picture does nothing and does not fail.
  HDC dc = CreateCompatibleDC(NULL);
  DrawSkinImage(dc, {C(0, 6).image, 0, 0, 10, 10, false, true, 0, 0, 0, 0});
  DeleteDC(dc);
}

// Nothing of a page may leave the window (the band below it on pages 1 and 3 is the menu bar's), and
// the list never runs into the logo or the buttons below it: this is what the picture sizes must give.
TEST_F(LayoutTest, EverythingStaysInsideTheWindowOnEveryScreen) {
  FillTaskList(MAX_TASKS);
  for (Screen s : {kQvga, kVga, kVgaLandscape, kWide, Screen{320, 240}, Screen{480, 480}}) {
    SCOPED_TRACE(std::to_string(s.w) + "x" + std::to_string(s.h));
    LayOut(s);
    int usable = s.h - 2 * g_Screen.taskbarHeight;
    for (int page = 0; page <= PAGE_BENCHMARK; page++) {
      const PageModel &p = g_Pages[page];
      ASSERT_LE(p.controlCount, MAX_PAGE_CONTROLS);
      for (int i = 1; i < p.controlCount; i++) {
        SCOPED_TRACE("page " + std::to_string(page) + " control " + std::to_string(i));
        const PageControl &c = p.controls[i];
        bool menuBand = (page == PAGE_TASKS || page == PAGE_DISPLAY) && i == 2;
        EXPECT_GE(c.left, 0);
        EXPECT_LE(c.right, s.w);
        EXPECT_GE(c.top, 0);
        EXPECT_LE(c.bottom, menuBand ? s.h - g_Screen.taskbarHeight : usable);
        for (int k = 0; k < c.subCount; k++) {
          EXPECT_GE(c.sub[k].left, c.left);
          EXPECT_LE(c.sub[k].right, c.right);
          EXPECT_GE(c.sub[k].top, c.top);
          EXPECT_LE(c.sub[k].bottom, c.bottom);
        }
      }
    }
    int lastRow = g_Pages[PAGE_MENU].controlCount - 1;
    EXPECT_LE(C(0, lastRow).bottom, C(0, 2).top);
    lastRow = g_Pages[PAGE_TASKS].controlCount - 1;
    EXPECT_LE(C(1, lastRow).bottom, C(1, 3).top);
    EXPECT_LE(C(2, 3).bottom, C(2, 2).top);   // memory button above the logo
    EXPECT_LE(C(3, 8).right, s.w);            // the glyph cache line fits across
    EXPECT_LE(C(3, 11).bottom, usable);
  }
}

TEST_F(LayoutTest, SettingChangeRecomputesRowsForTheNewScreen) {
  LayOut(kVga);
  EXPECT_EQ(5, g_Pages[PAGE_MENU].visibleRows);
  EXPECT_EQ(6, g_Pages[PAGE_COMPANIONS].visibleRows);
  UseScreen(kVgaLandscape);
  RecomputeVisibleRows();
  EXPECT_EQ(3, g_Pages[PAGE_MENU].visibleRows);
  EXPECT_TRUE(g_Pages[PAGE_MENU].scrolling);
  EXPECT_EQ(4, g_Pages[PAGE_STORAGE].visibleRows);
  EXPECT_EQ(4, g_Pages[PAGE_COMPANIONS].visibleRows);
  EXPECT_FALSE(g_Pages[PAGE_COMPANIONS].scrolling);
  LayoutPage(PAGE_MENU, false);
  EXPECT_EQ(9, g_Pages[PAGE_MENU].controlCount);
  EXPECT_CONTROL(C(0, 8), 0, 160, 596, 240, IMG_ITEM);
}

}  // namespace
