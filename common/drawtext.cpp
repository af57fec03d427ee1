#include "drawtext.h"
#include <strsafe.h>

int DrawTextInFont(LPCWSTR face, int height, int weight, COLORREF colour, HDC dc, LPCWSTR text, RECT *rect,
                   UINT flags) {
  if (!dc || !text || !rect) return 0;
  LOGFONTW lf;
  ZeroMemory(&lf, sizeof(lf));
  lf.lfHeight = height;
  lf.lfWeight = weight;
  if (face) StringCchCopyW(lf.lfFaceName, LF_FACESIZE, face);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = font ? SelectObject(dc, font) : NULL;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  int result = DrawTextW(dc, text, -1, rect, flags);
  if (font) {
    SelectObject(dc, old);
    DeleteObject(font);
  }
  return result;
}
