// Debug log: one line per call, appended to the program's file in the device's root folder while the
// product's EnableDebug switch is set.
#pragma once
#include <windows.h>

enum LogChannel {
  LOG_MONITOR = 0,    // "\VT.mon.txt"
  LOG_GUI = 1,        // "\VT.gui.txt", also the shared task snapshot code
  LOG_GAUGELET = 2,   // "\VT.gl.txt"
  LOG_QUITLET = 3,    // "\VT.ql.txt"
  LOG_BENCHMARK = 4,  // "\VT.benchmark.txt"
};

#define DEBUG_LOG_MAX_CHARS 16383

// Nonzero while logging is on; read once at the start of the entry point.
extern int g_DebugEnabled;

// Reads EnableDebug into g_DebugEnabled.
void ReadDebugSwitch(void);
// The log file of a channel ("\VT.txt" for an unknown one).
LPCWSTR DebugLogFileName(int channel);
// Formats (wide %s = wide string) and appends one line; a line that cannot be written is dropped.
void WriteDebugLog(int channel, LPCWSTR format, ...);
// One block describing the device: OEM name, OS version, screen size.
void WriteDeviceInfoHeader(int channel);
