// Entry point of GaugeletApp.exe.
#include <windows.h>
#include "gaugelet.h"
#include "programstatics.h"

static struct ProgramStatics {
  ProgramStatics() { InitProgramStatics(); }
} g_Statics;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
  return GaugeletMain(instance, commandLine, showCommand);
}
