#include "debuglog.h"
#include "device.h"
#include "settings.h"
#include "wm.h"
#include <stdarg.h>
#include <strsafe.h>

int g_DebugEnabled = 0;

void ReadDebugSwitch(void) {
  DWORD value = 0;
  ReadMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &value, sizeof(value));
  g_DebugEnabled = value != 0;
}

namespace {

// The channels' files, the last for any other channel.
const LPCWSTR kLogFiles[] = {L"\\VT.mon.txt", L"\\VT.gui.txt", L"\\VT.gl.txt", L"\\VT.ql.txt",
                             L"\\VT.benchmark.txt", L"\\VT.txt"};
const int kOtherChannel = ARRAYSIZE(kLogFiles) - 1;

int LogFileIndex(int channel) { return channel >= 0 && channel < kOtherChannel ? channel : kOtherChannel; }

// One lock per log file, shared by every program of the device: an append is a seek to the file's end
// and a write, and two writers at once would both write at the same end, one line over the other.
HANDLE g_LogLocks[ARRAYSIZE(kLogFiles)];

HANDLE LogLock(int channel) {
  int slot = LogFileIndex(channel);
  HANDLE lock = g_LogLocks[slot];
  if (lock) return lock;
  WCHAR name[64];
  StringCchPrintfW(name, ARRAYSIZE(name), L"VTDebugLog%s", kLogFiles[slot] + 1);
  lock = CreateMutexW(NULL, FALSE, name);
  if (!lock) return NULL;
  // Two threads may have opened it at once: one handle is kept.
  HANDLE kept = InterlockedCompareExchangePointer(&g_LogLocks[slot], lock, NULL);
  if (kept) {
    CloseHandle(lock);
    return kept;
  }
  return lock;
}

struct LogLine {
  WCHAR message[DEBUG_LOG_MAX_CHARS + 1];
  char utf8[DEBUG_LOG_MAX_CHARS * 3 + 3];
};

}  // namespace

LPCWSTR DebugLogFileName(int channel) { return kLogFiles[LogFileIndex(channel)]; }

void WriteDebugLog(int channel, LPCWSTR format, ...) {
  if (!g_DebugEnabled || !format) return;
  WCHAR path[MAX_PATH] = {0};
  if (!WmDevicePath(DebugLogFileName(channel), path, ARRAYSIZE(path))) return;

  // The line is made on the heap: the longest takes some 80 KB, far more than a handheld thread's stack
  // can spare. Without the memory for it the line is dropped.
  LogLine *line = (LogLine *)HeapAlloc(GetProcessHeap(), 0, sizeof(LogLine));
  if (!line) return;
  va_list args;
  va_start(args, format);
  // A message too long for the buffer is cut at 16,383 characters, still terminated.
  StringCchVPrintfW(line->message, ARRAYSIZE(line->message), format, args);
  va_end(args);
  line->message[DEBUG_LOG_MAX_CHARS] = 0;

  // One encoding for every line: UTF-8, no byte-order mark, text-mode line end.
  char *utf8 = line->utf8;
  int len = WideCharToMultiByte(CP_UTF8, 0, line->message, -1, utf8, sizeof(line->utf8) - 2, NULL, NULL);
  if (len <= 0) {
    HeapFree(GetProcessHeap(), 0, line);
    return;
  }
  len--;  // drop the terminator
  utf8[len++] = '\r';
  utf8[len++] = '\n';

  // A writer that died holding the lock leaves it abandoned, and the next one takes it over. Without
  // the lock (no handle to spare) the line is still written, as before there were several writers.
  HANDLE lock = LogLock(channel);
  DWORD waited = lock ? WaitForSingleObject(lock, 2000) : WAIT_FAILED;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) {  // else nowhere to write: the line is dropped
    DWORD written = 0;
    WriteFile(file, utf8, (DWORD)len, &written, NULL);
    CloseHandle(file);
  }
  if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) ReleaseMutex(lock);
  HeapFree(GetProcessHeap(), 0, line);
}

void WriteDeviceInfoHeader(int channel) {
  WCHAR oem[255];
  ZeroMemory(oem, sizeof(oem));
  WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0);
  OSVERSIONINFOW os = {};
  os.dwOSVersionInfoSize = sizeof(os);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  GetVersionExW(&os);
#pragma GCC diagnostic pop
  int w, h;
  GetScreenSize(&w, &h);
  WriteDebugLog(channel,
                L"-----------------\nDevice name [%s]\nOS version %d.%d\nScreen size: %dx%d\n-----------------",
                oem, (int)os.dwMajorVersion, (int)os.dwMinorVersion, w, h);
}
