#include "wm.h"
#include <wincodec.h>
#include <set>
#include "testsupport.h"

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);

// Writes a w x h picture in the given container: left half red, right half magenta, one blue
// pixel at (1, 1).
bool WriteImage(const std::wstring &path, REFGUID container, UINT w, UINT h) {
  CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  IWICImagingFactory *factory = NULL;
  IWICStream *stream = NULL;
  IWICBitmapEncoder *encoder = NULL;
  IWICBitmapFrameEncode *frame = NULL;
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER,
                                       IID_IWICImagingFactory, (void **)&factory)) &&
            SUCCEEDED(factory->CreateStream(&stream)) &&
            SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
            SUCCEEDED(factory->CreateEncoder(container, NULL, &encoder)) &&
            SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
            SUCCEEDED(encoder->CreateNewFrame(&frame, NULL)) && SUCCEEDED(frame->Initialize(NULL)) &&
            SUCCEEDED(frame->SetSize(w, h));
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (ok) ok = SUCCEEDED(frame->SetPixelFormat(&format));
  if (ok && !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    // The container wants a palette (GIF): hand it one with our three colours.
    IWICPalette *palette = NULL;
    WICColor colours[4] = {0xFFFF0000, 0xFFFF00FF, 0xFF0000FF, 0xFF000000};
    ok = SUCCEEDED(factory->CreatePalette(&palette)) && SUCCEEDED(palette->InitializeCustom(colours, 4)) &&
         SUCCEEDED(frame->SetPalette(palette));
    if (palette) palette->Release();
    std::vector<BYTE> px(w * h);
    for (UINT y = 0; y < h; y++)
      for (UINT x = 0; x < w; x++) px[y * w + x] = (x == 1 && y == 1) ? 2 : (x < w / 2 ? 0 : 1);
    if (ok) ok = SUCCEEDED(frame->WritePixels(h, w, w * h, px.data()));
  } else if (ok) {
    UINT stride = (w * 3 + 3) & ~3u;
    std::vector<BYTE> px(stride * h);
    for (UINT y = 0; y < h; y++)
      for (UINT x = 0; x < w; x++) {
        BYTE *p = &px[y * stride + x * 3];
        COLORREF c = (x == 1 && y == 1) ? RGB(0, 0, 255) : (x < w / 2 ? RGB(255, 0, 0) : kMagenta);
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
      }
    ok = SUCCEEDED(frame->WritePixels(h, stride, (UINT)px.size(), px.data()));
  }
  if (ok) ok = SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
  if (frame) frame->Release();
  if (encoder) encoder->Release();
  if (stream) stream->Release();
  if (factory) factory->Release();
  return ok;
}

COLORREF PixelOf(HBITMAP bmp, int x, int y) {
  HDC dc = CreateCompatibleDC(NULL);
  HGDIOBJ old = SelectObject(dc, bmp);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return abs(GetRValue(a) - GetRValue(b)) <= tolerance && abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = MakeTempFolder(L"images"); }
  std::wstring folder_;
};

TEST_F(ImageTest, EveryFormatLoadsWithItsSizeAndColours) {
  struct Case {
    const wchar_t *name;
    GUID container;
    int tolerance;
  } cases[] = {{L"a.png", GUID_ContainerFormatPng, 0},
               {L"a.bmp", GUID_ContainerFormatBmp, 0},
               {L"a.gif", GUID_ContainerFormatGif, 0},
               {L"a.jpg", GUID_ContainerFormatJpeg, 60}};
  for (const Case &c : cases) {
    std::wstring path = folder_ + L"\\" + c.name;
    ASSERT_TRUE(WriteImage(path, c.container, 40, 22)) << c.name;
    HBITMAP bmp = SHLoadImageFile(path.c_str());
    ASSERT_NE(nullptr, bmp) << c.name;
    BITMAP info = {};
    ASSERT_EQ((int)sizeof(info), GetObjectW(bmp, sizeof(info), &info));
    EXPECT_EQ(40, info.bmWidth) << c.name;
    EXPECT_EQ(22, info.bmHeight) << c.name;
    EXPECT_TRUE(Near(RGB(255, 0, 0), PixelOf(bmp, 5, 15), c.tolerance)) << c.name;
    EXPECT_TRUE(Near(kMagenta, PixelOf(bmp, 35, 15), c.tolerance)) << c.name;
    if (!c.tolerance) {
      EXPECT_EQ(RGB(0, 0, 255), PixelOf(bmp, 1, 1)) << c.name;
    }
    DeleteObject(bmp);
  }
  // A picture whose ending names another format still loads, exactly.
  std::wstring mislabelled = folder_ + L"\\png-inside.jpg";
  ASSERT_TRUE(WriteImage(mislabelled, GUID_ContainerFormatPng, 40, 22));
  HBITMAP bmp = SHLoadImageFile(mislabelled.c_str());
  ASSERT_NE(nullptr, bmp);
  EXPECT_EQ(RGB(0, 0, 255), PixelOf(bmp, 1, 1));
  EXPECT_EQ(kMagenta, PixelOf(bmp, 35, 15));
  DeleteObject(bmp);
}

TEST_F(ImageTest, MissingEmptyAndCorruptFilesGiveNoBitmap) {
  EXPECT_EQ(nullptr, SHLoadImageFile((folder_ + L"\\missing.png").c_str()));
  EXPECT_EQ(nullptr, SHLoadImageFile(L""));
  EXPECT_EQ(nullptr, SHLoadImageFile(NULL));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\empty.png", "", 0));
  EXPECT_EQ(nullptr, SHLoadImageFile((folder_ + L"\\empty.png").c_str()));
  ASSERT_TRUE(WriteImage(folder_ + L"\\whole.png", GUID_ContainerFormatPng, 64, 64));
  std::string bytes;
  ReadFileBytes(folder_ + L"\\whole.png", &bytes);
  bytes.resize(bytes.size() / 3);  // cut short
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\short.png", bytes.data(), bytes.size()));
  HBITMAP cut = SHLoadImageFile((folder_ + L"\\short.png").c_str());
  if (cut) DeleteObject(cut);  // a decoder may keep what it read; it must not crash
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\text.jpg", "not a picture at all", 20));
  EXPECT_EQ(nullptr, SHLoadImageFile((folder_ + L"\\text.jpg").c_str()));
}

TEST_F(ImageTest, TransparentImageSkipsTheKeyFromABitmapOrADC) {
  ASSERT_TRUE(WriteImage(folder_ + L"\\key.bmp", GUID_ContainerFormatBmp, 20, 10));
  HBITMAP src = SHLoadImageFile((folder_ + L"\\key.bmp").c_str());
  ASSERT_NE(nullptr, src);
  HDC screen = GetDC(NULL);
  HDC dst = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 40, 20);
  ReleaseDC(NULL, screen);
  HGDIOBJ old = SelectObject(dst, canvas);
  RECT all = {0, 0, 40, 20};
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  FillRect(dst, &all, green);
  // From the bitmap, stretched to twice its size.
  EXPECT_TRUE(TransparentImage(dst, 0, 0, 40, 20, src, 0, 0, 20, 10, kMagenta));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dst, 4, 10));
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(dst, 30, 10));  // magenta let the green through
  // From a DC, one to one.
  FillRect(dst, &all, green);
  HDC srcDc = CreateCompatibleDC(dst);
  HGDIOBJ oldSrc = SelectObject(srcDc, src);
  EXPECT_TRUE(TransparentImage(dst, 0, 0, 20, 10, srcDc, 0, 0, 20, 10, kMagenta));
  EXPECT_EQ(RGB(255, 0, 0), GetPixel(dst, 2, 5));
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(dst, 15, 5));
  EXPECT_EQ(RGB(0, 128, 0), GetPixel(dst, 30, 5));
  SelectObject(srcDc, oldSrc);
  DeleteDC(srcDc);
  EXPECT_FALSE(TransparentImage(dst, 0, 0, 20, 10, NULL, 0, 0, 20, 10, kMagenta));
  SelectObject(dst, old);
  DeleteObject(green);
  DeleteObject(canvas);
  DeleteDC(dst);
  DeleteObject(src);
}

// Pictures made by other tools decode through a converter that may set the unused pixel byte: the
// key must still hold. The installed close-button frames and small button have magenta corners.
TEST_F(ImageTest, TransparentImageKeysInstalledPictures) {
  for (const wchar_t *name : {L"buttonsmall.png", L"quitlet.gif"}) {
    HBITMAP src = SHLoadImageFile((InstallFolder() + L"\\Images\\" + name).c_str());
    ASSERT_NE(nullptr, src);
    HDC dst = CreateCompatibleDC(NULL);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 20;
    bi.bmiHeader.biHeight = -20;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP canvas = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HGDIOBJ old = SelectObject(dst, canvas);
    RECT all = {0, 0, 20, 20};
    HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
    FillRect(dst, &all, green);
    EXPECT_TRUE(TransparentImage(dst, 0, 0, 20, 20, src, 0, 0, 20, 20, kMagenta));
    EXPECT_EQ(RGB(0, 128, 0), GetPixel(dst, 0, 0));
    EXPECT_NE(RGB(0, 128, 0), GetPixel(dst, 17, 17));
    EXPECT_NE(kMagenta, GetPixel(dst, 17, 17));
    SelectObject(dst, old);
    DeleteObject(green);
    DeleteObject(canvas);
    DeleteDC(dst);
    DeleteObject(src);
  }
  // Shrunk to half size from a DC, as the pages draw on a small screen: every pixel is the background
  // or one of the picture's own colours, never the key blended into an edge.
  HBITMAP button = SHLoadImageFile((InstallFolder() + L"\\Images\\buttonsmall.png").c_str());
  ASSERT_NE(nullptr, button);
  BITMAP info = {};
  GetObjectW(button, sizeof(info), &info);
  HDC srcDc = CreateCompatibleDC(NULL);
  HGDIOBJ oldSrc = SelectObject(srcDc, button);
  std::set<COLORREF> own;
  for (int y = 0; y < info.bmHeight; y++)
    for (int x = 0; x < info.bmWidth; x++) own.insert(GetPixel(srcDc, x, y));
  HDC screen = GetDC(NULL);
  HDC dst = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, info.bmWidth / 2, info.bmHeight / 2);
  ReleaseDC(NULL, screen);
  HGDIOBJ old = SelectObject(dst, canvas);
  RECT all = {0, 0, info.bmWidth / 2, info.bmHeight / 2};
  HBRUSH green = CreateSolidBrush(RGB(0, 128, 0));
  FillRect(dst, &all, green);
  EXPECT_TRUE(TransparentImage(dst, 0, 0, all.right, all.bottom, srcDc, 0, 0, info.bmWidth, info.bmHeight, kMagenta));
  int blended = 0, background = 0;
  for (int y = 0; y < all.bottom; y++)
    for (int x = 0; x < all.right; x++) {
      COLORREF c = GetPixel(dst, x, y);
      background += c == RGB(0, 128, 0);
      blended += c != RGB(0, 128, 0) && !own.count(c);
    }
  EXPECT_EQ(0, blended) << "pixels of the shrunk picture that are none of its colours";
  EXPECT_GT(background, 0) << "the corners let the background through";
  SelectObject(dst, old);
  SelectObject(srcDc, oldSrc);
  DeleteObject(green);
  DeleteObject(canvas);
  DeleteDC(dst);
  DeleteDC(srcDc);
  DeleteObject(button);
}

}  // namespace
