// Where the emulated handheld keeps its identity and the state its shell shares with programs.
// Written by the device scripts and the device shell, read by the layer.
#pragma once

#define DEVICE_PROFILE_KEY L"Software\\EmulatedHandheld\\Profile"   // under HKEY_LOCAL_MACHINE
#define DEVICE_PROFILE_PLATFORM L"PlatformType"                   // REG_SZ "PocketPC" / "Smartphone"
#define DEVICE_PROFILE_OEM L"OEMInfo"                             // REG_SZ
#define DEVICE_PROFILE_REBOOT L"RebootRequested"                  // REG_DWORD, set by a soft reset
#define DEVICE_PROFILE_CARDS L"StorageCards"                      // REG_MULTI_SZ, card folder names in order
#define DEVICE_PROFILE_BATTERY_PERCENT L"BatteryPercent"          // REG_DWORD, simulated battery (absent: host)
#define DEVICE_PROFILE_BATTERY_FLAG L"BatteryFlag"                // REG_DWORD
#define DEVICE_PROFILE_HOST_DISPLAY L"HostDisplay"                // REG_DWORD, 1 when on the user's own display
#define DEVICE_PROFILE_TODAY_DATE L"TodayDate"                    // REG_SZ "YYYY-MM-DD": Today shows it (absent: the clock's)

#define DEVICE_TODAY_CLASS L"DesktopExplorerWindow"
#define DEVICE_TODAY_TITLE L"Desktop"
#define DEVICE_TASKBAR_CLASS L"HHTaskbar"
#define DEVICE_MENUBAR_CLASS L"menu_worker"
#define DEVICE_SLEEP_CLASS L"HHSleep"             // the dark screen while the device sleeps
#define DEVICE_SHOWN_WINDOW_PROP L"HHShownWindow" // taskbar property: the window the taskbar shows
#define DEVICE_FULLSCREEN_MSG (WM_APP + 21)      // to the taskbar: wParam the window, lParam SHFS_ flags

#define DEVICE_PROFILE_RAM L"RamMB"                               // REG_DWORD, program memory in MB (absent: 128)
#define DEVICE_PROFILE_STORE L"StoreMB"                           // REG_DWORD, object store in MB (absent: 64)

#include <windows.h>
// The one reader of the profile's values (HKEY_LOCAL_MACHINE\DEVICE_PROFILE_KEY). Each fails (FALSE,
// and an empty text) when the value is missing, of another type or does not fit; a text read is
// always terminated inside the buffer (a list by two terminators). chars counts the buffer's WCHARs.
BOOL ReadDeviceProfileDword(LPCWSTR name, DWORD *value);
BOOL ReadDeviceProfileString(LPCWSTR name, LPWSTR text, DWORD chars);
BOOL ReadDeviceProfileList(LPCWSTR name, LPWSTR list, DWORD chars);
