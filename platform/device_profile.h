// Where the emulated handheld keeps its identity and the state its shell shares with programs.
// Written by the device scripts and the device shell, read by the layer.
#pragma once

#define DEVICE_PROFILE_KEY L"Software\\EmulatedHandheld\\Profile"   // under HKEY_LOCAL_MACHINE
#define DEVICE_PROFILE_PLATFORM L"PlatformType"                   // REG_SZ "PocketPC" / "Smartphone"
#define DEVICE_PROFILE_OEM L"OEMInfo"                             // REG_SZ
#define DEVICE_PROFILE_REBOOT L"RebootRequested"                  // REG_DWORD, set by a soft reset

#define DEVICE_TODAY_CLASS L"DesktopExplorerWindow"
#define DEVICE_TODAY_TITLE L"Desktop"
#define DEVICE_TASKBAR_CLASS L"HHTaskbar"
#define DEVICE_MENUBAR_CLASS L"menu_worker"
