// Entry point of Benchmark.exe.
#include <windows.h>
#include "benchwindow.h"
#include "programstatics.h"

static struct ProgramStatics {
  ProgramStatics() { InitProgramStatics(); }
} g_Statics;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int showCommand) {
  return BenchmarkMain(instance, commandLine, showCommand);
}
