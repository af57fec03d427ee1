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

#define DEVICE_TODAY_CLASS L"DesktopExplorerWindow"
#define DEVICE_TODAY_TITLE L"Desktop"
#define DEVICE_TASKBAR_CLASS L"HHTaskbar"
#define DEVICE_MENUBAR_CLASS L"menu_worker"
#define DEVICE_SLEEP_CLASS L"HHSleep"             // the dark screen while the device sleeps
#define DEVICE_SHOWN_WINDOW_PROP L"HHShownWindow" // taskbar property: the window the taskbar shows
