// The handheld's shell and kernel services that desktop Win32 lacks: shortcut files, special folders,
// storage cards, battery and the object store.
#pragma once
#include <windows.h>
#include <shlobj.h>

// ---- Shortcuts -------------------------------------------------------------------------------------

// Writes a shortcut in the handheld's text form: the target's length in characters, "#", the target
// ("22#\Windows\fexplore.exe"). Fails when the file already exists or cannot be written.
BOOL SHCreateShortcut(LPCWSTR shortcut, LPCWSTR target);
// Reads a shortcut's target (the command line: a program, possibly quoted, and its arguments). Reads
// the text form (ANSI, UTF-8 or UTF-16) and binary desktop shortcuts. targetChars is the buffer's size
// in characters; a target that does not fit fails. On failure the target is empty.
BOOL SHGetShortcutTarget(LPCWSTR shortcut, LPWSTR target, int targetChars);

// ---- Special folders -------------------------------------------------------------------------------

#ifndef CSIDL_STARTUP
#define CSIDL_STARTUP 0x0007
#endif
#ifndef CSIDL_PERSONAL
#define CSIDL_PERSONAL 0x0005
#endif
// The device's special folders (StartUp 7, documents 5, ...) into a buffer of MAX_PATH characters,
// without a trailing backslash. With create set a missing folder is made.
BOOL WmGetSpecialFolderPath(HWND owner, LPWSTR path, int folder, BOOL create);

// ---- Storage cards ---------------------------------------------------------------------------------

// Enumerates the device's storage cards in the device profile's order. Each find record describes the
// card's folder; its file name is the card's name without the leading backslash ("Storage Card").
// No card: INVALID_HANDLE_VALUE with ERROR_NO_MORE_FILES. The handle is closed with FindClose.
HANDLE FindFirstFlashCard(LPWIN32_FIND_DATAW findData);
BOOL FindNextFlashCard(HANDLE find, LPWIN32_FIND_DATAW findData);

// ---- Power -----------------------------------------------------------------------------------------

#ifndef AC_LINE_OFFLINE
#define AC_LINE_OFFLINE 0x00
#endif
#ifndef AC_LINE_ONLINE
#define AC_LINE_ONLINE 0x01
#endif
#ifndef AC_LINE_UNKNOWN
#define AC_LINE_UNKNOWN 0xFF
#endif
#ifndef BATTERY_FLAG_HIGH
#define BATTERY_FLAG_HIGH 0x01
#endif
#ifndef BATTERY_FLAG_LOW
#define BATTERY_FLAG_LOW 0x02
#endif
#ifndef BATTERY_FLAG_CRITICAL
#define BATTERY_FLAG_CRITICAL 0x04
#endif
#ifndef BATTERY_FLAG_CHARGING
#define BATTERY_FLAG_CHARGING 0x08
#endif
#ifndef BATTERY_FLAG_NO_BATTERY
#define BATTERY_FLAG_NO_BATTERY 0x80
#endif
#ifndef BATTERY_FLAG_UNKNOWN
#define BATTERY_FLAG_UNKNOWN 0xFF
#endif
#ifndef BATTERY_PERCENTAGE_UNKNOWN
#define BATTERY_PERCENTAGE_UNKNOWN 0xFF
#endif
#ifndef BATTERY_LIFE_UNKNOWN
#define BATTERY_LIFE_UNKNOWN 0xFFFFFFFF
#endif
#ifndef BATTERY_CHEMISTRY_UNKNOWN
#define BATTERY_CHEMISTRY_UNKNOWN 0xFF
#endif

typedef struct _SYSTEM_POWER_STATUS_EX {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
} SYSTEM_POWER_STATUS_EX, *PSYSTEM_POWER_STATUS_EX;

typedef struct _SYSTEM_POWER_STATUS_EX2 {
  BYTE ACLineStatus;
  BYTE BatteryFlag;
  BYTE BatteryLifePercent;
  BYTE Reserved1;
  DWORD BatteryLifeTime;
  DWORD BatteryFullLifeTime;
  BYTE Reserved2;
  BYTE BackupBatteryFlag;
  BYTE BackupBatteryLifePercent;
  BYTE Reserved3;
  DWORD BackupBatteryLifeTime;
  DWORD BackupBatteryFullLifeTime;
  DWORD BatteryVoltage;
  DWORD BatteryCurrent;
  DWORD BatteryAverageCurrent;
  DWORD BatteryAverageInterval;
  DWORD BatterymAHourConsumed;
  DWORD BatteryTemperature;
  DWORD BackupBatteryVoltage;
  BYTE BatteryChemistry;
} SYSTEM_POWER_STATUS_EX2, *PSYSTEM_POWER_STATUS_EX2;

// The main battery: the device profile's simulated one when set, else the host's. Copies at most
// length bytes of the record and returns how many; 0 on failure.
DWORD GetSystemPowerStatusEx2(PSYSTEM_POWER_STATUS_EX2 status, DWORD length, BOOL update);
BOOL GetSystemPowerStatusEx(PSYSTEM_POWER_STATUS_EX status, BOOL update);

// ---- Object store ----------------------------------------------------------------------------------

typedef struct STORE_INFORMATION {
  DWORD dwStoreSize;
  DWORD dwFreeSize;
} STORE_INFORMATION, *LPSTORE_INFORMATION;

// The device's object store in bytes: its size is the device profile's (64 MB when unset); in use are
// the files of the device's own folders, storage cards and the emulator's system folders (the
// handheld's ROM) left out. The one store figure of the layer. The files are walked once; after that
// the device's change notices name what changed and only the folders holding it are listed again, so a
// call costs one look at the notices however many folders the store holds.
BOOL GetStoreInformation(LPSTORE_INFORMATION info);

// ---- Tap-and-hold ----------------------------------------------------------------------------------

#ifndef SHRG_RETURNCMD
#define SHRG_RETURNCMD 0x00000001
#define SHRG_NOTIFYPARENT 0x00000002
#define SHRG_LONGDELAY 0x00000008
#define SHRG_NOANIMATION 0x00000010
#endif
#ifndef GN_CONTEXTMENU
#define GN_CONTEXTMENU 1000
#endif
// How long the stylus must stay down and still for a tap-and-hold, and how far it may wander (at
// layout factor 1) meanwhile.
#define WM_HOLD_TIME_MS 650
#define WM_HOLD_LONG_TIME_MS 1100
#define WM_HOLD_SLOP 4

typedef struct tagSHRGI {
  DWORD cbSize;
  HWND hwndClient;
  POINT ptDown;  // client coordinates of hwndClient
  DWORD dwFlags;
} SHRGINFO, *PSHRGINFO;

// Called right after the stylus went down on hwndClient (which this call captures for its duration):
// waits while the stylus stays down and still. Held for the hold time: GN_CONTEXTMENU with
// SHRG_RETURNCMD; with SHRG_NOTIFYPARENT the parent gets a WM_NOTIFY (NMRGINFO, code GN_CONTEXTMENU)
// and 1 is returned. Lifted or moved first: 0, and the stylus messages stay queued for the window.
// A ring of dots fills around the point while the stylus is held, unless SHRG_NOANIMATION.
typedef struct tagNMRGINFO {
  NMHDR hdr;
  POINT ptAction;  // screen coordinates
  DWORD dwItemSpec;
} NMRGINFO, *PNMRGINFO;
DWORD SHRecognizeGesture(SHRGINFO *shrg);
