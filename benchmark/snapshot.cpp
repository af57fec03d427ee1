// Screen snapshots: the screen copied into a DIB section, turned top-down RGB and compressed.
#include "snapshot.h"
#include "debuglog.h"
#include "strings.h"
#include "wm.h"
#include "wm_shell.h"
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <strsafe.h>
extern "C" {
#include <jpeglib.h>
}

bool DibImage::Create(int w, int h) {
  Destroy();
  if (w <= 0 || h <= 0) return false;
  BITMAPINFO info;
  ZeroMemory(&info, sizeof(info));
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = (DWORD)w * (DWORD)h * 3;
  info.bmiHeader.biXPelsPerMeter = 3780;
  info.bmiHeader.biYPelsPerMeter = 3780;
  void *pixels = nullptr;
  bitmap = CreateDIBSection(NULL, &info, DIB_RGB_COLORS, &pixels, NULL, 0);
  if (!bitmap) return false;
  bits = (BYTE *)pixels;
  width = w;
  height = h;
  stride = w;
  return true;
}

bool DibImage::CreateFromBitmap(HBITMAP source) {
  BITMAP info;
  if (!source || !GetObjectW(source, sizeof(info), &info)) return false;
  // Rows of 3-byte pixels fill whole 4-byte units when the width is a multiple of 4.
  if (!Create((info.bmWidth + 3) & ~3, info.bmHeight)) return false;
  HDC from = CreateCompatibleDC(NULL);
  HDC to = CreateCompatibleDC(NULL);
  HGDIOBJ oldFrom = SelectObject(from, source);
  HGDIOBJ oldTo = SelectObject(to, bitmap);
  BitBlt(to, 0, 0, info.bmWidth, info.bmHeight, from, 0, 0, SRCCOPY);
  SelectObject(from, oldFrom);
  SelectObject(to, oldTo);
  DeleteDC(from);
  DeleteDC(to);
  return true;
}

void DibImage::Destroy(void) {
  if (dc) {
    SelectObject(dc, displaced);
    DeleteDC(dc);
  }
  if (bitmap) DeleteObject(bitmap);
  dc = NULL;
  displaced = NULL;
  bitmap = NULL;
  bits = nullptr;
  width = height = stride = 0;
}

BOOL GetDocumentsFolder(LPWSTR folder) {
  WCHAR drive[MAX_PATH] = L"C:";
  if (!GetEnvironmentVariableW(L"SystemDrive", drive, ARRAYSIZE(drive)) || lstrlenW(drive) != 2)
    StringCchCopyW(drive, ARRAYSIZE(drive), L"C:");
  if (WmGetSpecialFolderPath(NULL, folder, CSIDL_PERSONAL, TRUE)) {
    // Only a folder of the device itself: never one that leads out to the host's files.
    DWORD attributes = GetFileAttributesW(folder);
    if (CompareStringOrdinal(folder, 2, drive, 2, TRUE) == CSTR_EQUAL && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      return TRUE;
  }
  if (!WmDevicePath(L"\\My Documents", folder, MAX_PATH)) return FALSE;
  CreateDirectoryW(folder, NULL);
  return (GetFileAttributesW(folder) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL NextSnapshotPath(LPCWSTR folder, LPWSTR path, size_t pathChars) {
  for (int n = 1; n < 100000; n++) {
    if (FAILED(StringCchPrintfW(path, pathChars, L"%s\\%d.jpg", folder, n))) break;
    FILE *probe = _wfopen(path, L"r");
    if (!probe) return TRUE;
    fclose(probe);
  }
  path[0] = 0;
  return FALSE;
}

namespace {

struct JpegErrorManager {
  jpeg_error_mgr standard;  // first, so the library's pointer is ours
  jmp_buf back;
};

void JpegErrorExit(j_common_ptr info) {
  (*info->err->output_message)(info);
  longjmp(((JpegErrorManager *)info->err)->back, 1);
}

void JpegOutputMessage(j_common_ptr info) {
  char message[JMSG_LENGTH_MAX < 200 ? 200 : JMSG_LENGTH_MAX];
  (*info->err->format_message)(info, message);  // formatted and dropped: nobody reads stderr here
}

}  // namespace

bool WriteJpegFile(LPCWSTR path, int width, int height, int quality, const BYTE *rgb) {
  if (!path || !rgb || width <= 0 || height <= 0) return false;
  FILE *file = _wfopen(path, L"wb");
  if (!file) return false;

  jpeg_compress_struct compressor;
  JpegErrorManager errors;
  compressor.err = jpeg_std_error(&errors.standard);
  errors.standard.error_exit = JpegErrorExit;
  errors.standard.output_message = JpegOutputMessage;
  if (setjmp(errors.back)) {
    jpeg_destroy_compress(&compressor);
    fclose(file);
    DeleteFileW(path);  // a half-written picture is no snapshot
    return false;
  }
  jpeg_create_compress(&compressor);
  jpeg_stdio_dest(&compressor, file);
  compressor.image_width = (JDIMENSION)width;
  compressor.image_height = (JDIMENSION)height;
  compressor.input_components = 3;
  compressor.in_color_space = JCS_RGB;
  jpeg_set_defaults(&compressor);
  jpeg_set_quality(&compressor, quality, TRUE);
  jpeg_start_compress(&compressor, TRUE);
  while (compressor.next_scanline < compressor.image_height) {
    JSAMPROW row = (JSAMPROW)(rgb + (size_t)width * compressor.next_scanline * 3);
    jpeg_write_scanlines(&compressor, &row, 1);
  }
  jpeg_finish_compress(&compressor);
  fclose(file);
  jpeg_destroy_compress(&compressor);
  return true;
}

// The bitmap's pixels, top row first, as red-green-blue; NULL when it cannot be converted.
static BYTE *BitmapToRgb(HBITMAP section, int *width, int *height) {
  DibImage image;
  BITMAP info;
  if (!GetObjectW(section, sizeof(info), &info) || !image.CreateFromBitmap(section)) return NULL;
  int w = info.bmWidth, h = info.bmHeight;
  BYTE *rgb = (BYTE *)malloc((size_t)w * h * 3);
  if (!rgb) return NULL;
  size_t rowBytes = (size_t)image.stride * 3;
  for (int y = 0; y < h; y++) {
    const BYTE *src = image.bits + rowBytes * (size_t)(h - 1 - y);  // the section is stored bottom-up
    BYTE *dst = rgb + (size_t)w * 3 * y;
    for (int x = 0; x < w; x++) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  *width = w;
  *height = h;
  return rgb;
}

void SaveScreenSnapshot(HWND window) {
  HDC screen = CreateDCW(L"DISPLAY", NULL, NULL, NULL);
  int w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
  DibImage shot;
  bool captured = shot.Create(w, h);
  if (captured) {
    HDC mem = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(mem, shot.bitmap);
    BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  DeleteDC(screen);

  WCHAR folder[MAX_PATH], path[MAX_PATH] = L"";
  bool written = false;
  if (GetDocumentsFolder(folder) && NextSnapshotPath(folder, path, ARRAYSIZE(path)) && captured) {
    int rw = 0, rh = 0;
    BYTE *rgb = BitmapToRgb(shot.bitmap, &rw, &rh);
    if (rgb) written = WriteJpegFile(path, rw, rh, 90, rgb);
    free(rgb);
  }

  WriteDebugLog(LOG_BENCHMARK, L"Snapshot(0x%X) done [%s]%s", (unsigned)(UINT_PTR)window, path,
                written ? L"" : L" not written");
  WCHAR caption[LOCALISED_STRING_MAX + 1];
  StringCchCopyW(caption, ARRAYSIZE(caption), GetLocalisedString(&g_Strings, L"String12BenchMark", LOCALISED_STRING_MAX));
  WmMessageBox(window, path, caption, MB_OK | MB_ICONINFORMATION);
}
