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
// The floor a task list is measured against: one process snapshot through the layer and one walk over
// every top-level window asking each for its process.
void ListingFloor(void);
