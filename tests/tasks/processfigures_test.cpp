// Priority levels, CPU load and memory figures of real processes in the device.
#include "taskhelpers.h"
#include "processfigures.h"
#include "wm_process.h"
#include "wm_shell.h"

namespace {

int HostPriority(DWORD threadId) {
  HANDLE thread = OpenThread(THREAD_QUERY_INFORMATION, FALSE, threadId);
  if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
  int value = GetThreadPriority(thread);
  CloseHandle(thread);
  return value;
}

}  // namespace

TEST(ProcessPriority, AllEightLevelsRoundTripOnEveryThread) {
  Program helper;
  ASSERT_TRUE(StartHelper(&helper, HelperCopy(L""), L"threads 2"));
  std::vector<DWORD> threads = ThreadsOf(helper.id);
  ASSERT_EQ(3u, threads.size());
  const int host[8] = {15, 2, 1, 0, -1, -2, -2, -15};
  for (int level : {6, 0, 1, 2, 3, 4, 5, 7, 6, 3}) {
    ASSERT_EQ(1, SetProcessPriority(helper.id, level));
    int read = -1;
    ASSERT_EQ(1, GetProcessPriority(helper.id, &read));
    EXPECT_EQ(level, read);
    // The host scheduler runs every thread at the nearest priority it has.
    for (DWORD thread : threads) {
      EXPECT_EQ(host[level], HostPriority(thread)) << level;
      EXPECT_EQ(level, WmGetThreadPriority(thread)) << level;
    }
  }
}

TEST(ProcessPriority, TheProcessLevelIsTheIntegerAverageOfItsThreads) {
  Program helper;
  ASSERT_TRUE(StartHelper(&helper, HelperCopy(L""), L"threads 2"));
  std::vector<DWORD> threads = ThreadsOf(helper.id);
  ASSERT_EQ(3u, threads.size());
  int read = -1;
  ASSERT_EQ(1, GetProcessPriority(helper.id, &read));
  EXPECT_EQ(3, read);
  const int levels[][3] = {{1, 2, 6}, {0, 0, 1}, {7, 7, 6}, {0, 7, 7}};
  const int averages[] = {3, 0, 6, 4};
  for (int set = 0; set < 4; set++) {
    for (int i = 0; i < 3; i++) ASSERT_TRUE(WmSetThreadPriority(threads[i], levels[set][i]));
    ASSERT_EQ(1, GetProcessPriority(helper.id, &read));
    EXPECT_EQ(averages[set], read) << set;
  }
}

TEST(ProcessPriority, BadLevelsAndAbsentProcessesChangeNothing) {
  Program helper;
  ASSERT_TRUE(StartHelper(&helper, HelperCopy(L""), L"threads 1"));
  ASSERT_EQ(1, SetProcessPriority(helper.id, 5));
  EXPECT_EQ(0, SetProcessPriority(helper.id, 8));
  EXPECT_EQ(0, SetProcessPriority(helper.id, -1));
  int read = -1;
  ASSERT_EQ(1, GetProcessPriority(helper.id, &read));
  EXPECT_EQ(5, read);

  // A program that is not running (process id 0) or has ended has no threads: normal.
  EXPECT_EQ(1, GetProcessPriority(0, &read));
  EXPECT_EQ(3, read);
  EXPECT_EQ(1, SetProcessPriority(0, 1));
  DWORD ended = helper.id;
  helper.Kill();
  read = -1;
  EXPECT_EQ(1, GetProcessPriority(ended, &read));
  EXPECT_EQ(3, read);
}

TEST(ProcessCpu, BusyProcessesReadHighAndIdleOnesNearZero) {
  Program idle, busy;
  // The busy thread is the first of four: the idle ones come after it.
  ASSERT_TRUE(StartHelper(&idle, HelperCopy(L""), L"threads 3"));
  ASSERT_TRUE(StartHelper(&busy, HelperCopy(L""), L"busy 1 threads 3"));
  EXPECT_LT(GetProcessCpuUsage(idle.id), 5.0);
  // High even on a busy machine; reading the last thread alone would give about 0.
  EXPECT_GT(GetProcessCpuUsage(busy.id), 15.0);
  DWORD ended = idle.id;
  idle.Kill();
  EXPECT_EQ(0.0, GetProcessCpuUsage(ended));
  EXPECT_EQ(0.0, GetProcessCpuUsage(0));
}

TEST(ProcessCpu, TheLoadSumsAllThreads) {
  Program one, two;
  ASSERT_TRUE(StartHelper(&one, HelperCopy(L""), L"busy 1"));
  ASSERT_TRUE(StartHelper(&two, HelperCopy(L""), L"busy 2"));
  // Alternate the measurements, so that both see the same load of the machine.
  double single = 0, both = 0;
  for (int round = 0; round < 3; round++) {
    single += GetProcessCpuUsage(one.id);
    both += GetProcessCpuUsage(two.id);
  }
  EXPECT_GT(single, 0.0);
  EXPECT_GT(both, 1.3 * single) << single / 3 << " " << both / 3;
}

TEST(ProcessMemory, HeapUseFollowsWhatTheProgramAllocates) {
  Program plain, big;
  ASSERT_TRUE(StartHelper(&plain, HelperCopy(L""), L"nowindow"));
  ASSERT_TRUE(StartHelper(&big, HelperCopy(L""), L"nowindow alloc 64"));
  SIZE_T small = GetProcessHeapUsage(plain.id), large = GetProcessHeapUsage(big.id);
  EXPECT_GT(small, 0u);
  EXPECT_GE(large, small + (60u << 20));
  DWORD ended = big.id;
  big.Kill();
  EXPECT_EQ(0u, GetProcessHeapUsage(ended));
  EXPECT_EQ(0u, GetProcessHeapUsage(0));
}

TEST(ProcessMemory, DeviceMemoryFiguresAreInMegabytes) {
  MEMORYSTATUS status = {};
  WmGlobalMemoryStatus(&status);
  double program = GetUsedProgramMemory();
  EXPECT_GT(program, 0.0);
  EXPECT_LE(program, status.dwTotalPhys / 1048576.0);
  STORE_INFORMATION store = {};
  ASSERT_TRUE(GetStoreInformation(&store));
  double storage = GetUsedStorageMemory();
  EXPECT_GT(storage, 0.0);
  EXPECT_LE(storage, store.dwStoreSize / 1048576.0);
}
