// The main window's state, shared by the start-up, the window procedure and the pages.
#include "mainwindow.h"

MainWindowState g_Main;

void RedrawMainWindow(void) {
  if (g_Main.window) InvalidateRect(g_Main.window, NULL, FALSE);
}
