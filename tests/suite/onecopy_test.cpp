// Two starts of a program in the same instant (a double tap on its Start menu entry, or the StartUp
// folder and the main program starting a companion together) leave one copy of it, whatever moment
// of the first copy's start the second one meets; a start right after a copy was told to end starts.
#include "testsupport.h"
#include <tlhelp32.h>

namespace {

struct Suited {
  const wchar_t *exe, *cls, *title;
};

const Suited kPrograms[] = {
    {L"Vantora.exe", L"VANTORA", L"Vantora"},
    {L"VTMonitor.exe", L"VTMONITOR", L"VTMonitor"},
    {L"QuitletApp.exe", L"QUITLETAPP", L"QuitletApp"},
    {L"GaugeletApp.exe", L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl"},
    {L"Benchmark.exe", L"BENCHMARK", L"Benchmark"},
};

// Names the case by its program in the test list.
void PrintTo(const Suited &p, std::ostream *out) {
  std::wstring exe = p.exe;
  *out << std::string(exe.begin(), exe.end());
}

int CountProcesses(const wchar_t *exe) {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W pe = {sizeof(pe)};
  int n = 0;
  for (BOOL more = Process32FirstW(snap, &pe); more; more = Process32NextW(snap, &pe))
    n += lstrcmpiW(pe.szExeFile, exe) == 0;
  CloseHandle(snap);
  return n;
}

std::vector<HWND> Windows(const Suited &p) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(NULL, NULL, p.cls, p.title); w; w = FindWindowExW(NULL, w, p.cls, p.title))
    found.push_back(w);
  return found;
}

class OneCopy : public ::testing::TestWithParam<Suited> {};

TEST_P(OneCopy, TwoStartsAtOnceLeaveOneCopy) {
  ProductKeyGuard guard({L"RealQuitlet", L"Gaugelet"});
  // The main program starts no companion of its own here: they would be counted.
  SetProductDword(L"RealQuitlet", 0);
  SetProductDword(L"Gaugelet", 0);
  const int kRounds = 10;
  const Suited &p = GetParam();
  ASSERT_EQ(0, CountProcesses(p.exe)) << "left running by another test";
  Program ending;
  for (int round = 0; round < kRounds; round++) {
    SCOPED_TRACE(round);
    Program copies[2];
    // Back to back, as a double tap starts them; the copy of the round before was just told to end.
    ASSERT_TRUE(copies[0].Start(InstalledProgram(p.exe)));
    ASSERT_TRUE(copies[1].Start(InstalledProgram(p.exe)));
    HANDLE both[2] = {copies[0].process, copies[1].process};
    DWORD first = WaitForMultipleObjects(2, both, FALSE, 20000);
    ASSERT_NE((DWORD)WAIT_TIMEOUT, first) << "neither copy ended: " << CountProcesses(p.exe) << " copies run";
    ASSERT_LT(first - WAIT_OBJECT_0, 2u);
    Program &left = copies[first - WAIT_OBJECT_0], &kept = copies[1 - (first - WAIT_OBJECT_0)];
    EXPECT_EQ(0u, left.Wait(0));
    ASSERT_EQ((DWORD)STILL_ACTIVE, kept.Wait(0));
    if (ending.process) EXPECT_EQ(0u, ending.Wait(10000)) << "the copy of the round before still runs";
    // The second copy leaves only once the first's window exists.
    std::vector<HWND> windows = Windows(p);
    ASSERT_EQ(1u, windows.size());
    DWORD owner = 0;
    GetWindowThreadProcessId(windows[0], &owner);
    EXPECT_EQ(kept.id, owner);
    EXPECT_EQ(1, CountProcesses(p.exe));
    // Ended as the user ends it: the window goes first, the process a moment later. The next round
    // starts in that moment.
    PostMessageW(windows[0], WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitWindowGone(windows[0], 10000));
    ending.Kill();
    ending.process = kept.process;
    ending.id = kept.id;
    kept.process = NULL;
  }
  EXPECT_EQ(0u, ending.Wait(10000));
}

INSTANTIATE_TEST_SUITE_P(EachProgram, OneCopy, ::testing::ValuesIn(kPrograms),
                         [](const ::testing::TestParamInfo<Suited> &info) {
                           std::wstring exe = info.param.exe;
                           return std::string(exe.begin(), exe.end() - 4);
                         });

}  // namespace
