// Screen snapshots saved as numbered JPEG files in the device's documents folder.
#pragma once
#include <windows.h>

// A 24-bit device-independent bitmap.
class DibImage {
 public:
  int width = 0, height = 0;
  int stride = 0;  // row length in pixels
  BYTE *bits = nullptr;
  HBITMAP bitmap = NULL;
  HDC dc = NULL;
  HGDIOBJ displaced = NULL;

  virtual ~DibImage() { Destroy(); }
  bool Create(int w, int h);
  // A copy of the bitmap, its width rounded up to whole 4-byte units of 3-byte pixels.
  bool CreateFromBitmap(HBITMAP source);
  void Destroy(void);
};

// The device's own documents folder (made when missing) into a buffer of MAX_PATH characters.
BOOL GetDocumentsFolder(LPWSTR folder);
// The first "<folder>\<n>.jpg", n = 1, 2, ..., that does not exist yet.
BOOL NextSnapshotPath(LPCWSTR folder, LPWSTR path, size_t pathChars);
// Writes a baseline JFIF file of a top-down RGB buffer; false (and no open file) on any failure.
bool WriteJpegFile(LPCWSTR path, int width, int height, int quality, const BYTE *rgb);
// Saves the screen as the next numbered JPEG and tells the user its name.
void SaveScreenSnapshot(HWND window);
