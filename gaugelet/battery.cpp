// Following the main battery and the taskbar's width.
#include "gaugelet.h"
#include "debuglog.h"
#include "device.h"
#include "wm_shell.h"

int BarWidthFor(int taskbarWidth, int percent) {
  if (taskbarWidth <= 0 || percent <= 0) return 0;
  if (percent > 100) percent = 100;
  return taskbarWidth * percent / 100;
}

static int ReadTaskbarWidth(int fallback) {
  RECT rc;
  if (!g_Gauge.taskbar || !GetWindowRect(g_Gauge.taskbar, &rc)) return fallback;
  return rc.right - rc.left;
}

void GetBatteryStatus(HWND bar) {
  WriteDebugLog(LOG_GAUGELET, L"GetBatteryStatus call. [0x%X]", (unsigned)(UINT_PTR)bar);
  // A taskbar that changed its width without telling us (it heard of a rotation after we did)
  // counts as a setting change.
  int width = ReadTaskbarWidth(g_Gauge.taskbarWidth);
  if (width != g_Gauge.taskbarWidth) {
    g_Gauge.taskbarWidth = width;
    g_Gauge.lastPercent = 0;
  }
  SYSTEM_POWER_STATUS_EX status;
  ZeroMemory(&status, sizeof(status));
  // A status that cannot be read is no news: the bar keeps what it shows rather than drop to empty.
  if (!GetSystemPowerStatusEx(&status, FALSE)) return;
  // 255 (unknown) and any other value above 100 count as a full battery.
  BYTE percent = status.BatteryLifePercent > 100 ? 100 : status.BatteryLifePercent;
  if (percent == g_Gauge.lastPercent && status.BatteryFlag == g_Gauge.lastFlag) return;
  g_Gauge.lastPercent = percent;
  g_Gauge.lastFlag = status.BatteryFlag;
  MoveWindow(bar, 0, 0, BarWidthFor(g_Gauge.taskbarWidth, percent), ScaleY(GAUGELET_BAR_HEIGHT), TRUE);
  // Same size (only the flag changed): MoveWindow alone would not paint.
  InvalidateRect(bar, NULL, FALSE);
  WriteDebugLog(LOG_GAUGELET, L"GetBatteryStatus refresh done.");
}

void FollowTaskbarWidth(void) {
  g_Gauge.taskbarWidth = ReadTaskbarWidth(g_Gauge.taskbarWidth);
  WriteDebugLog(LOG_GAUGELET, L"WndProcTopLvl WM_SETTINGCHANGE taskbar width=%d", g_Gauge.taskbarWidth);
  g_Gauge.lastPercent = 0;
  if (g_Gauge.bar) GetBatteryStatus(g_Gauge.bar);
}
