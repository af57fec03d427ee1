// Resource ids of the main program: icons 1xx, menus and strings 2xx, commands 30000+.
#pragma once

#define IDI_VANTORA 101

#define IDR_MENUBAR 204
#define IDM_HELP 205
#define IDM_ABOUT 206
#define IDS_OK 207
#define IDS_MENU 208

#define IDM_OK 30003
#define IDM_MENU 30005

// The program browser's soft keys.
#define IDR_BROWSER_MENUBAR 109
#define IDS_BROWSER_SAVE 107
#define IDS_BROWSER_CANCEL 108
#define IDM_BROWSER_SAVE 30001
#define IDM_BROWSER_CANCEL 30002
