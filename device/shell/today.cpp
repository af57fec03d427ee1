// The Today screen behind every program: the date and the device's name.
#include <windows.h>
#include "devicekit.h"
#include "shellstate.h"
#include "wm.h"

namespace {

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
  WCHAR date[64] = L"";
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_LONGDATE, NULL, NULL, date, ARRAYSIZE(date));
  RECT line = {unit / 2, unit / 2, rc.right - unit / 2, unit / 2 + unit};
  DrawLabel(mem, date, line, unit * 11 / 20, FW_BOLD, RGB(30, 34, 70), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  WCHAR oem[128] = L"";
  WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0);
  OffsetRect(&line, 0, unit);
  DrawLabel(mem, oem, line, unit * 9 / 20, FW_NORMAL, RGB(60, 64, 100), DT_LEFT | DT_VCENTER | DT_SINGLELINE);
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
