#pragma once
#include <windows.h>

// What every program does before its entry point: module folder, string table from the
// installation folder (released at exit), the refresh message. Each program calls it from a static
// initialiser of its entry-point file.
void InitProgramStatics(void);

// A program that runs once calls this before any other start-up work. 1: this copy took the name
// (it keeps it until its process ends) and starts. 0: another copy holds it; *running is that copy's
// window (class and title) once it exists, waited for at most waitMs while the other is still
// starting; NULL when it did not appear in time. A copy that is ending (its window gone) is waited
// for within the same bound, so a start right after an exit still starts. Two copies started at the
// same moment cannot both miss each other, as a look for the other's window alone can.
int TakeInstanceName(const wchar_t *name, const wchar_t *windowClass, const wchar_t *windowTitle,
                     unsigned long waitMs, HWND *running);

// How long a second copy waits for the first's window or end.
#define INSTANCE_WAIT_MS 10000
