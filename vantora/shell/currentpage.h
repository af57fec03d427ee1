// The current page: drawing it, its stylus taps and keys, opening and refreshing pages.
#pragma once
#include <windows.h>

// Page text look: face, weight and the colours of the monitor button's label.
#define PAGE_FONT L"Tahoma"
#define PAGE_FONT_WEIGHT 100
#define MONITOR_ON_COLOUR RGB(23, 166, 32)
#define MONITOR_OFF_COLOUR RGB(255, 20, 14)

// Draws the current page into dc (the main window's off-screen bitmap, screen sized).
void DrawPage(HDC dc);
// Stylus down (down = true) or up at client coordinates.
void OnPageTap(int x, int y, bool down);
// WM_KEYDOWN or WM_KEYUP; arrows and Enter, other keys are ignored.
void OnPageKey(UINT message, WPARAM key, LPARAM data);
// Drops pressed looks left behind when the stylus went elsewhere (capture lost).
void CancelPagePress(void);
// Makes page the current one, laid out afresh with its first row focused, and redraws the window.
void OpenPage(int page);
// The page shows what the data behind it now holds, redrawn whole. fromTop: its rows are set up again
// from the first (a rebuilt list); otherwise the items' states and the layout follow, and the scroll
// offset and the focus stay (a list whose item count changed starts again from its first item).
void RefreshPage(int page, bool fromTop = false);
