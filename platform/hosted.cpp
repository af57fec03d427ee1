// Child windows on another program's window. The device draws each top-level window from the
// pixels its own program keeps, so a child that another program put on it paints into nothing.
// Such a child paints into a shared bitmap named after its handle instead, tells the top-level
// window, and that window's program draws the bitmap where the child lies.
#include "wm.h"
#include <strsafe.h>

namespace {

const DWORD kMagic = 0x44534F48;  // "HOSD"
const COLORREF kKey = RGB(255, 0, 255);
const DWORD kKeyPixel = 0x00FF00FF;  // the key as a 32-bit DIB pixel
const int kMaxSurfaces = 8;

struct SharedHeader {
  DWORD magic;
  LONG width, height;
  DWORD reserved;  // keeps the pixels 16-byte aligned
};

struct Surface {
  HWND hwnd;
  HANDLE mapping;
  HBITMAP dib;
  DWORD *pixels;
  SharedHeader *header;
  int width, height;
  HDC memory;
  HGDIOBJ oldBitmap;
  HDC screen;  // the DC BeginPaint gave, handed back to EndPaint
};

Surface g_Surfaces[kMaxSurfaces];

void SharedName(HWND hwnd, WCHAR *name, size_t chars) {
  StringCchPrintfW(name, chars, L"Local\\HHHostedPixels-%IX", (ULONG_PTR)hwnd);
}

bool HostedElsewhere(HWND hwnd) {
  if (!(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) return false;
  HWND top = GetAncestor(hwnd, GA_ROOT);
  DWORD processId = 0;
  GetWindowThreadProcessId(top, &processId);
  return top && top != hwnd && processId != GetCurrentProcessId();
}

void Release(Surface *s) {
  if (s->memory) {
    SelectObject(s->memory, s->oldBitmap);
    DeleteDC(s->memory);
  }
  if (s->dib) DeleteObject(s->dib);
  if (s->header) UnmapViewOfFile(s->header);
  if (s->mapping) CloseHandle(s->mapping);
  ZeroMemory(s, sizeof(*s));
}

// The shared bitmap of a window at its present size, made (or made again) as needed.
Surface *SurfaceFor(HWND hwnd, int width, int height) {
  Surface *free = NULL, *found = NULL;
  for (Surface &s : g_Surfaces) {
    if (s.hwnd && !IsWindow(s.hwnd)) Release(&s);  // a window that is gone
    if (s.hwnd == hwnd) found = &s;
    if (!s.hwnd && !free) free = &s;
  }
  if (found && found->width == width && found->height == height) return found;
  if (found) Release(found);
  Surface *s = found ? found : free;
  if (!s || width <= 0 || height <= 0) return NULL;
  WCHAR name[64];
  SharedName(hwnd, name, ARRAYSIZE(name));
  DWORD bytes = sizeof(SharedHeader) + (DWORD)width * height * 4;
  s->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, bytes, name);
  if (!s->mapping) return NULL;
  s->header = (SharedHeader *)MapViewOfFile(s->mapping, FILE_MAP_WRITE, 0, 0, sizeof(SharedHeader));
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = NULL;
  s->dib = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, s->mapping, sizeof(SharedHeader));
  s->memory = CreateCompatibleDC(NULL);
  if (!s->header || !s->dib || !s->memory) {
    Release(s);
    return NULL;
  }
  s->hwnd = hwnd;
  s->pixels = (DWORD *)bits;
  s->width = width;
  s->height = height;
  s->oldBitmap = SelectObject(s->memory, s->dib);
  for (int i = 0; i < width * height; i++) s->pixels[i] = kKeyPixel;
  s->header->width = width;
  s->header->height = height;
  s->header->magic = kMagic;
  return s;
}

struct HostWalk {
  HWND host;
  HDC hostPixels;
};

void DrawOneChild(HWND host, HDC hostPixels, HWND child) {
  WCHAR name[64];
  SharedName(child, name, ARRAYSIZE(name));
  HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
  if (!mapping) return;
  const SharedHeader *header = (const SharedHeader *)MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  RECT rc;
  GetClientRect(child, &rc);
  MapWindowPoints(child, host, (POINT *)&rc, 2);
  int w = rc.right - rc.left, h = rc.bottom - rc.top;
  if (header && header->magic == kMagic && header->width == w && header->height == h && w > 0 && h > 0) {
    const DWORD *childPixels = (const DWORD *)(header + 1);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP composed = CreateDIBSection(NULL, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC memory = CreateCompatibleDC(hostPixels);
    if (composed && memory) {
      HGDIOBJ old = SelectObject(memory, composed);
      // The host's own pixels where the child leaves the key.
      BitBlt(memory, 0, 0, w, h, hostPixels, rc.left, rc.top, SRCCOPY);
      GdiFlush();
      DWORD *out = (DWORD *)bits;
      for (int i = 0; i < w * h; i++)
        if ((childPixels[i] & 0x00FFFFFF) != kKeyPixel) out[i] = childPixels[i];
      // The host's painting leaves its children alone; this DC does not.
      HDC dc = GetDCEx(host, NULL, DCX_CACHE);
      if (dc) {
        BitBlt(dc, rc.left, rc.top, w, h, memory, 0, 0, SRCCOPY);
        ReleaseDC(host, dc);
      }
      SelectObject(memory, old);
    }
    if (memory) DeleteDC(memory);
    if (composed) DeleteObject(composed);
  }
  if (header) UnmapViewOfFile(header);
  CloseHandle(mapping);
}

BOOL CALLBACK VisitChild(HWND child, LPARAM param) {
  HostWalk *walk = (HostWalk *)param;
  DWORD processId = 0;
  GetWindowThreadProcessId(child, &processId);
  if (processId != GetCurrentProcessId() && IsWindowVisible(child)) DrawOneChild(walk->host, walk->hostPixels, child);
  return TRUE;
}

}  // namespace

UINT WmHostedPaintMessage(void) {
  static UINT message = 0;
  if (!message) message = RegisterWindowMessageW(L"HHHostedChildPainted");
  return message;
}

HDC WmBeginPaint(HWND hwnd, PAINTSTRUCT *ps) {
  HDC dc = BeginPaint(hwnd, ps);
  if (!dc || !HostedElsewhere(hwnd)) return dc;
  RECT client;
  GetClientRect(hwnd, &client);
  Surface *s = SurfaceFor(hwnd, client.right, client.bottom);
  if (!s) return dc;
  s->screen = dc;
  // What is painted now replaces what was there: the key, until the program draws over it.
  HBRUSH key = CreateSolidBrush(kKey);
  FillRect(s->memory, &ps->rcPaint, key);
  DeleteObject(key);
  ps->hdc = s->memory;
  return s->memory;
}

void WmEndPaint(HWND hwnd, PAINTSTRUCT *ps) {
  for (Surface &s : g_Surfaces) {
    if (s.hwnd != hwnd || !s.screen || ps->hdc != s.memory) continue;
    GdiFlush();
    ps->hdc = s.screen;
    s.screen = NULL;
    EndPaint(hwnd, ps);
    PostMessageW(GetAncestor(hwnd, GA_ROOT), WmHostedPaintMessage(), (WPARAM)hwnd, 0);
    return;
  }
  EndPaint(hwnd, ps);
}

void WmDrawHostedChildren(HWND host, HDC hostPixels) {
  HostWalk walk = {host, hostPixels};
  EnumChildWindows(host, VisitChild, (LPARAM)&walk);
}
