// Entry point of Vantora.exe.
#include <windows.h>
#include "shell/mainwindow.h"
#include "programstatics.h"

static struct ProgramStatics {
  ProgramStatics() { InitProgramStatics(); }
} g_Statics;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
  return VantoraMain(instance, commandLine, showCommand);
}
