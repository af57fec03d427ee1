// Starting and stopping the companion programs with their flags and StartUp shortcuts.
#include "companions.h"
#include "debuglog.h"
#include "device.h"
#include "paths.h"
#include "settings.h"
#include "wm.h"
#include <strsafe.h>

const Companion g_Companions[COMPANION_COUNT] = {
    {L"QuitletApp.exe", L"QUITLETAPP", L"QuitletApp", L"QuitletApp.lnk", L"RealQuitlet"},
    {L"GaugeletApp.exe", L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl", L"GaugeletApp.lnk", L"Gaugelet"},
    {L"VTMonitor.exe", L"VTMONITOR", L"VTMonitor", L"VTMonitor.lnk", NULL},
};

namespace {

enum { QUITLET = COMPANION_CLOSE_BUTTON, GAUGELET = COMPANION_BATTERY_METER, MONITOR = COMPANION_MONITOR };

HWND FindCompanion(int which) { return FindWindowW(g_Companions[which].windowClass, g_Companions[which].windowTitle); }

// true when the shell took the start (the shortcut is made either way, as the switch says).
bool StartCompanion(int which) {
  const Companion *c = &g_Companions[which];
  WCHAR command[MAX_PATH];
  if (FAILED(StringCchCopyW(command, ARRAYSIZE(command), CompanionCommand(c->programFile)))) command[0] = 0;
  WriteDebugLog(LOG_GUI, L"Start companion [%s]", command);
  if (!command[0]) return false;
  bool started = RunProgram(command, NULL) != 0;
  SetStartupShortcut(1, command, c->shortcut);
  return started;
}

void StopCompanion(int which) {
  const Companion *c = &g_Companions[which];
  HWND window = FindCompanion(which);
  WriteDebugLog(LOG_GUI, L"Stop companion [%s] window 0x%X", c->programFile, (unsigned)(UINT_PTR)window);
  // Another program's window: the layer asks it to close, as the desktop refuses to destroy it.
  if (window) WmCloseWindow(window);
  SetStartupShortcut(0, NULL, c->shortcut);
}

}  // namespace

LPCWSTR CompanionCommand(LPCWSTR programFile) {
  static WCHAR command[MAX_PATH];
  command[0] = 0;
  LPCWSTR path = GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"", programFile);
  if (!path || !path[0] || FAILED(StringCchPrintfW(command, ARRAYSIZE(command), L"\"%s\"", path))) command[0] = 0;
  return command;
}

HWND FindVTMonitorWindow(void) { return FindCompanion(MONITOR); }
HWND FindQuitletWindow(void) { return FindCompanion(QUITLET); }
HWND FindGaugeletWindow(void) { return FindCompanion(GAUGELET); }

void StartVTMonitor(void) { StartCompanion(MONITOR); }
void StopVTMonitor(void) { StopCompanion(MONITOR); }

void SwitchCompanion(int which, bool on) {
  if (which < 0 || which >= COMPANION_COUNT) return;
  if (g_Companions[which].flag) {
    DWORD value = on ? 1 : 0;
    WriteMachineSetting(PRODUCT_KEY, g_Companions[which].flag, REG_DWORD, &value, sizeof(value));
  }
  if (on)
    StartCompanion(which);
  else
    StopCompanion(which);
}

void SetQuitletEnabled(bool on) { SwitchCompanion(QUITLET, on); }
void SetGaugeletEnabled(bool on) { SwitchCompanion(GAUGELET, on); }

bool StartOrStopVTMonitor(void) {
  if (FindVTMonitorWindow()) {
    StopVTMonitor();
    return false;
  }
  StartVTMonitor();
  return true;
}

void StartBenchmark(int mode) {
  static const LPCWSTR kArguments[] = {L"-run", L"-view", L"-compare"};
  if (mode < 0 || mode >= (int)ARRAYSIZE(kArguments)) return;
  // The benchmark lies beside the running program (the module folder ends with a backslash).
  WCHAR folder[MAX_PATH];
  if (FAILED(StringCchCopyW(folder, ARRAYSIZE(folder), g_Paths.moduleFolder))) return;
  size_t length = wcslen(folder);
  if (length && folder[length - 1] == L'\\') folder[length - 1] = 0;
  WCHAR program[MAX_PATH];
  if (FAILED(StringCchCopyW(program, ARRAYSIZE(program), JoinPath(folder, L"", L"Benchmark.exe"))) || !program[0])
    return;
  WriteDebugLog(LOG_GUI, L"RunBenchmark [%s %s]", program, kArguments[mode]);
  RunProgram(program, kArguments[mode]);
}

// The companions CheckCompanionsAtStart started, whose windows the first task list waits for.
static bool g_StartedAtStart[COMPANION_COUNT];

void CheckCompanionsAtStart(void) {
  // An absent flag counts as off, as the companions page shows it.
  DWORD quitlet = ReadMachineDword(PRODUCT_KEY, g_Companions[QUITLET].flag, 0);
  if (!FindQuitletWindow() && quitlet) g_StartedAtStart[QUITLET] = StartCompanion(QUITLET);

  DWORD gaugelet = ReadMachineDword(PRODUCT_KEY, g_Companions[GAUGELET].flag, 0) ? 1 : 0;
  WriteMachineSetting(PRODUCT_KEY, g_Companions[GAUGELET].flag, REG_DWORD, &gaugelet, sizeof(gaugelet));
  if (!FindGaugeletWindow() && gaugelet) g_StartedAtStart[GAUGELET] = StartCompanion(GAUGELET);
}

int CompanionsStillStarting(void) {
  int missing = 0;
  for (int which = 0; which < COMPANION_COUNT; which++) {
    if (g_StartedAtStart[which] && FindCompanion(which)) g_StartedAtStart[which] = false;
    missing += g_StartedAtStart[which];
  }
  return missing;
}

void ForgetCompanionsStarting(void) {
  for (bool &started : g_StartedAtStart) started = false;
}
