// Entry point of VTMonitor.exe.
#include <windows.h>
#include "monitor.h"
#include "programstatics.h"

static struct ProgramStatics {
  ProgramStatics() { InitProgramStatics(); }
} g_Statics;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) { return MonitorMain(instance); }
