// The score charts of the view and compare pages.
#pragma once
#include <windows.h>

#define CHART_FACE L"Tahoma"

// One column: a bar rising from the bottom in proportion to value / 10, its value above and label below.
void DrawScoreBar(HDC dc, const RECT *column, double value, LPCWSTR label, COLORREF barColour, COLORREF textColour);
// Grid with the scale, the overall "Score" bar, the title and one bar per value.
void DrawScoreChart(HDC dc, const RECT *rect, LPCWSTR title, const LPCWSTR *labels, const double *values,
                    double maximum, int count);
// The pages, drawn into the paint handler's off-screen context once the saved result is loaded.
void DrawViewPage(HDC dc, const RECT *client);
void DrawComparePage(HDC dc, const RECT *client);
// The link areas of the two pages (the maker's line, the product banner).
void ViewFooterRect(const RECT *client, RECT *out);
void CompareBannerRect(const RECT *client, RECT *out);
