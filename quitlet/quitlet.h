// QuitletApp: a button over the right end of the taskbar that minimises, really closes the
// application in front, or opens a menu of running applications and system actions.
#pragma once
#include <windows.h>

#define QUITLET_MAIN_CLASS L"QUITLETAPP"
#define QUITLET_MAIN_TITLE L"QuitletApp"
#define QUITLET_BUTTON_CLASS L"Quitlet.main_wnd"
#define QUITLET_BUTTON_TITLE L"QL"
#define QUITLET_BUTTON_ID 12546
#define QUITLET_TRACK_TIMER 50
#define QUITLET_TRACK_PERIOD_MS 500

#define SHELL_PROGRAM L"shell32.exe"

// What a tap on the button does.
enum QuitletModeValue { QUITLET_MODE_MINIMISE = 0, QUITLET_MODE_CLOSE = 1, QUITLET_MODE_MENU = 2 };

// Menu command ids.
enum QuitletCommand {
  CMD_MODE_MINIMISE = 1200,
  CMD_MODE_CLOSE = 1201,
  CMD_MODE_MENU = 1202,
  CMD_SOFT_RESET = 1204,
  CMD_POWER_OFF = 1205,
  CMD_APPLET_DEVICE = 1206,
  CMD_APPLET_SETTINGS = 1207,
  CMD_MINIMISE = 1212,
  CMD_CLOSE_FOREGROUND = 1214,
  CMD_CLOSE_ALL = 1215,
  CMD_CLOSE_ALL_BUT_THIS = 1216,
  CMD_FILE_EXPLORER = 1221,
  CMD_SWITCH_TODAY = 2000,
  CMD_SWITCH_FIRST = 2001,  // + task index
  CMD_CLOSE_FIRST = 3000,   // + task index
};

#define QUITLET_MAX_TASKS 100

// One running program with a window the menus can list.
struct QuitletTaskEntry {
  WCHAR fileName[MAX_PATH];
  WCHAR modulePath[MAX_PATH];
  DWORD processId;
  bool isProtected;
  bool hasWindow;
  bool visible;
  HWND hwnd;
  WCHAR className[MAX_PATH];
  WCHAR title[MAX_PATH];
};

struct QuitletTaskList {
  QuitletTaskEntry entries[QUITLET_MAX_TASKS];
  int count;
};

// ---- Owner-drawn menus ----

#define MENU_ITEM_MARKER 356
#define MENU_ITEM_TEXT_CHARS 150
#define MENU_ICON_SIZE 32
// Every item a menu can hold: the whole task list plus the fixed items of the longest menu.
#define MENU_ITEM_RECORDS (QUITLET_MAX_TASKS + 8)

struct MenuItemRecord {
  UINT marker;  // MENU_ITEM_MARKER: one of the program's own items
  int index;
  WCHAR text[MENU_ITEM_TEXT_CHARS + 1];
  HBITMAP strip;  // icon strip, 0 for none
  RECT iconSource;  // left, top, width, height in the strip
  SIZE iconDrawn;
  UINT id;
  UINT flags;
};

struct OwnerDrawnMenu {
  HMENU menu;
  MenuItemRecord items[MENU_ITEM_RECORDS];
  int count;
  COLORREF background, selectedBackground, text, selectedText, disabledText;
  HFONT font;
};

enum QuitletMenuKind { MENU_MAIN, MENU_MODE, MENU_SWITCH, MENU_CLOSE, MENU_SYSTEM, MENU_KINDS };

// ---- Program state, owned by the button window ----

struct QuitletState {
  HINSTANCE instance;
  HWND mainWindow;
  HWND taskbar;
  RECT taskbarRect;  // screen
  HWND button;
  HWND desktop;      // the Today screen
  HBITMAP sprite;
  SIZE spriteSize;
  HBITMAP icons;
  SIZE iconsSize;
  int mode;
  bool pressed;
  HWND tracked;      // the foreground window last seen
  bool trackedInShell;
  bool trackedIsDesktop;
  QuitletTaskList tasks;
  OwnerDrawnMenu menus[MENU_KINDS];
};

extern QuitletState g_Quitlet;

// quitletapp.cpp
int QuitletMain(HINSTANCE instance, int showCommand);

// button.cpp
bool RegisterButtonClass(HINSTANCE instance);
HWND CreateQuitletButton(QuitletState *state);
void PositionButton(QuitletState *state);
void TrackForeground(QuitletState *state);

// qltasks.cpp
bool IsProtectedProgram(LPCWSTR fileName);
// A window of the device's shell: never closed, only minimised.
bool IsShellTask(const QuitletTaskEntry &task);
// The program file name of a process ("" when not found).
void GetProcessFileName(DWORD processId, LPWSTR name, int chars);
void BuildTaskList(QuitletTaskList *list);

// actions.cpp
void ForwardTaskbarTap(QuitletState *state);
// Asks the window's program to close, once, off this thread; one that hangs is offered to the user to end.
void CloseTaskWindow(HWND hwnd);
void PowerOff(void);

// commands.cpp
void SetQuitletMode(QuitletState *state, int mode);
// Runs a menu command (0 does nothing).
void RunQuitletCommand(QuitletState *state, UINT id);

// menus.cpp
void CreateQuitletMenus(QuitletState *state);
void DestroyQuitletMenus(QuitletState *state);
void BuildTaskSubmenus(QuitletState *state);
// Shows the main menu at the taskbar's bottom-right corner; the chosen command, 0 for none.
UINT ShowQuitletMenu(QuitletState *state);
void UpdateMenuStates(QuitletState *state);
// Checks the radio item of the current mode.
void CheckModeItem(QuitletState *state);
BOOL MeasureMenuItem(QuitletState *state, MEASUREITEMSTRUCT *measure);
BOOL DrawMenuItem(QuitletState *state, const DRAWITEMSTRUCT *draw);
