// Device-wide CPU samples and the per-process load between two of them.
#include "cpusample.h"
#include "tasklist.h"
#include <stdlib.h>

namespace {

int CompareThreadId(const void *a, const void *b) {
  DWORD x = ((const WmThreadTimes *)a)->threadId, y = ((const WmThreadTimes *)b)->threadId;
  return x < y ? -1 : x > y ? 1 : 0;
}

const WmThreadTimes *FindThread(const CpuSample *sample, DWORD threadId) {
  int low = 0, high = sample->count - 1;
  while (low <= high) {
    int mid = (low + high) / 2;
    DWORD id = sample->threads[mid].threadId;
    if (id == threadId) return &sample->threads[mid];
    if (id < threadId) low = mid + 1;
    else high = mid - 1;
  }
  return NULL;
}

// Busy time (100 ns units) of a thread between the samples: 0 for one that started or ended in between
// or whose id now names another thread.
ULONGLONG ThreadBusyBetween(const CpuSample *before, const WmThreadTimes *now) {
  const WmThreadTimes *then = FindThread(before, now->threadId);
  if (!then || then->creation != now->creation || then->processId != now->processId) return 0;
  return now->busy > then->busy ? now->busy - then->busy : 0;
}

double Percent(ULONGLONG busy, DWORD elapsed) {
  if (elapsed == 0) elapsed = 1;
  return ((double)busy / 10000.0) * 100.0 / (double)elapsed;
}

}  // namespace

BOOL TakeCpuSample(CpuSample *sample) {
  int count = WmSampleThreadTimes(sample->threads, MAX_SAMPLED_THREADS);
  sample->tick = GetTickCount();
  sample->taken = count >= 0;
  sample->count = count > 0 ? count : 0;
  qsort(sample->threads, sample->count, sizeof(sample->threads[0]), CompareThreadId);
  return sample->taken;
}

double ProcessLoadBetween(const CpuSample *before, const CpuSample *after, DWORD processId) {
  if (!before->taken || !after->taken) return -1.0;
  ULONGLONG busy = 0;
  for (int i = 0; i < after->count; i++)
    if (after->threads[i].processId == processId) busy += ThreadBusyBetween(before, &after->threads[i]);
  return Percent(busy, after->tick - before->tick);
}

void ApplyCpuLoads(TaskList *list, const CpuSample *before, const CpuSample *after) {
  int rows = list->count < MAX_TASKS ? list->count : MAX_TASKS;
  for (int r = 0; r < rows; r++) list->entries[r].cpuUsage = 0.0;
  if (!before->taken || !after->taken) return;
  // One pass over the threads, each credited to its process's row.
  static ULONGLONG busy[MAX_TASKS];
  for (int r = 0; r < rows; r++) busy[r] = 0;
  for (int i = 0; i < after->count; i++) {
    const WmThreadTimes *now = &after->threads[i];
    for (int r = 0; r < rows; r++) {
      const TaskEntry *row = &list->entries[r];
      if (!row->running || !row->processId || row->processId != now->processId) continue;
      busy[r] += ThreadBusyBetween(before, now);
      break;
    }
  }
  DWORD elapsed = after->tick - before->tick;
  for (int r = 0; r < rows; r++)
    if (list->entries[r].running && list->entries[r].processId) list->entries[r].cpuUsage = Percent(busy[r], elapsed);
}
