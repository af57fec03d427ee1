// Message boxes that stay on the handheld's screen. The desktop lays a box out for a desktop screen:
// a long text makes it wider than a handheld's, and centred on the screen (or on its owner) it then
// hangs over both edges with the text cut off. Here the box is narrowed to the work area, its text
// wrapped again to the new width, and the whole box placed inside the work area, below the taskbar.
#include "wm.h"

namespace {

const WCHAR kDesktopProcProp[] = L"WmBoxDesktopProc";
const int kTextId = 0xFFFF;  // the box's static text
const int kIconId = 1088;    // and its icon

// Only one message box at a time per thread is being opened; a box asked for from another thread
// has its own hook.
thread_local HHOOK t_Hook = NULL;

bool IsDialog(HWND hwnd) {
  WCHAR cls[16] = L"";
  GetClassNameW(hwnd, cls, ARRAYSIZE(cls));
  return !lstrcmpW(cls, L"#32770");
}

// The child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child) {
  RECT rc;
  GetWindowRect(child, &rc);
  MapWindowPoints(NULL, parent, (POINT *)&rc, 2);
  return rc;
}

// Moves the controls that start below the text's bottom edge (the buttons); the icon beside the text
// stays where it is.
void MoveControlsBelow(HWND box, int textBottom, int dx, int dy) {
  HWND text = GetDlgItem(box, kTextId);
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (child == text) continue;
    RECT rc = ChildRect(box, child);
    if (rc.top < textBottom) continue;
    SetWindowPos(child, NULL, rc.left + dx, rc.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// Narrows the box by shrink pixels: the text wraps again (and grows taller), the controls below it
// move down by as much, and the buttons stay centred. Returns how much taller the box must become.
int NarrowBox(HWND box, int shrink) {
  HWND text = GetDlgItem(box, kTextId);
  if (!text) return 0;
  RECT textRc = ChildRect(box, text);
  int width = (textRc.right - textRc.left) - shrink;
  if (width < 1) return 0;
  int length = GetWindowTextLengthW(text);
  WCHAR *buffer = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, (length + 1) * sizeof(WCHAR));
  if (!buffer) return 0;
  GetWindowTextW(text, buffer, length + 1);
  HDC dc = GetDC(text);
  HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(text, WM_GETFONT, 0, 0));
  RECT need = {0, 0, width, 0};
  UINT flags = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK | DT_CALCRECT;
  if (GetWindowLongW(text, GWL_STYLE) & SS_NOPREFIX) flags |= DT_NOPREFIX;
  DrawTextW(dc, buffer, -1, &need, flags);
  SelectObject(dc, old);
  ReleaseDC(text, dc);
  HeapFree(GetProcessHeap(), 0, buffer);

  int grow = (need.bottom - need.top) - (textRc.bottom - textRc.top);
  if (grow < 0) grow = 0;
  SetWindowPos(text, NULL, 0, 0, width, (textRc.bottom - textRc.top) + grow, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveControlsBelow(box, textRc.bottom, -shrink / 2, grow);
  return grow;
}

// A box taller than the work area even so: the text is cut short at its bottom so that the buttons
// stay on the screen and the question can be answered.
void ShortenBox(HWND box, int excess) {
  HWND text = GetDlgItem(box, kTextId);
  if (!text) return;
  RECT textRc = ChildRect(box, text);
  int height = textRc.bottom - textRc.top;
  if (excess > height - 1) excess = height - 1;
  SetWindowPos(text, NULL, 0, 0, textRc.right - textRc.left, height - excess,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  MoveControlsBelow(box, textRc.bottom, 0, -excess);
  // The icon, centred beside the whole text, comes up to the text's first line.
  HWND icon = GetDlgItem(box, kIconId);
  if (icon) {
    RECT iconRc = ChildRect(box, icon);
    if (iconRc.bottom > textRc.bottom - excess)
      SetWindowPos(icon, NULL, iconRc.left, textRc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void FitBox(HWND box) {
  RECT work, rc;
  if (!WmGetWorkArea(&work) || !GetWindowRect(box, &rc)) return;
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  int workWidth = work.right - work.left, workHeight = work.bottom - work.top;
  if (width > workWidth) {
    height += NarrowBox(box, width - workWidth);
    width = workWidth;
  }
  if (height > workHeight) {
    ShortenBox(box, height - workHeight);
    height = workHeight;
  }
  // Keep the desktop's placement (centred on the owner or the screen) as far as the work area allows.
  int x = rc.left, y = rc.top;
  if (x + width > work.right) x = work.right - width;
  if (x < work.left) x = work.left;
  if (y + height > work.bottom) y = work.bottom - height;
  if (y < work.top) y = work.top;
  SetWindowPos(box, NULL, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The box is laid out while it handles WM_INITDIALOG, before it is shown: it is fitted right after.
LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC desktop = (WNDPROC)GetPropW(hwnd, kDesktopProcProp);
  if (!desktop) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)desktop);
    RemovePropW(hwnd, kDesktopProcProp);
    return CallWindowProcW(desktop, hwnd, msg, wp, lp);
  }
  LRESULT result = CallWindowProcW(desktop, hwnd, msg, wp, lp);
  if (msg == WM_INITDIALOG) FitBox(hwnd);
  return result;
}

LRESULT CALLBACK BoxHook(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    HWND hwnd = (HWND)wp;
    if (IsDialog(hwnd) && !GetPropW(hwnd, kDesktopProcProp)) {
      SetPropW(hwnd, kDesktopProcProp, (HANDLE)GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)BoxProc);
    }
  }
  return CallNextHookEx(t_Hook, code, wp, lp);
}

}  // namespace

int WmMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  HHOOK outer = t_Hook;
  t_Hook = SetWindowsHookExW(WH_CBT, BoxHook, NULL, GetCurrentThreadId());
  int answer = MessageBoxW(owner, text, caption, type);
  if (t_Hook) UnhookWindowsHookEx(t_Hook);
  t_Hook = outer;
  return answer;
}
