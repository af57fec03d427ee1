// GButton and PictureBox: the control object travels with its window (the child identifier slot), so
// the window procedure finds it again; windows without one get default processing.
#include "controls.h"
#include <strsafe.h>

#define GBUTTON_CLASS L"GButton"
#define PICTUREBOX_CLASS L"PictureBox"

static void Beep(void) { MessageBeep(0); }

static HFONT g_CaptionFont = NULL;
void SetControlCaptionFont(HFONT font) { g_CaptionFont = font; }

static void StretchWhole(HDC dc, HBITMAP image, const RECT *rc, int srcX, int srcWidthDivisor, int part) {
  BITMAP info;
  if (!image || !GetObjectW(image, sizeof(info), &info)) {
    // No picture: a plain face keeps the control visible.
    FillRect(dc, rc, (HBRUSH)GetStockObject(part ? GRAY_BRUSH : LTGRAY_BRUSH));
    return;
  }
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, image);
  int w = info.bmWidth / srcWidthDivisor;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, rc->right, rc->bottom, mem, srcX * part * w, 0, w, info.bmHeight, SRCCOPY);
  SelectObject(mem, old);
  DeleteDC(mem);
}

// Press and release by stylus or Enter, and the focus look: the same for both controls. A disabled
// control only beeps; the command goes to the parent when a press is released.
static void HandlePressInput(HWND hwnd, UINT msg, WPARAM wParam, DWORD command, BYTE *pressed, BYTE *focused) {
  switch (msg) {
    case WM_KEYDOWN:
      if (wParam != VK_RETURN) return;
      // fall through
    case WM_LBUTTONDOWN:
      if (GetWindowLongW(hwnd, GWL_STYLE) & WS_DISABLED) {
        Beep();
        return;
      }
      SetCapture(hwnd);
      *pressed = 1;
      SetFocus(hwnd);
      InvalidateRect(hwnd, NULL, FALSE);
      return;
    case WM_KEYUP:
      if (wParam != VK_RETURN) return;
      // fall through
    case WM_LBUTTONUP:
      if (*pressed) {
        ReleaseCapture();
        *pressed = 0;
        InvalidateRect(hwnd, NULL, FALSE);
        SendMessageW(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(command, 0), (LPARAM)hwnd);
      }
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      *focused = msg == WM_SETFOCUS;
      InvalidateRect(hwnd, NULL, FALSE);
      return;
  }
}

static LRESULT CALLBACK GButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  GButton *button = (GButton *)GetWindowLongPtrW(hwnd, GWLP_ID);
  if (!button || button->window != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_KEYUP:
    case WM_LBUTTONUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandlePressInput(hwnd, msg, wParam, button->command, &button->pressed, &button->focused);
      return 0;
    case WM_ENABLE:
      InvalidateRect(hwnd, NULL, FALSE);
      return 0;
    case WM_SETTEXT:
      StringCchCopyW(button->caption, CAPTION_CHARS, lParam ? (LPCWSTR)lParam : L"");
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      StretchWhole(dc, button->face, &rc, 1, 2, button->pressed);
      if (button->focused) DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
      if (button->caption[0]) {
        SetBkMode(dc, TRANSPARENT);
        // A button that waits (the run page's, during the run) says so.
        SetTextColor(dc, IsWindowEnabled(hwnd) ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
        // The desktop's default context font is a tiny bitmap face; the handheld's is its Tahoma.
        HGDIOBJ oldFont = g_CaptionFont ? SelectObject(dc, g_CaptionFont) : NULL;
        DrawTextW(dc, button->caption, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (oldFont) SelectObject(dc, oldFont);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      // Hit testing, cursor and the window's own bookkeeping stay with the system.
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

static LRESULT CALLBACK PictureBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  PictureBox *box = (PictureBox *)GetWindowLongPtrW(hwnd, GWLP_ID);
  if (!box || box->window != hwnd) return DefWindowProcW(hwnd, msg, wParam, lParam);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_KEYUP:
    case WM_LBUTTONUP:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      HandlePressInput(hwnd, msg, wParam, box->command, &box->pressed, &box->focused);
      return 0;
    case WM_SETTEXT:
      return TRUE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT rc;
      GetClientRect(hwnd, &rc);
      StretchWhole(dc, box->image, &rc, 0, 1, 0);
      if (box->focused) DrawEdge(dc, &rc, EDGE_RAISED, BF_RECT);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      // Hit testing, cursor and the window's own bookkeeping stay with the system.
      return DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

static bool RegisterControlClass(HINSTANCE instance, LPCWSTR name, WNDPROC proc) {
  WNDCLASSW wc;
  if (GetClassInfoW(instance, name, &wc)) return true;
  ZeroMemory(&wc, sizeof(wc));
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hbrBackground = (HBRUSH)GetStockObject(DKGRAY_BRUSH);
  wc.lpszClassName = name;
  return RegisterClassW(&wc) != 0;
}

HWND CreateGButton(GButton *button, HWND parent, HINSTANCE instance, DWORD command, HBITMAP face,
                   LPCWSTR caption, bool enabled) {
  ZeroMemory(button, sizeof(*button));
  if (!RegisterControlClass(instance, GBUTTON_CLASS, GButtonProc)) return NULL;
  button->face = face;
  button->instance = instance;
  button->command = command;
  StringCchCopyW(button->caption, CAPTION_CHARS, caption ? caption : L"");
  // The object rides in the child identifier; the procedure ignores messages until the handle is set.
  button->window = CreateWindowExW(0, GBUTTON_CLASS, L"", WS_CHILD | WS_VISIBLE | (enabled ? 0 : WS_DISABLED), 0, 0,
                                   0, 0, parent, (HMENU)button, instance, NULL);
  return button->window;
}

HWND CreatePictureBox(PictureBox *box, HWND parent, HINSTANCE instance, DWORD command, HBITMAP image) {
  ZeroMemory(box, sizeof(*box));
  if (!RegisterControlClass(instance, PICTUREBOX_CLASS, PictureBoxProc)) return NULL;
  box->image = image;
  box->instance = instance;
  box->command = command;
  box->window = CreateWindowExW(0, PICTUREBOX_CLASS, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, (HMENU)box,
                                instance, NULL);
  return box->window;
}

void PlaceGButton(GButton *button, int x, int y, int width, int height) {
  button->x = x;
  button->y = y;
  button->width = width;
  button->height = height;
  if (button->window) MoveWindow(button->window, x, y, width, height, TRUE);
}

void PlacePictureBox(PictureBox *box, int x, int y, int width, int height) {
  box->x = x;
  box->y = y;
  box->width = width;
  box->height = height;
  if (box->window) MoveWindow(box->window, x, y, width, height, TRUE);
}

void DestroyGButton(GButton *button) {
  if (button->window) DestroyWindow(button->window);
  button->window = NULL;
}

void DestroyPictureBox(PictureBox *box) {
  if (box->window) DestroyWindow(box->window);
  box->window = NULL;
}
