// Bar charts of scores 0..10, drawn with the pen of the context and Tahoma texts.
#include "charts.h"
#include "results.h"
#include "banner.h"
#include "device.h"
#include "drawtext.h"
#include <strsafe.h>

static int SmallText(void) { return ScaleY(14) - ScaleY(3); }

void DrawScoreBar(HDC dc, const RECT *column, double value, LPCWSTR label, COLORREF barColour,
                  COLORREF textColour) {
  int h = column->bottom - column->top;
  // A damaged file may hold anything: the bar stays inside its column.
  double shown = value >= 0.0 ? (value <= 10.0 ? value : 10.0) : 0.0;
  RECT bar = {column->left, column->top + (int)(h - h * shown * 0.1), column->right, column->bottom};
  HBRUSH brush = CreateSolidBrush(barColour);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  Rectangle(dc, bar.left, bar.top, bar.right, bar.bottom);
  SelectObject(dc, oldBrush);
  DeleteObject(brush);

  WCHAR text[32];
  StringCchPrintfW(text, ARRAYSIZE(text), L"%2.2f", value);
  RECT valueRect = {bar.left - ScaleX(15), bar.top, bar.right + ScaleX(15), bar.bottom};
  DrawTextInFont(CHART_FACE, SmallText(), 100, textColour, dc, text, &valueRect, DT_CENTER);

  RECT labelRect = {valueRect.left, bar.bottom, valueRect.right, bar.bottom + ScaleY(20)};
  DrawTextInFont(CHART_FACE, ScaleY(14) - ScaleY(1), 600, textColour, dc, label, &labelRect,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void DrawScoreChart(HDC dc, const RECT *rect, LPCWSTR title, const LPCWSTR *labels, const double *values,
                    double maximum, int count) {
  if (count <= 0 || maximum <= 0) return;
  RECT area = {rect->left, rect->top + ScaleY(10), rect->right, rect->bottom - ScaleY(20)};
  int c = (area.right - area.left) / (2 * count + 3);
  double unit = (double)(area.bottom - area.top) / maximum;

  HPEN pen = CreatePen(PS_SOLID, 1, RGB(150, 150, 150));
  HGDIOBJ oldPen = SelectObject(dc, pen);
  int lines = (int)(maximum + 1);
  for (int k = 0; k < lines; k++) {
    int y = area.top + (int)(k * unit);
    MoveToEx(dc, area.left, y, NULL);
    LineTo(dc, area.right, y);
    if (k < maximum) {
      WCHAR number[16];
      StringCchPrintfW(number, ARRAYSIZE(number), L"%d", (int)(maximum - k));
      RECT cell = {area.left, y, area.left + c, area.top + (int)((k + 1) * unit)};
      DrawTextInFont(CHART_FACE, SmallText(), 100, RGB(0, 0, 0), dc, number, &cell,
                     DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  SelectObject(dc, oldPen);
  DeleteObject(pen);

  double sum = 0.0;
  for (int i = 0; i < count; i++) sum += values[i];
  RECT overall = {area.left + c, area.top, area.left + 2 * c, area.bottom};
  DrawScoreBar(dc, &overall, sum / count, L"Score", RGB(255, 140, 140), RGB(0, 0, 0));

  RECT titleRect = {area.left + c, area.top - ScaleY(10), area.right, area.top};
  DrawTextInFont(CHART_FACE, SmallText(), 600, RGB(0, 0, 0), dc, title ? title : L"", &titleRect, DT_BOTTOM);

  for (int i = 0; i < count; i++) {
    RECT column = {area.left + (3 + 2 * i) * c, area.top, area.left + (4 + 2 * i) * c, area.bottom};
    DrawScoreBar(dc, &column, values[i], labels[i], RGB(255, 255, 255), RGB(0, 0, 0));
  }
}

void ViewFooterRect(const RECT *client, RECT *out) {
  SetRect(out, ScaleX(10), client->bottom - ScaleY(20), client->right, client->bottom);
}

void CompareBannerRect(const RECT *client, RECT *out) {
  SetRect(out, client->right - ScaleX(100), ScaleY(5), client->right, ScaleY(30));
}

void DrawViewPage(HDC dc, const RECT *client) {
  if (!g_YourDeviceLoaded) return;
  int w = client->right, h = client->bottom;
  WCHAR date[256] = L"", time[256] = L"", header[800];
  GetDateFormatW(LOCALE_USER_DEFAULT, 0, &g_YourDevice.finished, NULL, date, ARRAYSIZE(date));
  GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &g_YourDevice.finished, NULL, time, ARRAYSIZE(time));
  StringCchPrintfW(header, ARRAYSIZE(header), L"%s, %s %s", g_YourDevice.deviceName, date, time);
  RECT headerRect = {ScaleX(60), 0, w, ScaleY(30)};
  DrawTextInFont(CHART_FACE, ScaleY(14), 600, RGB(0, 0, 0), dc, header, &headerRect, DT_VCENTER | DT_SINGLELINE);

  static const LPCWSTR labels[4] = {L"CPU", L"RAM", L"Storage", L"Video"};
  double values[4] = {g_YourDevice.cpu, g_YourDevice.ram, g_YourDevice.storage, g_YourDevice.video};
  RECT chart = {0, ScaleY(30), w, h - ScaleY(20)};
  DrawScoreChart(dc, &chart, L"", labels, values, 10.0, 4);

  RECT footer;
  ViewFooterRect(client, &footer);
  DrawTextInFont(CHART_FACE, SmallText(), 100, RGB(0, 0, 255), dc, MAKER_BANNER_LINE, &footer,
                 DT_VCENTER | DT_SINGLELINE);
}

void DrawComparePage(HDC dc, const RECT *client) {
  if (!g_YourDeviceLoaded) return;
  int w = client->right, h = client->bottom;
  RECT banner;
  CompareBannerRect(client, &banner);
  DrawTextInFont(CHART_FACE, ScaleY(14) - ScaleY(2), 100, RGB(0, 0, 255), dc, PRODUCT_BANNER_TWO_LINES, &banner,
                 DT_CENTER | DT_WORDBREAK);

  int sw, sh;
  GetScreenSize(&sw, &sh);
  bool portrait = sh >= sw;
  static const LPCWSTR labels[4] = {L"CPU", L"RAM", L"STO", L"VID"};

  WCHAR title[RESULT_NAME_CHARS + 32];
  StringCchPrintfW(title, ARRAYSIZE(title), portrait ? L"%s, your device" : L"%s, your device.",
                   g_YourDevice.deviceName);
  double mine[4] = {g_YourDevice.cpu, g_YourDevice.ram, g_YourDevice.storage, g_YourDevice.video};
  RECT first = portrait ? RECT{0, ScaleY(30), w, h / 2 + ScaleY(10)} : RECT{0, ScaleY(30), w / 2 - ScaleX(5), h};
  DrawScoreChart(dc, &first, title, labels, mine, 10.0, 4);

  int index = g_CompareIndex;
  if (index < 0 || index >= COMPARE_SLOTS) index = 0;
  const CompareRecord &other = g_CompareList[index];
  WCHAR otherTitle[COMPARE_NAME_CHARS + 32];
  StringCchPrintfW(otherTitle, ARRAYSIZE(otherTitle), L"%s, %d/%d", other.deviceName, index + 1, g_CompareCount);
  double theirs[4] = {other.cpu, other.ram, other.storage, other.video};
  RECT second = portrait ? RECT{0, h / 2 + ScaleY(20), w, h} : RECT{w / 2 + ScaleX(5), ScaleY(30), w, h};
  DrawScoreChart(dc, &second, otherTitle, labels, theirs, 10.0, 4);
}
