// Child windows placed on another program's window (a bar or a button on the shell's taskbar).
// The handheld draws such a child like any other; the desktop draws nothing of it, because the
// pixels of a window tree belong to the program of its top-level window. The layer shows the child
// through a surface of the child's own program: a top-level window owned by the parent's top-level
// window (so it stays above it), at the child's place on the screen, transparent to the stylus (taps
// fall through to the child or whatever lies under it), painted by the child through WM_PRINTCLIENT.
#include "wm.h"

namespace {

const WCHAR kSurfaceClass[] = L"WmChildSurface";
const WCHAR kRecordProp[] = L"WmChildSurfaceRecord";
const UINT_PTR kFollowTimer = 1;
// The parent may move, turn or hide without the child hearing of it.
const UINT kFollowMs = 1000;

struct ChildSurface {
  HWND child;
  HWND surface;
  WNDPROC childProc;  // the child's own window procedure
  RECT shown;         // the surface's screen rectangle while it is shown
  POINT origin;       // the child's client origin on the screen
  bool visible;
};

ChildSurface *RecordOf(HWND child) { return (ChildSurface *)GetPropW(child, kRecordProp); }

// Puts the surface over the visible part of the child (inside its parent's client area), or hides it.
void FollowChild(ChildSurface *cs) {
  HWND parent = GetParent(cs->child);
  RECT rc, parentRc, shown = {};
  GetClientRect(cs->child, &rc);
  MapWindowPoints(cs->child, NULL, (POINT *)&rc, 2);
  bool visible = parent && IsWindowVisible(cs->child) && GetClientRect(parent, &parentRc);
  if (visible) {
    MapWindowPoints(parent, NULL, (POINT *)&parentRc, 2);
    visible = IntersectRect(&shown, &rc, &parentRc) != FALSE;
  }
  POINT origin = {rc.left, rc.top};
  if (visible == cs->visible && (!visible || (EqualRect(&shown, &cs->shown) && origin.x == cs->origin.x &&
                                              origin.y == cs->origin.y)))
    return;
  bool appears = visible && !cs->visible;
  cs->visible = visible;
  cs->shown = shown;
  cs->origin = origin;
  if (!visible) {
    ShowWindow(cs->surface, SW_HIDE);
    return;
  }
  UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
  HWND after = NULL;
  if (appears) {
    // Right above the parent's top-level window, under anything that already covers it.
    HWND root = GetAncestor(parent, GA_ROOT);
    after = root ? GetWindow(root, GW_HWNDPREV) : NULL;
    if (after == cs->surface) flags |= SWP_NOZORDER;
    if (!after) after = HWND_TOP;
  } else {
    flags |= SWP_NOZORDER;
  }
  SetWindowPos(cs->surface, after, shown.left, shown.top, shown.right - shown.left, shown.bottom - shown.top,
               flags);
  InvalidateRect(cs->surface, NULL, FALSE);
}

void PaintSurface(ChildSurface *cs) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(cs->surface, &ps);
  RECT rc;
  GetClientRect(cs->surface, &rc);
  HBRUSH background = (HBRUSH)GetClassLongPtrW(cs->child, GCLP_HBRBACKGROUND);
  if (background) FillRect(dc, &rc, background);
  // The child paints in its own client coordinates.
  POINT old;
  SetViewportOrgEx(dc, cs->origin.x - cs->shown.left, cs->origin.y - cs->shown.top, &old);
  SendMessageW(cs->child, WM_PRINTCLIENT, (WPARAM)dc, PRF_CLIENT);
  SetViewportOrgEx(dc, old.x, old.y, NULL);
  EndPaint(cs->surface, &ps);
}

LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ChildSurface *cs = (ChildSurface *)GetWindowLongPtrW(hwnd, GWLP_USERDATA);
  switch (msg) {
    case WM_PAINT:
      if (!cs) break;
      PaintSurface(cs);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_TIMER:
      if (cs && wp == kFollowTimer) FollowChild(cs);
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ChildSurface *cs = RecordOf(hwnd);
  if (!cs) return DefWindowProcW(hwnd, msg, wp, lp);
  WNDPROC own = cs->childProc;
  switch (msg) {
    case WM_PAINT: {
      // What the child paints on itself is not seen; the same picture goes to the surface.
      LRESULT result = CallWindowProcW(own, hwnd, msg, wp, lp);
      if (cs->visible) InvalidateRect(cs->surface, NULL, FALSE);
      return result;
    }
    case WM_WINDOWPOSCHANGED: {
      LRESULT result = CallWindowProcW(own, hwnd, msg, wp, lp);
      if ((cs = RecordOf(hwnd)) != NULL) FollowChild(cs);
      return result;
    }
    case WM_NCDESTROY:
      RemovePropW(hwnd, kRecordProp);
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)own);
      DestroyWindow(cs->surface);
      LocalFree(cs);
      return CallWindowProcW(own, hwnd, msg, wp, lp);
  }
  return CallWindowProcW(own, hwnd, msg, wp, lp);
}

bool RegisterSurfaceClass(HINSTANCE instance) {
  WNDCLASSW wc = {};
  if (GetClassInfoW(instance, kSurfaceClass, &wc)) return true;
  wc.lpfnWndProc = SurfaceProc;
  wc.hInstance = instance;
  wc.lpszClassName = kSurfaceClass;
  return RegisterClassW(&wc) != 0;
}

}  // namespace

BOOL WmShowChildOfOtherProgram(HWND child) {
  if (!IsWindow(child) || !(GetWindowLongW(child, GWL_STYLE) & WS_CHILD) || RecordOf(child)) return FALSE;
  HWND parent = GetParent(child);
  DWORD parentProcess = 0;
  if (!parent || !GetWindowThreadProcessId(parent, &parentProcess) || parentProcess == GetCurrentProcessId())
    return FALSE;
  HINSTANCE instance = (HINSTANCE)GetWindowLongPtrW(child, GWLP_HINSTANCE);
  if (!RegisterSurfaceClass(instance)) return FALSE;
  HWND root = GetAncestor(parent, GA_ROOT);
  DWORD exStyle = WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
  if (root && (GetWindowLongW(root, GWL_EXSTYLE) & WS_EX_TOPMOST)) exStyle |= WS_EX_TOPMOST;
  HWND surface = CreateWindowExW(exStyle, kSurfaceClass, L"", WS_POPUP, 0, 0, 0, 0, root, NULL, instance, NULL);
  if (!surface) return FALSE;
  // Magenta that the child leaves lets what lies under it show (a rounded button's corners).
  SetLayeredWindowAttributes(surface, RGB(255, 0, 255), 255, LWA_ALPHA | LWA_COLORKEY);
  ChildSurface *cs = (ChildSurface *)LocalAlloc(LPTR, sizeof(ChildSurface));
  if (!cs) {
    DestroyWindow(surface);
    return FALSE;
  }
  cs->child = child;
  cs->surface = surface;
  cs->childProc = (WNDPROC)GetWindowLongPtrW(child, GWLP_WNDPROC);
  SetWindowLongPtrW(surface, GWLP_USERDATA, (LONG_PTR)cs);
  if (!SetPropW(child, kRecordProp, cs)) {
    DestroyWindow(surface);
    LocalFree(cs);
    return FALSE;
  }
  SetWindowLongPtrW(child, GWLP_WNDPROC, (LONG_PTR)ChildProc);
  SetTimer(surface, kFollowTimer, kFollowMs, NULL);
  FollowChild(cs);
  return TRUE;
}
