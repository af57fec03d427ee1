// Drawing primitives into bitmaps, checked at a few pixels.
#include "shelltest.h"
#include "drawtext.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255), kBlue = RGB(0, 0, 255), kGreen = RGB(0, 255, 0),
               kGrey = RGB(201, 199, 199);

// A 32-bit DIB section with its own memory DC, filled with one colour.
class Canvas {
 public:
  Canvas(int w, int h, COLORREF fill) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    bitmap_ = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    dc_ = CreateCompatibleDC(NULL);
    old_ = SelectObject(dc_, bitmap_);
    RECT rc = {0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_, &rc, brush);
    DeleteObject(brush);
  }
  ~Canvas() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return dc_; }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
  HBITMAP Detach() {
    SelectObject(dc_, old_);
    HBITMAP b = bitmap_;
    bitmap_ = NULL;
    return b;
  }

 private:
  HBITMAP bitmap_;
  HDC dc_;
  HGDIOBJ old_;
};

// An 8 x 8 skin picture: magenta with a blue 4 x 4 square in the middle.
HBITMAP MakeKeyedPicture() {
  Canvas c(8, 8, kMagenta);
  RECT square = {2, 2, 6, 6};
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(c.dc(), &square, blue);
  DeleteObject(blue);
  return c.Detach();
}

void InstallPicture(int image, HBITMAP bitmap) {
  if (g_Skin[image].bitmap) DeleteObject(g_Skin[image].bitmap);
  g_Skin[image].bitmap = bitmap;
  GetObjectW(bitmap, sizeof(BITMAP), &g_Skin[image].info);
}

class DrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    UseScreen({240, 320});
    ZeroMemory(&g_Pages[PAGE_DISPLAY], sizeof(PageModel));
    g_Main.currentPage = PAGE_DISPLAY;
  }
  void TearDown() override { FreeSkinImages(); }
};

TEST_F(DrawTest, SkinImagePlainStretchedAndKeyed) {
  InstallPicture(IMG_BUTTONSMALL, MakeKeyedPicture());
  PageControl *c = &g_Pages[PAGE_DISPLAY].controls[4];
  c->image = IMG_BUTTONSMALL;
  Canvas canvas(80, 80, kGreen);

  DrawSkinImage(canvas.dc(), {c->image, 10, 10, 8, 8, false, false, 0, 0, 8, 8});
  EXPECT_EQ(kMagenta, canvas.At(10, 10));
  EXPECT_EQ(kBlue, canvas.At(12, 12));
  EXPECT_EQ(kBlue, canvas.At(15, 15));
  EXPECT_EQ(kMagenta, canvas.At(16, 16));
  EXPECT_EQ(kGreen, canvas.At(18, 18));

  // Twice the size: the square covers 4..11 of the 16 x 16 destination.
  DrawSkinImage(canvas.dc(), {c->image, 20, 20, 16, 16, false, true, 0, 0, 8, 8});
  EXPECT_EQ(kMagenta, canvas.At(21, 21));
  EXPECT_EQ(kBlue, canvas.At(26, 26));
  EXPECT_EQ(kBlue, canvas.At(29, 29));
  EXPECT_EQ(kMagenta, canvas.At(34, 34));
  EXPECT_EQ(kGreen, canvas.At(36, 36));

  // Keyed: magenta lets the background through, also when stretched.
  DrawSkinImage(canvas.dc(), {c->image, 40, 40, 16, 16, true, true, 0, 0, 8, 8});
  EXPECT_EQ(kGreen, canvas.At(41, 41));
  EXPECT_EQ(kBlue, canvas.At(48, 48));
  EXPECT_EQ(kGreen, canvas.At(54, 54));
  EXPECT_EQ(kGreen, canvas.At(60, 60));
}

TEST_F(DrawTest, SubElementsAndControlsWithoutPictureDraw) {
  InstallPicture(IMG_BUTTONSMALL, MakeKeyedPicture());
  PageControl *c = &g_Pages[PAGE_DISPLAY].controls[6];
  c->image = IMG_NONE;
  c->sub[2].image = IMG_BUTTONSMALL;
  Canvas canvas(20, 20, kGreen);
  DrawSkinImage(canvas.dc(), {c->image, 0, 0, 8, 8, false, false, 0, 0, 8, 8});
  EXPECT_EQ(kGreen, canvas.At(3, 3));  // the control itself has no picture
  DrawSkinImage(canvas.dc(), {c->sub[2].image, 0, 0, 8, 8, false, false, 0, 0, 8, 8});
  EXPECT_EQ(kBlue, canvas.At(3, 3));
  // Out-of-range pictures are ignored.
  DrawSkinImage(canvas.dc(), {SKIN_IMAGE_COUNT, 10, 10, 8, 8, false, false, 0, 0, 8, 8});
  DrawSkinImage(canvas.dc(), {-2, 10, 10, 8, 8, false, false, 0, 0, 8, 8});
  EXPECT_EQ(kGreen, canvas.At(13, 13));
}

TEST_F(DrawTest, ShippedSkinDrawsAtItsLayoutSize) {
  LoadSkinImages();
  // The small button at 240 x 320: 18 x 18, keyed corners show the page, the face does not.
  EXPECT_EQ(18, SkinW(IMG_BUTTONSMALL));
  Canvas canvas(240, 60, kGrey);
  DrawSkinImageNumber(canvas.dc(), IMG_BUTTONSMALL, 0, 0, 18, 18, true, true);
  EXPECT_EQ(kGrey, canvas.At(0, 0));
  COLORREF face = canvas.At(9, 9);
  EXPECT_NE(kGrey, face);
  EXPECT_NE(kMagenta, face);
  // A row background stretched to its control leaves no magenta behind.
  DrawSkinImageNumber(canvas.dc(), IMG_ITEM, 0, 20, 240, 40, false, true);
  for (int x = 0; x < 240; x += 7) EXPECT_NE(kMagenta, canvas.At(x, 40)) << x;
}

// Every shipped picture, keyed or smoothed to its place, at its layout size and at the other screen
// size's, drawn the first time and again from what the skin keeps: pixel for pixel what a keyed copy
// or a smoothed stretch of the file's picture gives.
TEST_F(DrawTest, ShippedPicturesDrawTheSameEveryTime) {
  LoadSkinImages();
  for (int image = 0; image < SKIN_IMAGE_COUNT; image++) {
    const BITMAP &info = g_Skin[image].info;
    ASSERT_NE(nullptr, g_Skin[image].bitmap) << image;
    for (int half = 0; half < 2; half++) {
      int w = half ? info.bmWidth / 2 : SkinW(image) + 3, h = half ? info.bmHeight / 2 : SkinH(image) + 1;
      for (int keyed = 0; keyed < 2; keyed++) {
        Canvas want(w, h, kGrey), first(w, h, kGrey), again(w, h, kGrey);
        HDC src = CreateCompatibleDC(want.dc());
        HGDIOBJ old = SelectObject(src, g_Skin[image].bitmap);
        if (keyed) {
          TransparentImage(want.dc(), 0, 0, w, h, src, 0, 0, info.bmWidth, info.bmHeight, SKIN_KEY_COLOUR);
        } else {
          SetStretchBltMode(want.dc(), HALFTONE);
          SetBrushOrgEx(want.dc(), 0, 0, NULL);
          StretchBlt(want.dc(), 0, 0, w, h, src, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        }
        SelectObject(src, old);
        DeleteDC(src);
        DrawSkinImageNumber(first.dc(), image, 0, 0, w, h, keyed, true);
        DrawSkinImageNumber(again.dc(), image, 0, 0, w, h, keyed, true);
        int differ = 0;
        for (int y = 0; y < h; y++)
          for (int x = 0; x < w; x++) differ += (first.At(x, y) != want.At(x, y)) + (again.At(x, y) != want.At(x, y));
        EXPECT_EQ(0, differ) << SkinImageFile(image) << " at " << w << " x " << h << (keyed ? ", keyed" : "");
      }
    }
  }
}

// Bounding box of the pixels of one colour family (mostly blue).
RECT InkBox(const Canvas &c, int w, int h, int *count) {
  RECT box = {w, h, -1, -1};
  *count = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      COLORREF p = c.At(x, y);
      if (GetBValue(p) > 128 && GetRValue(p) < 128 && GetGValue(p) < 128) {
        (*count)++;
        if (x < box.left) box.left = x;
        if (y < box.top) box.top = y;
        if (x > box.right) box.right = x;
        if (y > box.bottom) box.bottom = y;
      }
    }
  return box;
}

TEST_F(DrawTest, TextInFontUsesItsHeightColourAndFlags) {
  const UINT centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  Canvas big(200, 60, RGB(255, 255, 255));
  HGDIOBJ fontBefore = GetCurrentObject(big.dc(), OBJ_FONT);
  RECT rc = {0, 0, 200, 60};
  EXPECT_GT(DrawTextInFont(L"Tahoma", 40, 700, kBlue, big.dc(), L"HH", &rc, centred), 0);
  EXPECT_EQ(fontBefore, GetCurrentObject(big.dc(), OBJ_FONT));  // restored
  EXPECT_EQ(RGB(255, 255, 255), big.At(0, 0));                   // transparent background
  int bigInk = 0;
  RECT bigBox = InkBox(big, 200, 60, &bigInk);
  ASSERT_GT(bigInk, 50);
  // Centred both ways, within a few pixels.
  EXPECT_NEAR(100, (bigBox.left + bigBox.right) / 2, 4);
  EXPECT_NEAR(30, (bigBox.top + bigBox.bottom) / 2, 6);

  Canvas small(200, 60, RGB(255, 255, 255));
  DrawTextInFont(L"Tahoma", 14, 100, kBlue, small.dc(), L"HH", &rc, DT_LEFT | DT_TOP | DT_SINGLELINE);
  int smallInk = 0;
  RECT smallBox = InkBox(small, 200, 60, &smallInk);
  ASSERT_GT(smallInk, 5);
  EXPECT_LT(smallBox.bottom - smallBox.top, bigBox.bottom - bigBox.top);
  EXPECT_LT(smallBox.left, 6);
  EXPECT_LT(smallBox.top, 8);

  EXPECT_EQ(0, DrawTextInFont(L"Tahoma", 14, 100, kBlue, NULL, L"HH", &rc, 0));
  EXPECT_EQ(0, DrawTextInFont(L"Tahoma", 14, 100, kBlue, small.dc(), NULL, &rc, 0));
}

}  // namespace
