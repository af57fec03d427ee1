// The benchmark's arithmetic and files, in process: scores, the transform, the compare list and the
// saved result read back, storage and blit tests without their files, the worker's stack.
#include "testsupport.h"
#include "benchio.h"
#include "benchwindow.h"
#include "results.h"
#include "suite.h"
#include "debuglog.h"
#include <math.h>

namespace {

void SetTimes(const DWORD (&times)[TEST_COUNT]) {
  for (int i = 0; i < TEST_COUNT; i++) TestTimes[i] = times[i];
}

void ExpectCategories(double expected) {
  EXPECT_NEAR(expected, g_RunResult.cpu, 1e-9);
  EXPECT_NEAR(expected, g_RunResult.ram, 1e-9);
  EXPECT_NEAR(expected, g_RunResult.storage, 1e-9);
  EXPECT_NEAR(expected, g_RunResult.video, 1e-9);
}

TEST(BenchmarkScores, LimitsEndsAndTheHalfReferenceRow) {
  // At or above the references everything is 0, and the times are held to the references.
  SetTimes({1000, 2000, 1000, 5000, 1001, 500, 400, 200, 300, 900, 300, 0xFFFFFFFF});
  ComputeScores();
  ExpectCategories(0.0);
  for (int i = 0; i < TEST_COUNT; i++) EXPECT_EQ((DWORD)ReferenceTimes[i], TestTimes[i]) << i;

  SetTimes({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  ComputeScores();
  ExpectCategories(10.0);

  SetTimes({500, 500, 500, 500, 500, 250, 100, 100, 150, 150, 150, 150});
  ComputeScores();
  ExpectCategories(5.0);
  EXPECT_EQ(250u, TestTimes[5]);  // times below the reference stay as measured

  // Categories are the means of their own tests only.
  SetTimes({0, 1000, 1000, 1000, 0, 500, 200, 0, 300, 300, 300, 0});
  ComputeScores();
  EXPECT_NEAR(2.5, g_RunResult.cpu, 1e-9);
  EXPECT_NEAR(10.0, g_RunResult.ram, 1e-9);
  EXPECT_NEAR(10.0 / 3, g_RunResult.storage, 1e-9);
  EXPECT_NEAR(2.5, g_RunResult.video, 1e-9);
}

TEST(BenchmarkFft, ConstantInputInverseAndLengthsItRefuses) {
  const unsigned n = 1024;
  static double re[n], im[n], outRe[n], outIm[n], backRe[n], backIm[n];
  for (unsigned i = 0; i < n; i++) re[i] = 3.5;
  ComputeFft(n, false, re, NULL, outRe, outIm);
  EXPECT_NEAR(1024 * 3.5, outRe[0], 1e-9);
  double worst = 0;
  for (unsigned i = 1; i < n; i++) worst = fmax(worst, fmax(fabs(outRe[i]), fabs(outIm[i])));
  EXPECT_LT(worst, 1e-8);
  EXPECT_NEAR(0.0, outIm[0], 1e-9);

  // The inverse of the forward transform gives the input back, imaginary part included.
  srand(7);
  for (unsigned i = 0; i < n; i++) {
    re[i] = rand() % 256;
    im[i] = (rand() % 200) - 100;
  }
  ComputeFft(n, false, re, im, outRe, outIm);
  ComputeFft(n, true, outRe, outIm, backRe, backIm);
  worst = 0;
  for (unsigned i = 0; i < n; i++) worst = fmax(worst, fmax(fabs(backRe[i] - re[i]), fabs(backIm[i] - im[i])));
  EXPECT_LT(worst, 1e-8);

  // A single sine shows up in its two bins.
  for (unsigned i = 0; i < n; i++) re[i] = sin(2 * 3.141592653589793 * 5 * i / n);
  ComputeFft(n, false, re, NULL, outRe, outIm);
  EXPECT_NEAR(512.0, fabs(outIm[5]), 1e-6);
  EXPECT_NEAR(-outIm[5], outIm[n - 5], 1e-6);
  EXPECT_NEAR(0.0, outRe[5], 1e-6);
  EXPECT_NEAR(0.0, fabs(outIm[6]) + fabs(outIm[4]), 1e-6);

  // Lengths that are no power of two of at least 2 leave the outputs alone; so do missing arrays.
  for (unsigned len : {0u, 1u, 3u, 6u, 1000u}) {
    for (unsigned i = 0; i < 8; i++) outRe[i] = outIm[i] = -42.0;
    ComputeFft(len, false, re, NULL, outRe, outIm);
    for (unsigned i = 0; i < 8; i++) {
      EXPECT_EQ(-42.0, outRe[i]) << len;
      EXPECT_EQ(-42.0, outIm[i]) << len;
    }
  }
  ComputeFft(8, false, re, NULL, NULL, outIm);
  ComputeFft(8, false, NULL, NULL, outRe, outIm);
  EXPECT_EQ(-42.0, outIm[0]);

  EXPECT_EQ(7, Gcd(7, 0));
  EXPECT_EQ(9, Gcd(0, 9));
  EXPECT_EQ(6, Gcd(12, 18));
  EXPECT_EQ(1, Gcd(32767, 1024));
}

CompareRecord Entry(const wchar_t *name, double cpu, double ram, double sto, double vid) {
  CompareRecord r;
  ZeroMemory(&r, sizeof(r));
  lstrcpynW(r.deviceName, name, COMPARE_NAME_CHARS);
  r.cpu = cpu;
  r.ram = ram;
  r.storage = sto;
  r.video = vid;
  return r;
}

TEST(BenchmarkFiles, CompareListLimitsEmptyAndUnterminatedNames) {
  std::wstring dir = MakeTempFolder(L"compare");
  std::wstring path = dir + L"\\bmcompare.dat";

  std::vector<CompareRecord> many;
  for (int i = 0; i < 150; i++) many.push_back(Entry((L"Device " + std::to_wstring(i)).c_str(), i % 11, 1, 2, 3));
  ASSERT_TRUE(WriteFileBytes(path, many.data(), many.size() * sizeof(CompareRecord)));
  LoadCompareListFrom(path.c_str());
  EXPECT_EQ(99, g_CompareCount);
  EXPECT_STREQ(L"Device 98", g_CompareList[98].deviceName);
  EXPECT_EQ(0, g_CompareIndex);

  // An empty name is skipped; a name that fills its whole field is cut inside it and the scores after
  // it are still its own; a cut record at the end is no entry.
  std::vector<CompareRecord> mixed = {Entry(L"First", 1, 2, 3, 4), Entry(L"", 9, 9, 9, 9), Entry(L"", 0, 0, 0, 0),
                                      Entry(L"", 1, 1, 1, 1), Entry(L"Third", 4, 3, 2, 1)};
  for (int i = 0; i < COMPARE_NAME_CHARS; i++) mixed[2].deviceName[i] = L'A' + i % 26;
  mixed[2].cpu = 7.25;
  std::string bytes((const char *)mixed.data(), mixed.size() * sizeof(CompareRecord));
  bytes.append(600, 'x');
  ASSERT_TRUE(WriteFileBytes(path, bytes.data(), bytes.size()));
  LoadCompareListFrom(path.c_str());
  ASSERT_EQ(3, g_CompareCount);
  EXPECT_STREQ(L"First", g_CompareList[0].deviceName);
  EXPECT_EQ(COMPARE_NAME_CHARS - 1, lstrlenW(g_CompareList[1].deviceName));
  EXPECT_EQ(7.25, g_CompareList[1].cpu);
  EXPECT_STREQ(L"Third", g_CompareList[2].deviceName);
  EXPECT_EQ(4.0, g_CompareList[2].cpu);
  EXPECT_EQ(0, g_CompareList[3].deviceName[0]);  // the spare slot shows nothing

  LoadCompareListFrom((dir + L"\\missing.dat").c_str());
  EXPECT_EQ(0, g_CompareCount);

  // The saved result: a name without a terminator stays in its field; a short file reads as far as it goes.
  ResultRecord saved;
  memset(&saved, 0x41, sizeof(saved));
  saved.cpu = 6.5;
  std::wstring result = dir + L"\\benchmark.dat";
  ASSERT_TRUE(WriteFileBytes(result, &saved, sizeof(saved)));
  ResultRecord read;
  ASSERT_TRUE(ReadResultFile(result.c_str(), &read));
  EXPECT_EQ(RESULT_NAME_CHARS - 1, lstrlenW(read.deviceName));
  EXPECT_EQ(6.5, read.cpu);
  ASSERT_TRUE(WriteFileBytes(result, &saved, 528));
  ASSERT_TRUE(ReadResultFile(result.c_str(), &read));
  EXPECT_EQ(6.5, read.cpu);
  EXPECT_EQ(0.0, read.ram);
  EXPECT_FALSE(ReadResultFile((dir + L"\\none.dat").c_str(), &read));
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST(BenchmarkFiles, TestsWithoutTheirFilesMeasureNothingAndLeaveNothing) {
  std::wstring dir = MakeTempFolder(L"storage");
  std::wstring temp = dir + L"\\benchmark.tmp";
  // Real runs: the file is gone afterwards.
  TestWriteFile1K(temp.c_str());
  EXPECT_FALSE(FileExists(temp));
  TestWriteFile128K(temp.c_str());
  EXPECT_FALSE(FileExists(temp));
  TestCreateFile(temp.c_str());
  EXPECT_FALSE(FileExists(temp));

  // A folder that does not exist: nothing is written and nothing appears.
  std::wstring nowhere = dir + L"\\no such folder\\benchmark.tmp";
  EXPECT_LT(TestWriteFile1K(nowhere.c_str()), 100u);
  EXPECT_LT(TestWriteFile128K(nowhere.c_str()), 100u);
  EXPECT_LT(TestCreateFile(nowhere.c_str()), 100u);
  EXPECT_FALSE(FileExists(dir + L"\\no such folder"));

  // Blits without their picture: no bitmap to copy, nothing breaks, the window is left white.
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"BlitTarget";
  RegisterClassW(&wc);
  g_SuiteWindow = CreateWindowExW(0, L"BlitTarget", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, NULL, NULL,
                                  wc.hInstance, NULL);
  ASSERT_NE(nullptr, g_SuiteWindow);
  std::wstring missing = dir + L"\\missing.jpg";
  EXPECT_LT(TestBitBlt(missing.c_str()), 100u);
  EXPECT_LT(TestStretchBlt(missing.c_str()), 100u);
  EXPECT_LT(TestJpegDecode(missing.c_str()), 100u);
  DestroyWindow(g_SuiteWindow);
  g_SuiteWindow = NULL;
}

volatile LONG g_StackBytes = 0;
DWORD WINAPI MeasureStack(LPVOID) {
  typedef void(WINAPI * Limits)(PULONG_PTR, PULONG_PTR);
  Limits limits = (Limits)(void *)GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetCurrentThreadStackLimits");
  ULONG_PTR low = 0, high = 0;
  if (limits) limits(&low, &high);
  InterlockedExchange(&g_StackBytes, limits ? (LONG)(high - low) : -1);
  return 1;
}

TEST(BenchmarkWindow, SwitchesAndTheWorkerStack) {
  EXPECT_EQ(ViewPage, PageFromCommandLine(L"-VIEW"));
  EXPECT_EQ(ComparePage, PageFromCommandLine(L"-Compare"));
  EXPECT_EQ(RunPage, PageFromCommandLine(L"-run"));
  for (const wchar_t *other : {L"", L"-view ", L"/view", L"-viewer", L"view", L"-run -view"})
    EXPECT_EQ(RunPage, PageFromCommandLine(other)) << testing::PrintToString(std::wstring(other));
  EXPECT_EQ(RunPage, PageFromCommandLine(NULL));

  // The worker holds the debug log's buffers (message and its UTF-8 form) with room to spare.
  ASSERT_TRUE(StartWorkerThread(MeasureStack));
  ASSERT_TRUE(WaitUntil([] { return g_StackBytes != 0; }, 5000));
  EXPECT_GE((DWORD)g_StackBytes, 4u * (DEBUG_LOG_MAX_CHARS + 1) * 3);
}

}  // namespace
