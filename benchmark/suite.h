// The twelve timed tests of the benchmark, their progress lines and the closing lines of a run.
#pragma once
#include <windows.h>
#include "results.h"

// One row of the test table: what the progress line says, how much work, and the time that scores 0.
struct BenchTest {
  LPCWSTR lineFormat;    // "%2d/%d ..." filled with the number, the total and the shown value
  DWORD count;           // the fixed workload
  int shownShift;        // the shown value is count >> shownShift
  double referenceTime;  // milliseconds
};

extern const BenchTest g_TestTable[TEST_COUNT];

// Runs the twelve tests with their progress lines, scores and saves the result, adds the closing lines.
void RunTestSuite(HWND listBox);

// Radix-2 transform; does nothing unless length is a power of two of at least 2. imagIn may be NULL.
void ComputeFft(unsigned length, bool inverse, const double *realIn, const double *imagIn, double *realOut,
                double *imagOut);
int Gcd(int a, int b);

// The tests; each returns its elapsed milliseconds.
DWORD TestFft(void);
DWORD TestGcd(void);
DWORD TestTrig(void);
DWORD TestJpegDecode(LPCWSTR picture);
DWORD TestMalloc(void);
DWORD TestWriteFile1K(LPCWSTR tempFile);
DWORD TestWriteFile128K(LPCWSTR tempFile);
DWORD TestCreateFile(LPCWSTR tempFile);
DWORD TestBitBlt(LPCWSTR picture);
DWORD TestStretchBlt(LPCWSTR picture);
DWORD TestDrawText(void);
DWORD TestFillRect(void);
