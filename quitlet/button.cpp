// The button on the taskbar: placed over the system's smart-minimise button, drawn from the sprite,
// following the foreground application, and acting on a tap by the mode.
#include "quitlet.h"
#include "debuglog.h"
#include "device.h"
#include "wm.h"
#include "wm_shell.h"

namespace {

const COLORREF kSpriteKey = RGB(255, 0, 255);
const int kFrameSize = 40;

QuitletState *StateOf(HWND hwnd) { return (QuitletState *)GetWindowLongPtrW(hwnd, GWLP_USERDATA); }

void Redraw(QuitletState *state) {
  InvalidateRect(state->button, NULL, FALSE);
  UpdateWindow(state->button);
}

void DrawFrame(QuitletState *state, HDC dc, bool keyed) {
  if (!state->sprite) return;
  int s = ScaleX(20);
  int frameX = state->mode * kFrameSize + (state->pressed ? 3 * kFrameSize : 0);
  if (keyed) {
    TransparentImage(dc, 0, 0, s, s, state->sprite, frameX, 0, kFrameSize, kFrameSize, kSpriteKey);
    return;
  }
  // The layer's surface keys magenta itself: the frame goes as it is.
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, state->sprite);
  int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, s, s, mem, frameX, 0, kFrameSize, kFrameSize, SRCCOPY);
  SetStretchBltMode(dc, oldMode);
  SelectObject(mem, old);
  DeleteDC(mem);
}

void PaintButton(QuitletState *state, HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (state) DrawFrame(state, dc, true);
  EndPaint(hwnd, &ps);
}

// The window the user works in now: the foreground window; nothing in front, or the taskbar, is the
// Today screen.
HWND CurrentForeground(QuitletState *state) {
  HWND fg = GetForegroundWindow();
  if (!state->desktop || !IsWindow(state->desktop)) state->desktop = WmGetDesktopWindow();
  if (!fg || fg == state->taskbar || fg == GetDesktopWindow()) fg = state->desktop;
  return fg;
}

void ActOnTap(QuitletState *state) {
  // Act on what is in front now, not on what the last tick saw.
  TrackForeground(state);
  WriteDebugLog(LOG_QUITLET, L"Tap: mode [%d] foreground [0x%X] shell [%d] desktop [%d]", state->mode,
                (unsigned)(UINT_PTR)state->tracked, state->trackedInShell, state->trackedIsDesktop);
  int mode = state->mode;
  if (mode == QUITLET_MODE_MENU) {
    RunQuitletCommand(state, ShowQuitletMenu(state));
    return;
  }
  // The Today screen and the shell's own windows are never closed: the tap minimises instead.
  if (mode == QUITLET_MODE_CLOSE && !state->trackedInShell && !state->trackedIsDesktop) {
    WriteDebugLog(LOG_QUITLET, L"Tap: close [0x%X]", (unsigned)(UINT_PTR)state->tracked);
    CloseTaskWindow(state->tracked);
    return;
  }
  if (state->trackedIsDesktop) {
    WriteDebugLog(LOG_QUITLET, L"Tap: beep, Today in front");
    MessageBeep(MB_OK);
    return;
  }
  WriteDebugLog(LOG_QUITLET, L"Tap: minimise");
  ForwardTaskbarTap(state);
}

void OnStylusDown(QuitletState *state, HWND hwnd, LPARAM lp) {
  SetCapture(hwnd);
  state->pressed = true;
  Redraw(state);
  SHRGINFO gesture = {};
  gesture.cbSize = sizeof(gesture);
  gesture.hwndClient = hwnd;
  gesture.ptDown.x = (short)LOWORD(lp);
  gesture.ptDown.y = (short)HIWORD(lp);
  gesture.dwFlags = SHRG_RETURNCMD;
  DWORD held = SHRecognizeGesture(&gesture);
  if (GetCapture() == hwnd) ReleaseCapture();
  state->pressed = false;
  Redraw(state);
  if (held == GN_CONTEXTMENU) {
    WriteDebugLog(LOG_QUITLET, L"Tap and hold: menu");
    TrackForeground(state);
    RunQuitletCommand(state, ShowQuitletMenu(state));
    return;
  }
  ActOnTap(state);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  QuitletState *state = StateOf(hwnd);
  if (!state) return DefWindowProcW(hwnd, msg, wp, lp);  // before the state is attached
  switch (msg) {
    case WM_PAINT:
      PaintButton(state, hwnd);
      return 0;
    case WM_PRINTCLIENT:
      // The layer shows the button, a window on the shell's taskbar, through a surface of its own.
      DrawFrame(state, (HDC)wp, false);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (wp == QUITLET_TRACK_TIMER) {
        TrackForeground(state);
        // The taskbar may have changed size without this program hearing of it.
        RECT rc;
        if (GetWindowRect(state->taskbar, &rc) && !EqualRect(&rc, &state->taskbarRect)) PositionButton(state);
      }
      return 0;
    case WM_LBUTTONDOWN:
      OnStylusDown(state, hwnd, lp);
      return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      if (state->pressed) {
        state->pressed = false;
        if (msg == WM_LBUTTONUP && GetCapture() == hwnd) ReleaseCapture();
        Redraw(state);
      }
      return 0;
    case WM_MEASUREITEM:
      if (MeasureMenuItem(state, (MEASUREITEMSTRUCT *)lp)) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawMenuItem(state, (const DRAWITEMSTRUCT *)lp)) return TRUE;
      break;
    case WM_COMMAND:
      RunQuitletCommand(state, LOWORD(wp));
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, QUITLET_TRACK_TIMER);
      if (state->button == hwnd) {
        state->button = NULL;
        // Also when the taskbar goes (its shell ended): the program ends with its button, as the
        // battery bar does, so that a new shell's StartUp starts it afresh instead of finding this
        // instance without a button and leaving as a second one.
        WriteDebugLog(LOG_QUITLET, L"Button gone, ending.");
        PostQuitMessage(0);
      }
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

bool RegisterButtonClass(HINSTANCE instance) {
  WNDCLASSW wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = ButtonProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  wc.lpszClassName = QUITLET_BUTTON_CLASS;
  return RegisterClassW(&wc) != 0;
}

HWND CreateQuitletButton(QuitletState *state) {
  int s = ScaleX(20);
  HWND button = WmCreateWindow(0, QUITLET_BUTTON_CLASS, QUITLET_BUTTON_TITLE, WS_CHILD | WS_VISIBLE, 0, 0, s, s,
                               state->taskbar, (HMENU)(UINT_PTR)QUITLET_BUTTON_ID, state->instance, NULL);
  if (!button) return NULL;
  WriteDebugLog(LOG_QUITLET, L"Button [0x%X], sprite %dx%d, icons %dx%d", (unsigned)(UINT_PTR)button,
                (int)state->spriteSize.cx, (int)state->spriteSize.cy, (int)state->iconsSize.cx, (int)state->iconsSize.cy);
  state->button = button;
  SetWindowLongPtrW(button, GWLP_USERDATA, (LONG_PTR)state);
  PositionButton(state);
  SetTimer(button, QUITLET_TRACK_TIMER, QUITLET_TRACK_PERIOD_MS, NULL);
  CreateQuitletMenus(state);
  TrackForeground(state);
  ShowWindow(button, SW_SHOW);
  UpdateWindow(button);
  return button;
}

void PositionButton(QuitletState *state) {
  if (!state->button || !GetWindowRect(state->taskbar, &state->taskbarRect)) return;
  // A turned screen may change the layout factor.
  ResetScaleFactors();
  int s = ScaleX(20);
  int width = state->taskbarRect.right - state->taskbarRect.left;
  int height = state->taskbarRect.bottom - state->taskbarRect.top;
  int m = (height - s) / 2;
  SetWindowPos(state->button, HWND_TOP, width - s - m, m, s, s, SWP_NOACTIVATE);
  InvalidateRect(state->button, NULL, FALSE);
}

void TrackForeground(QuitletState *state) {
  HWND fg = CurrentForeground(state);
  if (fg == state->tracked) return;
  DWORD processId = 0;
  GetWindowThreadProcessId(fg, &processId);
  // This program's own windows (its menus' owner) are never the application in front.
  if (fg && processId == GetCurrentProcessId()) return;
  state->trackedInShell = false;
  state->trackedIsDesktop = false;
  state->tracked = fg;
  WCHAR name[MAX_PATH];
  GetProcessFileName(processId, name, MAX_PATH);
  state->trackedInShell = lstrcmpW(name, SHELL_PROGRAM) == 0;
  state->trackedIsDesktop = fg && fg == state->desktop;
  UpdateMenuStates(state);
}
