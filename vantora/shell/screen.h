// The screen the pages are laid out on: its size, the bars above and below the page area, and the
// scale factors (device.h) that turn a 240 x 320 size into this screen's.
#pragma once
#include "device.h"

struct ScreenMetrics {
  int width, height;  // the whole screen
  int taskbarHeight;  // the device's taskbar above the window; the menu bar below is as high
};

extern ScreenMetrics g_Screen;

inline int MenuBarHeight(void) { return g_Screen.taskbarHeight; }
// The page area between the taskbar and the menu bar.
inline int PageAreaHeight(void) { return g_Screen.height - g_Screen.taskbarHeight - MenuBarHeight(); }
