// The task page's commands with real programs: what the user is told, what is closed and started,
// and the names the page shows.
#include "pagecommands.h"
#include "pagecatalogue.h"
#include "../tasks/taskhelpers.h"
#include "taskops.h"
#include "database.h"
#include "programstatics.h"
#include "../tweaks/boxanswer.h"

namespace {

int RowOf(DWORD processId) {
  for (int i = 0; i < g_TaskList.count; i++)
    if (g_TaskList.entries[i].processId == processId) return i;
  return -1;
}

// The list keeps a program's whole name; the page shows 12 characters of a longer one, with "...".
TEST(TaskShownName, LongNamesAreCutShortOnesStayWhole) {
  TaskEntry row = {};
  wcscpy(row.displayName, L"longprogramname1234.exe");
  WCHAR shown[TASK_TEXT_CHARS];
  TaskShownName(&row, shown, ARRAYSIZE(shown));
  EXPECT_STREQ(L"longprogramn...", shown);
  wcscpy(row.displayName, L"twelve12.exe");
  TaskShownName(&row, shown, ARRAYSIZE(shown));
  EXPECT_STREQ(L"twelve12.exe", shown);
}

// Answers the next message box of this process: its text, then OK.
struct BoxAnswer {
  std::wstring caption, text;
  UINT icon = 0;
  static DWORD WINAPI Run(void *p) {
    BoxAnswer *self = (BoxAnswer *)p;
    HWND box = NULL;
    WaitUntil([&] {
      box = FindWindowW(L"#32770", NULL);
      DWORD pid = 0;
      if (box) GetWindowThreadProcessId(box, &pid);
      return box && pid == GetCurrentProcessId();
    }, 10000);
    if (!box) return 1;
    wchar_t text[512] = L"";
    GetWindowTextW(box, text, 512);
    self->caption = text;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[32];
      GetClassNameW(child, cls, 32);
      LONG style = GetWindowLongW(child, GWL_STYLE);
      if (!wcscmp(cls, L"Static") && (style & SS_TYPEMASK) == SS_ICON) self->icon = 1;
      else if (!wcscmp(cls, L"Static") && GetWindowTextW(child, text, 512)) self->text = text;
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
  }
};

// Closing from the task page: a system process is refused with the message box and keeps running; any
// other program's window is closed and the program ends; the stopped row starts it again.
TEST(RunCloseTask, RefusesSystemProcessesClosesAndRestartsPrograms) {
  InitProgramStatics();  // the message box's text comes from the strings file
  Program system, program;
  ASSERT_TRUE(StartHelper(&system, HelperCopy(L"tmail.exe"), L"window Mail"));
  // A program that opens its window when started without arguments, as the shell starts it.
  std::wstring name = UniqueName(L"closeme", L".exe");
  std::wstring exe = MakeTempFolder(L"helpers") + L"\\" + name;
  ASSERT_TRUE(CopyFileW(HelperProgram(L"companionhelper.exe").c_str(), exe.c_str(), FALSE));
  ASSERT_TRUE(program.Start(exe));
  ASSERT_TRUE(WaitForWindow(L"COMPANIONHELPER", L"CompanionHelper", 10000));
  g_TaskDatabase.count = 0;
  GetProcessList();
  int s = RowOf(system.id), p = RowOf(program.id);
  ASSERT_GE(s, 0);
  ASSERT_GE(p, 0);
  ASSERT_TRUE(g_TaskList.entries[s].system);

  BoxAnswer answer;
  HANDLE thread = CreateThread(NULL, 0, BoxAnswer::Run, &answer, 0, NULL);
  RunCloseTask(PAGE_TASKS, s);
  WaitForSingleObject(thread, 15000);
  CloseHandle(thread);
  EXPECT_EQ(L"Vantora", answer.caption);
  EXPECT_EQ(1u, answer.icon);
  EXPECT_EQ(L"This is a system process and cannot be closed.", answer.text);
  EXPECT_EQ((DWORD)STILL_ACTIVE, system.Wait(500));
  EXPECT_TRUE(g_TaskList.entries[s].running);

  HWND window = g_TaskList.entries[p].window;
  ASSERT_TRUE(IsWindow(window));
  RunCloseTask(PAGE_TASKS, p);
  EXPECT_FALSE(g_TaskList.entries[p].running);  // shown closed at once
  EXPECT_TRUE(WaitWindowGone(window, 5000));
  EXPECT_EQ(0u, program.Wait(5000));

  // Stopped row: started through the shell by its path, and the list rebuilt shows it running again.
  std::wstring path = g_TaskList.entries[p].path;
  RunCloseTask(PAGE_TASKS, p);
  bool listed = WaitUntil([&] {
    GetProcessList();
    for (int i = 0; i < g_TaskList.count; i++)
      if (g_TaskList.entries[i].running && name == g_TaskList.entries[i].exeName) return true;
    return false;
  }, 10000);
  EXPECT_TRUE(listed) << "restarted from " << path.size();
  for (int i = 0; i < g_TaskList.count; i++)
    if (g_TaskList.entries[i].running && name == g_TaskList.entries[i].exeName)
      PostMessageW(g_TaskList.entries[i].window, WM_CLOSE, 0, 0);
}

// A program that no longer answers is asked to close once; after 5 s the user is offered to end it, and
// Yes ends it. The page never waits for it meanwhile.
TEST(RunCloseTask, AProgramThatHangsIsAskedOnceThenOfferedToTheUserToEnd) {
  InitProgramStatics();
  std::wstring folder = MakeTempFolder(L"hang"), log = folder + L"\\hang.log";
  std::wstring exe = folder + L"\\" + UniqueName(L"hang", L".exe");
  ASSERT_TRUE(CopyFileW(HelperProgram(L"closehelper.exe").c_str(), exe.c_str(), FALSE));
  Program program;
  ASSERT_TRUE(program.Start(exe, L"hang \"" + log + L"\" VTHangs"));
  ASSERT_NE(nullptr, WaitForWindow(L"VTCloseHelper", L"VTHangs", 10000));
  g_TaskDatabase.count = 0;
  GetProcessList();
  int row = RowOf(program.id);
  ASSERT_GE(row, 0);
  BoxAnswerer answer({IDYES});
  RunCloseTask(PAGE_TASKS, row);
  // Back before the question: the page did not wait for the program.
  EXPECT_EQ(0, answer.Answered());
  EXPECT_FALSE(g_TaskList.entries[row].running);
  EXPECT_NE((DWORD)STILL_ACTIVE, program.Wait(20000));
  ASSERT_EQ(1, answer.Answered());
  EXPECT_EQ(L"VTHangs is not responding. End it now?", answer.Texts()[0]);
  std::string closes;
  ASSERT_TRUE(ReadFileBytes(log, &closes));
  EXPECT_EQ("WM_CLOSE\r\n", closes);
}

}  // namespace
