// Image files to bitmaps through the imaging component, and the colour-keyed copy.
#include "wm.h"
#include <wincodec.h>

namespace {

template <class T> void Release(T *&p) {
  if (p) p->Release();
  p = NULL;
}

// The decoder a file's ending names, created directly: asking the factory to find one reads the
// description of every decoder it knows for every image. NULL for another ending, or when the file is
// not what its ending says; the caller then lets the factory look.
IWICBitmapDecoder *DecoderByEnding(IWICImagingFactory *factory, LPCWSTR fileName) {
  static const struct {
    LPCWSTR ending;
    const CLSID *decoder;
  } kDecoders[] = {{L".png", &CLSID_WICPngDecoder}, {L".jpg", &CLSID_WICJpegDecoder},
                   {L".jpeg", &CLSID_WICJpegDecoder}, {L".gif", &CLSID_WICGifDecoder},
                   {L".bmp", &CLSID_WICBmpDecoder}};
  LPCWSTR dot = wcsrchr(fileName, L'.');
  if (!dot || wcschr(dot, L'\\')) return NULL;
  const CLSID *clsid = NULL;
  for (const auto &d : kDecoders)
    if (!lstrcmpiW(dot, d.ending)) clsid = d.decoder;
  if (!clsid) return NULL;
  IWICBitmapDecoder *decoder = NULL;
  IWICStream *stream = NULL;
  HRESULT hr = CoCreateInstance(*clsid, NULL, CLSCTX_INPROC_SERVER, IID_IWICBitmapDecoder, (void **)&decoder);
  if (SUCCEEDED(hr)) hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr)) hr = stream->InitializeFromFilename(fileName, GENERIC_READ);
  if (SUCCEEDED(hr)) hr = decoder->Initialize(stream, WICDecodeMetadataCacheOnDemand);
  // The decoder keeps its own reference to the stream.
  Release(stream);
  if (FAILED(hr)) Release(decoder);
  return decoder;
}

}  // namespace

HBITMAP SHLoadImageFile(LPCWSTR fileName) {
  if (!fileName || !fileName[0]) return NULL;
  HRESULT init = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
  IWICImagingFactory *factory = NULL;
  IWICBitmapDecoder *decoder = NULL;
  IWICBitmapFrameDecode *frame = NULL;
  IWICFormatConverter *converter = NULL;
  HBITMAP bitmap = NULL;
  UINT w = 0, h = 0;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, NULL, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                (void **)&factory);
  if (SUCCEEDED(hr) && !(decoder = DecoderByEnding(factory, fileName)))
    hr = factory->CreateDecoderFromFilename(fileName, NULL, GENERIC_READ, WICDecodeMetadataCacheOnDemand,
                                            &decoder);
  if (SUCCEEDED(hr)) hr = decoder->GetFrame(0, &frame);
  if (SUCCEEDED(hr)) hr = factory->CreateFormatConverter(&converter);
  // Plain colour pixels: transparency on the handheld is a colour key, never alpha. (Palette images
  // convert to 32-bit pixels only.)
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame, GUID_WICPixelFormat32bppBGR, WICBitmapDitherTypeNone, NULL, 0.0,
                               WICBitmapPaletteTypeCustom);
  if (SUCCEEDED(hr)) hr = converter->GetSize(&w, &h);
  if (SUCCEEDED(hr) && (w == 0 || h == 0 || w > 16384 || h > 16384)) hr = E_FAIL;
  if (SUCCEEDED(hr)) {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = (LONG)w;
    bi.bmiHeader.biHeight = -(LONG)h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void *bits = NULL;
    bitmap = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    UINT stride = w * 4;
    if (bitmap && FAILED(converter->CopyPixels(NULL, stride, stride * h, (BYTE *)bits))) {
      DeleteObject(bitmap);
      bitmap = NULL;
    }
    // The converter may fill the unused fourth byte with 0xFF; GDI then no longer sees the key
    // colour in the pixel and a transparent copy keeps the magenta.
    if (bitmap) {
      DWORD *px = (DWORD *)bits;
      for (UINT i = 0; i < w * h; i++) px[i] &= 0x00FFFFFF;
    }
  }
  Release(converter);
  Release(frame);
  Release(decoder);
  Release(factory);
  if (SUCCEEDED(init)) CoUninitialize();
  return bitmap;
}

// Resized first with whole pixels: the desktop's own resize inside TransparentBlt ANDs neighbouring
// pixels together, so the key colour would bleed into the edges of a shrunk picture and show.
static BOOL KeyedBlt(HDC hdcDest, LONG dstX, LONG dstY, LONG dstCx, LONG dstCy, HDC src, LONG srcX, LONG srcY,
                     LONG srcCx, LONG srcCy, COLORREF transparent) {
  if (dstCx == srcCx && dstCy == srcCy)
    return TransparentBlt(hdcDest, dstX, dstY, dstCx, dstCy, src, srcX, srcY, srcCx, srcCy, transparent);
  if (dstCx <= 0 || dstCy <= 0) return FALSE;
  HDC sized = CreateCompatibleDC(hdcDest);
  HBITMAP bitmap = sized ? CreateCompatibleBitmap(hdcDest, dstCx, dstCy) : NULL;
  BOOL ok = FALSE;
  if (bitmap) {
    HGDIOBJ old = SelectObject(sized, bitmap);
    SetStretchBltMode(sized, COLORONCOLOR);
    ok = StretchBlt(sized, 0, 0, dstCx, dstCy, src, srcX, srcY, srcCx, srcCy, SRCCOPY) &&
         TransparentBlt(hdcDest, dstX, dstY, dstCx, dstCy, sized, 0, 0, dstCx, dstCy, transparent);
    SelectObject(sized, old);
    DeleteObject(bitmap);
  }
  if (sized) DeleteDC(sized);
  return ok;
}

BOOL TransparentImage(HDC hdcDest, LONG dstX, LONG dstY, LONG dstCx, LONG dstCy, HANDLE hSrc, LONG srcX,
                      LONG srcY, LONG srcCx, LONG srcCy, COLORREF transparent) {
  if (!hdcDest || !hSrc) return FALSE;
  if (GetObjectType(hSrc) != OBJ_BITMAP)
    return KeyedBlt(hdcDest, dstX, dstY, dstCx, dstCy, (HDC)hSrc, srcX, srcY, srcCx, srcCy, transparent);
  // The handheld also takes a bitmap as source.
  HDC mem = CreateCompatibleDC(hdcDest);
  if (!mem) return FALSE;
  HGDIOBJ old = SelectObject(mem, hSrc);
  BOOL ok = KeyedBlt(hdcDest, dstX, dstY, dstCx, dstCy, mem, srcX, srcY, srcCx, srcCy, transparent);
  SelectObject(mem, old);
  DeleteDC(mem);
  return ok;
}
