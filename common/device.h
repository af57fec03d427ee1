// Screen, layout scale, platform and device helpers every program carries.
#pragma once
#include <windows.h>

// Screen width and height in pixels.
void GetScreenSize(int *width, int *height);
// Layout constants are given for a 240 x 320 screen; these scale them for the screen in use.
int ScaleX(int value);
int ScaleY(int value);
// Forgets the factors so the next ScaleX/ScaleY measures the screen again.
void ResetScaleFactors(void);
// Sets the factors a screen of that size has (for laying out pages for a screen other than this one).
void SetScaleFactorsForScreen(int width, int height);
// 1 on a Pocket PC, 0 on a Smartphone.
int IsPocketPC(void);
// Starts a program through the shell, shown normally; 1 when it started.
int RunProgram(LPCWSTR file, LPCWSTR arguments);
// Soft-resets the device; returns only when the reset was refused.
void ResetDevice(void);
// Removes the StartUp folder's shortcut of that name and, when create is set, makes it anew pointing
// at target (a command line, e.g. a quoted program path).
void SetStartupShortcut(int create, LPCWSTR target, LPCWSTR shortcutName);
// The shell's taskbar window, or 0.
HWND FindTaskbarWindow(void);

// "Vantora Refresh": the main program tells the monitor to reload the task database.
extern UINT CWM_VT_REFRESH;
