#pragma once
#include <windows.h>

// Draws a text with a font of the given face, height and weight (all other font fields 0),
// transparent background, in the given colour; returns DrawText's result.
int DrawTextInFont(LPCWSTR face, int height, int weight, COLORREF colour, HDC dc, LPCWSTR text, RECT *rect,
                   UINT flags);
