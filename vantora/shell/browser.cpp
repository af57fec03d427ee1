// The program browser and the command that adds a program which is not running to the task list.
#include "browser.h"
#include "pagecommands.h"
#include "currentpage.h"
#include "layout.h"
#include "mainwindow.h"
#include "pagecatalogue.h"
#include "pagemodel.h"
#include "skin.h"
#include "../resource.h"
#include "../tasks/database.h"
#include "../tasks/tasklist.h"
#include "debuglog.h"
#include "device.h"
#include "paths.h"
#include "settings.h"
#include "strings.h"
#include "wm.h"
#include "wm_shell.h"
#include <commctrl.h>
#include <strsafe.h>

#define BROWSER_FILTER_CHARS 260
#define IMAGE_OPEN_FOLDER 0
#define IMAGE_CLOSED_FOLDER 1
#define IMAGE_FILE 2
#define BROWSER_KEY_COLOUR RGB(0, 255, 0)
#define DOUBLE_ENTER_MS 2000

struct BrowserState {
  HINSTANCE instance;
  HWND owner;
  HWND window, tree, pathBox, nameBox, menuBar;
  HBITMAP strip;
  HIMAGELIST images;
  WCHAR filter[BROWSER_FILTER_CHARS];
  bool selectable;
  bool done;
  bool open;
  WCHAR path[BROWSER_PATH_CHARS];
  WCHAR name[BROWSER_PATH_CHARS];
  HFONT font;
  int dpi;  // 0 until read
  DWORD lastEnter;
};

static BrowserState g_Browser;

// ---- Sizes and the filter --------------------------------------------------------------------------

static int Dpi(void) {
  if (!g_Browser.dpi) {
    HDC dc = GetDC(NULL);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(NULL, dc);
    // A high-resolution handheld reports twice the desktop's density; the emulated screen does not.
    int least = 96 * ScaleY(1);
    g_Browser.dpi = dpi > least ? dpi : least;
  }
  return g_Browser.dpi;
}
static int D(int v) { return (v * Dpi() + 48) / 96; }

int BrowserFilterAccepts(LPCWSTR filter, LPCWSTR fileName) {
  if (!filter || !fileName) return 0;
  if (lstrcmpW(filter, L"*.") == 0) return 1;
  size_t nameLen = wcslen(fileName);
  // Each "|"-separated part is an ending written backwards ("exe." is ".exe"); the whole part must
  // match, so a name that is only a piece of an ending ("xe") does not pass.
  const WCHAR *part = filter;
  while (*part) {
    const WCHAR *end = wcschr(part, L'|');
    size_t len = end ? (size_t)(end - part) : wcslen(part);
    if (len > 0 && len <= nameLen) {
      bool match = true;
      for (size_t i = 0; i < len && match; i++) match = fileName[nameLen - 1 - i] == part[i];
      if (match) return 1;
    }
    if (!end) break;
    part = end + 1;
  }
  return 0;
}

// ---- Tree ------------------------------------------------------------------------------------------

static HTREEITEM InsertEntry(HTREEITEM parent, LPCWSTR name, bool folder) {
  if (!lstrcmpW(name, L".") || !lstrcmpW(name, L"..")) return NULL;
  if (!folder && !BrowserFilterAccepts(g_Browser.filter, name)) return NULL;
  TVINSERTSTRUCTW ins;
  ZeroMemory(&ins, sizeof(ins));
  ins.hParent = parent;
  ins.hInsertAfter = TVI_SORT;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  ins.item.pszText = (LPWSTR)name;
  ins.item.iImage = ins.item.iSelectedImage = folder ? IMAGE_CLOSED_FOLDER : IMAGE_FILE;
  ins.item.cChildren = folder ? 1 : 0;
  return (HTREEITEM)SendMessageW(g_Browser.tree, TVM_INSERTITEMW, 0, (LPARAM)&ins);
}

static bool ItemText(HTREEITEM item, LPWSTR text, int chars) {
  TVITEMW tv;
  ZeroMemory(&tv, sizeof(tv));
  tv.mask = TVIF_TEXT;
  tv.hItem = item;
  tv.pszText = text;
  tv.cchTextMax = chars;
  text[0] = 0;
  return SendMessageW(g_Browser.tree, TVM_GETITEMW, 0, (LPARAM)&tv) != 0;
}

static int ItemImage(HTREEITEM item) {
  TVITEMW tv;
  ZeroMemory(&tv, sizeof(tv));
  tv.mask = TVIF_IMAGE;
  tv.hItem = item;
  return SendMessageW(g_Browser.tree, TVM_GETITEMW, 0, (LPARAM)&tv) ? tv.iImage : -1;
}

static void SetItemImages(HTREEITEM item, int image) {
  TVITEMW tv;
  ZeroMemory(&tv, sizeof(tv));
  tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.iImage = tv.iSelectedImage = image;
  SendMessageW(g_Browser.tree, TVM_SETITEMW, 0, (LPARAM)&tv);
}

// The device path of an item: its ancestors' names joined with "\" below the root "\".
static bool ItemPath(HTREEITEM item, LPWSTR path, size_t chars) {
  HTREEITEM chain[64];
  int depth = 0;
  for (HTREEITEM at = item; at && depth < 64; at = TreeView_GetParent(g_Browser.tree, at)) chain[depth++] = at;
  path[0] = 0;
  for (int i = depth - 1; i >= 0; i--) {
    WCHAR name[MAX_PATH];
    ItemText(chain[i], name, MAX_PATH);
    size_t len = wcslen(path);
    bool needSeparator = len > 0 && path[len - 1] != L'\\';
    if (needSeparator && FAILED(StringCchCatW(path, chars, L"\\"))) return false;
    if (FAILED(StringCchCatW(path, chars, name))) return false;
  }
  return true;
}

// Lists the folder under its item; the number of entries added.
static int ReadFolder(HTREEITEM item) {
  WCHAR folder[MAX_PATH], pattern[MAX_PATH], real[MAX_PATH];
  if (!ItemPath(item, folder, MAX_PATH)) return 0;
  size_t len = wcslen(folder);
  if (FAILED(StringCchPrintfW(pattern, MAX_PATH, len && folder[len - 1] == L'\\' ? L"%s*.*" : L"%s\\*.*", folder)))
    return 0;
  if (!WmDevicePath(pattern, real, MAX_PATH)) return 0;
  WmSetWaitCursor(TRUE);
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(real, &fd);
  int added = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (InsertEntry(item, fd.cFileName, (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) added++;
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  WmSetWaitCursor(FALSE);
  return added;
}

static void DeleteChildren(HTREEITEM item) {
  HTREEITEM child;
  while ((child = TreeView_GetChild(g_Browser.tree, item)) != NULL) TreeView_DeleteItem(g_Browser.tree, child);
  // Read afresh at the next expansion.
  TreeView_SetItemState(g_Browser.tree, item, 0, TVIS_EXPANDEDONCE);
}

static void Select(HTREEITEM item) {
  WCHAR name[MAX_PATH];
  ItemText(item, name, MAX_PATH);
  // Only a file whose name passes the filter can be saved; a folder never.
  g_Browser.selectable = ItemImage(item) == IMAGE_FILE && BrowserFilterAccepts(g_Browser.filter, name);
  if (!ItemPath(item, g_Browser.path, BROWSER_PATH_CHARS)) g_Browser.path[0] = 0;
  SetWindowTextW(g_Browser.pathBox, g_Browser.path);
  if (g_Browser.selectable) SetWindowTextW(g_Browser.nameBox, name);
}

static LRESULT OnTreeNotify(NMHDR *hdr) {
  switch (hdr->code) {
    case TVN_ITEMEXPANDINGW: {
      NMTREEVIEWW *nm = (NMTREEVIEWW *)hdr;
      HTREEITEM item = nm->itemNew.hItem;
      if (nm->action & TVE_COLLAPSE) {
        SetItemImages(item, IMAGE_CLOSED_FOLDER);
      } else if (nm->action & TVE_EXPAND) {
        // A folder with nothing to list stays closed but keeps its button: what is put into it later
        // shows the next time it is opened.
        if (!TreeView_GetChild(g_Browser.tree, item) && !ReadFolder(item)) {
          MessageBeep(MB_OK);
          return TRUE;
        }
        SetItemImages(item, IMAGE_OPEN_FOLDER);
      }
      return 0;
    }
    case TVN_ITEMEXPANDEDW: {
      NMTREEVIEWW *nm = (NMTREEVIEWW *)hdr;
      if (nm->action & TVE_COLLAPSE) DeleteChildren(nm->itemNew.hItem);
      return 0;
    }
    case TVN_SELCHANGEDW:
      Select(((NMTREEVIEWW *)hdr)->itemNew.hItem);
      return 0;
    case NM_RETURN: {
      DWORD now = GetTickCount();
      bool second = g_Browser.lastEnter && now - g_Browser.lastEnter < DOUBLE_ENTER_MS;
      g_Browser.lastEnter = now;
      if (second) {
        g_Browser.lastEnter = 0;
        SendMessageW(g_Browser.window, WM_COMMAND, IDM_BROWSER_SAVE, 0);
      }
      return 1;
    }
    case NM_DBLCLK: {
      DWORD pos = GetMessagePos();
      TVHITTESTINFO hit;
      ZeroMemory(&hit, sizeof(hit));
      hit.pt.x = (short)LOWORD(pos);
      hit.pt.y = (short)HIWORD(pos);
      ScreenToClient(g_Browser.tree, &hit.pt);
      HTREEITEM item = TreeView_HitTest(g_Browser.tree, &hit);
      if (item && ItemImage(item) == IMAGE_FILE) {
        Select(item);
        SendMessageW(g_Browser.window, WM_COMMAND, IDM_BROWSER_SAVE, 0);
      }
      return 0;
    }
  }
  return 0;
}

// ---- Window ----------------------------------------------------------------------------------------

static void PlaceChildren(HWND hwnd) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  int cw = rc.right - rc.left, ch = rc.bottom - rc.top, box = D(20);
  if (g_Browser.pathBox) MoveWindow(g_Browser.pathBox, 0, 0, cw, box, TRUE);
  if (g_Browser.tree) MoveWindow(g_Browser.tree, 0, box, cw, ch - 2 * box, TRUE);
  if (g_Browser.nameBox) MoveWindow(g_Browser.nameBox, 0, ch - box, cw, box, TRUE);
}

static void OnBrowserCreate(HWND hwnd) {
  SHMENUBARINFO mbi;
  ZeroMemory(&mbi, sizeof(mbi));
  mbi.cbSize = sizeof(mbi);
  mbi.hwndParent = hwnd;
  mbi.nToolBarId = IDR_BROWSER_MENUBAR;
  mbi.hInstRes = g_Browser.instance;
  g_Browser.menuBar = SHCreateMenuBar(&mbi) ? mbi.hwndMB : NULL;
}

static LRESULT CALLBACK BrowserWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE:
      g_Browser.window = hwnd;
      OnBrowserCreate(hwnd);
      return 0;
    case WM_DESTROY:
      SHFullScreen(hwnd, SHFS_SHOWTASKBAR | SHFS_SHOWSTARTICON);
      if (g_Browser.menuBar) DestroyWindow(g_Browser.menuBar);
      g_Browser.menuBar = NULL;
      // Gone without Save (closed from outside): the same as Cancel.
      if (!g_Browser.done) {
        g_Browser.path[0] = g_Browser.name[0] = 0;
        g_Browser.done = true;
      }
      g_Browser.window = g_Browser.tree = g_Browser.pathBox = g_Browser.nameBox = NULL;
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(hwnd, &ps);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTINGCHANGE:
      SHHandleWMSettingChange(hwnd, wParam, lParam, NULL);
      PlaceChildren(hwnd);
      return 0;
    case WM_SIZE:
      PlaceChildren(hwnd);
      return 0;
    case WM_NOTIFY: {
      NMHDR *hdr = (NMHDR *)lParam;
      if (hdr && hdr->hwndFrom == g_Browser.tree) return OnTreeNotify(hdr);
      break;
    }
    case WM_CLOSE:
      SendMessageW(hwnd, WM_COMMAND, IDM_BROWSER_CANCEL, 0);
      return 0;
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDM_BROWSER_SAVE:
          if (!g_Browser.selectable) return 0;
          g_Browser.name[0] = 0;
          GetWindowTextW(g_Browser.nameBox, g_Browser.name, BROWSER_PATH_CHARS);
          g_Browser.done = true;
          return 0;
        case IDM_BROWSER_CANCEL:
          g_Browser.path[0] = g_Browser.name[0] = 0;
          g_Browser.done = true;
          return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// The common controls serve the browser only: their library is loaded when the browser first opens,
// not with the program, whose start it would slow by about a third.
struct CommonControls {
  HMODULE module;
  BOOL(WINAPI *InitEx)(const INITCOMMONCONTROLSEX *);
  HIMAGELIST(WINAPI *Create)(int, int, UINT, int, int);
  int(WINAPI *AddMasked)(HIMAGELIST, HBITMAP, COLORREF);
  int(WINAPI *Count)(HIMAGELIST);
  BOOL(WINAPI *Destroy)(HIMAGELIST);
};
static CommonControls g_Controls;

template <class F> static bool Bind(F *function, const char *name) {
  *function = (F)(void *)GetProcAddress(g_Controls.module, name);
  return *function != NULL;
}

static bool LoadCommonControls(void) {
  if (g_Controls.module) return true;
  HMODULE module = LoadLibraryW(L"comctl32.dll");
  if (!module) return false;
  g_Controls.module = module;
  if (Bind(&g_Controls.InitEx, "InitCommonControlsEx") && Bind(&g_Controls.Create, "ImageList_Create") &&
      Bind(&g_Controls.AddMasked, "ImageList_AddMasked") && Bind(&g_Controls.Count, "ImageList_GetImageCount") &&
      Bind(&g_Controls.Destroy, "ImageList_Destroy"))
    return true;
  FreeLibrary(module);
  ZeroMemory(&g_Controls, sizeof(g_Controls));
  return false;
}

static bool BuildImageList(void) {
  int w = ScaleX(22), h = ScaleY(22);
  g_Browser.images = g_Controls.Create(w, h, ILC_COLOR24 | ILC_MASK, 3, 0);
  if (!g_Browser.images) return false;
  if (g_Browser.strip) g_Controls.AddMasked(g_Browser.images, g_Browser.strip, BROWSER_KEY_COLOUR);
  return g_Controls.Count(g_Browser.images) >= 3;
}

static void CreateChildren(HWND hwnd) {
  HINSTANCE inst = g_Browser.instance;
  g_Browser.font = CreateFontW(-((14 * Dpi() + 48) / 96), 0, 0, 0, 200, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                               L"verdana");
  g_Browser.tree = CreateWindowExW(0, WC_TREEVIEWW, L"TreeView",
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES |
                                       TVS_LINESATROOT | TVS_SHOWSELALWAYS,
                                   0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)IDC_BROWSER_TREE, inst, NULL);
  if (g_Browser.tree && g_Browser.font) SendMessageW(g_Browser.tree, WM_SETFONT, (WPARAM)g_Browser.font, TRUE);
  if (g_Browser.tree) SetFocus(g_Browser.tree);
  g_Browser.pathBox = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL | ES_READONLY,
                                      0, 0, 0, 0, hwnd, (HMENU)(INT_PTR)IDC_BROWSER_PATH, inst, NULL);
  g_Browser.nameBox = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 0, 0,
                                      hwnd, (HMENU)(INT_PTR)IDC_BROWSER_NAME, inst, NULL);
  if (g_Browser.font) {
    SendMessageW(g_Browser.pathBox, WM_SETFONT, (WPARAM)g_Browser.font, TRUE);
    SendMessageW(g_Browser.nameBox, WM_SETFONT, (WPARAM)g_Browser.font, TRUE);
  }
  PlaceChildren(hwnd);
}

// The tree with its pictures and the device's root, selected so that the arrow keys open the folders
// from the start. false (and no tree) without a usable picture strip.
static bool ShowDeviceRoot(HWND hwnd) {
  if (!g_Browser.tree || !BuildImageList()) {
    if (g_Browser.tree) DestroyWindow(g_Browser.tree);
    g_Browser.tree = NULL;
    return false;
  }
  TreeView_SetImageList(g_Browser.tree, g_Browser.images, TVSIL_NORMAL);
  TreeView_SetIndent(g_Browser.tree, ScaleX(16));
  HTREEITEM root = InsertEntry(TVI_ROOT, L"\\", true);
  if (root) TreeView_SelectItem(g_Browser.tree, root);
  SetForegroundWindow(hwnd);
  SetFocus(g_Browser.tree);
  return true;
}

// The browser's own message loop, until the user saves or cancels.
static void RunUntilDone(void) {
  MSG msg;
  while (!g_Browser.done) {
    BOOL got = GetMessageW(&msg, NULL, 0, 0);
    if (got <= 0) {
      // The program is ending: leave as Cancel and let the main loop see the quit.
      if (got == 0) PostQuitMessage((int)msg.wParam);
      g_Browser.path[0] = g_Browser.name[0] = 0;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void BrowseForProgram(HINSTANCE ownerInstance, HWND owner, LPCWSTR title, LPCWSTR filter, LPWSTR selectedPath,
                      LPWSTR nameText, LPCWSTR imageStrip) {
  if (selectedPath) selectedPath[0] = 0;
  if (nameText) nameText[0] = 0;
  if (g_Browser.open) return;  // one browser at a time
  WriteDebugLog(LOG_GUI, L"+BrowseForProgram call.");
  if (!LoadCommonControls()) {
    WriteDebugLog(LOG_GUI, L"-BrowseForProgram done [] (no common controls).");
    MessageBeep(MB_OK);
    return;
  }
  g_Browser.done = g_Browser.selectable = false;
  g_Browser.path[0] = g_Browser.name[0] = 0;
  g_Browser.lastEnter = 0;
  StringCchCopyW(g_Browser.filter, BROWSER_FILTER_CHARS, filter ? filter : L"*.");
  g_Browser.instance = ownerInstance;
  g_Browser.owner = owner;
  g_Browser.strip = imageStrip ? SHLoadImageFile(imageStrip) : NULL;

  INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_TREEVIEW_CLASSES};
  g_Controls.InitEx(&icc);

  // A fresh class per call; it is unregistered again when the browser closes.
  WCHAR className[64];
  StringCchPrintfW(className, ARRAYSIZE(className), L"%s:%X:%X", L"browsefile", (unsigned)GetTickCount(),
                   (unsigned)GetCurrentProcessId());
  bool registered = false;
  HWND existing = FindWindowW(className, title);
  if (existing) {
    SetForegroundWindow(existing);
  } else {
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof(wc));
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = BrowserWndProc;
    wc.hInstance = ownerInstance;
    wc.hIcon = LoadIconW(ownerInstance, MAKEINTRESOURCEW(IDI_VANTORA));
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = className;
    registered = RegisterClassW(&wc) != 0;
  }
  g_Browser.open = true;
  HWND hwnd = NULL;
  if (registered) {
    // The whole screen, the taskbar's room too: the browser hides the taskbar and the Start icon while
    // it is open. The menu bar then takes its place at the bottom.
    int width, height;
    WmGetScreenSize(&width, &height);
    hwnd = WmCreateWindow(0, className, title, WS_VISIBLE, 0, 0, width, height, NULL, NULL, ownerInstance, NULL);
    if (hwnd) SHFullScreen(hwnd, SHFS_HIDETASKBAR | SHFS_HIDESTARTICON);
  }
  if (hwnd) {
    RECT rc, bar;
    if (g_Browser.menuBar && GetWindowRect(hwnd, &rc) && GetWindowRect(g_Browser.menuBar, &bar) && rc.bottom > bar.top)
      SetWindowPos(hwnd, NULL, 0, 0, rc.right - rc.left, bar.top - rc.top, SWP_NOMOVE | SWP_NOZORDER);
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    CreateChildren(hwnd);
    if (!ShowDeviceRoot(hwnd)) {
      WriteDebugLog(LOG_GUI, L"BrowseForProgram: no usable image strip [%s]", imageStrip ? imageStrip : L"");
      g_Browser.done = true;
    }
    // The main window stays below, painting, but takes no input while the browser is open.
    if (owner) EnableWindow(owner, FALSE);
    RunUntilDone();
    if (owner) EnableWindow(owner, TRUE);
    if (g_Browser.tree) DestroyWindow(g_Browser.tree);
    if (g_Browser.window) DestroyWindow(g_Browser.window);
  }
  if (registered) UnregisterClassW(className, ownerInstance);
  g_Browser.open = false;

  if (nameText && g_Browser.name[0]) StringCchCopyW(nameText, BROWSER_PATH_CHARS, g_Browser.name);
  if (selectedPath && g_Browser.path[0]) StringCchCopyW(selectedPath, BROWSER_PATH_CHARS, g_Browser.path);
  if (owner) {
    SetForegroundWindow(owner);
    SetFocus(owner);
  }
  if (g_Browser.images) g_Controls.Destroy(g_Browser.images);
  g_Browser.images = NULL;
  if (g_Browser.strip) DeleteObject(g_Browser.strip);
  g_Browser.strip = NULL;
  if (g_Browser.font) DeleteObject(g_Browser.font);
  g_Browser.font = NULL;
  WriteDebugLog(LOG_GUI, L"-BrowseForProgram done [%s].", selectedPath ? selectedPath : L"");
}

// ---- The task page's add command -------------------------------------------------------------------

// The list shows this row, focused: at the end when it lies within the last screenful.
static void ShowTaskRow(int index) {
  PageModel *p = &g_Pages[PAGE_TASKS];
  int offset = 0;
  if (p->scrolling) {
    int lastScreen = p->itemCount - p->visibleRows;
    offset = index >= lastScreen ? lastScreen : index;
    if (offset < 0) offset = 0;
  }
  int first = FirstRowControl(p);
  int old = p->focusedControl;
  if (old >= 0 && old < MAX_PAGE_CONTROLS) p->controls[old].focusedSub = -1;
  p->scrollOffset = offset;
  p->focusedControl = first + index - offset;
  p->focusedItem = index;
  LayoutPage(PAGE_TASKS, true);
  if (p->focusedControl >= 0 && p->focusedControl < MAX_PAGE_CONTROLS) {
    PageControl *c = &p->controls[p->focusedControl];
    c->focusedSub = p->savedSubFocus < c->subCount ? p->savedSubFocus : -1;
  }
}

static void Warn(LPCWSTR key) {
  MessageBeep(MB_OK);
  WmMessageBox(g_Main.window, GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX), VANTORA_TITLE,
               MB_ICONEXCLAMATION | MB_OK);
}

void AddProgramCommand(int control, bool *redraw) {
  WriteDebugLog(LOG_GUI, L"+AddProgramCommand call.");
  PageModel *p = &g_Pages[PAGE_TASKS];
  if (control >= 0 && control < MAX_PAGE_CONTROLS) {
    p->focusedControl = control;
    p->controls[control].image = IMG_BUTTON;
  }
  WCHAR stripName[32], strip[MAX_PATH];
  StringCchPrintfW(stripName, ARRAYSIZE(stripName), L"tvf_f%d.jpg", ScaleX(1));
  StringCchCopyW(strip, MAX_PATH, GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"Images", stripName));
  LPCWSTR title = GetLocalisedString(&g_Strings, L"String40VT", LOCALISED_STRING_MAX);
  if (!title || !*title) title = L"Add Shortcut or Program";

  WCHAR chosen[BROWSER_PATH_CHARS], name[BROWSER_PATH_CHARS];
  BrowseForProgram(g_Main.instance, g_Main.window, title, L"exe.|knl.", chosen, name, strip);
  if (!chosen[0]) {
    if (redraw) *redraw = true;
    WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
    return;
  }

  WCHAR program[MAX_PATH + 1];
  if (wcsstr(chosen, L".lnk")) {
    WCHAR target[MAX_PATH + 1];
    if (!SHGetShortcutTarget(chosen, target, MAX_PATH + 1)) target[0] = 0;
    WCHAR *exe = wcsstr(target, L".exe");
    if (!exe) {
      Warn(L"String41VT");
      WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
      return;
    }
    exe[4] = 0;  // the program, without its arguments
    StringCchCopyW(program, ARRAYSIZE(program), target[0] == L'"' ? target + 1 : target);
  } else {
    StringCchCopyW(program, ARRAYSIZE(program), chosen);
  }
  const WCHAR *slash = wcsrchr(program, L'\\');
  WCHAR exeName[MAX_PATH + 1];
  StringCchCopyW(exeName, ARRAYSIZE(exeName), slash ? slash + 1 : program);
  WriteDebugLog(LOG_GUI, L"AddProgramCommand [%s][%s]", program, exeName);

  int match = -1;
  for (int i = 0; i < g_TaskList.count && i < MAX_TASKS; i++)
    if (SameProgramName(g_TaskList.entries[i].exeName, exeName)) match = i;
  if (match >= 0) {
    Warn(L"String42VT");
    ShowTaskRow(match);
    if (redraw) *redraw = true;
    WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
    return;
  }

  WCHAR title2[MAX_PATH + 1];
  StringCchCopyW(title2, ARRAYSIZE(title2), exeName);
  size_t len = wcslen(title2);
  title2[len > 4 ? len - 4 : 0] = 0;
  NewTaskRow added = {};
  added.path = program;
  added.exeName = exeName;
  added.title = title2;
  added.priority = PRIORITY_LEVEL_NORMAL;
  added.inDatabase = true;
  if (!AddTaskEntry(&g_TaskList, added, TASKS_WINDOWED_ONLY | TASKS_WITH_ICONS)) {
    // The list is full: nothing is added or saved.
    MessageBeep(MB_OK);
    WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
    return;
  }
  g_TaskList.entries[g_TaskList.count - 1].cpuUsage = 0;
  if (!SaveSettings()) {
    // The file still holds the list before the add: the row goes again, so the page never shows a
    // program the monitor will not find; a beep tells, as for the other task operations.
    TaskEntry *added = &g_TaskList.entries[--g_TaskList.count];
    if (added->icon.hIcon) DestroyIcon(added->icon.hIcon);
    added->icon.hIcon = NULL;
    FillTaskDatabase(&g_TaskDatabase, &g_TaskList);
    WriteDebugLog(LOG_GUI, L"AddProgramCommand: Settings.db not saved, change undone.");
    MessageBeep(MB_OK);
    if (redraw) *redraw = true;
    WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
    return;
  }
  RefreshPage(PAGE_TASKS, true);
  if (redraw) *redraw = true;
  WriteDebugLog(LOG_GUI, L"-AddProgramCommand done.");
}
