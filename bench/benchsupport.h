// What every measurement needs: a clock, a median, the processor time of another process and the
// floor of a task list.
#pragma once
#include <windows.h>
#include <vector>

// Milliseconds from the performance counter.
double Now();
// The middle value (0 for none).
double Median(std::vector<double> v);
// Kernel and user time of every thread of a process, in 100 ns units. The desktop's process times of
// another process do not advance here; its threads' times do.
ULONGLONG ProcessCpu(DWORD processId);
// The same in milliseconds.
double ProcessCpuMs(DWORD processId);
// A process's processor share over the next ms milliseconds, in percent of one processor; the
// processor time it used and the time that went by, in milliseconds, where asked for.
double ProcessShare(DWORD processId, DWORD ms, double *usedMs = NULL, double *elapsedMs = NULL);
// A file of the build tree, named relative to it ("bin\\Vantora.exe"), from the bench's own place in
// it (the tree's bench folder); false when the bench cannot tell where it is.
bool BuildTreeFile(LPCWSTR relative, WCHAR path[MAX_PATH]);
// The floor a task list is measured against: one process snapshot through the layer and one walk over
// every top-level window asking each for its process.
void ListingFloor(void);
