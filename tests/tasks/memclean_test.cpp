// Memory cleanup with real programs in the device: which ones close, the report, the amount freed.
#include "testsupport.h"
#include "../tweaks/boxanswer.h"
#include "tasks/memclean.h"
#include "shell/pagecommands.h"
#include "tasks/processfigures.h"
#include "tasks/database.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "debuglog.h"
#include "programstatics.h"
#include "device.h"
#include <algorithm>
#include <stdlib.h>
#include <strsafe.h>

namespace {

const wchar_t kLog[] = L"C:\\VT.gui.txt";

struct Helper {
  const wchar_t *exe;
  const wchar_t *args;
  bool closes;
  Program program = Program();
};

std::wstring ReadyEvent(const wchar_t *exe) { return std::wstring(L"vt-memclean-") + exe; }

class MemCleanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    SetProductDword(L"EnableDebug", 1);
    ReadDebugSwitch();
    RemoveFile(kLog);
    GetScreenSize(&g_Screen.width, &g_Screen.height);
    g_Screen.taskbarHeight = ScaleY(26);
    folder_ = MakeTempFolder(L"memclean");
  }
  // Copies of the task helper under other names, all started before any is awaited, and ready.
  bool Start(Helper *helpers, size_t count) {
    std::vector<HANDLE> ready;
    bool ok = true;
    for (size_t i = 0; i < count && ok; i++) {
      Helper *h = &helpers[i];
      std::wstring exe = folder_ + L"\\" + h->exe, event = ReadyEvent(h->exe);
      ok = CopyFileW(HelperProgram(L"taskhelper.exe").c_str(), exe.c_str(), FALSE);
      if (ok) ready.push_back(CreateEventW(NULL, TRUE, FALSE, event.c_str()));
      ok = ok && h->program.Start(exe, std::wstring(h->args) + L" ready " + event);
      EXPECT_TRUE(ok) << testing::PrintToString(std::wstring(h->exe));
    }
    for (size_t i = 0; i < ready.size(); i++) {
      bool up = WaitForSingleObject(ready[i], 15000) == WAIT_OBJECT_0;
      EXPECT_TRUE(up) << testing::PrintToString(std::wstring(helpers[i].exe));
      ok = ok && up;
      CloseHandle(ready[i]);
    }
    return ok;
  }
  std::wstring folder_;
  ProductKeyGuard guard_{{L"EnableDebug"}};
};

void AddDatabaseRecord(const wchar_t *exe) {
  TaskRecord *r = &g_TaskDatabase.records[g_TaskDatabase.count++];
  ZeroMemory(r, sizeof(*r));
  StringCchCopyW(r->title, TASK_RECORD_NAME_CHARS, exe);
  StringCchCopyW(r->exeName, TASK_RECORD_NAME_CHARS, exe);
  StringCchPrintfW(r->path, TASK_RECORD_PATH_CHARS, L"\\Program Files\\%s", exe);
  r->priority = 3;
}

TEST_F(MemCleanTest, ClosesOrdinaryWindowedProgramsOnlyAndReportsTheMemoryTheyFreed) {
  // 20 MB on a device of its own; where the figures are a big machine's, far more than the rest of
  // that machine's memory use drifts by while the list is built twice.
  const int bigMb = GetUsedProgramMemory() < 4096.0 ? 20 : 1024;
  const std::wstring bigArgs = L"window VTBig alloc " + std::to_wstring(bigMb);
  Helper helpers[] = {
      {L"vtbig.exe", bigArgs.c_str(), true},
      {L"vtuntitled.exe", L"untitled", true},
      {L"vtdbapp.exe", L"window VTDatabaseApp", true},
      {L"vtnowindow.exe", L"nowindow", false},
      {L"myrepllog.exe", L"window VTRepl", false},
      {L"QuitletApp.exe", L"window VTNotTheCloseButton class VTQuitletStandIn", false},
      {L"gwes.exe", L"window VTSystem", false},
  };
  ASSERT_TRUE(Start(helpers, ARRAYSIZE(helpers)));
  // A program that keeps its window when asked to close: asked once, left open, named in the report.
  const std::wstring stubbornLog = folder_ + L"\\stubborn.log", stubbornExe = folder_ + L"\\vtstubborn.exe";
  ASSERT_TRUE(CopyFileW(HelperProgram(L"closehelper.exe").c_str(), stubbornExe.c_str(), FALSE));
  Program stubborn;
  ASSERT_TRUE(stubborn.Start(stubbornExe, L"ignore \"" + stubbornLog + L"\" VTStubborn"));
  ASSERT_NE(nullptr, WaitForWindow(L"VTCloseHelper", L"VTStubborn", 10000));
  // Database membership protects nothing; a stopped database program is only a row.
  g_TaskDatabase.count = 0;
  AddDatabaseRecord(L"vtdbapp.exe");
  AddDatabaseRecord(L"vtstopped.exe");

  // No: nothing is measured or closed.
  {
    BoxAnswerer answer({IDNO});
    CloseAllApplications(2);
    ASSERT_EQ(1, answer.Answered());
    EXPECT_EQ(L"Close all running applications to free memory?", answer.Texts()[0]);
  }
  for (Helper &h : helpers) EXPECT_EQ((DWORD)STILL_ACTIVE, h.program.Wait(0)) << testing::PrintToString(std::wstring(h.exe));
  EXPECT_TRUE(ReadLogLines(kLog).empty());

  std::vector<std::wstring> texts;
  {
    BoxAnswerer answer({IDYES, IDOK});
    CloseAllApplications(2);
    ASSERT_EQ(2, answer.Answered());
    texts = answer.Texts();
  }
  // The closed ones have ended by the time the report shows.
  for (Helper &h : helpers) {
    if (h.closes) {
      EXPECT_NE((DWORD)STILL_ACTIVE, h.program.Wait(0)) << testing::PrintToString(std::wstring(h.exe));
    }
  }

  std::vector<std::wstring> lines = ReadLogLines(kLog);
  auto line = [&](const std::wstring &prefix) {
    for (const std::wstring &l : lines)
      if (!l.compare(0, prefix.size(), prefix)) return l;
    return std::wstring();
  };
  EXPECT_NE(L"", line(L"task susceptible for closing exename vtstopped.exe run 0 "));
  EXPECT_NE(L"", line(L"task susceptible for closing exename gwes.exe run 1 issystem? 1 haswind? 1 kill 1"));
  EXPECT_NE(L"", line(L"task susceptible for closing exename myrepllog.exe run 1 issystem? 0 haswind? 1 kill 0"));
  // Only the right ones were closed (whether the others live on also depends on the device's own
  // programs, which this device may let the cleanup close).
  for (Helper &h : helpers) {
    std::wstring closed = line(std::wstring(L"this task will be closed title: ") + h.exe + L" ");
    EXPECT_EQ(h.closes, !closed.empty()) << testing::PrintToString(std::wstring(h.exe));
  }
  EXPECT_NE(L"", line(L"task susceptible for closing exename QuitletApp.exe run 1 issystem? 0 haswind? 1 kill 0"));
  std::wstring big = line(L"this task will be closed title: vtbig.exe UsedMem: ");
  ASSERT_NE(L"", big);
  EXPECT_GE(_wtoi(big.c_str() + big.rfind(L' ') + 1), bigMb << 20) << testing::PrintToString(big);

  // The report: "String44VT %.3f" then "String45VT", with the amount the log gives.
  std::wstring freed = line(L"mem freed ");
  ASSERT_NE(L"", freed);
  std::wstring amount = freed.substr(10);
  ASSERT_EQ(2u, texts.size());
  EXPECT_EQ(L"Memory freed: " + amount + L" MB\nStill open: vtstubborn.exe", texts[1]);
  EXPECT_EQ((DWORD)STILL_ACTIVE, stubborn.Wait(0));
  std::string closes;
  ASSERT_TRUE(ReadFileBytes(stubbornLog, &closes));
  EXPECT_EQ("WM_CLOSE\r\n", closes);
  // The big program has ended before "after" is measured.
  EXPECT_GT(_wtof(amount.c_str()), 0.0) << testing::PrintToString(freed);

  for (Helper &h : helpers) h.program.Kill();
  stubborn.Kill();
  g_TaskDatabase.count = 0;
}

}  // namespace
