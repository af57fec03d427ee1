// The Today screen behind every program: the date and the device's name.
#include <windows.h>
#include <stdlib.h>
#include "device_profile.h"
#include "devicekit.h"
#include "shellstate.h"
#include "wm.h"

namespace {

// The date the screen shows: the profile's fixed one ("YYYY-MM-DD", for screenshots and tests) or
// the clock's.
void TodaysDate(WCHAR *date, int chars) {
  SYSTEMTIME day;
  GetLocalTime(&day);
  WCHAR fixed[16];
  SYSTEMTIME want = {};
  if (ReadDeviceProfileString(DEVICE_PROFILE_TODAY_DATE, fixed, ARRAYSIZE(fixed)) && lstrlenW(fixed) == 10 &&
      fixed[4] == L'-' && fixed[7] == L'-') {
    want.wYear = (WORD)_wtoi(fixed);
    want.wMonth = (WORD)_wtoi(fixed + 5);
    want.wDay = (WORD)_wtoi(fixed + 8);
    // Through a file time, which checks the day and gives the weekday.
    FILETIME ft;
    if (SystemTimeToFileTime(&want, &ft) && FileTimeToSystemTime(&ft, &want)) day = want;
  }
  date[0] = 0;
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, &day, NULL, date, chars);
}

// Draws a line of text into its rectangle's width whole: at the given height when it fits, else at
// the largest smaller one that does; below two thirds of the height it wraps at its spaces instead,
// under itself. Returns the bottom of what it drew (never above the rectangle's).
int DrawFitted(HDC dc, LPCWSTR text, RECT line, int height, int weight, COLORREF colour) {
  int width = line.right - line.left, smallest = height * 2 / 3;
  UINT flags = DT_LEFT | DT_NOPREFIX | DT_NOCLIP;
  for (int h = height;; h--) {
    HFONT font = CreateDeviceFont(h, weight);
    HGDIOBJ old = SelectObject(dc, font);
    RECT need = line;
    bool wrap = h <= smallest;
    DrawTextW(dc, text, -1, &need, DT_CALCRECT | flags | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    if (wrap || need.right - need.left <= width) {
      RECT at = line;
      // One line keeps the middle of its rectangle; wrapped lines start at its top.
      int lineHeight = line.bottom - line.top, used = need.bottom - need.top;
      if (used < lineHeight) OffsetRect(&at, 0, (lineHeight - used) / 2);
      at.bottom = at.top + used;
      SetBkMode(dc, TRANSPARENT);
      SetTextColor(dc, colour);
      DrawTextW(dc, text, -1, &at, flags | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
      SelectObject(dc, old);
      DeleteObject(font);
      return at.bottom > line.bottom ? at.bottom : line.bottom;
    }
    SelectObject(dc, old);
    DeleteObject(font);
  }
}

void PaintToday(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc;
  GetClientRect(hwnd, &rc);
  HDC mem = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, rc.right, rc.bottom);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  FillGradient(mem, rc, RGB(228, 232, 244), RGB(168, 178, 214));
  int unit = g_Shell.barHeight;
  WCHAR date[64];
  TodaysDate(date, ARRAYSIZE(date));
  RECT line = {unit / 2, unit / 2, rc.right - unit / 2, unit / 2 + unit};
  int bottom = DrawFitted(mem, date, line, unit * 11 / 20, FW_BOLD, RGB(30, 34, 70));
  WCHAR oem[128] = L"";
  WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0);
  OffsetRect(&line, 0, bottom - line.top);
  DrawFitted(mem, oem, line, unit * 9 / 20, FW_NORMAL, RGB(60, 64, 100));
  BitBlt(dc, 0, 0, rc.right, rc.bottom, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteDC(mem);
  EndPaint(hwnd, &ps);
}

}  // namespace

LRESULT CALLBACK TodayProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      PaintToday(hwnd);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_CLOSE:
      return 0;  // the Today screen stays as long as the shell runs
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}
