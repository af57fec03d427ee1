// Small commands the device scripts run inside the device:
//   devtool wait-window CLASS [TITLE] [TIMEOUT_MS]   exit 0 once the window exists, 1 on timeout
//   devtool wait-gone CLASS [TITLE] [TIMEOUT_MS]     exit 0 once no such window exists, 1 on timeout
//   devtool close-window CLASS [TITLE]                asks the window to close, exit 1 when absent
//   devtool find-window CLASS [TITLE]                 exit 0 when the window exists, 1 when not
//   devtool settle CLASS [TITLE]                      exit 0 once the window's thread has handled
//                                                     what was queued to it and the window and its
//                                                     children have drawn what they had to
//   devtool screenshot FILE.bmp                       the whole screen as a 24-bit BMP
//   devtool rotate toggle|portrait|landscape|WxH      turn the screen, tell every window; prints WxH
//   devtool scale-ui FACTOR                           menu, message box and caption fonts for the
//                                                     screen's layout factor (1 or 2), saved
//   devtool key VK                                    press and release a key (223: the off key)
//   devtool reset                                     soft reset, as a program of the device asks it
//   devtool windows                                   the visible top-level windows: class, tab, title
//   devtool boot WxH FACTOR HOSTDISPLAY               a boot's settings before the shell starts, in
//                                                     one program: whether the device is on the
//                                                     user's display (1/0), the screen's turn, the
//                                                     menus' scale
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include "device_profile.h"
#include "wm.h"

static HWND FindArgWindow(int argc, wchar_t **argv) {
  const wchar_t *title = argc > 3 ? argv[3] : NULL;
  if (title && !wcscmp(title, L"-")) title = NULL;
  return FindWindowW(argv[2], title);
}

static int Screenshot(const wchar_t *file) {
  HDC screen = GetDC(NULL);
  int w = GetDeviceCaps(screen, HORZRES), h = GetDeviceCaps(screen, VERTRES);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  DWORD stride = (w * 3 + 3) & ~3u, size = stride * h;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
  fh.bfSize = fh.bfOffBits + size;
  HANDLE f = CreateFileW(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  DWORD written;
  bool ok = f != INVALID_HANDLE_VALUE && WriteFile(f, &fh, sizeof(fh), &written, NULL) &&
            WriteFile(f, &bi.bmiHeader, sizeof(bi.bmiHeader), &written, NULL) &&
            WriteFile(f, bits, size, &written, NULL);
  if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  ReleaseDC(NULL, screen);
  return ok ? 0 : 1;
}

// A high-resolution handheld draws its menus and message boxes at twice the size.
static int ScaleUi(int factor) {
  if (factor < 1 || factor > 4) return 2;
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof(ncm);
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0)) return 1;
  LOGFONTW *fonts[] = {&ncm.lfMenuFont, &ncm.lfMessageFont, &ncm.lfStatusFont, &ncm.lfCaptionFont,
                       &ncm.lfSmCaptionFont};
  for (LOGFONTW *f : fonts) {
    f->lfHeight = -12 * factor;
    lstrcpyW(f->lfFaceName, L"Tahoma");
  }
  ncm.iMenuHeight = 20 * factor;
  ncm.iCaptionHeight = 20 * factor;
  ncm.iScrollWidth = ncm.iScrollHeight = 14 * factor;
  return SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, ncm.cbSize, &ncm, SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
             ? 0
             : 1;
}

static BOOL CALLBACK TellSettingChange(HWND hwnd, LPARAM) {
  DWORD_PTR result;
  // As the handheld does on a rotation; a hung window does not stop the others hearing of it.
  SendMessageTimeoutW(hwnd, WM_SETTINGCHANGE, 0x3002 /* SETTINGCHANGE_RESET */, 0, SMTO_ABORTIFHUNG, 2000, &result);
  return TRUE;
}

static int Rotate(const wchar_t *how) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN), nw = h, nh = w;
  if (!wcscmp(how, L"portrait")) {
    nw = w < h ? w : h;
    nh = w < h ? h : w;
  } else if (!wcscmp(how, L"landscape")) {
    nw = w > h ? w : h;
    nh = w > h ? h : w;
  } else if (wcscmp(how, L"toggle") && swscanf(how, L"%dx%d", &nw, &nh) != 2) {
    fprintf(stderr, "unknown rotation\n");
    return 2;
  }
  if (nw != w || nh != h) {
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = nw;
    mode.dmPelsHeight = nh;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    if (ChangeDisplaySettingsExW(NULL, &mode, NULL, 0, NULL) != DISP_CHANGE_SUCCESSFUL) {
      fprintf(stderr, "a %dx%d screen cannot turn to %dx%d while it runs\n", w, h, nw, nh);
      return 3;
    }
    EnumWindows(TellSettingChange, 0);
  }
  printf("%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return 0;
}

static BOOL CALLBACK PrintVisible(HWND hwnd, LPARAM) {
  if (!IsWindowVisible(hwnd)) return TRUE;
  wchar_t cls[128] = L"", title[256] = L"";
  GetClassNameW(hwnd, cls, 128);
  GetWindowTextW(hwnd, title, 256);
  char line[1024];
  WideCharToMultiByte(CP_UTF8, 0, cls, -1, line, 400, NULL, NULL);
  size_t n = strlen(line);
  line[n++] = '\t';
  WideCharToMultiByte(CP_UTF8, 0, title, -1, line + n, (int)(sizeof(line) - n), NULL, NULL);
  puts(line);
  return TRUE;
}

int wmain(int argc, wchar_t **argv) {
  if (argc == 2 && !wcscmp(argv[1], L"windows")) return EnumWindows(PrintVisible, 0) ? 0 : 1;
  // The device ends this program with every other one when it accepts the reset.
  if (argc == 2 && !wcscmp(argv[1], L"reset")) return KernelIoControl(IOCTL_HAL_REBOOT, NULL, 0, NULL, 0, NULL) ? 0 : 1;
  if (argc < 3) return 2;
  bool gone = !wcscmp(argv[1], L"wait-gone");
  if (gone || !wcscmp(argv[1], L"wait-window")) {
    DWORD timeout = argc > 4 ? (DWORD)_wtoi(argv[4]) : 10000, start = GetTickCount();
    while ((FindArgWindow(argc, argv) != NULL) == gone) {
      if (GetTickCount() - start >= timeout) return 1;
      Sleep(50);
    }
    return 0;
  }
  if (!wcscmp(argv[1], L"close-window")) {
    HWND hwnd = FindArgWindow(argc, argv);
    return hwnd && PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"find-window")) return FindArgWindow(argc, argv) ? 0 : 1;
  if (!wcscmp(argv[1], L"settle")) {
    HWND hwnd = FindArgWindow(argc, argv);
    DWORD_PTR result;
    // A message sent is handled ahead of those posted: two round trips pass what was queued before.
    for (int i = 0; i < 2; i++)
      if (!hwnd || !SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) return 1;
    return RedrawWindow(hwnd, NULL, NULL, RDW_ALLCHILDREN | RDW_UPDATENOW) ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"screenshot")) return Screenshot(argv[2]);
  if (!wcscmp(argv[1], L"rotate")) return Rotate(argv[2]);
  if (!wcscmp(argv[1], L"boot")) {
    if (argc < 5) return 2;
    DWORD host = _wtoi(argv[4]) ? 1 : 0;
    LONG set = RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_HOST_DISPLAY, REG_DWORD, &host,
                               sizeof(host));
    int turned = Rotate(argv[2]), scaled = ScaleUi(_wtoi(argv[3]));
    return set == ERROR_SUCCESS && turned == 0 && scaled == 0 ? 0 : 1;
  }
  if (!wcscmp(argv[1], L"scale-ui")) return ScaleUi(_wtoi(argv[2]));
  if (!wcscmp(argv[1], L"key")) {
    int vk = _wtoi(argv[2]);
    if (vk < 1 || vk > 254) return 2;
    keybd_event((BYTE)vk, 0, 0, 0);
    keybd_event((BYTE)vk, 0, KEYEVENTF_KEYUP, 0);
    return 0;
  }
  return 2;
}
