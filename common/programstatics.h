#pragma once

// What every program does before its entry point: module folder, string table from the
// installation folder (released at exit), the refresh message. Each program calls it from a static
// initialiser of its entry-point file.
void InitProgramStatics(void);
