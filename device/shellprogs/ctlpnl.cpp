// The device's control panel ("\windows\ctlpnl.exe cplmain.cpl,APPLET[,TAB]"): one window showing the
// applet asked for. Applet 10 (and any argument not understood) lists every applet; a double tap or
// Enter there opens one.
#include <windows.h>
#include <commctrl.h>
#include <strsafe.h>
#include "wm_process.h"
#include "wm_shell.h"
#include "shellwindow.h"

namespace {

const wchar_t kClass[] = L"VTControlPanel";
const int kSettingsApplet = 10;
const int kViewId = 1;

const wchar_t *const kApplets[] = {
    L"Password", L"Owner Information", L"Power", L"Memory", L"Device Information", L"Backlight", L"Input",
    L"Sounds & Notifications", L"Remove Programs", L"Menus", L"Settings", L"Regional Settings", L"Screen"};
const int kAppletCount = ARRAYSIZE(kApplets);
const wchar_t *const kDeviceTabs[] = {L"Version", L"Identity", L"Memory and Storage"};

struct PanelState {
  HINSTANCE instance;
  HWND main, view;
  HFONT font;
  int applet, tab;
} g_Panel;

// "cplmain.cpl,4,2": the applet and tab numbers; false when the text is not of that form.
bool ParseArguments(LPCWSTR cmd, int *applet, int *tab) {
  *applet = kSettingsApplet;
  *tab = 0;
  while (*cmd == L' ' || *cmd == L'"') cmd++;
  if (_wcsnicmp(cmd, L"cplmain.cpl", 11)) return false;
  cmd += 11;
  if (*cmd == L'"') cmd++;
  if (*cmd != L',') return *cmd == 0 || *cmd == L' ';
  WCHAR *end = NULL;
  long a = wcstol(cmd + 1, &end, 10);
  if (end == cmd + 1 || a < 0 || a >= kAppletCount) return false;
  *applet = (int)a;
  if (*end == L',') {
    long t = wcstol(end + 1, &end, 10);
    if (t >= 0 && t < 16) *tab = (int)t;
  }
  return true;
}

void AppendLine(WCHAR *text, int chars, LPCWSTR fmt, ...) {
  WCHAR line[256];
  va_list args;
  va_start(args, fmt);
  StringCchVPrintfW(line, ARRAYSIZE(line), fmt, args);
  va_end(args);
  StringCchCatW(text, chars, line);
  StringCchCatW(text, chars, L"\r\n");
}

void DescribeApplet(int applet, int tab, WCHAR *text, int chars) {
  text[0] = 0;
  switch (applet) {
    case 2: {
      SYSTEM_POWER_STATUS_EX2 power;
      if (GetSystemPowerStatusEx2(&power, sizeof(power), TRUE)) {
        if (power.BatteryLifePercent <= 100)
          AppendLine(text, chars, L"Main battery: %u%%", power.BatteryLifePercent);
        else
          AppendLine(text, chars, L"Main battery: unknown");
        AppendLine(text, chars, L"%s", (power.BatteryFlag & BATTERY_FLAG_CHARGING) ? L"Charging"
                                       : power.ACLineStatus == AC_LINE_ONLINE ? L"On external power"
                                                                                : L"On battery");
      }
      return;
    }
    case 4:
      for (int t = 0; t < (int)ARRAYSIZE(kDeviceTabs); t++) {
        StringCchCatW(text, chars, t == tab ? L"[" : L" ");
        StringCchCatW(text, chars, kDeviceTabs[t]);
        StringCchCatW(text, chars, t == tab ? L"] " : L"  ");
      }
      StringCchCatW(text, chars, L"\r\n\r\n");
      if (tab == 0 || tab == 1) {
        WCHAR platform[64] = L"", oem[128] = L"";
        WmSystemParametersInfo(SPI_GETPLATFORMTYPE, sizeof(platform), platform, 0);
        WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0);
        AppendLine(text, chars, L"Platform: %s", platform);
        AppendLine(text, chars, L"Device: %s", oem);
        if (tab == 1) {
          WCHAR name[MAX_COMPUTERNAME_LENGTH + 1] = L"";
          DWORD size = ARRAYSIZE(name);
          GetComputerNameW(name, &size);
          AppendLine(text, chars, L"Device name: %s", name);
        }
        return;
      }
      [[fallthrough]];  // the memory tab
    case 3: {
      MEMORYSTATUS memory = {};
      memory.dwLength = sizeof(memory);
      WmGlobalMemoryStatus(&memory);
      STORE_INFORMATION store = {};
      GetStoreInformation(&store);
      AppendLine(text, chars, L"Program memory: %lu MB of %lu MB in use",
                 (unsigned long)((memory.dwTotalPhys - memory.dwAvailPhys) / 1048576),
                 (unsigned long)(memory.dwTotalPhys / 1048576));
      AppendLine(text, chars, L"Storage memory: %lu MB of %lu MB in use",
                 (unsigned long)((store.dwStoreSize - store.dwFreeSize) / 1048576),
                 (unsigned long)(store.dwStoreSize / 1048576));
      return;
    }
    case 12: {
      int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
      AppendLine(text, chars, L"Screen: %d x %d, %s", w, h, w > h ? L"landscape" : L"portrait");
      return;
    }
  }
  AppendLine(text, chars, L"Nothing to set here on this device.");
}

void ShowApplet(int applet, int tab) {
  g_Panel.applet = applet;
  g_Panel.tab = tab;
  if (g_Panel.view) DestroyWindow(g_Panel.view);
  RECT rc;
  GetClientRect(g_Panel.main, &rc);
  if (applet == kSettingsApplet) {
    g_Panel.view = CreateWindowExW(0, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY |
                                   LBS_NOINTEGRALHEIGHT, 0, 0, rc.right, rc.bottom, g_Panel.main,
                                   (HMENU)(INT_PTR)kViewId, g_Panel.instance, NULL);
    for (int i = 0; i < kAppletCount; i++)
      if (i != kSettingsApplet) SendMessageW(g_Panel.view, LB_SETITEMDATA,
                                             SendMessageW(g_Panel.view, LB_ADDSTRING, 0, (LPARAM)kApplets[i]), i);
  } else {
    static WCHAR text[2048];
    DescribeApplet(applet, tab, text, ARRAYSIZE(text));
    g_Panel.view = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY, 0, 0,
                                   rc.right, rc.bottom, g_Panel.main, (HMENU)(INT_PTR)kViewId, g_Panel.instance, NULL);
  }
  SendMessageW(g_Panel.view, WM_SETFONT, (WPARAM)g_Panel.font, TRUE);
  SetWindowTextW(g_Panel.main, kApplets[applet]);
  SetFocus(g_Panel.view);
}

void OpenListed() {
  int index = (int)SendMessageW(g_Panel.view, LB_GETCURSEL, 0, 0);
  if (index >= 0) ShowApplet((int)SendMessageW(g_Panel.view, LB_GETITEMDATA, index, 0), 0);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SIZE:
      if (g_Panel.view) MoveWindow(g_Panel.view, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == kViewId && HIWORD(wp) == LBN_DBLCLK) OpenListed();
      return 0;
  }
  return ShellProgramDefault(hwnd, msg, wp, lp, g_Panel.view);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR cmdLine, int) {
  int applet, tab;
  if (!ParseArguments(cmdLine ? cmdLine : L"", &applet, &tab)) {
    applet = kSettingsApplet;
    tab = 0;
  }
  g_Panel.instance = instance;
  WNDCLASSW wc = {};
  wc.hInstance = instance;
  wc.lpfnWndProc = PanelProc;
  wc.lpszClassName = kClass;
  wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
  wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  RegisterClassW(&wc);
  g_Panel.main = WmCreateWindow(0, kClass, kApplets[applet], WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
  if (!g_Panel.main) return 1;
  g_Panel.font = ShellProgramFont();
  ShowApplet(applet, tab);
  SetForegroundWindow(g_Panel.main);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN && msg.hwnd == g_Panel.view &&
        g_Panel.applet == kSettingsApplet) {
      OpenListed();
      continue;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
      // Back: from an applet to the list, from the list out.
      if (g_Panel.applet != kSettingsApplet) ShowApplet(kSettingsApplet, 0);
      else PostMessageW(g_Panel.main, WM_CLOSE, 0, 0);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(g_Panel.font);
  return (int)msg.wParam;
}
