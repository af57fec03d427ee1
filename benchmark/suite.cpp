// The test runner: twelve fixed workloads, each timing exactly its own span with the tick counter.
#include "suite.h"
#include "benchio.h"
#include "results.h"
#include "banner.h"
#include "debuglog.h"
#include "device.h"
#include "strings.h"
#include "wm.h"
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strsafe.h>

const BenchTest g_TestTable[TEST_COUNT] = {
    {L"%2d/%d CPU #1: FFT %dK", 8192, 11, 1000.0},
    {L"%2d/%d CPU #2: %dKxEuclid GCD", 65536, 10, 1000.0},
    {L"%2d/%d CPU #3: %dKxTrig.Test", 65536, 10, 1000.0},
    {L"%2d/%d CPU #4: %dxJPG decode", 1, 0, 1000.0},
    {L"%2d/%d RAM #1: %dKxMALLOC 1K", 49152, 10, 1000.0},
    {L"%2d/%d STO #1: %dKxWriteFile 1K", 1024, 10, 500.0},
    {L"%2d/%d STO #2: %dxWriteFile 128K", 5, 0, 200.0},
    {L"%2d/%d STO #3: %dxCreateFile", 10, 0, 200.0},
    {L"%2d/%d VID #1: %dxBitBlt", 25, 0, 300.0},
    {L"%2d/%d VID #2: %dxStretchBlt", 20, 0, 300.0},
    {L"%2d/%d VID #3: %dxDrawText", 100, 0, 300.0},
    {L"%2d/%d VID #4: %dxFillRect", 300, 0, 300.0},
};

#define FFT_POINTS 4096
static double g_FftInput[FFT_POINTS];
static double g_FftReal[FFT_POINTS];
static double g_FftImag[FFT_POINTS];

void ComputeFft(unsigned length, bool inverse, const double *realIn, const double *imagIn, double *realOut,
                double *imagOut) {
  if (!realIn || !realOut || !imagOut || length < 2 || (length & (length - 1))) return;
  unsigned bits = 0;
  while (!(length & (1u << bits))) bits++;

  for (unsigned i = 0; i < length; i++) {
    unsigned j = 0;
    for (unsigned b = 0, v = i; b < bits; b++, v >>= 1) j = (j << 1) | (v & 1);
    realOut[j] = realIn[i];
    imagOut[j] = imagIn ? imagIn[i] : 0.0;
  }

  // Twiddle factors from the three-term recurrence: four sin/cos evaluations per block size.
  double angle = inverse ? -6.283185307179586 : 6.283185307179586;
  unsigned half = 1;
  for (unsigned block = 2; block <= length; block <<= 1) {
    double delta = angle / (double)block;
    double sm2 = sin(-2 * delta), sm1 = sin(-delta);
    double cm2 = cos(-2 * delta), cm1 = cos(-delta);
    double w = 2 * cm1;
    for (unsigned i = 0; i < length; i += block) {
      double ar2 = cm2, ar1 = cm1, ai2 = sm2, ai1 = sm1;
      for (unsigned n = 0; n < half; n++) {
        unsigned j = i + n, m = j + half;
        double ar0 = w * ar1 - ar2;
        ar2 = ar1;
        ar1 = ar0;
        double ai0 = w * ai1 - ai2;
        ai2 = ai1;
        ai1 = ai0;
        double tr = ar0 * realOut[m] - ai0 * imagOut[m];
        double ti = ar0 * imagOut[m] + ai0 * realOut[m];
        realOut[m] = realOut[j] - tr;
        imagOut[m] = imagOut[j] - ti;
        realOut[j] += tr;
        imagOut[j] += ti;
      }
    }
    half = block;
  }

  if (inverse) {
    double scale = 1.0 / (double)length;
    for (unsigned i = 0; i < length; i++) {
      realOut[i] *= scale;
      imagOut[i] *= scale;
    }
  }
}

int Gcd(int a, int b) {
  while (b != 0) {
    int r = a % b;
    a = b;
    b = r;
  }
  return a;
}

static void SeedFromTicks(void) { srand(GetTickCount() & 0xFF); }

DWORD TestFft(void) {
  SeedFromTicks();
  for (int i = 0; i < FFT_POINTS; i++) g_FftInput[i] = (double)(rand() % 256);
  DWORD start = GetTickCount();
  ComputeFft(FFT_POINTS, false, g_FftInput, NULL, g_FftReal, g_FftImag);
  return GetTickCount() - start;
}

DWORD TestGcd(void) {
  SeedFromTicks();
  DWORD start = GetTickCount();
  volatile int sink = 0;
  for (DWORD i = 0; i < g_TestTable[1].count; i++) {
    int x = rand();
    int y = rand();
    sink = Gcd(y, x);
  }
  (void)sink;
  return GetTickCount() - start;
}

DWORD TestTrig(void) {
  SeedFromTicks();
  DWORD start = GetTickCount();
  for (DWORD i = 0; i < g_TestTable[2].count; i++) {
    rand();
    rand();
  }
  return GetTickCount() - start;
}

DWORD TestJpegDecode(LPCWSTR picture) {
  DWORD start = GetTickCount();
  HBITMAP bitmap = SHLoadImageFile(picture);
  DWORD elapsed = GetTickCount() - start;
  if (bitmap) DeleteObject(bitmap);
  return elapsed;
}

// Called through a volatile pointer so the compiler cannot drop the allocate-fill-free pairs.
static void *(*volatile g_Fill)(void *, int, size_t) = memset;

DWORD TestMalloc(void) {
  DWORD start = GetTickCount();
  for (DWORD i = 0; i < g_TestTable[4].count; i++) {
    void *block = malloc(1024);
    if (block) g_Fill(block, 0, 1024);
    free(block);
  }
  return GetTickCount() - start;
}

// Writes the buffer `times` times at offset 0; only the writes are timed. A file that cannot be made
// is not written: the (empty) span is still measured, and nothing is left behind either way.
static DWORD TimedWrites(LPCWSTR tempFile, size_t bytes, DWORD times) {
  void *buffer = malloc(bytes);
  FILE *file = (buffer && tempFile && tempFile[0]) ? _wfopen(tempFile, L"wb") : NULL;
  DWORD start = GetTickCount();
  if (file) {
    for (DWORD i = 0; i < times; i++) {
      fseek(file, 0, SEEK_SET);
      fwrite(buffer, bytes, 1, file);
    }
  }
  DWORD elapsed = GetTickCount() - start;
  if (file) {
    fclose(file);
    DeleteFileW(tempFile);
  }
  free(buffer);
  return elapsed;
}

DWORD TestWriteFile1K(LPCWSTR tempFile) { return TimedWrites(tempFile, 1024, g_TestTable[5].count); }

DWORD TestWriteFile128K(LPCWSTR tempFile) { return TimedWrites(tempFile, 131072, g_TestTable[6].count); }

DWORD TestCreateFile(LPCWSTR tempFile) {
  bool made = false;
  DWORD start = GetTickCount();
  for (DWORD i = 0; tempFile && tempFile[0] && i < g_TestTable[7].count; i++) {
    FILE *file = _wfopen(tempFile, L"wb");
    if (!file) break;  // not creatable: the rest would fail the same way
    made = true;
    fclose(file);
  }
  DWORD elapsed = GetTickCount() - start;
  if (made) DeleteFileW(tempFile);
  return elapsed;
}

static void ReadScreenPixels(int *width, int *height) {
  HDC screen = GetDC(NULL);
  *width = GetDeviceCaps(screen, HORZRES);
  *height = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(NULL, screen);
}

// The blits: copies (stretch false) to (i, i) at the picture's size, or stretched to 200 x 200 at the
// origin. Without the picture there is nothing to copy: the span is measured over no work.
static DWORD TimedBlits(LPCWSTR picture, bool stretch, DWORD times) {
  int sw, sh;
  ReadScreenPixels(&sw, &sh);
  HDC dc = GetDC(g_SuiteWindow);
  HBITMAP bitmap = SHLoadImageFile(picture);
  HDC mem = bitmap ? CreateCompatibleDC(dc) : NULL;
  HGDIOBJ old = mem ? SelectObject(mem, bitmap) : NULL;
  BITMAP info = {};
  if (bitmap) GetObjectW(bitmap, sizeof(info), &info);
  int dw = ScaleX(200), dh = ScaleY(200);

  DWORD start = GetTickCount();
  if (mem) {
    for (DWORD i = 0; i < times; i++) {
      if (stretch)
        StretchBlt(dc, 0, 0, dw, dh, mem, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
      else
        BitBlt(dc, (int)i, (int)i, info.bmWidth, info.bmHeight, mem, 0, 0, SRCCOPY);
    }
  }
  DWORD elapsed = GetTickCount() - start;

  PatBlt(dc, 0, 0, sw, sh, WHITENESS);
  if (mem) {
    SelectObject(mem, old);
    DeleteDC(mem);
  }
  if (bitmap) DeleteObject(bitmap);
  ReleaseDC(g_SuiteWindow, dc);
  return elapsed;
}

DWORD TestBitBlt(LPCWSTR picture) { return TimedBlits(picture, false, g_TestTable[8].count); }

DWORD TestStretchBlt(LPCWSTR picture) { return TimedBlits(picture, true, g_TestTable[9].count); }

DWORD TestDrawText(void) {
  int sw, sh;
  ReadScreenPixels(&sw, &sh);
  DWORD times = g_TestTable[10].count;
  int step = (int)((unsigned)sh / times);
  HDC dc = GetDC(g_SuiteWindow);
  SetBkMode(dc, TRANSPARENT);
  int lineHeight = ScaleY(14);
  DWORD start = GetTickCount();
  int y = 0;
  for (DWORD i = 0; i < times; i++, y += step) {
    RECT rc = {0, y, sw, y + lineHeight};
    DrawTextW(dc, L"Testing the video capabilities!", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  DWORD elapsed = GetTickCount() - start;
  ReleaseDC(g_SuiteWindow, dc);
  return elapsed;
}

DWORD TestFillRect(void) {
  int sw, sh;
  ReadScreenPixels(&sw, &sh);
  HDC dc = GetDC(g_SuiteWindow);
  HBRUSH brush = CreateSolidBrush(RGB(201, 199, 199));
  RECT rc = {0, 0, sw, sh};
  DWORD start = GetTickCount();
  for (DWORD i = 0; i < g_TestTable[11].count; i++) FillRect(dc, &rc, brush);
  DWORD elapsed = GetTickCount() - start;
  DeleteObject(brush);
  ReleaseDC(g_SuiteWindow, dc);
  return elapsed;
}

static DWORD RunOneTest(int index) {
  WCHAR picture[MAX_PATH], tempFile[MAX_PATH];
  StringCchCopyW(picture, MAX_PATH, BenchFilePath(L"Images", L"benchmark.jpg"));
  StringCchCopyW(tempFile, MAX_PATH, BenchFilePath(L"", L"benchmark.tmp"));
  switch (index) {
    case 0: return TestFft();
    case 1: return TestGcd();
    case 2: return TestTrig();
    case 3: return TestJpegDecode(picture);
    case 4: return TestMalloc();
    case 5: return TestWriteFile1K(tempFile);
    case 6: return TestWriteFile128K(tempFile);
    case 7: return TestCreateFile(tempFile);
    case 8: return TestBitBlt(picture);
    case 9: return TestStretchBlt(picture);
    case 10: return TestDrawText();
    default: return TestFillRect();
  }
}

void RunTestSuite(HWND listBox) {
  WCHAR label[LOCALISED_STRING_MAX + 1];
  StringCchCopyW(label, ARRAYSIZE(label), GetLocalisedString(&g_Strings, L"String4BenchMark", LOCALISED_STRING_MAX));

  for (int i = 0; i < TEST_COUNT; i++) {
    const BenchTest &test = g_TestTable[i];
    AddResultLine(listBox, L"------------");
    AddResultLine(listBox, test.lineFormat, i + 1, TEST_COUNT, (int)(test.count >> test.shownShift));
    TestTimes[i] = RunOneTest(i);
    AddResultLine(listBox, L"%s: %d ms", label, (int)TestTimes[i]);
  }

  ComputeScores();
  SaveResult();

  WCHAR text[LOCALISED_STRING_MAX + 1];
  for (int i = 0; i < 12; i++) AddResultLine(listBox, L"");
  AddResultLine(listBox, L"             ****************");
  StringCchCopyW(text, ARRAYSIZE(text), GetLocalisedString(&g_Strings, L"String5BenchMark", LOCALISED_STRING_MAX));
  AddResultLine(listBox, L"               %s  ", text);
  AddResultLine(listBox, L"             ****************");
  AddResultLine(listBox, L"");
  StringCchCopyW(text, ARRAYSIZE(text), GetLocalisedString(&g_Strings, L"String6BenchMark", LOCALISED_STRING_MAX));
  AddResultLine(listBox, L"      %s", text);
  AddResultLine(listBox, L"");
  AddResultLine(listBox, L"");
  AddResultLine(listBox, L"%s", PRODUCT_BANNER_LINE);
}
