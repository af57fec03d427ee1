// The main program's window: start-up order, window procedure, menu bar commands, About overlay.
#pragma once
#include <windows.h>
#include "wm.h"

#define VANTORA_CLASS L"VANTORA"
#define VANTORA_TITLE L"Vantora"
#define REFRESH_TIMER_ID 1
#define REFRESH_PERIOD_MS 3500
#define LIST_FIGURES_TIMER_ID 2
// How long the first list waits for a companion started at start to show its window.
#define COMPANION_WINDOW_WAIT_MS 3000
#define COMPANION_LOOK_AGAIN_MS 50

// Colours shared by the pages and the About overlay.
#define PAGE_BACKGROUND RGB(201, 199, 199)
#define PRODUCT_COLOUR RGB(92, 3, 134)

struct MainWindowState {
  HINSTANCE instance;
  HWND window;
  HWND menuBar;
  HWND taskbar;
  bool isPocketPC;
  bool monitorRunning;
  UINT_PTR refreshTimer;
  DWORD lastPaintTick;
  bool aboutShown;
  int currentPage;
  SHACTIVATEINFO activateInfo;
};

extern MainWindowState g_Main;

// Repaints the whole window (the pages draw only what is invalidated).
void RedrawMainWindow(void);
// The whole program: start-up, message loop, shutdown. Returns the exit code.
int VantoraMain(HINSTANCE instance, LPWSTR commandLine, int showCommand);
LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Draws the About overlay into dc over the client rectangle.
void DrawAboutOverlay(HDC dc, const RECT *client);
