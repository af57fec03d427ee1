// What the button's commands do: the mode, minimising, switching to and closing applications, and the
// system actions. The button runs the command its menu gave back or a menu message carried.
#include "quitlet.h"
#include "debuglog.h"
#include "device.h"
#include "wm.h"

namespace {

void BringToFront(HWND hwnd) {
  if (!IsWindow(hwnd)) return;
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  WmSetForegroundWindow(hwnd);
}

}  // namespace

void SetQuitletMode(QuitletState *state, int mode) {
  if (mode < QUITLET_MODE_MINIMISE || mode > QUITLET_MODE_MENU) return;
  state->mode = mode;
  CheckModeItem(state);
  WriteDebugLog(LOG_QUITLET, L"Mode [%d]", mode);
  // The button's frame shows the mode.
  if (state->button) {
    InvalidateRect(state->button, NULL, FALSE);
    UpdateWindow(state->button);
  }
}

void RunQuitletCommand(QuitletState *state, UINT id) {
  if (!id) return;  // the menu went away without a choice
  WriteDebugLog(LOG_QUITLET, L"Command [%d]", id);
  const QuitletTaskList &tasks = state->tasks;
  switch (id) {
    case CMD_MODE_MINIMISE:
    case CMD_MODE_CLOSE:
    case CMD_MODE_MENU:
      SetQuitletMode(state, id - CMD_MODE_MINIMISE);
      return;
    case CMD_MINIMISE:
      if (state->trackedIsDesktop) return;
      // The menu may have taken the foreground: the system's button minimises what is in front.
      WmSetForegroundWindow(state->tracked);
      ForwardTaskbarTap(state);
      return;
    case CMD_CLOSE_FOREGROUND:
      if (!state->trackedInShell && !state->trackedIsDesktop) CloseTaskWindow(state->tracked);
      return;
    case CMD_CLOSE_ALL:
    case CMD_CLOSE_ALL_BUT_THIS:
      for (int i = 0; i < tasks.count; i++) {
        const QuitletTaskEntry &task = tasks.entries[i];
        if (IsShellTask(task) || (id == CMD_CLOSE_ALL_BUT_THIS && task.hwnd == state->tracked)) continue;
        CloseTaskWindow(task.hwnd);
      }
      return;
    case CMD_SOFT_RESET:
      ResetDevice();
      return;
    case CMD_POWER_OFF:
      PowerOff();
      return;
    case CMD_APPLET_DEVICE:
      RunProgram(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,4,2");
      return;
    case CMD_APPLET_SETTINGS:
      RunProgram(L"\\windows\\ctlpnl.exe", L"cplmain.cpl,10");
      return;
    case CMD_FILE_EXPLORER:
      RunProgram(L"\\windows\\fexplore.exe", NULL);
      return;
    case CMD_SWITCH_TODAY:
      BringToFront(state->desktop);
      return;
  }
  if (id >= CMD_SWITCH_FIRST && id < CMD_SWITCH_FIRST + (UINT)tasks.count) {
    BringToFront(tasks.entries[id - CMD_SWITCH_FIRST].hwnd);
  } else if (id >= CMD_CLOSE_FIRST && id < CMD_CLOSE_FIRST + (UINT)tasks.count) {
    const QuitletTaskEntry &task = tasks.entries[id - CMD_CLOSE_FIRST];
    if (!IsShellTask(task)) CloseTaskWindow(task.hwnd);
  }
}
