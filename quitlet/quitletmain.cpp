// Entry point of QuitletApp.exe.
#include <windows.h>
#include "quitlet.h"
#include "programstatics.h"

static struct ProgramStatics {
  ProgramStatics() { InitProgramStatics(); }
} g_Statics;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  return QuitletMain(instance, showCommand);
}
