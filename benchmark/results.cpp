// Scores, the result file of the last run and the list of reference devices.
#include "results.h"
#include "benchio.h"
#include "debuglog.h"
#include "safefile.h"
#include "strings.h"
#include "wm.h"
#include <stdio.h>
#include <strsafe.h>

const double ReferenceTimes[TEST_COUNT] = {1000.0, 1000.0, 1000.0, 1000.0, 1000.0, 500.0,
                                           200.0,  200.0,  300.0,  300.0,  300.0,  300.0};
DWORD TestTimes[TEST_COUNT];
ResultRecord g_RunResult;
ResultRecord g_YourDevice;
volatile LONG g_YourDeviceLoaded = 0;
CompareRecord g_CompareList[COMPARE_SLOTS];
int g_CompareCount = 0;
int g_CompareIndex = 0;

double ScoreOf(double time, double reference) { return 10.0 - (time / reference) * 10.0; }

void ComputeScores(void) {
  double s[TEST_COUNT];
  for (int i = 0; i < TEST_COUNT; i++) {
    // A slow test scores 0, and the log shows the limit it was held to.
    if ((double)TestTimes[i] > ReferenceTimes[i]) TestTimes[i] = (DWORD)ReferenceTimes[i];
    s[i] = ScoreOf((double)TestTimes[i], ReferenceTimes[i]);
    WriteDebugLog(LOG_BENCHMARK, L"IM[%d] = %2.2f", i, s[i]);
  }
  g_RunResult.cpu = (((s[3] + s[2]) + s[1]) + s[0]) * 0.25;
  g_RunResult.ram = s[4];
  g_RunResult.storage = ((s[7] + s[6]) + s[5]) * 0.3333333333333333;
  g_RunResult.video = (((s[11] + s[10]) + s[9]) + s[8]) * 0.25;
}

int SaveResult(void) {
  GetLocalTime(&g_RunResult.finished);
  ZeroMemory(g_RunResult.deviceName, sizeof(g_RunResult.deviceName));
  WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(g_RunResult.deviceName), g_RunResult.deviceName, 0);
  g_RunResult.deviceName[RESULT_NAME_CHARS - 1] = 0;

  // The last result stays whole until the new one is: a killed run or a full store keeps it.
  WCHAR path[MAX_PATH];
  int saved = SUCCEEDED(StringCchCopyW(path, ARRAYSIZE(path), BenchFilePath(L"", L"benchmark.dat"))) &&
              SaveWholeFile(path, &g_RunResult, sizeof(g_RunResult), LOG_BENCHMARK);
  if (!saved) WriteDebugLog(LOG_BENCHMARK, L"Cannot write [%s] [error %u]", path, (unsigned)GetLastError());

  WCHAR text[RESULT_LINE_MAX + 1] = L"Results: ";
  for (int i = 0; i < TEST_COUNT; i++) {
    WCHAR next[RESULT_LINE_MAX + 1];
    StringCchPrintfW(next, ARRAYSIZE(next), L"%s%d,", text, (int)TestTimes[i]);
    StringCchCopyW(text, ARRAYSIZE(text), next);
  }
  WriteDebugLog(LOG_BENCHMARK, L"%s | %f %f %f %f", text, g_RunResult.cpu, g_RunResult.ram, g_RunResult.storage,
                g_RunResult.video);
  return saved;
}

int ReadResultFile(LPCWSTR path, ResultRecord *record) {
  FILE *file = _wfopen(path, L"rb");
  if (!file) return 0;
  ZeroMemory(record, sizeof(*record));
  fread(record, 1, sizeof(*record), file);  // a short file is read as far as it goes
  fclose(file);
  // A name without its terminator must not run into the scores.
  record->deviceName[RESULT_NAME_CHARS - 1] = 0;
  return 1;
}

void LoadSavedResult(int page) {
  HWND window = g_SuiteWindow;
  if (ReadResultFile(BenchFilePath(L"", L"benchmark.dat"), &g_YourDevice)) {
    InterlockedExchange(&g_YourDeviceLoaded, 1);
    InvalidateRect(window, NULL, FALSE);
    return;
  }
  WCHAR text[LOCALISED_STRING_MAX + 1];
  StringCchCopyW(text, ARRAYSIZE(text),
                 GetLocalisedString(&g_Strings, page == 2 ? L"String8BenchMark" : L"String7BenchMark",
                                    LOCALISED_STRING_MAX));
  WriteDebugLog(LOG_BENCHMARK, L"No saved result [%s]", text);
  WmMessageBox(window, text, L"Vantora", MB_OK | MB_ICONINFORMATION);
  // This runs on the page's worker: the window belongs to the main thread, which must close it.
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void LoadCompareListFrom(LPCWSTR path) {
  g_CompareCount = 0;
  g_CompareIndex = 0;
  ZeroMemory(g_CompareList, sizeof(g_CompareList));
  FILE *file = _wfopen(path, L"rb");
  if (!file) return;
  while (!feof(file)) {
    CompareRecord *slot = &g_CompareList[g_CompareCount];
    ZeroMemory(slot, sizeof(*slot));
    // Only whole records count: a cut one at the end holds no real scores.
    if (fread(slot, sizeof(*slot), 1, file) != 1) break;
    slot->deviceName[COMPARE_NAME_CHARS - 1] = 0;
    if (slot->deviceName[0] && g_CompareCount < COMPARE_MAX_COUNT) {
      WriteDebugLog(LOG_BENCHMARK, L"Compare data [%d] %s | %d bytes", g_CompareCount, slot->deviceName,
                    (int)sizeof(*slot));
      g_CompareCount++;
    }
  }
  // Records past the last counted one were read into the spare slot: it shows nothing.
  if (g_CompareCount < COMPARE_SLOTS) ZeroMemory(&g_CompareList[g_CompareCount], sizeof(CompareRecord));
  fclose(file);
}

void LoadCompareList(void) { LoadCompareListFrom(BenchFilePath(L"", L"bmcompare.dat")); }
