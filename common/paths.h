// The installation folder, the running program's folder, and paths built from them.
#pragma once
#include <windows.h>

struct ProgramPaths {
  WCHAR moduleFolder[MAX_PATH];   // folder of the running executable, ending with a backslash
  WCHAR installFolder[MAX_PATH];  // InstallPath once read, empty until then
};

extern ProgramPaths g_Paths;

// Fills the module folder and clears the cached installation folder.
void GetModuleFolder(ProgramPaths *paths);
// Installation folder [+ "\" subfolder] + "\" file name; empty when InstallPath is not set or the path
// would not fit in MAX_PATH. Points to one buffer that the next call overwrites.
LPCWSTR GetInstallFilePath(ProgramPaths *paths, LPCWSTR productKey, LPCWSTR subfolder, LPCWSTR fileName);
// folder + subfolder + "\" + file name, no separator removed or added beyond that one; empty when the
// path would not fit. Points to one buffer that the next call overwrites.
LPCWSTR JoinPath(LPCWSTR folder, LPCWSTR subfolder, LPCWSTR fileName);
