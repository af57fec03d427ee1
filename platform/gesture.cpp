// Tap-and-hold: the stylus stays down and still for the hold time. While it is held a ring of dots
// fills around the point, as the handheld draws it, so the user sees the menu coming.
#include "wm_shell.h"
#include "wm.h"
#include <stdlib.h>

namespace {

const WCHAR kFeedbackClass[] = L"HHHoldFeedback";
const int kDots = 8;
const COLORREF kDotColour = RGB(208, 32, 32);
// The ring starts after this share of the hold time: a plain tap never shows it.
const int kQuietPercent = 20;

LRESULT CALLBACK FeedbackProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HBRUSH brush = CreateSolidBrush(kDotColour);
      FillRect(dc, &ps.rcPaint, brush);  // the window's region is the dots shown so far
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

struct HoldFeedback {
  HWND window;
  POINT centre;  // screen
  int factor;
  int shown;     // dots in the region now

  void Start(POINT at, bool animate) {
    window = NULL;
    centre = at;
    shown = 0;
    int w, h;
    WmGetScreenSize(&w, &h);
    factor = WmScaleFactorFor(h < w ? h : w);
    if (!animate) return;
    HINSTANCE instance = GetModuleHandleW(NULL);
    WNDCLASSW wc = {};
    if (!GetClassInfoW(instance, kFeedbackClass, &wc)) {
      wc.lpfnWndProc = FeedbackProc;
      wc.hInstance = instance;
      wc.lpszClassName = kFeedbackClass;
      RegisterClassW(&wc);
    }
    // Around the point, but whole on the screen (a hold at the screen's edge, on the taskbar).
    int size = Size();
    int x = centre.x - size / 2, y = centre.y - size / 2;
    x = x < 0 ? 0 : x + size > w ? w - size : x;
    y = y < 0 ? 0 : y + size > h ? h - size : y;
    window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kFeedbackClass, L"", WS_POPUP, x, y,
                             size, size, NULL, NULL, instance, NULL);
  }
  int Size() const { return 36 * factor; }

  // Shows as many dots as the share of the hold time that has passed asks for.
  void Update(DWORD elapsed, DWORD holdTime) {
    if (!window) return;
    int percent = (int)(elapsed * 100 / (holdTime ? holdTime : 1));
    int want = percent <= kQuietPercent ? 0 : (percent - kQuietPercent) * kDots / (100 - kQuietPercent) + 1;
    if (want > kDots) want = kDots;
    if (want == shown) return;
    shown = want;
    int size = Size(), dot = 6 * factor, radius = size / 2 - dot / 2 - 1;
    HRGN ring = CreateRectRgn(0, 0, 0, 0);
    for (int i = 0; i < shown; i++) {
      // Clockwise from twelve o'clock, as a clock hand sweeps.
      static const int kSin[kDots] = {0, 707, 1000, 707, 0, -707, -1000, -707};
      static const int kCos[kDots] = {1000, 707, 0, -707, -1000, -707, 0, 707};
      int x = size / 2 + radius * kSin[i] / 1000, y = size / 2 - radius * kCos[i] / 1000;
      HRGN one = CreateEllipticRgn(x - dot / 2, y - dot / 2, x + dot / 2 + 1, y + dot / 2 + 1);
      CombineRgn(ring, ring, one, RGN_OR);
      DeleteObject(one);
    }
    SetWindowRgn(window, ring, TRUE);  // the window owns the region now
    if (!IsWindowVisible(window))
      SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(window, NULL, FALSE);
    UpdateWindow(window);
  }

  void Stop() {
    if (window) DestroyWindow(window);
    window = NULL;
  }
};

bool IsStylusMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST; }

}  // namespace

DWORD SHRecognizeGesture(SHRGINFO *shrg) {
  if (!shrg || shrg->cbSize < sizeof(SHRGINFO) || !IsWindow(shrg->hwndClient)) return 0;
  HWND hwnd = shrg->hwndClient;
  // The stylus messages of the window come through this thread's queue only.
  if (GetWindowThreadProcessId(hwnd, NULL) != GetCurrentThreadId()) return 0;
  DWORD holdTime = (shrg->dwFlags & SHRG_LONGDELAY) ? WM_HOLD_LONG_TIME_MS : WM_HOLD_TIME_MS;
  POINT down = shrg->ptDown;
  ClientToScreen(hwnd, &down);

  bool ownCapture = GetCapture() != hwnd;
  if (ownCapture) SetCapture(hwnd);
  HoldFeedback feedback;
  feedback.Start(down, !(shrg->dwFlags & SHRG_NOANIMATION));
  int slop = WM_HOLD_SLOP * feedback.factor;

  bool held = false;
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= holdTime) {
      held = true;
      break;
    }
    if (GetCapture() != hwnd) break;  // someone else took the stylus
    MSG msg;
    if (PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) {
      if (msg.message == WM_QUIT) break;  // left in the queue for the message loop
      if (msg.message == WM_MOUSEMOVE) {
        PeekMessageW(&msg, NULL, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE);
        POINT at = {(short)LOWORD(msg.lParam), (short)HIWORD(msg.lParam)};
        ClientToScreen(msg.hwnd, &at);
        if (abs(at.x - down.x) > slop || abs(at.y - down.y) > slop) break;  // a drag, not a hold
        continue;
      }
      // Lifted, or another button: the window handles those itself.
      if (IsStylusMessage(msg.message)) break;
      PeekMessageW(&msg, NULL, msg.message, msg.message, PM_REMOVE);
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    feedback.Update(elapsed, holdTime);
    DWORD wait = holdTime - elapsed;
    MsgWaitForMultipleObjects(0, NULL, FALSE, wait < 20 ? wait : 20, QS_ALLINPUT);
  }
  feedback.Stop();
  if (ownCapture && GetCapture() == hwnd) ReleaseCapture();
  if (!held) return 0;

  if (shrg->dwFlags & SHRG_RETURNCMD) return GN_CONTEXTMENU;
  if (shrg->dwFlags & SHRG_NOTIFYPARENT) {
    HWND parent = GetParent(hwnd);
    NMRGINFO info = {};
    info.hdr.hwndFrom = hwnd;
    info.hdr.idFrom = (UINT_PTR)GetDlgCtrlID(hwnd);
    info.hdr.code = GN_CONTEXTMENU;
    info.ptAction = down;
    // Another program's parent cannot read a record of this one's memory: tell the window itself.
    if (!parent || GetWindowThreadProcessId(parent, NULL) != GetCurrentThreadId()) parent = hwnd;
    SendMessageW(parent, WM_NOTIFY, info.hdr.idFrom, (LPARAM)&info);
    return 1;
  }
  return GN_CONTEXTMENU;
}
