// The battery meter: a thin bar along the top edge of the shell's taskbar whose length is the main
// battery's charge, coloured red through yellow to green over the taskbar's width.
#pragma once
#include <windows.h>
#include "wm.h"

#define GAUGELET_TOPLVL_CLASS L"GAUGELETAPPTOPLVL"
#define GAUGELET_TOPLVL_TITLE L"GaugeletAppTopLvl"
#define GAUGELET_BAR_CLASS L"GAUGELETAPP"
#define GAUGELET_BAR_TITLE L"GaugeletApp"
#define GAUGELET_BAR_ID 2748
#define GAUGELET_TIMER 1
#define GAUGELET_PERIOD_MS 5000
// Bar height for a 240 x 320 screen.
#define GAUGELET_BAR_HEIGHT 2

struct GaugeletState {
  HINSTANCE instance;
  HWND taskbar;
  int taskbarWidth;      // right - left of the taskbar's screen rectangle
  HWND topLevel;         // hidden; the main program destroys it to stop us
  HWND bar;              // child of the taskbar
  BYTE lastPercent;      // 0..100
  BYTE lastFlag;         // battery flag byte of the last reading
  SHACTIVATEINFO topLevelActivate;
  SHACTIVATEINFO barActivate;
};

extern GaugeletState g_Gauge;

// Program entry: single instance, taskbar, windows, timer, message loop.
int GaugeletMain(HINSTANCE instance, LPWSTR commandLine, int showCommand);

// Reads the main battery and resizes and repaints the bar when the percent or the flag changed.
void GetBatteryStatus(HWND bar);
// Reads the taskbar's width again (after a rotation) and makes the next reading count as changed.
void FollowTaskbarWidth(void);
// The bar's length for a charge: taskbar width x percent / 100.
int BarWidthFor(int taskbarWidth, int percent);

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK WndProcTopLvl(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
