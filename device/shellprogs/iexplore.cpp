// The device's web browser, started by name ("iexplore.exe FILE"). On the user's own display the
// page opens in the host's browser; in a device without one (a test device under Xvfb) it shows the
// page's text in a window of its own, so nothing outside the device is touched.
#include <windows.h>
#include <strsafe.h>
#include "device_profile.h"
#include "devicekit.h"
#include "shellwindow.h"

namespace {

const wchar_t kClass[] = L"VTBrowser";
const int kMaxPageBytes = 512 * 1024;
HWND g_Text;
HFONT g_Font;

bool OnHostDisplay() {
  DWORD value = 0;
  return ReadDeviceProfileDword(DEVICE_PROFILE_HOST_DISPLAY, &value) && value == 1;
}

bool OpenOnHost(LPCWSTR target) {
  WCHAR cmd[MAX_PATH * 2];
  StringCchPrintfW(cmd, ARRAYSIZE(cmd), L"winebrowser.exe \"%s\"", target);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi;
  if (!CreateProcessW(NULL, cmd, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// The page as UTF-16 text; a file that cannot be read gives false.
bool ReadPage(LPCWSTR file, WCHAR **text) {
  *text = NULL;
  HANDLE f = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return false;
  char *bytes = (char *)HeapAlloc(GetProcessHeap(), 0, kMaxPageBytes + 2);
  DWORD got = 0;
  BOOL ok = bytes && ReadFile(f, bytes, kMaxPageBytes, &got, NULL);
  CloseHandle(f);
  if (!ok) {
    if (bytes) HeapFree(GetProcessHeap(), 0, bytes);
    return false;
  }
  WCHAR *wide = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, (got + 1) * sizeof(WCHAR));
  int chars = 0;
  if (got >= 2 && (BYTE)bytes[0] == 0xFF && (BYTE)bytes[1] == 0xFE) {
    chars = (int)(got - 2) / 2;
    CopyMemory(wide, bytes + 2, chars * sizeof(WCHAR));
  } else {
    int skip = got >= 3 && (BYTE)bytes[0] == 0xEF && (BYTE)bytes[1] == 0xBB && (BYTE)bytes[2] == 0xBF ? 3 : 0;
    chars = MultiByteToWideChar(CP_UTF8, 0, bytes + skip, (int)got - skip, wide, (int)got);
  }
  wide[chars > 0 ? chars : 0] = 0;
  HeapFree(GetProcessHeap(), 0, bytes);
  *text = wide;
  return true;
}

bool TagIs(const WCHAR *tag, const WCHAR *name) {
  int n = lstrlenW(name);
  return !_wcsnicmp(tag, name, n) && (tag[n] == L'>' || tag[n] == L' ' || tag[n] == L'/' || tag[n] == L'\t');
}

// Plain text of an HTML page: tags dropped, blocks on lines of their own, the common entities
// decoded; the title comes out separately.
void PageToText(const WCHAR *html, WCHAR *out, int outChars, WCHAR *title, int titleChars) {
  int o = 0;
  title[0] = 0;
  auto put = [&](WCHAR c) {
    if (o < outChars - 1) out[o++] = c;
  };
  bool space = true;
  for (const WCHAR *p = html; *p;) {
    if (*p == L'<') {
      const WCHAR *tag = p + 1;
      bool closing = *tag == L'/';
      if (closing) tag++;
      const WCHAR *end = wcschr(p, L'>');
      if (!end) break;
      if (!closing && (TagIs(tag, L"script") || TagIs(tag, L"style") || TagIs(tag, L"title"))) {
        const WCHAR *name = TagIs(tag, L"script") ? L"</script" : TagIs(tag, L"style") ? L"</style" : L"</title";
        const WCHAR *stop = end + 1;
        while (*stop && _wcsnicmp(stop, name, lstrlenW(name))) stop++;
        if (TagIs(tag, L"title")) StringCchCopyNW(title, titleChars, end + 1, stop - end - 1);
        p = stop;
        continue;
      }
      if (TagIs(tag, L"br") || TagIs(tag, L"p") || TagIs(tag, L"div") || TagIs(tag, L"li") || TagIs(tag, L"tr") ||
          TagIs(tag, L"h1") || TagIs(tag, L"h2") || TagIs(tag, L"h3") || TagIs(tag, L"h4") || TagIs(tag, L"table")) {
        while (o > 0 && out[o - 1] == L' ') o--;
        if (o > 0 && out[o - 1] != L'\n') {  // one break between blocks, none before the first
          put(L'\r');
          put(L'\n');
        }
        // Headings and paragraphs stand apart by one empty line, as a browser spaces them.
        bool spaced = TagIs(tag, L"h1") || TagIs(tag, L"h2") || TagIs(tag, L"h3") || TagIs(tag, L"h4") ||
                      (closing && TagIs(tag, L"p"));
        if (spaced && o > 2 && !(o > 3 && out[o - 3] == L'\n')) {
          put(L'\r');
          put(L'\n');
        }
        space = true;
      }
      p = end + 1;
      continue;
    }
    WCHAR c = *p++;
    if (c == L'&') {
      struct { const WCHAR *name; WCHAR c; } entities[] = {
          {L"amp;", L'&'}, {L"lt;", L'<'}, {L"gt;", L'>'}, {L"quot;", L'"'}, {L"nbsp;", L' '}, {L"apos;", L'\''}};
      bool known = false;
      for (auto &e : entities) {
        int n = lstrlenW(e.name);
        if (!wcsncmp(p, e.name, n)) {
          c = e.c;
          p += n;
          known = true;
          break;
        }
      }
      if (!known && *p == L'#') {
        WCHAR *stop = NULL;
        long code = p[1] == L'x' ? wcstol(p + 2, &stop, 16) : wcstol(p + 1, &stop, 10);
        if (stop && *stop == L';' && code > 0 && code < 0xFFFF) {
          c = (WCHAR)code;
          p = stop + 1;
        }
      }
    }
    if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    if (c == L' ' && space) continue;
    space = c == L' ';
    put(c);
  }
  // The page ends with its last line, not with the space after its last paragraph.
  while (o >= 4 && out[o - 1] == L'\n' && out[o - 3] == L'\n') o -= 2;
  out[o] = 0;
  // Titles keep to one line.
  for (WCHAR *t = title; *t; t++)
    if (*t == L'\r' || *t == L'\n' || *t == L'\t') *t = L' ';
}

LRESULT CALLBACK BrowserProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (g_Text) MoveWindow(g_Text, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
  }
  return ShellProgramDefault(hwnd, msg, wp, lp, g_Text);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int show) {
  WCHAR target[MAX_PATH * 2] = L"";
  TakeWholeArgument(cmdLine, target, ARRAYSIZE(target));
  if (target[0] && OnHostDisplay()) return OpenOnHost(target) ? 0 : 1;

  WCHAR path[MAX_PATH] = L"";
  WmDevicePath(target, path, MAX_PATH);
  static WCHAR text[kMaxPageBytes];
  WCHAR title[128] = L"";
  WCHAR *html = NULL;
  bool isFile = target[0] && !wcsstr(target, L"://") && ReadPage(path, &html);
  if (isFile) {
    WCHAR rawTitle[128], unused[2];
    PageToText(html, text, ARRAYSIZE(text), rawTitle, ARRAYSIZE(rawTitle));
    PageToText(rawTitle, title, ARRAYSIZE(title), unused, ARRAYSIZE(unused));  // its entities too
    HeapFree(GetProcessHeap(), 0, html);
  } else if (target[0] && wcsstr(target, L"://")) {
    StringCchPrintfW(text, ARRAYSIZE(text), L"%s\r\n\r\nThis device has no network connection.", target);
  } else if (target[0]) {
    StringCchPrintfW(text, ARRAYSIZE(text), L"The page %s cannot be found.", target);
  }
  if (!title[0]) {
    const WCHAR *name = wcsrchr(target, L'\\');
    StringCchCopyW(title, ARRAYSIZE(title), name ? name + 1 : target[0] ? target : L"Browser");
  }

  WNDCLASSW wc = {};
  wc.hInstance = instance;
  wc.lpfnWndProc = BrowserProc;
  wc.lpszClassName = kClass;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  HWND main = WmCreateWindow(0, kClass, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             NULL, NULL, instance, NULL);
  if (!main) return 1;
  RECT rc;
  GetClientRect(main, &rc);
  g_Text = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                           0, 0, rc.right, rc.bottom, main, (HMENU)1, instance, NULL);
  g_Font = ShellProgramFont();
  SendMessageW(g_Text, WM_SETFONT, (WPARAM)g_Font, TRUE);
  SetForegroundWindow(main);
  SetFocus(g_Text);
  int rcode = RunShellProgram(main);
  DeleteObject(g_Font);
  return rcode;
}
