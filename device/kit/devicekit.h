// What the device's own programs (its shell, its small shell programs) draw and parse alike.
#pragma once
#include <windows.h>

// Fills a rectangle with a vertical gradient from top to bottom colour.
void FillGradient(HDC dc, const RECT &rc, COLORREF top, COLORREF bottom);
// The device's font (Tahoma, smoothed) at a pixel height; the caller deletes it.
HFONT CreateDeviceFont(int pixelHeight, int weight);
// A command line split into its program (unquoted; quoted when it holds spaces) and the arguments
// after it (blanks skipped). FALSE when there is no program, a quote is not closed or it does not fit.
BOOL SplitCommandLine(LPCWSTR command, LPWSTR program, int programChars, LPCWSTR *arguments);
// One argument that is the whole text (a path or address, spaces allowed): surrounding blanks and one
// pair of surrounding quotes removed. FALSE when it does not fit (out is then empty).
BOOL TakeWholeArgument(LPCWSTR text, LPWSTR out, int outChars);
// Starts a command line (a program, quoted when it holds spaces, and its arguments) as the device's
// shell does: "\name" paths are the device's, other names are looked for where the device keeps its
// programs. folder is the working folder (may be NULL). TRUE when it started.
BOOL RunCommandLine(LPCWSTR command, LPCWSTR folder);
