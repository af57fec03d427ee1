// Files beside the program and the lines of the result list.
#include "benchio.h"
#include "debuglog.h"
#include "paths.h"
#include <stdarg.h>
#include <strsafe.h>

HWND g_SuiteWindow = NULL;

LPCWSTR BenchFilePath(LPCWSTR subfolder, LPCWSTR fileName) {
  static WCHAR path[MAX_PATH];
  HRESULT hr;
  if (subfolder && subfolder[0])
    hr = StringCchPrintfW(path, MAX_PATH, L"%s%s\\%s", g_Paths.moduleFolder, subfolder, fileName);
  else
    hr = StringCchPrintfW(path, MAX_PATH, L"%s%s", g_Paths.moduleFolder, fileName);
  // A cut path would name another file.
  if (FAILED(hr)) path[0] = 0;
  return path;
}

void AddResultLine(HWND listBox, LPCWSTR format, ...) {
  WCHAR line[RESULT_LINE_MAX + 1];
  line[0] = 0;
  if (format && format[0]) {
    va_list args;
    va_start(args, format);
    StringCchVPrintfW(line, ARRAYSIZE(line), format, args);  // a longer line is cut, still terminated
    va_end(args);
  }
  WriteDebugLog(LOG_BENCHMARK, L"%s", line);
  if (!listBox) return;
  SendMessageW(listBox, LB_ADDSTRING, 0, (LPARAM)line);
  LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
  if (count > 0) SendMessageW(listBox, LB_SETCURSEL, (WPARAM)(count - 1), 0);
}
