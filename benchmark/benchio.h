// What the benchmark's modules share of the program around them: files beside the program, the lines
// of the result list and the main window.
#pragma once
#include <windows.h>

#define RESULT_LINE_MAX 259

// The window the video tests draw into and questions are asked over (the main window).
extern HWND g_SuiteWindow;

// A file of the program's folder, optionally in a subfolder ("Images"); empty when it would not fit.
// Points to one buffer that the next call overwrites.
LPCWSTR BenchFilePath(LPCWSTR subfolder, LPCWSTR fileName);

// Formats a line (cut at 259 characters), logs it and appends it to the list box, scrolled to it.
void AddResultLine(HWND listBox, LPCWSTR format, ...);
