// The browser's temporary files: moved to a storage card and back, and cleared.
#pragma once
#include <windows.h>

void MoveIETempFilesToStorage(bool toStorage);
void ClearBrowserFiles(void);
int DeleteFolderFiles(LPCWSTR folder);
