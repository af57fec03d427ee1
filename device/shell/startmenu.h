// The taskbar's Start menu.
#pragma once
#include <windows.h>

// Posted to the taskbar to open the Start menu (the Windows key does).
#define WM_START_MENU (WM_APP + 20)

// Opens the Start menu under the Start button of the taskbar (bar pixels high): Today, then the
// shortcuts of the device's \Windows\Start Menu\Programs by name. A tap or Enter on one, or its first
// letter, starts it; a program that runs already and allows one copy brings that forward itself.
// today is the Today screen the first entry brings forward.
void ShowStartMenu(HWND taskbar, HWND today, int bar);
