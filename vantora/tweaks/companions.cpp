#include "companions.h"

HWND FindVTMonitorWindow(void) { return FindWindowW(L"VTMONITOR", L"VTMonitor"); }
HWND FindQuitletWindow(void) { return FindWindowW(L"QUITLETAPP", L"QuitletApp"); }
HWND FindGaugeletWindow(void) { return FindWindowW(L"GAUGELETAPPTOPLVL", L"GaugeletAppTopLvl"); }
