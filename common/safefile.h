// Whole-file saves that survive faults. The new contents go to a temporary file beside the file,
// are flushed to the store and then renamed over the file in one step, so a program killed at any
// moment leaves either the complete old file or the complete new one. A save that cannot be made
// (store full, read-only file or folder) leaves the old file as it was, says why in the log and
// returns 0.
#pragma once
#include <windows.h>

// Temporary files of a save are named "<file>.<process id>.new" beside the file. Readers never open
// them; the next save of the same file removes those a killed save left.
#define SAFE_SAVE_SUFFIX L".new"

// Writes size bytes as the whole new contents of path. 1 when the new file is in place. 0 when it is
// not: the old file (or its absence) is unchanged, GetLastError() holds the error and the log channel
// has a line naming the file, the step that failed and the error.
int SaveWholeFile(LPCWSTR path, const void *data, DWORD size, int logChannel);

// Removes the temporaries of earlier saves of path that no process holds open any more (saves that
// were killed part-way). The number removed.
int RemoveStaleSaves(LPCWSTR path);
