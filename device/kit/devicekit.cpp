#include "devicekit.h"
#include <shellapi.h>
#include <strsafe.h>
#include "wm.h"

void FillGradient(HDC dc, const RECT &rc, COLORREF top, COLORREF bottom) {
  int h = rc.bottom - rc.top;
  for (int y = 0; y < h; y++) {
    int r = GetRValue(top) + (GetRValue(bottom) - GetRValue(top)) * y / h;
    int g = GetGValue(top) + (GetGValue(bottom) - GetGValue(top)) * y / h;
    int b = GetBValue(top) + (GetBValue(bottom) - GetBValue(top)) * y / h;
    RECT line = {rc.left, rc.top + y, rc.right, rc.top + y + 1};
    HBRUSH brush = CreateSolidBrush(RGB(r, g, b));
    FillRect(dc, &line, brush);
    DeleteObject(brush);
  }
}

HFONT CreateDeviceFont(int pixelHeight, int weight) {
  return CreateFontW(-pixelHeight, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, ANTIALIASED_QUALITY, 0,
                     L"Tahoma");
}

BOOL SplitCommandLine(LPCWSTR command, LPWSTR program, int programChars, LPCWSTR *arguments) {
  if (!program || programChars <= 0) return FALSE;
  program[0] = 0;
  if (arguments) *arguments = L"";
  if (!command) return FALSE;
  while (*command == L' ' || *command == L'\t') command++;
  LPCWSTR args;
  HRESULT hr;
  if (*command == L'"') {
    LPCWSTR close = wcschr(command + 1, L'"');
    if (!close) return FALSE;
    hr = StringCchCopyNW(program, programChars, command + 1, close - command - 1);
    args = close + 1;
  } else {
    LPCWSTR end = command;
    while (*end && *end != L' ' && *end != L'\t') end++;
    hr = StringCchCopyNW(program, programChars, command, end - command);
    args = end;
  }
  if (FAILED(hr) || !program[0]) {
    program[0] = 0;
    return FALSE;
  }
  while (*args == L' ' || *args == L'\t') args++;
  if (arguments) *arguments = args;
  return TRUE;
}

BOOL TakeWholeArgument(LPCWSTR text, LPWSTR out, int outChars) {
  if (!out || outChars <= 0) return FALSE;
  out[0] = 0;
  if (!text) return TRUE;
  while (*text == L' ' || *text == L'\t') text++;
  if (FAILED(StringCchCopyW(out, outChars, text))) {
    out[0] = 0;
    return FALSE;
  }
  int n = lstrlenW(out);
  while (n > 0 && (out[n - 1] == L' ' || out[n - 1] == L'\t')) out[--n] = 0;
  if (n >= 2 && out[0] == L'"' && out[n - 1] == L'"') {
    out[n - 1] = 0;
    MoveMemory(out, out + 1, (n - 1) * sizeof(WCHAR));
  }
  return TRUE;
}

BOOL RunCommandLine(LPCWSTR command, LPCWSTR folder) {
  WCHAR program[MAX_PATH], path[MAX_PATH];
  LPCWSTR args = L"";
  if (!SplitCommandLine(command, program, MAX_PATH, &args) || !WmDevicePath(program, path, MAX_PATH)) return FALSE;
  return (INT_PTR)ShellExecuteW(NULL, NULL, path, args[0] ? args : NULL, folder, SW_SHOWNORMAL) > 32;
}
