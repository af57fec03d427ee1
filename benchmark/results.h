// Scores of a run, the saved result "benchmark.dat" and the reference devices of "bmcompare.dat".
#pragma once
#include <windows.h>

#define RESULT_NAME_CHARS 260
#define COMPARE_NAME_CHARS 512
#define COMPARE_SLOTS 100
#define COMPARE_MAX_COUNT 99
#define TEST_COUNT 12

#pragma pack(push, 1)
// One record of "benchmark.dat": the last run of this device.
struct ResultRecord {
  WCHAR deviceName[RESULT_NAME_CHARS];
  double cpu, ram, storage, video;
  SYSTEMTIME finished;  // local time of the run's end
};
// One record of "bmcompare.dat": a reference device.
struct CompareRecord {
  WCHAR deviceName[COMPARE_NAME_CHARS];
  double cpu, ram, storage, video;
};
#pragma pack(pop)
static_assert(sizeof(ResultRecord) == 568, "benchmark.dat record");
static_assert(sizeof(CompareRecord) == 1056, "bmcompare.dat record");

// Milliseconds each test took in the last run, in the test table's order (scoring may lower them),
// and the time that scores 0 for each.
extern DWORD TestTimes[TEST_COUNT];
extern const double ReferenceTimes[TEST_COUNT];

extern ResultRecord g_RunResult;     // filled and written by a run
extern ResultRecord g_YourDevice;    // read back for the view and compare pages
extern volatile LONG g_YourDeviceLoaded;
extern CompareRecord g_CompareList[COMPARE_SLOTS];
extern int g_CompareCount;
extern int g_CompareIndex;

// Scores the twelve times against the references (limiting the times) into the run's record.
void ComputeScores(void);
// The score (0..10) of one time against its reference.
double ScoreOf(double time, double reference);
// Completes the run's record (time, device name), writes "benchmark.dat" and logs the results line.
// 1 when the file was written; 0 leaves the earlier result file as it was (the log says why).
int SaveResult(void);
// Reads "benchmark.dat" for the view (1) or compare (2) page; without it, says so and ends the program.
void LoadSavedResult(int page);
// Reads a saved result file into a record; 0 when it does not open. The name is always terminated.
int ReadResultFile(LPCWSTR path, ResultRecord *record);
// Fills the compare list from "bmcompare.dat" beside the program, or from the given file.
void LoadCompareList(void);
void LoadCompareListFrom(LPCWSTR path);
