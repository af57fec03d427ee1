// The tweak catalogue and everything that reads it: the first-run copies, the revert, the states the
// pages show and the row handlers that change them.
#include "tweaks.h"
#include "browsercache.h"
#include "companions.h"
#include "../shell/layout.h"
#include "../shell/mainwindow.h"
#include "../shell/pagecatalogue.h"
#include "../shell/skin.h"
#include "../tasks/database.h"
#include "../tasks/taskops.h"
#include "companions.h"
#include "debuglog.h"
#include "device.h"
#include "settings.h"
#include "strings.h"
#include "wm.h"
#include <strsafe.h>


const DWORD g_GlyphCacheLimits[GLYPH_CACHE_LEVELS] = {4096, 8192, 16384, 32768};

#define CAB_INACTIVE L"wceload.exe \"%1\""
#define CAB_ACTIVE L"wceload.exe \"%1\" /nodelete"
#define FATFS_KEY L"System\\StorageManager\\FATFS\\"
#define SHELL_FOLDERS_KEY L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\shell Folders\\"

// root, key, value, type, active / inactive (number), active / inactive (text), saved copy, default
const TweakValue g_Tweaks[TWEAK_ROW_COUNT] = {
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GDI\\GLYPHCACHE\\", L"limit", REG_DWORD, 0, 0, NULL, NULL, L"videolimit", 8192,
     NULL},
    {HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE\\", L"Animate", REG_DWORD, 0, 1, NULL, NULL, L"videoAnimate", 0, NULL},
    {HKEY_LOCAL_MACHINE, FATFS_KEY, L"EnableCache", REG_DWORD, 1, 0, NULL, NULL, L"storperfEnableCache", 0, NULL},
    {HKEY_LOCAL_MACHINE, FATFS_KEY, L"CacheSize", REG_DWORD, 4096, 0, NULL, NULL, L"storperfCacheSize", 0, NULL},
    {HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Filters\\fsreplxfilt\\", L"ReplStoreCacheSize", REG_DWORD, 4096,
     0, NULL, NULL, L"storperfReplStoreCacheSize", 0, NULL},
    {HKEY_CURRENT_USER, L"SOFTWARE\\Microsoft\\Windows\\Current Version\\Internet Settings\\5.0\\Cache\\Content\\",
     L"CacheLimit", REG_DWORD, 8192, 0, NULL, NULL, L"storperfCacheLimit", 0, NULL},
    {HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, L"Cache", REG_SZ, 0, 0, NULL, NULL, L"storperfCache", 0, L""},
    {HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL, REG_SZ, 0, 0, CAB_ACTIVE, CAB_INACTIVE,
     L"storperfCommand", 0, CAB_INACTIVE},
    {HKEY_LOCAL_MACHINE, L"Comm\\AsyncMac1\\Parms\\", L"DisablePowerManagement", REG_DWORD, 0, 1, NULL, NULL,
     L"asyncMac1DisPwrMngmt", 1, NULL},
    {HKEY_LOCAL_MACHINE, L"Comm\\Irsir1\\Parms\\", L"DisablePowerManagement", REG_DWORD, 0, 1, NULL, NULL,
     L"Irsir1DisPwrMngmt", 1, NULL},
    {HKEY_LOCAL_MACHINE, L"Comm\\PPTP1\\Parms\\", L"DisablePowerManagement", REG_DWORD, 0, 1, NULL, NULL,
     L"PPTP1DisPwrMngmt", 1, NULL},
    {HKEY_LOCAL_MACHINE, L"Comm\\L2TP1\\Parms\\", L"DisablePowerManagement", REG_DWORD, 0, 1, NULL, NULL,
     L"L2TP1DisPwrMngmt", 1, NULL},
    // Flags of our own, without a copy; the default is what first run and the revert write.
    {HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"storperfIETmpToStorage", REG_DWORD, 1, 0, NULL, NULL, NULL, 0, NULL},
    {HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"RealQuitlet", REG_DWORD, 1, 0, NULL, NULL, NULL, 0, NULL},
    {HKEY_LOCAL_MACHINE, PRODUCT_KEY, L"Gaugelet", REG_DWORD, 1, 0, NULL, NULL, NULL, 1, NULL},
};

#define TEXT_CHARS 260

static bool g_NeedsReset;
// The current values the handlers work on; a failed read leaves what they held.
static DWORD g_CurrentGlyphLimit = 8192;
static DWORD g_CurrentAnimate = 0;

int GlyphCacheLevelOf(DWORD limit) {
  int best = 0;
  for (int i = 1; i < GLYPH_CACHE_LEVELS; i++) {
    DWORD dBest = limit > g_GlyphCacheLimits[best] ? limit - g_GlyphCacheLimits[best] : g_GlyphCacheLimits[best] - limit;
    DWORD dThis = limit > g_GlyphCacheLimits[i] ? limit - g_GlyphCacheLimits[i] : g_GlyphCacheLimits[i] - limit;
    if (dThis < dBest) best = i;
  }
  return best;
}

// ---- Reading and writing one row ---------------------------------------------------------------

static DWORD ReadTweakDword(int row, DWORD fallback) {
  const TweakValue *t = &g_Tweaks[row];
  DWORD value = fallback;
  if (!ReadRegistryValue(t->root, t->key, t->value, REG_DWORD, &value, sizeof(value))) value = fallback;
  return value;
}

// text holds TEXT_CHARS characters; on a failed read it holds fallback.
static void ReadTweakText(int row, LPCWSTR fallback, WCHAR *text) {
  const TweakValue *t = &g_Tweaks[row];
  ZeroMemory(text, TEXT_CHARS * sizeof(WCHAR));
  if (!ReadRegistryValue(t->root, t->key, t->value, REG_SZ, text, (TEXT_CHARS - 1) * sizeof(WCHAR)))
    StringCchCopyW(text, TEXT_CHARS, fallback ? fallback : L"");
  text[TEXT_CHARS - 1] = 0;
}

static void WriteTweakDword(int row, DWORD value) {
  const TweakValue *t = &g_Tweaks[row];
  WriteRegistryValue(t->root, t->key, t->value, REG_DWORD, &value, sizeof(value));
}

static void WriteTweakText(int row, LPCWSTR text) {
  const TweakValue *t = &g_Tweaks[row];
  WriteRegistryValue(t->root, t->key, t->value, REG_SZ, text, (DWORD)(wcslen(text) + 1) * sizeof(WCHAR));
}

// ---- Absent values -----------------------------------------------------------------------------

// The first `parts` backslash-separated parts of a key path (empty parts skipped).
static int KeyPrefix(LPCWSTR key, int parts, WCHAR *out, size_t outChars) {
  out[0] = 0;
  int taken = 0;
  size_t len = 0;
  for (LPCWSTR p = key; *p && taken < parts;) {
    while (*p == L'\\') p++;
    if (!*p) break;
    LPCWSTR end = p;
    while (*end && *end != L'\\') end++;
    size_t n = (size_t)(end - p);
    if (len + n + 2 > outChars) return taken;
    if (len) out[len++] = L'\\';
    CopyMemory(out + len, p, n * sizeof(WCHAR));
    len += n;
    out[len] = 0;
    taken++;
    p = end;
  }
  return taken;
}

static int KeyPartCount(LPCWSTR key) {
  WCHAR scratch[TEXT_CHARS];
  return KeyPrefix(key, 1000, scratch, TEXT_CHARS);
}

static bool KeyExists(HKEY root, LPCWSTR path) {
  HKEY key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// 0 when the system value exists; else 1 + the number of leading parts of its key that exist.
static BYTE ValueShape(int row) {
  const TweakValue *t = &g_Tweaks[row];
  HKEY key;
  if (RegOpenKeyExW(t->root, t->key, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    LONG rc = RegQueryValueExW(key, t->value, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (rc == ERROR_SUCCESS) return 0;
  }
  int total = KeyPartCount(t->key), existing = 0;
  WCHAR prefix[TEXT_CHARS];
  for (int parts = 1; parts <= total; parts++) {
    KeyPrefix(t->key, parts, prefix, TEXT_CHARS);
    if (!KeyExists(t->root, prefix)) break;
    existing = parts;
  }
  return (BYTE)(1 + existing);
}

static bool KeyIsEmpty(HKEY root, LPCWSTR path) {
  HKEY key;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  DWORD subkeys = 1, values = 1;
  LONG rc = RegQueryInfoKeyW(key, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL);
  RegCloseKey(key);
  return rc == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

// Makes the value absent again, with the keys that did not exist at first run when nothing else
// lives in them now.
static void RemoveTweakValue(int row, int existingParts) {
  const TweakValue *t = &g_Tweaks[row];
  HKEY key;
  if (RegOpenKeyExW(t->root, t->key, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, t->value);
    RegCloseKey(key);
  }
  WCHAR prefix[TEXT_CHARS];
  for (int parts = KeyPartCount(t->key); parts > existingParts && parts > 0; parts--) {
    KeyPrefix(t->key, parts, prefix, TEXT_CHARS);
    if (!KeyIsEmpty(t->root, prefix) || RegDeleteKeyW(t->root, prefix) != ERROR_SUCCESS) break;
  }
}

// ---- First run and revert ------------------------------------------------------------------------

static void WriteCompanionFlags(void) {
  WriteTweakDword(TWEAK_QUITLET_FLAG, g_Tweaks[TWEAK_QUITLET_FLAG].defaultDword);
  WriteTweakDword(TWEAK_GAUGELET_FLAG, g_Tweaks[TWEAK_GAUGELET_FLAG].defaultDword);
}

void LoadDefaultRegistryInfo(void) {
  WriteDebugLog(LOG_GUI, L"+LoadDefaultRegistryInfo call.");
  DWORD saved = 0;
  if (!ReadMachineSetting(PRODUCT_KEY, DEFAULT_REGISTRY_SAVED, REG_DWORD, &saved, sizeof(saved))) saved = 0;
  if (!saved) {
    WriteDebugLog(LOG_GUI, L"write default");
    // Every value is read before any copy is written (the two file system values belong together).
    DWORD numbers[TWEAK_SAVED_COUNT];
    static WCHAR texts[TWEAK_SAVED_COUNT][TEXT_CHARS];
    BYTE shape[TWEAK_SAVED_COUNT];
    for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
      const TweakValue *t = &g_Tweaks[row];
      shape[row] = ValueShape(row);
      if (t->type == REG_SZ) ReadTweakText(row, t->defaultText, texts[row]);
      else numbers[row] = ReadTweakDword(row, t->defaultDword);
    }
    // The copies are complete before the mark that says so: a first run killed or refused part-way
    // leaves no mark, and the next start copies the (still untouched) system values again.
    int complete = 1;
    for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
      const TweakValue *t = &g_Tweaks[row];
      int written;
      if (t->type == REG_SZ) {
        written = WriteMachineSetting(PRODUCT_KEY, t->savedName, REG_SZ, texts[row],
                                      (DWORD)(wcslen(texts[row]) + 1) * sizeof(WCHAR));
        WriteDebugLog(LOG_GUI, L"%s [%s]", t->savedName, texts[row]);
      } else {
        written = WriteMachineSetting(PRODUCT_KEY, t->savedName, REG_DWORD, &numbers[row], sizeof(DWORD));
        WriteDebugLog(LOG_GUI, L"%s [%u]", t->savedName, (unsigned)numbers[row]);
      }
      if (!written) complete = 0;
    }
    if (!WriteMachineSetting(PRODUCT_KEY, DEFAULT_REGISTRY_ABSENT, REG_BINARY, shape, sizeof(shape))) complete = 0;
    WriteCompanionFlags();
    DWORD one = 1;
    if (complete) WriteMachineSetting(PRODUCT_KEY, DEFAULT_REGISTRY_SAVED, REG_DWORD, &one, sizeof(one));
    else WriteDebugLog(LOG_GUI, L"default copies not all written, first run again at the next start");
  }
  WriteDebugLog(LOG_GUI, L"-LoadDefaultRegistryInfo done.");
}

void RevertToDefaultRegistryKeys(void) {
  WriteDebugLog(LOG_GUI, L"+RevertToDefaultRegistryKeys call.");
  // Copies made by a version that did not record absent values: every copy is written back.
  BYTE shape[TWEAK_SAVED_COUNT];
  ZeroMemory(shape, sizeof(shape));
  if (!ReadMachineSetting(PRODUCT_KEY, DEFAULT_REGISTRY_ABSENT, REG_BINARY, shape, sizeof(shape)))
    ZeroMemory(shape, sizeof(shape));

  DWORD numbers[TWEAK_SAVED_COUNT];
  static WCHAR texts[TWEAK_SAVED_COUNT][TEXT_CHARS];
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
    const TweakValue *t = &g_Tweaks[row];
    ZeroMemory(texts[row], sizeof(texts[row]));
    if (t->type == REG_SZ) {
      if (!ReadMachineSetting(PRODUCT_KEY, t->savedName, REG_SZ, texts[row], (TEXT_CHARS - 1) * sizeof(WCHAR)))
        StringCchCopyW(texts[row], TEXT_CHARS, t->defaultText);
      texts[row][TEXT_CHARS - 1] = 0;
    } else {
      numbers[row] = t->defaultDword;
      if (!ReadMachineSetting(PRODUCT_KEY, t->savedName, REG_DWORD, &numbers[row], sizeof(DWORD)))
        numbers[row] = t->defaultDword;
    }
  }
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
    const TweakValue *t = &g_Tweaks[row];
    if (shape[row]) {
      RemoveTweakValue(row, shape[row] - 1);
      WriteDebugLog(LOG_GUI, L"%s absent at first run, removed", t->savedName);
    } else if (t->type == REG_SZ) {
      WriteTweakText(row, texts[row]);
    } else {
      WriteTweakDword(row, numbers[row]);
    }
  }
  // The cache folder is back where it was: the card switch must not show otherwise.
  WriteTweakDword(TWEAK_TEMP_TO_STORAGE, g_Tweaks[TWEAK_TEMP_TO_STORAGE].defaultDword);
  WriteCompanionFlags();

  WriteDebugLog(LOG_GUI, L"Delete VTMon settings.");
  LPCWSTR database = TaskDatabasePath();
  WCHAR path[MAX_PATH];
  if (database && WmDevicePath(database, path, MAX_PATH)) DeleteFileW(path);
  g_TaskDatabase.count = 0;
  GetProcessList();
  SetupPageRows(PAGE_TASKS);
  WriteDebugLog(LOG_GUI, L"-RevertToDefaultRegistryKeys done.");
}

static void Redraw(void) {
  if (g_Main.window) InvalidateRect(g_Main.window, NULL, FALSE);
}

void RevertDefaultsCommand(void) {
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, GetLocalisedString(&g_Strings, L"String38VT", LOCALISED_STRING_MAX), L"Vantora",
                   MB_YESNO) == IDYES) {
    RevertToDefaultRegistryKeys();
    for (int page = 0; page < PAGE_COUNT; page++) SetupPageRows(page);
    LayoutPage(g_Main.currentPage, false);
  }
  g_NeedsReset = true;
  Redraw();
}

// ---- Display page --------------------------------------------------------------------------------

// The knob at stop `level` of four across the track (control 5).
static void PlaceGlyphKnob(int level) {
  PageControl *c = g_Pages[PAGE_DISPLAY].controls;
  int trackW = c[5].right - c[5].left;
  int width = c[6].right - c[6].left;
  c[6].left = c[5].left + trackW * level / 3 - width / 2;
  c[6].right = c[6].left + width;
}

void StepGlyphCacheLimit(int item, bool up) {
  (void)item;
  DWORD limit = g_CurrentGlyphLimit;
  if (ReadRegistryValue(g_Tweaks[TWEAK_GLYPH_LIMIT].root, g_Tweaks[TWEAK_GLYPH_LIMIT].key,
                        g_Tweaks[TWEAK_GLYPH_LIMIT].value, REG_DWORD, &limit, sizeof(limit)))
    g_CurrentGlyphLimit = limit;
  // A limit set elsewhere that is none of the four steps from the nearest one.
  int level = GlyphCacheLevelOf(g_CurrentGlyphLimit);
  if ((up && level == GLYPH_CACHE_LEVELS - 1) || (!up && level == 0)) {
    MessageBeep(MB_OK);
    return;
  }
  level += up ? 1 : -1;
  g_CurrentGlyphLimit = g_GlyphCacheLimits[level];
  WriteTweakDword(TWEAK_GLYPH_LIMIT, g_CurrentGlyphLimit);
  WriteDebugLog(LOG_GUI, L"glyph cache limit [%u]", (unsigned)g_CurrentGlyphLimit);
  PlaceGlyphKnob(level);
  g_NeedsReset = true;
  Redraw();
}

void ToggleWindowAnimation(int item) {
  DWORD value = g_CurrentAnimate;
  if (ReadRegistryValue(g_Tweaks[TWEAK_ANIMATE].root, g_Tweaks[TWEAK_ANIMATE].key, g_Tweaks[TWEAK_ANIMATE].value,
                        REG_DWORD, &value, sizeof(value)))
    g_CurrentAnimate = value;
  // Any value other than 0 means animation on; the toggle always lands on 0 or 1.
  g_CurrentAnimate = g_CurrentAnimate ? g_Tweaks[TWEAK_ANIMATE].activeDword : g_Tweaks[TWEAK_ANIMATE].inactiveDword;
  WriteTweakDword(TWEAK_ANIMATE, g_CurrentAnimate);
  if (item > 0 && item < MAX_PAGE_CONTROLS)
    g_Pages[PAGE_DISPLAY].controls[item].image = g_CurrentAnimate ? IMG_ITEM_OFF : IMG_ITEM_ON;
  g_NeedsReset = true;
  Redraw();
}

// ---- Storage and companions pages -----------------------------------------------------------------

// Flips a toggle row's state and its indicator; returns the new state.
static bool FlipRow(int page, int row) {
  PageModel *p = &g_Pages[page];
  bool on = !p->itemState[row];
  p->itemState[row] = on;
  LayoutPage(page, true);
  return on;
}

static void WriteActiveOrNot(int row, bool on) {
  const TweakValue *t = &g_Tweaks[row];
  if (t->type == REG_SZ) WriteTweakText(row, on ? t->activeText : t->inactiveText);
  else WriteTweakDword(row, on ? t->activeDword : t->inactiveDword);
}

void SetStorageTweak(int item, int row, bool *redraw) {
  (void)item;
  // The clear-files action and the note row have no state of their own.
  if (!StorageRowHasState(row)) return;
  bool on = FlipRow(PAGE_STORAGE, row);
  WriteDebugLog(LOG_GUI, L"SetStorageTweak row [%d] [%d]", row, (int)on);
  switch (row) {
    case 0:
      WriteActiveOrNot(TWEAK_FS_ENABLE_CACHE, on);
      WriteActiveOrNot(TWEAK_FS_CACHE_SIZE, on);
      break;
    case 1:
      WriteActiveOrNot(TWEAK_REPL_CACHE_SIZE, on);
      break;
    case 2:
      WriteActiveOrNot(TWEAK_BROWSER_CACHE_LIMIT, on);
      break;
    case 4:
      WriteActiveOrNot(TWEAK_TEMP_TO_STORAGE, on);
      // Without a card nothing moved: the switch and its flag go back to off.
      if (!MoveBrowserCacheFolder(on)) {
        FlipRow(PAGE_STORAGE, row);
        WriteActiveOrNot(TWEAK_TEMP_TO_STORAGE, false);
        if (redraw) *redraw = true;
        return;
      }
      break;
    case 5:
      WriteActiveOrNot(TWEAK_CAB_COMMAND, on);
      break;
  }
  g_NeedsReset = true;
  if (redraw) *redraw = true;
}

void ToggleNetworkPowerManagement(void) {
  bool on = FlipRow(PAGE_COMPANIONS, 2);
  WriteDebugLog(LOG_GUI, L"network power management [%d]", (int)on);
  for (int row = TWEAK_POWER_ASYNCMAC; row <= TWEAK_POWER_L2TP; row++) WriteActiveOrNot(row, on);
  g_NeedsReset = true;
}

void SetCompanionTweak(int item, int row, bool *redraw) {
  (void)item;
  if (row < 0 || row > 2) return;
  if (row == 2) {
    ToggleNetworkPowerManagement();
  } else {
    bool on = FlipRow(PAGE_COMPANIONS, row);
    if (row == 0) SetQuitletEnabled(on);
    else SetGaugeletEnabled(on);
  }
  if (redraw) *redraw = true;
}

// ---- States for the pages ------------------------------------------------------------------------

int GetGlyphCacheLevel(void) {
  DWORD limit = ReadTweakDword(TWEAK_GLYPH_LIMIT, g_Tweaks[TWEAK_GLYPH_LIMIT].defaultDword);
  return GlyphCacheLevelOf(limit);
}

bool GetDisplayAnimationActive(void) {
  return ReadTweakDword(TWEAK_ANIMATE, g_Tweaks[TWEAK_ANIMATE].defaultDword) == 0;
}

bool StorageRowHasState(int row) { return row >= 0 && row <= 5 && row != 3; }

bool GetStorageRowActive(int row) {
  switch (row) {
    case 0:
      return ReadTweakDword(TWEAK_FS_CACHE_SIZE, 0) != 0;
    case 1:
      return ReadTweakDword(TWEAK_REPL_CACHE_SIZE, 0) != 0;
    case 2:
      return ReadTweakDword(TWEAK_BROWSER_CACHE_LIMIT, 0) != 0;
    case 4:
      return ReadTweakDword(TWEAK_TEMP_TO_STORAGE, 0) != 0;
    case 5: {
      WCHAR command[TEXT_CHARS];
      ReadTweakText(TWEAK_CAB_COMMAND, L"", command);
      WriteDebugLog(LOG_GUI, L"lstv %s", command);
      return wcsstr(command, L"/nodelete") != NULL;
    }
  }
  return false;
}

bool GetCompanionRowActive(int row) {
  switch (row) {
    case 0:
      return ReadTweakDword(TWEAK_QUITLET_FLAG, 0) != 0;
    case 1:
      return ReadTweakDword(TWEAK_GAUGELET_FLAG, 0) != 0;
    case 2:
      // Absent means the drivers' power management stays disabled, as the saved default assumes.
      return ReadTweakDword(TWEAK_POWER_ASYNCMAC, g_Tweaks[TWEAK_POWER_ASYNCMAC].defaultDword) == 0;
  }
  return false;
}

// ---- Exit ----------------------------------------------------------------------------------------

bool NeedsReset(void) { return g_NeedsReset; }

void ExitWithResetOffer(void) {
  if (!g_NeedsReset) return;
  MessageBeep(MB_OK);
  if (WmMessageBox(g_Main.window, GetLocalisedString(&g_Strings, L"String57VT", LOCALISED_STRING_MAX), L"Vantora",
                   MB_YESNO) != IDYES)
    return;
  WriteDebugLog(LOG_GUI, L"Settings need reset, flushing registry.");
  // A root that could not be flushed is named with its error; the reset still comes, as the user
  // asked: the device keeps its registry through a soft reset, the flush only writes it sooner.
  static const struct {
    HKEY root;
    LPCWSTR name;
  } roots[] = {{HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT"}, {HKEY_LOCAL_MACHINE, L"HKEY_LOCAL_MACHINE"},
               {HKEY_CURRENT_USER, L"HKEY_CURRENT_USER"}};
  for (const auto &r : roots) {
    LONG error = RegFlushKey(r.root);
    if (error != ERROR_SUCCESS) WriteDebugLog(LOG_GUI, L"Registry flush of %s failed [error %ld].", r.name, error);
  }
  WriteDebugLog(LOG_GUI, L"Done, going for reset.");
  ResetDevice();
}
