// CPU load of the whole task list from device-wide thread-times samples: one pair of samples serves
// every row, instead of a wait per process.
#pragma once
#include <windows.h>
#include "wm_process.h"

struct TaskList;

// Threads one sample keeps; a device with more is measured over the first ones.
#define MAX_SAMPLED_THREADS 4096

struct CpuSample {
  BOOL taken;       // FALSE when the thread snapshot failed
  DWORD tick;       // when it was taken
  int count;
  WmThreadTimes threads[MAX_SAMPLED_THREADS];  // by thread id, ascending
};

// Takes a sample of every thread of the device. FALSE (and taken FALSE) without a thread snapshot.
BOOL TakeCpuSample(CpuSample *sample);
// The load of one process between two samples, in percent of one processor: the time of all its
// threads present in both samples over the ticks between them. -1.0 when either sample failed.
double ProcessLoadBetween(const CpuSample *before, const CpuSample *after, DWORD processId);
// Gives every running row of the list its load between the two samples; a row that is not running,
// a row whose process has no thread in the earlier sample (new since then) and a failed measurement
// read 0.
void ApplyCpuLoads(TaskList *list, const CpuSample *before, const CpuSample *after);
