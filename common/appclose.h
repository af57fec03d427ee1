// Closing another program's window the way its user expects: the program is asked once, a question it
// asks back (save changes?) is left to the user, and a program that no longer answers may be ended.
#pragma once
#include <windows.h>

enum AppCloseResult {
  APP_CLOSE_CLOSED = 0,        // the window is gone
  APP_CLOSE_STILL_ASKING = 1,  // the program answers but keeps its window: it asks its user, or said no
  APP_CLOSE_HUNG = 2,          // the program has not answered for APP_CLOSE_HUNG_MS
};

#define APP_CLOSE_HUNG_MS 5000

// Asks the window to close with exactly one WM_CLOSE and waits for its program to handle it, at most
// APP_CLOSE_HUNG_MS and a moment more to tell a program that asks its user from one that hangs. Blocks:
// call it from a thread that owns no window the program might wait for (a worker).
AppCloseResult CloseAppWindowOnce(HWND hwnd);

// Ends the program of the window, if the window still belongs to processId. FALSE when it did not end.
BOOL EndAppOfWindow(HWND hwnd, DWORD processId);

// The close the user asked for, done on a worker thread so that the caller's window never waits for
// another program: CloseAppWindowOnce, and for a program that hangs, a question (WmMessageBox, Yes/No,
// under caption) whether to end it; Yes ends it. question is the text with "%s" where the window's
// title goes; the caller looks it up in its string table on its own thread. A window whose close is
// still going on is not asked again. What happens is logged to the channel. FALSE when nothing was
// started (the window is gone, is being closed already, or no thread could start).
BOOL CloseAppWindowInBackground(HWND hwnd, LPCWSTR question, LPCWSTR caption, int logChannel);
