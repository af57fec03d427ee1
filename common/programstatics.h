#pragma once

// What every program does before its entry point: module folder, string table from the
// installation folder (released at exit), the refresh message. Each program calls it from a static
// initialiser of its entry-point file.
void InitProgramStatics(void);

// A program that runs once: 1 when the calling thread takes the name (it keeps it until it ends), 0
// while another running copy holds it. A copy that is ending is waited for, at most waitMs. Two copies
// started at the same moment (the StartUp folder and another program's start at boot) cannot both
// miss each other, as a look for the other's window can.
int TakeInstanceName(const wchar_t *name, unsigned long waitMs);
