// The device shell's state record, shared by its parts: the taskbar (taskbar.cpp), the Today screen
// (today.cpp), sleep and the off key (offkey.cpp), StartUp at boot (startupfolder.cpp) and the program's
// entry (hhshell.cpp).
#pragma once
#include <windows.h>

struct ShellState {
  HINSTANCE instance;
  HWND taskbar;
  HWND today;
  int width, height, barHeight;
  HWND shownWindow;      // the window whose title the taskbar shows
  WCHAR shownTitle[128];
  WCHAR shownClock[16];
  bool minimisePressed;
  HWND sleep;            // black, topmost, covering the screen while the device sleeps
  HHOOK keyHook;
  DWORD wakeKey;         // the key that woke the device: its release is not passed on either
  HWND taskbarHider;     // a full-screen window that hid the taskbar (while it lives)
  HWND startHider;       // the same for the Start icon
};
extern ShellState g_Shell;

// hhshell.cpp
void MeasureScreen();
void DrawLabel(HDC dc, LPCWSTR text, RECT rc, int height, int weight, COLORREF colour, UINT flags);
// taskbar.cpp
void FollowForeground();
// A program's full-screen request (SHFullScreen); also looked at on each tick, as a window that hid
// the taskbar may be gone without a word (its program ended or was killed).
void ApplyFullScreen(HWND window, DWORD flags);
LRESULT CALLBACK TaskbarProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// today.cpp
LRESULT CALLBACK TodayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// offkey.cpp
LRESULT CALLBACK SleepProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp);
// startupfolder.cpp
void RunStartupFolder();
