// Inside the device, for the reset offer test that drives a device from the host:
//   tweakhelper exit yes|no   switch window animation (a change), then leave as the main program does,
//                             answering the reset question; prints the new "Animate" and "returned"
//   tweakhelper exit slow     the same, answering No 3 s after the question shows (time for a screenshot)
//   tweakhelper clean FOLDER  delete the files under FOLDER as the browser cleaning does; prints
//                             "deleted=N left=M"
//   tweakhelper animate       prints "Animate" of the window manager's key
//   tweakhelper companions    switch the close button and the battery bar on and start the monitor, as
//                             their switches do; prints "windows=N" (how many of the three came up)
//   tweakhelper keep NAME LEVEL
//                             step the running program NAME to LEVEL through the task page's
//                             operations (the installed database is written, the monitor told);
//                             prints "level=N"
//   tweakhelper rows NAME     the task list's rows of the program NAME, with the installed database:
//                             "running=R db=D level=L" each
//   tweakhelper change        step the glyph cache, flip two storage switches and network power
//                             management, switch the battery bar off
//   tweakhelper values        every value of the tweak catalogue and its first-run copy, the first-run
//                             mark, one line each ("absent" when there is none)
//   tweakhelper levels NAME   one line per running program named NAME: "process" and the level of
//                             each of its threads ("process 2 2 2")
#include <windows.h>
#include <stdio.h>
#include <wchar.h>
#include "boxanswer.h"
#include "debuglog.h"
#include "programstatics.h"
#include "settings.h"
#include "tweaks/tweaks.h"
#include "tweaks/browsercache.h"
#include "companions/companions.h"
#include "tasks/database.h"
#include "tasks/taskops.h"
#include "shell/pagecommands.h"
#include "paths.h"
#include "wm_process.h"
#include <strsafe.h>
#include <tlhelp32.h>
#include <string>

static DWORD WINAPI AnswerLate(LPVOID) {
  // The question stays open 3 s from when it shows, for a person to look at it (no test waits on it).
  while (!FindBox()) Sleep(50);
  Sleep(3000);
  BoxAnswerer answer({IDNO});
  while (!answer.Answered()) Sleep(50);
  return 0;
}

static DWORD Animate(void) {
  DWORD value = 0xFFFFFFFF;
  ReadMachineSetting(L"SYSTEM\\GWE\\", L"Animate", REG_DWORD, &value, sizeof(value));
  return value;
}

static void PrintWide(const std::wstring &text) {
  char bytes[2048];
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, bytes, sizeof(bytes), NULL, NULL);
  printf("%s\n", bytes);
}

// A registry value as one comparable text: its type and its bytes in hex, or "absent".
static std::wstring ValueText(HKEY root, LPCWSTR key, LPCWSTR value) {
  BYTE data[1024];
  DWORD type = 0, size = sizeof(data);
  if (RegGetValueW(root, key, value, RRF_RT_ANY | RRF_NOEXPAND, &type, data, &size) != ERROR_SUCCESS) return L"absent";
  std::wstring text = L"type " + std::to_wstring(type) + L" ";
  static const wchar_t kHex[] = L"0123456789abcdef";
  for (DWORD i = 0; i < size; i++) {
    text += kHex[data[i] >> 4];
    text += kHex[data[i] & 15];
  }
  return text;
}

static int PrintValues(void) {
  for (int row = 0; row < TWEAK_ROW_COUNT; row++) {
    const TweakValue *t = &g_Tweaks[row];
    std::wstring line = L"row " + std::to_wstring(row) + L" " + std::wstring(t->value ? t->value : L"@") + L" = " +
                        ValueText(t->root, t->key, t->value);
    if (t->savedName) line += L"; copy " + std::wstring(t->savedName) + L" = " + ValueText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, t->savedName);
    PrintWide(line);
  }
  PrintWide(std::wstring(L"mark ") + DEFAULT_REGISTRY_SAVED + L" = " +
            ValueText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, DEFAULT_REGISTRY_SAVED));
  PrintWide(std::wstring(L"mark ") + DEFAULT_REGISTRY_ABSENT + L" = " +
            ValueText(HKEY_LOCAL_MACHINE, PRODUCT_KEY, DEFAULT_REGISTRY_ABSENT));
  return 0;
}

static int Companions(void) {
  SetTweakSwitch(SWITCH_CLOSE_BUTTON, true);
  SetTweakSwitch(SWITCH_BATTERY_METER, true);
  if (!FindVTMonitorWindow()) StartVTMonitor();
  int up = 0;
  for (int waited = 0; waited < 20000; waited += 100) {
    up = (FindQuitletWindow() != NULL) + (FindGaugeletWindow() != NULL) + (FindVTMonitorWindow() != NULL);
    if (up == 3) break;
    Sleep(100);
  }
  printf("windows=%d\n", up);
  return up == 3 ? 0 : 1;
}

// The installed database, as the main program keeps it beside itself.
static bool UseInstalledDatabase(void) {
  WCHAR folder[MAX_PATH];
  ReadMachineText(PRODUCT_KEY, L"InstallPath", folder, MAX_PATH, L"");
  if (!folder[0]) return false;
  StringCchPrintfW(g_Paths.moduleFolder, MAX_PATH, L"%s\\", folder);
  return true;
}

static int Keep(LPCWSTR name, int level) {
  if (!UseInstalledDatabase()) return 1;
  LoadSettings();
  GetProcessList();
  for (int row = 0; row < g_TaskList.count; row++) {
    if (!g_TaskList.entries[row].running || lstrcmpiW(g_TaskList.entries[row].exeName, name)) continue;
    while (g_TaskList.entries[row].priority != level)
      if (StepTaskPriority(row, level > g_TaskList.entries[row].priority) != TASK_DONE) break;
    printf("level=%d\n", g_TaskList.entries[row].priority);
    return g_TaskList.entries[row].priority == level ? 0 : 1;
  }
  printf("not running\n");
  return 1;
}

static int Rows(LPCWSTR name) {
  if (!UseInstalledDatabase()) return 1;
  LoadSettings();
  GetProcessList();
  for (int row = 0; row < g_TaskList.count; row++) {
    const TaskEntry *entry = &g_TaskList.entries[row];
    if (SameProgramName(entry->exeName, name))
      printf("running=%d db=%d level=%d\n", (int)entry->running, (int)entry->inDatabase, entry->priority);
  }
  return 0;
}

static int Change(void) {
  if (StepGlyphCacheLevel(true) < 0) StepGlyphCacheLevel(false);
  SetTweakSwitch(SWITCH_REPLICATION_CACHE, !GetTweakSwitch(SWITCH_REPLICATION_CACHE));
  SetTweakSwitch(SWITCH_KEEP_CAB_FILES, !GetTweakSwitch(SWITCH_KEEP_CAB_FILES));
  SetTweakSwitch(SWITCH_NETWORK_POWER, !GetTweakSwitch(SWITCH_NETWORK_POWER));
  SetTweakSwitch(SWITCH_BATTERY_METER, false);
  return 0;
}

static int Levels(LPCWSTR name) {
  HANDLE processes = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  HANDLE threads = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (processes == INVALID_HANDLE_VALUE || threads == INVALID_HANDLE_VALUE) {
    printf("snapshot failed: error %lu\n", (unsigned long)GetLastError());
    return 1;
  }
  PROCESSENTRY32W process = {};
  process.dwSize = sizeof(process);
  for (BOOL more = WmProcess32First(processes, &process); more; more = WmProcess32Next(processes, &process)) {
    if (lstrcmpiW(process.szExeFile, name)) continue;
    std::wstring line = L"process";
    THREADENTRY32 thread = {};
    thread.dwSize = sizeof(thread);
    for (BOOL t = Thread32First(threads, &thread); t; t = Thread32Next(threads, &thread))
      if (thread.th32OwnerProcessID == process.th32ProcessID)
        line += L" " + std::to_wstring(WmGetThreadPriority(thread.th32ThreadID));
    PrintWide(line);
  }
  CloseHandle(processes);
  CloseHandle(threads);
  return 0;
}

int wmain(int argc, wchar_t **argv) {
  InitProgramStatics();
  if (argc > 1 && !wcscmp(argv[1], L"animate")) {
    printf("animate=%lu\n", (unsigned long)Animate());
    return 0;
  }
  if (argc > 1 && !wcscmp(argv[1], L"values")) return PrintValues();
  if (argc > 1 && !wcscmp(argv[1], L"companions")) return Companions();
  if (argc > 1 && !wcscmp(argv[1], L"change")) return Change();
  if (argc > 3 && !wcscmp(argv[1], L"keep")) return Keep(argv[2], _wtoi(argv[3]));
  if (argc > 2 && !wcscmp(argv[1], L"levels")) return Levels(argv[2]);
  if (argc > 2 && !wcscmp(argv[1], L"rows")) return Rows(argv[2]);
  if (argc > 2 && !wcscmp(argv[1], L"clean")) {
    DWORD one = 1;
    WriteMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &one, sizeof(one));
    ReadDebugSwitch();
    int deleted = 0, left = 0;
    DeleteFolderFilesCounted(argv[2], &deleted, &left);
    printf("deleted=%d left=%d\n", deleted, left);
    return 0;
  }
  if (argc > 2 && !wcscmp(argv[1], L"exit")) {
    DWORD one = 1;
    WriteMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &one, sizeof(one));
    ReadDebugSwitch();
    ToggleWindowAnimation(10);
    printf("animate=%lu\n", (unsigned long)Animate());
    fflush(stdout);
    if (!wcscmp(argv[2], L"slow")) {
      HANDLE late = CreateThread(NULL, 0, AnswerLate, NULL, 0, NULL);
      ExitWithResetOffer();
      WaitForSingleObject(late, 10000);
      printf("returned\n");
      return 0;
    }
    BoxAnswerer answer({wcscmp(argv[2], L"yes") ? IDNO : IDYES});
    ExitWithResetOffer();
    printf("returned asked=%d\n", answer.Answered());
    return 0;
  }
  return 2;
}
