// Time from a tap to the repainted page, with 40 programs running, for every page: the menu's row
// opens it, and one of its parts held down shows its pressed look (the menu's own rows too). Taps go
// in as stylus input; the repaint is seen on the screen. Then the memory page again with 20,000 more
// files in the device's store (20 folders of 1,000), and with 2,000 folders of 10, against the same
// with none. Every figure's target is one frame (16 ms). Run it in the device with "make bench_pages";
// "pages_bench memory" measures the memory page alone, empty and with the stores.
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include <algorithm>
#include <vector>
#include "mainwindow.h"
#include "shell/screen.h"
#include "shell/layout.h"
#include "shell/pagecatalogue.h"
#include "shell/skin.h"
#include "device.h"
#include "wm_shell.h"
#include "programstatics.h"
#include "tasklist.h"
#include "tasklist_fill.h"
#include "benchsupport.h"

namespace {

const int kPrograms = 40;
const int kRounds = 15;
const double kTargetMs = 16.0;

struct Child {
  PROCESS_INFORMATION pi;
};

bool StartChild(const WCHAR *exe, const WCHAR *args, std::vector<Child> *children) {
  WCHAR cmd[MAX_PATH + 160];
  wsprintfW(cmd, L"\"%s\" %s", exe, args);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  Child child = {};
  if (!CreateProcessW(exe, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &child.pi)) return false;
  children->push_back(child);
  return true;
}

bool StartHelper(const WCHAR *exe, int index, std::vector<Child> *children) {
  WCHAR ready[64], args[160];
  wsprintfW(ready, L"pages-bench-%u-%d", GetCurrentProcessId(), index);
  wsprintfW(args, L"window \"Bench %d\" ready %s", index, ready);
  HANDLE event = CreateEventW(NULL, TRUE, FALSE, ready);
  bool ok = event && StartChild(exe, args, children) && WaitForSingleObject(event, 20000) == WAIT_OBJECT_0;
  if (event) CloseHandle(event);
  return ok;
}

void Stylus(int x, int y, DWORD button) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = (x * 65535 + w / 2) / (w - 1);
  in.mi.dy = (y * 65535 + h / 2) / (h - 1);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
  SetCursorPos(x, y);
  SendInput(1, &in, sizeof(in));
}

// The screen's pixels in a rectangle, read with one copy: a pixel read at a time would make every look
// at the screen cost more than the repaint it waits for.
std::vector<DWORD> Grab(HDC screen, int left, int top, int width, int height) {
  std::vector<DWORD> px;
  if (width <= 0 || height <= 0) return px;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = NULL;
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateDIBSection(mem, &info, DIB_RGB_COLORS, &bits, NULL, 0);
  if (bitmap && bits) {
    HGDIOBJ old = SelectObject(mem, bitmap);
    BitBlt(mem, 0, 0, width, height, screen, left, top, SRCCOPY);
    GdiFlush();
    px.assign((DWORD *)bits, (DWORD *)bits + width * height);
    SelectObject(mem, old);
  }
  if (bitmap) DeleteObject(bitmap);
  DeleteDC(mem);
  return px;
}

const char *const kPageNames[PAGE_COUNT] = {"menu", "tasks", "memory", "display", "storage", "companions", "benchmark"};

struct Bench {
  HDC screen;
  HWND hwnd;
  int bar;  // the taskbar above the program's client area
};

// Two lines of the screen: one through the control tapped, one through the middle of the page.
std::vector<DWORD> Lines(HDC screen, int y) {
  int w = GetSystemMetrics(SM_CXSCREEN);
  std::vector<DWORD> a = Grab(screen, 0, y, w, 1), b = Grab(screen, 0, GetSystemMetrics(SM_CYSCREEN) / 2, w, 1);
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

double WaitLines(HDC screen, int y, const std::vector<DWORD> &ref, bool changed, double start) {
  for (;;) {
    bool same = Lines(screen, y) == ref;
    double now = Now();
    if (same != changed) return now - start;
    if (now - start > 3000) return -1;
  }
}

// Screen coordinates of a control's middle.
POINT Middle(const Bench *bench, const PageControl *control) {
  POINT pt = {(control->left + control->right) / 2, bench->bar + (control->top + control->bottom) / 2};
  return pt;
}

// The control a stylus holds down on each page to show its pressed look: a part that does something
// on the way up, let go of elsewhere so that nothing runs.
const PageControl *PressedControl(int page) {
  const PageModel *model = &g_Pages[page];
  switch (PageKindOf(page)) {
    case PAGE_KIND_TASKS:
      // The scroll button below the rows.
      return &model->controls[model->firstRowFixed + 2];
    case PAGE_KIND_CONTROLS:
      // The memory page's button; the display page's "-".
      return &model->controls[page == PAGE_MEMORY ? 3 : 4];
    default:
      return &model->controls[FirstRowControl(model)];
  }
}

// Holds the stylus down on the control until its look changes; ms, or -1.
double PressAndLetGo(const Bench *bench, const PageControl *control) {
  POINT at = Middle(bench, control);
  int top = bench->bar + control->top, bottom = bench->bar + control->bottom;
  // Across the middle and along the top and left edges: a part without a pressed picture is shown
  // pushed in by its edges alone.
  auto look = [&] {
    std::vector<DWORD> px;
    for (int i = 0; i < 12; i++) {
      int x = control->left + (2 * i + 1) * (control->right - control->left) / 24;
      int y = top + (2 * i + 1) * (bottom - top) / 24;
      px.push_back(GetPixel(bench->screen, x, at.y));
      px.push_back(GetPixel(bench->screen, x, top + 1));
      px.push_back(GetPixel(bench->screen, control->left + 1, y));
    }
    return px;
  };
  std::vector<DWORD> before = look();
  double t0 = Now(), shown = -1;
  Stylus(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
  for (;;) {
    double now = Now();
    if (look() != before) {
      shown = now - t0;
      break;
    }
    if (now - t0 > 3000) break;
  }
  // Let go on the taskbar, above the page: on no part of it (a row as wide as the page reaches its
  // right edge).
  Stylus(g_Screen.width - 2, bench->bar / 2, MOUSEEVENTF_LEFTUP);
  return shown;
}

// kRounds times: the menu's row opens the page (tap to repainted page), a part of the page held down
// (tap to pressed look), the menu's own row held down, and the left soft key back to the menu.
// The menu's scroll button taps it, each followed by its repaint.
void ScrollMenu(const Bench *bench, bool down, int taps) {
  const PageModel *menu = &g_Pages[PAGE_MENU];
  POINT at = Middle(bench, &menu->controls[menu->firstRowFixed + (down ? 2 : 1)]);
  for (int i = 0; i < taps; i++) {
    Stylus(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
    Stylus(at.x, at.y, MOUSEEVENTF_LEFTUP);
    Sleep(150);
  }
}

void MeasurePage(const Bench *bench, int page, std::vector<double> *opened, std::vector<double> *pressed,
                 std::vector<double> *menuPressed) {
  const PageModel *menu = &g_Pages[PAGE_MENU];
  // A page whose row is below the menu's visible rows is reached as a user reaches it: the menu
  // scrolled to its end first (more taps than needed only beep).
  int item = page - 1, scrolled = 0;
  if (item >= menu->visibleRows) scrolled = menu->itemCount - menu->visibleRows;
  const PageControl *row = &menu->controls[FirstRowControl(menu) + item - scrolled];
  POINT at = Middle(bench, row);
  int okX = g_Screen.width / 4, okY = g_Screen.height - bench->bar / 2;
  for (int round = 0; round < kRounds; round++) {
    ScrollMenu(bench, true, scrolled);
    double down = PressAndLetGo(bench, row);
    if (down >= 0) menuPressed->push_back(down);
    Sleep(150);
    std::vector<DWORD> ref = Lines(bench->screen, at.y);
    double t0 = Now();
    Stylus(at.x, at.y, MOUSEEVENTF_LEFTDOWN);
    Stylus(at.x, at.y, MOUSEEVENTF_LEFTUP);
    double shown = WaitLines(bench->screen, at.y, ref, true, t0);
    if (shown >= 0) opened->push_back(shown);
    Sleep(300);
    double look = PressAndLetGo(bench, PressedControl(page));
    if (look >= 0) pressed->push_back(look);
    Sleep(200);
    Stylus(okX, okY, MOUSEEVENTF_LEFTDOWN);
    Stylus(okX, okY, MOUSEEVENTF_LEFTUP);
    WaitLines(bench->screen, at.y, ref, false, Now());
    SetForegroundWindow(bench->hwnd);
    Sleep(200);
  }
  ScrollMenu(bench, false, scrolled);
}

// A store shape: so many folders of so many small files each.
struct StoreShape {
  int folders, files;
};
const StoreShape kStores[] = {{20, 1000}, {2000, 10}};

// The store's top folder (folder < 0), one of its folders (file < 0) or a file.
void StorePath(int folder, int file, WCHAR *path) {
  if (folder < 0)
    wsprintfW(path, L"C:\\pages-bench-store");
  else if (file < 0)
    wsprintfW(path, L"C:\\pages-bench-store\\%04d", folder);
  else
    wsprintfW(path, L"C:\\pages-bench-store\\%04d\\%05d.dat", folder, file);
}

// Small files, as a handheld's store holds them; the count made.
int MakeStore(const StoreShape &shape) {
  WCHAR path[MAX_PATH];
  StorePath(-1, -1, path);
  CreateDirectoryW(path, NULL);
  int made = 0;
  for (int folder = 0; folder < shape.folders; folder++) {
    StorePath(folder, -1, path);
    CreateDirectoryW(path, NULL);
    for (int file = 0; file < shape.files; file++) {
      StorePath(folder, file, path);
      HANDLE handle = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
      if (handle == INVALID_HANDLE_VALUE) continue;
      DWORD written = 0;
      WriteFile(handle, "vantora", 7, &written, NULL);
      CloseHandle(handle);
      made++;
    }
  }
  // Let the program hear of them and walk its store once, as it will after any change.
  Sleep(2000);
  return made;
}

void RemoveStore(const StoreShape &shape) {
  WCHAR path[MAX_PATH];
  for (int folder = 0; folder < shape.folders; folder++) {
    for (int file = 0; file < shape.files; file++) {
      StorePath(folder, file, path);
      DeleteFileW(path);
    }
    StorePath(folder, -1, path);
    RemoveDirectoryW(path);
  }
  StorePath(-1, -1, path);
  RemoveDirectoryW(path);
}

// The store figure's own cost in this program, once it has walked the store: median of 31 calls.
double StoreFigureMs() {
  STORE_INFORMATION store;
  GetStoreInformation(&store);
  std::vector<double> times;
  for (int i = 0; i < 31; i++) {
    double t0 = Now();
    GetStoreInformation(&store);
    times.push_back(Now() - t0);
  }
  return Median(times);
}

// The memory page with each store shape in the device's own folders, against the same page with none.
int MeasureStores(const Bench *bench, double emptyOpened, double emptyPressed) {
  int result = 0;
  double emptyFigure = StoreFigureMs();
  for (const StoreShape &shape : kStores) {
    int made = MakeStore(shape), want = shape.folders * shape.files;
    double figure = StoreFigureMs();
    std::vector<double> opened, pressed, menuPressed;
    if (made == want) MeasurePage(bench, PAGE_MEMORY, &opened, &pressed, &menuPressed);
    RemoveStore(shape);
    if (made != want) {
      printf("pages bench: only %d of %d store files made\n", made, want);
      result = 2;
      continue;
    }
    printf("memory page with %d folders of %d files in the store, against the same with none:\n", shape.folders,
           shape.files);
    printf("opened        %7.2f ms  empty %7.2f ms  ratio %5.2f  (target <= 1.20, < %.0f ms)\n", Median(opened),
           emptyOpened, Median(opened) / emptyOpened, kTargetMs);
    printf("pressed look  %7.2f ms  empty %7.2f ms  ratio %5.2f  (target <= 1.20, < %.0f ms)\n", Median(pressed),
           emptyPressed, Median(pressed) / emptyPressed, kTargetMs);
    printf("store figure  %7.3f ms  empty %7.3f ms  (one call)\n", figure, emptyFigure);
    fflush(stdout);
  }
  return result;
}

}  // namespace

int main(int argc, char **argv) {
  bool memoryOnly = argc > 1 && !strcmp(argv[1], "memory");
  WCHAR helper[MAX_PATH], vantora[MAX_PATH];
  if (!BuildTreeFile(L"tests\\helpers\\taskhelper.exe", helper) || !BuildTreeFile(L"bin\\Vantora.exe", vantora)) return 2;
  if (GetFileAttributesW(helper) == INVALID_FILE_ATTRIBUTES || GetFileAttributesW(vantora) == INVALID_FILE_ATTRIBUTES) {
    printf("pages bench: build taskhelper and Vantora first\n");
    return 2;
  }
  if (FindWindowW(VANTORA_CLASS, VANTORA_TITLE)) {
    printf("pages bench: Vantora is already running\n");
    return 2;
  }

  // Where the program puts its controls on this screen: its own layout code.
  InitProgramStatics();
  GetScreenSize(&g_Screen.width, &g_Screen.height);
  g_Screen.taskbarHeight = ScaleY(26);
  LoadSkinImages();
  int bar = g_Screen.taskbarHeight;

  std::vector<Child> children;
  int result = 0;
  for (int i = 0; i < kPrograms && !result; i++)
    if (!StartHelper(helper, i, &children)) result = 2;
  HWND hwnd = NULL;
  if (!result && StartChild(vantora, L"", &children)) {
    for (int i = 0; i < 300 && !(hwnd = FindWindowW(VANTORA_CLASS, VANTORA_TITLE)); i++) Sleep(50);
  }
  if (!hwnd) {
    printf("pages bench: programs did not start\n");
    result = 2;
  }

  if (!result) {
    Sleep(2000);
    SetForegroundWindow(hwnd);
    FillTaskList(kPrograms + 10);
    for (int page = 0; page < PAGE_COUNT; page++) {
      SetupPageRows(page);
      LayoutPage(page, false);
    }
    Bench bench = {GetDC(NULL), hwnd, bar};
    std::vector<double> opened[PAGE_COUNT], pressed[PAGE_COUNT];
    for (int page = 1; page < PAGE_COUNT; page++)
      if (!memoryOnly || page == PAGE_MEMORY) MeasurePage(&bench, page, &opened[page], &pressed[page], &pressed[0]);
    printf("tap to repainted page, %d programs running, median of %d taps (target < %.0f ms each)\n", kPrograms,
           kRounds, kTargetMs);
    printf("%-12s %12s %12s\n", "page", "opened", "pressed look");
    for (int page = 0; page < PAGE_COUNT; page++) {
      if (memoryOnly && page != PAGE_MEMORY) continue;
      char open[32] = "           -";
      if (page) snprintf(open, sizeof(open), "%9.2f ms", Median(opened[page]));
      printf("%-12s %s %9.2f ms  (%d and %d of %d seen)\n", kPageNames[page], open, Median(pressed[page]),
             (int)opened[page].size(), (int)pressed[page].size(), page ? kRounds : kRounds * (PAGE_COUNT - 1));
    }
    fflush(stdout);

    result = MeasureStores(&bench, Median(opened[PAGE_MEMORY]), Median(pressed[PAGE_MEMORY]));
    ReleaseDC(NULL, bench.screen);
  }
  if (hwnd) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  for (Child &child : children) {
    TerminateProcess(child.pi.hProcess, 0);
    WaitForSingleObject(child.pi.hProcess, 5000);
    CloseHandle(child.pi.hProcess);
    CloseHandle(child.pi.hThread);
  }
  FreeSkinImages();
  return result;
}
