#include "gradient.h"

static const COLORREF kRed = RGB(255, 0, 0);
static const COLORREF kYellow = RGB(255, 255, 0);
static const COLORREF kGreen = RGB(0, 255, 0);

static BYTE Blend(BYTE start, BYTE end, int k) { return (BYTE)((start * (100 - k) + end * k) / 100); }

void FillGradientStep(HDC dc, int x, int y, int n, int h, COLORREF start, COLORREF end) {
  if (n <= 0 || h <= 0) return;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = n;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  if (!bmp || !bits) {
    if (bmp) DeleteObject(bmp);
    return;
  }
  DWORD *pixels = (DWORD *)bits;
  for (int i = 0; i < n; i++) {
    int k = (int)((long long)i * 100 / n);
    DWORD colour = ((DWORD)Blend(GetRValue(start), GetRValue(end), k) << 16) |
                   ((DWORD)Blend(GetGValue(start), GetGValue(end), k) << 8) |
                   (DWORD)Blend(GetBValue(start), GetBValue(end), k);
    for (int row = 0; row < h; row++) pixels[(size_t)row * n + i] = colour;
  }
  HDC mem = CreateCompatibleDC(dc);
  if (mem) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(dc, x, y, n, h, mem, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  DeleteObject(bmp);
}

void PaintBatteryGradient(HDC dc, int width, int h) {
  int half = width / 2;
  FillGradientStep(dc, 0, 0, half, h, kRed, kYellow);
  FillGradientStep(dc, half, 0, width - half, h, kYellow, kGreen);
}
