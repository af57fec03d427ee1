// The handheld layer: what the programs expect of the Windows Mobile platform, over desktop Win32.
// Windows Mobile names where the desktop has none; Wm* names where the desktop has a same-named call
// that behaves differently.
#pragma once
#include <windows.h>
#include "wm_rc.h"

// ---- Menu bar and soft keys ----------------------------------------------------------------------

#define VK_TBACK VK_ESCAPE
#define VK_TSOFT1 VK_F1
#define VK_TSOFT2 VK_F2

#define SHCMBM_OVERRIDEKEY (WM_USER + 403)
#define SHMBOF_NODEFAULT 0x00000001
#define SHMBOF_NOTIFY 0x00000002

// wParam of the WM_HOTKEY a menu bar sends for an overridden key
#define SHMB_HOTKEY_SOFT1 0
#define SHMB_HOTKEY_SOFT2 1
#define SHMB_HOTKEY_BACK 2

#ifndef MOD_KEYUP
#define MOD_KEYUP 0x1000
#endif

#define SHCMBF_EMPTYBAR 0x0001
#define SHCMBF_HIDDEN 0x0002
#define SHCMBF_HIDESIPBUTTON 0x0004

typedef struct tagSHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  COLORREF clrBk;
} SHMENUBARINFO, *PSHMENUBARINFO;

// Creates the soft-key bar at the bottom of the screen for a top-level window; F1 and F2 press its
// keys. The owner is shrunk so that it ends above the bar.
BOOL SHCreateMenuBar(SHMENUBARINFO *pmbi);
HWND SHFindMenuBar(HWND hwnd);
// Forwards an overridden Back key (the WM_HOTKEY the menu bar sent) to the focused control as Backspace.
void SHSendBackToFocusWindow(UINT uMsg, WPARAM wp, LPARAM lp);
// Screen width and height in pixels (0 when the screen cannot be read).
void WmGetScreenSize(int *width, int *height);
// Height of the soft-key bar (and of the taskbar): 26 pixels at factor 1.
int WmBarHeight(void);
// Layout factor for a screen dimension: 1 up to 400 pixels, 2 from 480 on; a dimension between the
// supported ones takes the factor of the nearest one. Never 0.
int WmScaleFactorFor(int pixels);

// ---- Activation and settings ---------------------------------------------------------------------

typedef struct tagSHACTIVATEINFO {
  DWORD cbSize;
  HWND hwndLastFocus;
  UINT fSipUp : 1;
  UINT fSipOnDeactivation : 1;
  UINT fActive : 1;
  UINT fReserved : 29;
} SHACTIVATEINFO, *PSHACTIVATEINFO;

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai, DWORD dwFlags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO *psai);
BOOL SHInitExtraControls(void);

#ifndef SHFS_SHOWTASKBAR
#define SHFS_SHOWTASKBAR 0x0001
#define SHFS_HIDETASKBAR 0x0002
#define SHFS_SHOWSIPBUTTON 0x0004
#define SHFS_HIDESIPBUTTON 0x0008
#define SHFS_SHOWSTARTICON 0x0010
#define SHFS_HIDESTARTICON 0x0020
#endif
// Full screen for a program's window: the shell hides its taskbar and the Start icon while the
// window asks (or until the window is gone) and shows them again on the SHOW flags. The window places
// itself over the room it gets. The input panel button flags are accepted; the device has none.
BOOL SHFullScreen(HWND hwnd, DWORD flags);

// ---- Windows ---------------------------------------------------------------------------------------

// CreateWindowEx with the handheld's rules: a top-level window without a caption style is borderless
// and, when it asks for the default position and size, fills the work area below the taskbar; a child
// of another program's window is shown as WmShowChildOfOtherProgram says.
HWND WmCreateWindow(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int cx,
                    int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// A child placed on another program's window (on the shell's taskbar, say) is seen on the handheld;
// the desktop draws nothing of it. This shows it through a top-level surface of its own program that
// follows the child's place and visibility, stays above the parent and lets taps through. The child
// must paint on request into a given device context (WM_PRINTCLIENT, wParam the HDC); its own
// WM_PAINT still comes and is passed on. Magenta RGB(255, 0, 255) that it paints shows what lies
// under it. FALSE when the parent is this program's or none.
BOOL WmShowChildOfOtherProgram(HWND child);
// The screen less the taskbar at its top.
BOOL WmGetWorkArea(RECT *rc);
// Closes any window: destroyed at once when this thread owns it, else asked to close (WM_CLOSE).
BOOL WmCloseWindow(HWND hwnd);
// Shows (TRUE) or removes (FALSE) the wait cursor.
void WmSetWaitCursor(BOOL wait);
// SetForegroundWindow with the handheld's convention: a handle with its lowest bit set also brings the
// window's owned windows (its last active popup) forward.
BOOL WmSetForegroundWindow(HWND hwnd);
// The shell's desktop window: the Today screen of the device (0 when the shell is not running).
HWND WmGetDesktopWindow(void);
// MessageBoxW whose box lies inside the work area, with or without an owner: a box the desktop lays
// out wider than the handheld's screen is narrowed and its text wrapped again.
int WmMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

// ---- System ----------------------------------------------------------------------------------------

#define SPI_GETPLATFORMTYPE 257
#define SPI_GETOEMINFO 258
// SystemParametersInfo with the handheld's platform type (257) and OEM information (258) added; both
// write a wide string into pvParam, uiParam being the buffer size in bytes.
BOOL WmSystemParametersInfo(UINT action, UINT uiParam, PVOID pvParam, UINT winIni);

#define IOCTL_HAL_REBOOT 0x0101003C
// Hardware abstraction layer control codes; the reboot code asks the device for a soft reset. Once the
// device accepts it the call does not return: every program ends. Should the device not end the caller
// within 20 seconds, the reset did not happen: FALSE (ERROR_TIMEOUT).
BOOL KernelIoControl(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize, LPDWORD returned);

// A device-absolute path ("\VT.gui.txt", rooted at the device's root folder) as the file system needs
// it. Other paths are copied unchanged. Returns 0 when the buffer is too small.
BOOL WmDevicePath(LPCWSTR path, LPWSTR out, size_t outChars);

// ---- Images ----------------------------------------------------------------------------------------

// Loads a PNG, JPEG, GIF or BMP file into a device-independent bitmap (0 on failure).
HBITMAP SHLoadImageFile(LPCWSTR fileName);
// Copies a bitmap (source is a DC or an HBITMAP) skipping the pixels of the transparent colour.
BOOL TransparentImage(HDC hdcDest, LONG dstX, LONG dstY, LONG dstCx, LONG dstCy, HANDLE hSrc, LONG srcX,
                      LONG srcY, LONG srcCx, LONG srcCy, COLORREF transparent);
