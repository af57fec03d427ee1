// Skin images: loaded once at start from the installation's "Images" folder, freed at window destruction.
#include "skin.h"
#include "debuglog.h"
#include "screen.h"
#include "paths.h"
#include "settings.h"
#include "wm.h"
#include <objbase.h>
#include <strsafe.h>

SkinImage g_Skin[SKIN_IMAGE_COUNT];

static const LPCWSTR kSkinFiles[SKIN_IMAGE_COUNT] = {
    L"item.jpg",          L"scrollbar.png",   L"scrollup.jpg",         L"scrollup_push.jpg",
    L"scrolldown.jpg",    L"scrolldown_push.jpg", L"button.png",       L"button_push.png",
    L"cpuusage.png",      L"ind_on.png",      L"ind_off.png",          L"sliderbar.jpg",
    L"slider.jpg",        L"ind_db_on.jpg",   L"ind_db_off.jpg",       L"buttonsmall.png",
    L"buttonsmall_push.png", L"item_on.jpg",  L"item_off.jpg",         L"logo.png",
};

LPCWSTR SkinImageFile(int image) {
  return image >= 0 && image < SKIN_IMAGE_COUNT ? kSkinFiles[image] : NULL;
}

static void FreeSizedPictures(void);

static WCHAR g_SkinFolder[MAX_PATH];
static HANDLE g_SkinLoader;

// Decodes every file of g_SkinFolder into the table; on any thread (the bitmaps are the process's).
static DWORD WINAPI DecodeSkinFiles(LPVOID) {
  // Held over all the images: each load would otherwise start and tear down the image decoders anew.
  HRESULT com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    WCHAR path[MAX_PATH];
    // No folder (no installation) or a path that would be cut: the image is missing.
    g_Skin[i].bitmap = g_SkinFolder[0] && SUCCEEDED(StringCchPrintfW(path, MAX_PATH, L"%s%s", g_SkinFolder,
                                                                     kSkinFiles[i]))
                           ? SHLoadImageFile(path)
                           : NULL;
    if (!g_Skin[i].bitmap) WriteDebugLog(LOG_GUI, L"LoadSkinImages: [%s] not loaded", kSkinFiles[i]);
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}

static void WaitForSkinLoader(void) {
  if (!g_SkinLoader) return;
  WaitForSingleObject(g_SkinLoader, INFINITE);
  CloseHandle(g_SkinLoader);
  g_SkinLoader = NULL;
}

void BeginLoadSkinImages(void) {
  WriteDebugLog(LOG_GUI, L"+LoadSkinImages call.");
  FreeSkinImages();
  StringCchCopyW(g_SkinFolder, MAX_PATH, GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"Images", L""));
  g_SkinLoader = CreateThread(NULL, 0, DecodeSkinFiles, NULL, 0, NULL);
  if (!g_SkinLoader) DecodeSkinFiles(NULL);
}

void EndLoadSkinImages(void) {
  WaitForSkinLoader();
  // A bitmap whose description cannot be read counts as missing: its controls collapse.
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    if (g_Skin[i].bitmap && !GetObjectW(g_Skin[i].bitmap, sizeof(BITMAP), &g_Skin[i].info)) {
      DeleteObject(g_Skin[i].bitmap);
      g_Skin[i].bitmap = NULL;
    }
    if (!g_Skin[i].bitmap) ZeroMemory(&g_Skin[i].info, sizeof(BITMAP));
  }
  WriteDebugLog(LOG_GUI, L"-LoadSkinImages done.");
}

void LoadSkinImages(void) {
  BeginLoadSkinImages();
  EndLoadSkinImages();
}

void FreeSkinImages(void) {
  WaitForSkinLoader();
  FreeSizedPictures();
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    if (g_Skin[i].bitmap) DeleteObject(g_Skin[i].bitmap);
    g_Skin[i].bitmap = NULL;
    ZeroMemory(&g_Skin[i].info, sizeof(BITMAP));
  }
}

int SkinW(int image) {
  if (image < 0 || image >= SKIN_IMAGE_COUNT) return 0;
  return ScaleX(g_Skin[image].info.bmWidth / 2);
}

int SkinH(int image) {
  if (image < 0 || image >= SKIN_IMAGE_COUNT) return 0;
  return ScaleY(g_Skin[image].info.bmHeight / 2);
}

// A picture as it is drawn: resized to its place once, and for a keyed one its mask (white where the
// key colour lets the page show through) with the key colour made black in the picture. Resizing
// and keying at every call cost a few tenths of a millisecond each, dozens of times per page; made
// once, drawing is one or two plain copies with the same result.
struct SizedPicture {
  HBITMAP source;
  int image, srcX, srcY, srcW, srcH, w, h;
  bool keyed;
  HBITMAP mask, picture;  // picture 0: slot unused; mask 0 unless keyed
};
static SizedPicture g_Sized[48];
static int g_NextSized;

static void DeleteSizedPicture(SizedPicture *k) {
  if (k->mask) DeleteObject(k->mask);
  if (k->picture) DeleteObject(k->picture);
  k->mask = k->picture = NULL;
}

static void FreeSizedPictures(void) {
  for (SizedPicture &k : g_Sized) DeleteSizedPicture(&k);
  g_NextSized = 0;
}

static bool MakeSizedPicture(HDC dc, HDC src, SizedPicture *k) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = k->w;
  info.bmiHeader.biHeight = k->h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;  // no alpha byte to carry into the page
  void *bits = NULL;
  k->picture = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (k->keyed) k->mask = CreateBitmap(k->w, k->h, 1, 1, NULL);
  HDC work = CreateCompatibleDC(dc), mask = k->keyed ? CreateCompatibleDC(dc) : NULL;
  bool ok = k->picture && work && (!k->keyed || (k->mask && mask));
  if (ok) {
    HGDIOBJ oldWork = SelectObject(work, k->picture);
    // A keyed picture is resized with whole pixels, so that the key colour never blends into its
    // edges; the others are smoothed, as a picture shrunk to half size would darken otherwise.
    SetStretchBltMode(work, k->keyed ? COLORONCOLOR : HALFTONE);
    SetBrushOrgEx(work, 0, 0, NULL);
    ok = StretchBlt(work, 0, 0, k->w, k->h, src, k->srcX, k->srcY, k->srcW, k->srcH, SRCCOPY);
    if (k->keyed) {
      HGDIOBJ oldMask = SelectObject(mask, k->mask);
      SetBkColor(work, SKIN_KEY_COLOUR);
      ok = ok && BitBlt(mask, 0, 0, k->w, k->h, work, 0, 0, SRCCOPY);
      SetBkColor(work, RGB(0, 0, 0));
      SetTextColor(work, RGB(255, 255, 255));
      ok = ok && BitBlt(work, 0, 0, k->w, k->h, mask, 0, 0, SRCAND);
      SelectObject(mask, oldMask);
    }
    SelectObject(work, oldWork);
  }
  if (work) DeleteDC(work);
  if (mask) DeleteDC(mask);
  if (!ok) DeleteSizedPicture(k);
  return ok;
}

// The picture made for this place, made now if it is new; NULL when it cannot be made.
static const SizedPicture *SizedPictureOf(HDC dc, HDC src, int image, bool keyed, int w, int h, int srcX, int srcY,
                                          int srcW, int srcH) {
  for (const SizedPicture &k : g_Sized)
    if (k.picture && k.source == g_Skin[image].bitmap && k.image == image && k.keyed == keyed && k.w == w && k.h == h && k.srcX == srcX &&
        k.srcY == srcY && k.srcW == srcW && k.srcH == srcH)
      return &k;
  if (w <= 0 || h <= 0 || srcW <= 0 || srcH <= 0) return NULL;
  SizedPicture *slot = &g_Sized[g_NextSized];
  g_NextSized = (g_NextSized + 1) % (int)ARRAYSIZE(g_Sized);
  DeleteSizedPicture(slot);
  *slot = {g_Skin[image].bitmap, image, srcX, srcY, srcW, srcH, w, h, keyed, NULL, NULL};
  return MakeSizedPicture(dc, src, slot) ? slot : NULL;
}

// Through mem, the memory DC the caller already has: its own picture is selected again afterwards.
static void DrawSized(HDC dc, HDC mem, int x, int y, const SizedPicture *k) {
  HGDIOBJ old;
  if (k->keyed) {
    COLORREF back = SetBkColor(dc, RGB(255, 255, 255)), text = SetTextColor(dc, RGB(0, 0, 0));
    old = SelectObject(mem, k->mask);
    BitBlt(dc, x, y, k->w, k->h, mem, 0, 0, SRCAND);
    SelectObject(mem, k->picture);
    BitBlt(dc, x, y, k->w, k->h, mem, 0, 0, SRCPAINT);
    SetBkColor(dc, back);
    SetTextColor(dc, text);
  } else {
    old = SelectObject(mem, k->picture);
    BitBlt(dc, x, y, k->w, k->h, mem, 0, 0, SRCCOPY);
  }
  SelectObject(mem, old);
}

static void CopySkinBitmap(HDC dc, int image, int x, int y, int w, int h, bool transparent, bool stretch,
                           int srcX, int srcY, int srcW, int srcH) {
  if (!dc || image < 0 || image >= SKIN_IMAGE_COUNT || !g_Skin[image].bitmap) return;
  HDC mem = CreateCompatibleDC(dc);
  if (!mem) return;
  HGDIOBJ old = SelectObject(mem, g_Skin[image].bitmap);
  // A picture drawn at its own size needs neither resizing nor a copy kept.
  bool resized = stretch && (w != srcW || h != srcH);
  const SizedPicture *sized =
      transparent || resized ? SizedPictureOf(dc, mem, image, transparent, w, h, srcX, srcY, srcW, srcH) : NULL;
  if (sized) {
    DrawSized(dc, mem, x, y, sized);
  } else if (transparent) {
    TransparentImage(dc, x, y, w, h, mem, srcX, srcY, srcW, srcH, SKIN_KEY_COLOUR);
  } else if (stretch) {
    // The default mode ANDs the dropped pixels together: a skin shrunk to half size would darken.
    int oldMode = SetStretchBltMode(dc, HALFTONE);
    POINT oldOrigin;
    SetBrushOrgEx(dc, 0, 0, &oldOrigin);
    StretchBlt(dc, x, y, w, h, mem, srcX, srcY, srcW, srcH, SRCCOPY);
    SetStretchBltMode(dc, oldMode);
    SetBrushOrgEx(dc, oldOrigin.x, oldOrigin.y, NULL);
  } else {
    BitBlt(dc, x, y, w, h, mem, srcX, srcY, SRCCOPY);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
}

void DrawSkinImage(HDC dc, const SkinDraw &what) {
  CopySkinBitmap(dc, what.image, what.x, what.y, what.w, what.h, what.transparent, what.stretch, what.srcX, what.srcY,
                 what.srcW, what.srcH);
}

void DrawSkinImageNumber(HDC dc, int image, int x, int y, int w, int h, bool transparent, bool stretch) {
  if (image < 0 || image >= SKIN_IMAGE_COUNT) return;
  CopySkinBitmap(dc, image, x, y, w, h, transparent, stretch, 0, 0, g_Skin[image].info.bmWidth,
                 g_Skin[image].info.bmHeight);
}
