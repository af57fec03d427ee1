// The bar's colours: a gradient over the taskbar's whole width, of which the bar shows the left part.
#pragma once
#include <windows.h>

// Fills n columns by h rows at (x, y), column i taking start x (100 - k) + end x k, over 100, per
// channel, where k = i x 100 / n. Nothing is drawn for an empty rectangle.
void FillGradientStep(HDC dc, int x, int y, int n, int h, COLORREF start, COLORREF end);
// Red to yellow over the left half of width, yellow to green over the right half, h rows high.
void PaintBatteryGradient(HDC dc, int width, int h);
