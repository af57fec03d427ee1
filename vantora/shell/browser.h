// The program browser: a full-screen tree of the device's folders showing only folders and the files
// the filter accepts. The task page's add-a-program command (pagecommands.h) lives beside it.
#pragma once
#include <windows.h>

#define BROWSER_PATH_CHARS 260

// Control ids and commands of the browser window.
#define IDC_BROWSER_PATH 501
#define IDC_BROWSER_NAME 502
#define IDC_BROWSER_TREE 701

// Shows the browser until the user saves or cancels. filter: the accepted extensions written
// backwards, separated by "|" ("exe.|knl."), or "*." for every file. selectedPath and nameText hold
// BROWSER_PATH_CHARS characters; both are empty after Cancel. imageStrip: the folder/file pictures
// (three images side by side, green as the transparent colour).
void BrowseForProgram(HINSTANCE ownerInstance, HWND owner, LPCWSTR title, LPCWSTR filter, LPWSTR selectedPath,
                      LPWSTR nameText, LPCWSTR imageStrip);
// 1 when a file name passes the filter (case-sensitive).
int BrowserFilterAccepts(LPCWSTR filter, LPCWSTR fileName);
