// The soft-key menu bar: a bar along the bottom of the screen with two keys, labelled from the owner's
// string resources. The left key sends its command; a drop-down key opens a popup of the owner's
// menu. F1 and F2 are the hardware soft keys; Escape is the Back key, which an owner may take over.
#include "wm.h"
#include "device_profile.h"
#include <strsafe.h>

namespace {

const int kMaxButtons = 2;
const int kKeyCount = 3;  // soft key 1, soft key 2, Back: indexes match the WM_HOTKEY codes
// A soft key pressed on the keyboard; the bar acts on it from its own message, outside the hook.
const UINT kPressKey = WM_APP + 1;

struct MenuBarButton {
  UINT command;
  UINT style;
  UINT popup;  // index of the popup in the menu resource, NOMENU for a plain key
  WCHAR label[32];
};

struct MenuBarState {
  HWND owner;
  HINSTANCE resources;
  UINT menuId;
  int count;
  MenuBarButton buttons[kMaxButtons];
  int pressed;                // button under the stylus, -1 none
  WORD keyFlags[kKeyCount];   // SHMBOF_* per overridable key
};

struct ThreadHook {
  DWORD thread;
  HHOOK hook;
  int bars;
};
ThreadHook g_hooks[16];

MenuBarState *StateOf(HWND bar) { return (MenuBarState *)GetWindowLongPtrW(bar, GWLP_USERDATA); }

int KeyIndex(WPARAM vk) {
  switch (vk) {
    case VK_TSOFT1: return SHMB_HOTKEY_SOFT1;
    case VK_TSOFT2: return SHMB_HOTKEY_SOFT2;
    case VK_TBACK: return SHMB_HOTKEY_BACK;
  }
  return -1;
}

WPARAM KeyCode(int index) {
  static const WPARAM codes[kKeyCount] = {VK_TSOFT1, VK_TSOFT2, VK_TBACK};
  return codes[index];
}

// Reads the menu bar resource: menu id, count, then seven words per button.
BOOL LoadButtons(MenuBarState *st, HINSTANCE inst, UINT id) {
  HRSRC res = FindResourceW(inst, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!res) return FALSE;
  DWORD size = SizeofResource(inst, res);
  HGLOBAL mem = LoadResource(inst, res);
  const WORD *w = mem ? (const WORD *)LockResource(mem) : NULL;
  if (!w || size < 4) return FALSE;
  size_t words = size / 2;
  st->menuId = w[0];
  int count = w[1];
  if (count > kMaxButtons) count = kMaxButtons;
  if ((size_t)(2 + count * 7) > words) count = (int)((words - 2) / 7);
  for (int i = 0; i < count; i++) {
    const WORD *b = w + 2 + i * 7;
    MenuBarButton *btn = &st->buttons[i];
    btn->command = b[1];
    btn->style = b[3];
    btn->popup = b[6];
    btn->label[0] = 0;
    if (b[4]) LoadStringW(inst, b[4], btn->label, ARRAYSIZE(btn->label));
  }
  st->count = count;
  return TRUE;
}

// Where the bar belongs: along the bottom of the screen, one bar height high.
RECT BarRect() {
  int w, h;
  WmGetScreenSize(&w, &h);
  RECT rc = {0, h - WmBarHeight(), w, h};
  return rc;
}

void PlaceBar(HWND bar) {
  RECT rc = BarRect();
  SetWindowPos(bar, NULL, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ButtonRect(HWND bar, int index, RECT *rc) {
  GetClientRect(bar, rc);
  int mid = (rc->right - rc->left) / 2;
  if (index == 0)
    rc->right = mid;
  else
    rc->left = mid;
}

void PressButton(HWND bar, int index) {
  MenuBarState *st = StateOf(bar);
  if (!st || index < 0 || index >= st->count) return;
  MenuBarButton *btn = &st->buttons[index];
  if (btn->popup != NOMENU && (btn->style & TBSTYLE_DROPDOWN)) {
    HMENU menu = LoadMenuW(st->resources, MAKEINTRESOURCEW(st->menuId));
    HMENU popup = menu ? GetSubMenu(menu, btn->popup) : NULL;
    if (popup) {
      RECT rc;
      GetWindowRect(bar, &rc);
      // The owner must be foreground or the popup does not close when the user taps elsewhere.
      SetForegroundWindow(st->owner);
      TrackPopupMenuEx(popup, TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON, rc.right, rc.top, st->owner,
                       NULL);
      PostMessageW(st->owner, WM_NULL, 0, 0);
    }
    if (menu) DestroyMenu(menu);
    return;
  }
  PostMessageW(st->owner, WM_COMMAND, MAKEWPARAM(btn->command, 0), (LPARAM)bar);
}

// A soft key or Back pressed while a window of the bar's owner has the focus. TRUE = key consumed.
BOOL HandleKey(HWND bar, int key, BOOL up) {
  MenuBarState *st = StateOf(bar);
  if (!st) return FALSE;
  WORD flags = st->keyFlags[key];
  if (flags & SHMBOF_NOTIFY)
    PostMessageW(st->owner, WM_HOTKEY, key, MAKELPARAM(up ? MOD_KEYUP : 0, KeyCode(key)));
  if (flags & SHMBOF_NODEFAULT) return TRUE;
  if (key == SHMB_HOTKEY_BACK) return FALSE;  // Back reaches the window as Escape
  if (!up) PostMessageW(bar, kPressKey, key, 0);
  return TRUE;
}

LRESULT CALLBACK KeyHook(int code, WPARAM wp, LPARAM lp) {
  HHOOK next = NULL;
  if (code == HC_ACTION && wp == PM_REMOVE) {
    MSG *m = (MSG *)lp;
    int key = (m->message == WM_KEYDOWN || m->message == WM_KEYUP) && m->hwnd ? KeyIndex(m->wParam) : -1;
    if (key >= 0) {
      HWND root = GetAncestor(m->hwnd, GA_ROOT);
      WCHAR cls[32] = L"";
      GetClassNameW(root, cls, ARRAYSIZE(cls));
      HWND bar = lstrcmpW(cls, DEVICE_MENUBAR_CLASS) == 0 ? root : SHFindMenuBar(root);
      if (bar && GetWindowThreadProcessId(bar, NULL) == GetCurrentThreadId() &&
          HandleKey(bar, key, m->message == WM_KEYUP))
        m->message = WM_NULL;
    }
  }
  return CallNextHookEx(next, code, wp, lp);
}

void AttachHook(BOOL attach) {
  DWORD tid = GetCurrentThreadId();
  ThreadHook *free = NULL;
  for (ThreadHook &h : g_hooks) {
    if (h.thread == tid && h.bars > 0) {
      if (attach) {
        h.bars++;
      } else if (--h.bars == 0) {
        UnhookWindowsHookEx(h.hook);
        h.thread = 0;
      }
      return;
    }
    if (!free && h.bars == 0) free = &h;
  }
  if (attach && free) {
    free->hook = SetWindowsHookExW(WH_GETMESSAGE, KeyHook, NULL, tid);
    if (free->hook) {
      free->thread = tid;
      free->bars = 1;
    }
  }
}

void Paint(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  MenuBarState *st = StateOf(bar);
  RECT rc;
  GetClientRect(bar, &rc);
  int h = rc.bottom;
  // Dark bar with a soft vertical gradient and a hairline on top.
  for (int y = 0; y < h; y++) {
    int v = 58 - 30 * y / (h ? h : 1);
    RECT line = {0, y, rc.right, y + 1};
    HBRUSH b = CreateSolidBrush(RGB(v, v, v + 6));
    FillRect(dc, &line, b);
    DeleteObject(b);
  }
  RECT top = {0, 0, rc.right, 1};
  HBRUSH hair = CreateSolidBrush(RGB(120, 120, 130));
  FillRect(dc, &top, hair);
  DeleteObject(hair);
  if (st) {
    HFONT font = CreateFontW(-(h * 9 / 20), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY,
                             0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < st->count; i++) {
      RECT br;
      ButtonRect(bar, i, &br);
      if (st->pressed == i) {
        RECT fill = br;
        InflateRect(&fill, -2, -3);
        HBRUSH pb = CreateSolidBrush(RGB(92, 3, 134));
        FillRect(dc, &fill, pb);
        DeleteObject(pb);
      }
      SetTextColor(dc, RGB(245, 245, 245));
      DrawTextW(dc, st->buttons[i].label, -1, &br, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (st->count == kMaxButtons) {
      RECT sep = {rc.right / 2, h / 4, rc.right / 2 + 1, h - h / 4};
      HBRUSH sb = CreateSolidBrush(RGB(96, 96, 104));
      FillRect(dc, &sep, sb);
      DeleteObject(sb);
    }
    SelectObject(dc, old);
    DeleteObject(font);
  }
  EndPaint(bar, &ps);
}

int HitButton(HWND bar, LPARAM lp) {
  MenuBarState *st = StateOf(bar);
  POINT pt = {(short)LOWORD(lp), (short)HIWORD(lp)};
  for (int i = 0; st && i < st->count; i++) {
    RECT br;
    ButtonRect(bar, i, &br);
    if (PtInRect(&br, pt)) return i;
  }
  return -1;
}

LRESULT CALLBACK MenuBarProc(HWND bar, UINT msg, WPARAM wp, LPARAM lp) {
  MenuBarState *st = StateOf(bar);
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrW(bar, GWLP_USERDATA, (LONG_PTR)((CREATESTRUCTW *)lp)->lpCreateParams);
      break;
    case WM_PAINT:
      Paint(bar);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
      if (st) {
        st->pressed = HitButton(bar, lp);
        SetCapture(bar);
        InvalidateRect(bar, NULL, FALSE);
      }
      return 0;
    case WM_LBUTTONUP:
      if (st) {
        int hit = HitButton(bar, lp);
        int was = st->pressed;
        st->pressed = -1;
        ReleaseCapture();
        InvalidateRect(bar, NULL, FALSE);
        UpdateWindow(bar);
        if (hit >= 0 && hit == was) PressButton(bar, hit);
      }
      return 0;
    case kPressKey:
      PressButton(bar, (int)wp);
      return 0;
    case SHCMBM_OVERRIDEKEY: {
      int key = KeyIndex(wp);
      if (!st || key < 0) return 0;
      WORD previous = st->keyFlags[key];
      WORD mask = LOWORD(lp), value = HIWORD(lp);
      st->keyFlags[key] = (WORD)((previous & ~mask) | (value & mask));
      return previous;
    }
    case WM_SETTINGCHANGE:
      // The labels sit in the middle of their halves: a bar that changed width is painted whole.
      PlaceBar(bar);
      InvalidateRect(bar, NULL, FALSE);
      return 0;
    case WM_NCDESTROY:
      if (st) {
        SetWindowLongPtrW(bar, GWLP_USERDATA, 0);
        HeapFree(GetProcessHeap(), 0, st);
        AttachHook(FALSE);
      }
      break;
  }
  return DefWindowProcW(bar, msg, wp, lp);
}

HINSTANCE ThisModule() {
  HMODULE module = NULL;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     (LPCWSTR)&MenuBarProc, &module);
  return module;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi) {
  if (!pmbi || !pmbi->hwndParent) return FALSE;
  pmbi->hwndMB = NULL;
  HINSTANCE self = ThisModule();
  WNDCLASSW wc = {};
  if (!GetClassInfoW(self, DEVICE_MENUBAR_CLASS, &wc)) {
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MenuBarProc;
    wc.hInstance = self;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = DEVICE_MENUBAR_CLASS;
    if (!RegisterClassW(&wc)) return FALSE;
  }
  MenuBarState *st = (MenuBarState *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(MenuBarState));
  if (!st) return FALSE;
  st->owner = pmbi->hwndParent;
  st->resources = pmbi->hInstRes;
  st->pressed = -1;
  if (!(pmbi->dwFlags & SHCMBF_EMPTYBAR) && !LoadButtons(st, pmbi->hInstRes, pmbi->nToolBarId)) {
    HeapFree(GetProcessHeap(), 0, st);
    return FALSE;
  }
  RECT place = BarRect();
  DWORD style = WS_POPUP | ((pmbi->dwFlags & SHCMBF_HIDDEN) ? 0 : WS_VISIBLE);
  HWND bar = CreateWindowExW(WS_EX_NOACTIVATE, DEVICE_MENUBAR_CLASS, L"", style, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, pmbi->hwndParent, NULL, self, st);
  if (!bar) {
    HeapFree(GetProcessHeap(), 0, st);
    return FALSE;
  }
  AttachHook(TRUE);
  // The owner ends where the bar begins.
  RECT rc;
  bool topLevel = !(GetWindowLongW(pmbi->hwndParent, GWL_STYLE) & WS_CHILD);
  if ((style & WS_VISIBLE) && topLevel && GetWindowRect(pmbi->hwndParent, &rc) && rc.bottom > place.top &&
      rc.top < place.top)
    SetWindowPos(pmbi->hwndParent, NULL, 0, 0, rc.right - rc.left, place.top - rc.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  pmbi->hwndMB = bar;
  return TRUE;
}

HWND SHFindMenuBar(HWND hwnd) {
  if (!hwnd) return NULL;
  HWND bar = NULL;
  while ((bar = FindWindowExW(NULL, bar, DEVICE_MENUBAR_CLASS, NULL)) != NULL)
    if (GetWindow(bar, GW_OWNER) == hwnd) return bar;
  return NULL;
}

void SHSendBackToFocusWindow(UINT uMsg, WPARAM wp, LPARAM lp) {
  if (uMsg != WM_HOTKEY || HIWORD(lp) != VK_TBACK) return;
  HWND focus = GetFocus();
  if (!focus) return;
  if (LOWORD(lp) & MOD_KEYUP) {
    PostMessageW(focus, WM_KEYUP, VK_BACK, 0xC0000001);
  } else {
    // The focus window's message loop translates the key into its Backspace character.
    PostMessageW(focus, WM_KEYDOWN, VK_BACK, 1);
  }
}
