// The browser's files: its temporary-files folder moved to a storage card and back, and the cleaning
// of its cache, history and cookies folders.
#pragma once
#include <windows.h>

// Points the browser's cache folder at a folder of the same name on the first storage card (true) or
// back at the folder the device had at first run (false). Only the registry value changes.
void MoveIETempFilesToStorage(bool toStorage);
// The same; false when no storage card was found (nothing was written).
bool MoveBrowserCacheFolder(bool toStorage);
// Deletes the files of the browser's cache, history and cookies folders (the folders stay).
void ClearBrowserFiles(void);
// Deletes every file under the folder, at any depth, except names beginning with "."; files in use or
// read-only stay. Never works on the device's root or a storage card's root, never follows a linked
// folder out of the tree. Returns the number of files deleted; -1 when the folder was refused.
int DeleteFolderFiles(LPCWSTR folder);
// The same, also counting the files that stayed.
int DeleteFolderFilesCounted(LPCWSTR folder, int *deleted, int *left);
// The new cache folder on a card: the card name, the last folder name of the saved path (a trailing
// backslash kept), one separator between them. out holds MAX_PATH characters.
void ComposeCardCacheFolder(LPCWSTR cardName, LPCWSTR savedFolder, WCHAR *out);
