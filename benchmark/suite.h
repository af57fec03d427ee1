// The twelve timed tests of the benchmark, their progress lines and the closing lines of a run.
#pragma once
#include <windows.h>

#define TEST_COUNT 12
#define RESULT_LINE_MAX 259

// One row of the test table: what the progress line says, how much work, and the time that scores 0.
struct BenchTest {
  LPCWSTR lineFormat;    // "%2d/%d ..." filled with the number, the total and the shown value
  DWORD count;           // the fixed workload
  int shownShift;        // the shown value is count >> shownShift
  double referenceTime;  // milliseconds
};

extern const BenchTest g_TestTable[TEST_COUNT];
// Milliseconds each test took in the last run, in table order (scoring may lower them).
extern DWORD TestTimes[TEST_COUNT];
extern const double ReferenceTimes[TEST_COUNT];

// The window the video tests draw into (the main window).
extern HWND g_SuiteWindow;

// A file of the program's folder, optionally in a subfolder ("Images"); empty when it would not fit.
// Points to one buffer that the next call overwrites.
LPCWSTR BenchFilePath(LPCWSTR subfolder, LPCWSTR fileName);

// Formats a line (cut at 259 characters), logs it and appends it to the list box, scrolled to it.
void AddResultLine(HWND listBox, LPCWSTR format, ...);
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
