// The About overlay: product name and version over the page background, the legal and maker's notices.
#include "mainwindow.h"
#include "device.h"
#include "drawtext.h"
#include "settings.h"

#define ABOUT_FACE L"verdana"
#define DEFAULT_VERSION L"2.0.Beta"

static const WCHAR kLegalNotice[] =
    L"This program is protected by copyright law and international treaties. Unauthorised reproduction or "
    L"distribution of this program, or any part of it, may result in severe civil and criminal penalties.";
static const WCHAR kMakerNotice[] = L"\x00A9 2004-2026 Ondrel Software";

void DrawAboutOverlay(HDC dc, const RECT *client) {
  int w = client->right;
  HBRUSH background = CreateSolidBrush(PAGE_BACKGROUND);
  FillRect(dc, client, background);
  DeleteObject(background);

  // Only a string counts; an empty one reads as the default too.
  WCHAR version[256];
  ReadMachineText(PRODUCT_KEY, L"Version", version, ARRAYSIZE(version), DEFAULT_VERSION);
  if (!version[0]) lstrcpyW(version, DEFAULT_VERSION);

  RECT band = {0, 0, w, ScaleY(60)};
  DrawTextInFont(ABOUT_FACE, 2 * ScaleY(14), 100, PRODUCT_COLOUR, dc, VANTORA_TITLE, &band,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  band = {0, 0, w, ScaleY(60)};
  // DT_BOTTOM places text only on a single line; without it the version would sit at the band's top.
  DrawTextInFont(ABOUT_FACE, ScaleY(14), 100, PRODUCT_COLOUR, dc, version, &band,
                 DT_CENTER | DT_BOTTOM | DT_SINGLELINE);
  RECT legal = {ScaleX(10), ScaleY(60), w - ScaleX(10), ScaleY(140)};
  DrawTextInFont(ABOUT_FACE, ScaleY(13), 100, RGB(0, 0, 0), dc, kLegalNotice, &legal, DT_CENTER | DT_WORDBREAK);
  RECT maker = {0, ScaleY(170), w, ScaleY(190)};
  DrawTextInFont(ABOUT_FACE, ScaleY(12), 600, RGB(0, 0, 0), dc, kMakerNotice, &maker,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
