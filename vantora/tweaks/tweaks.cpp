// The tweak catalogue and everything that reads it: the first-run copies, the revert, the states the
// pages show and the changes their rows make.
#include "tweaks.h"
#include "browsercache.h"
#include "../companions/companions.h"
#include "debuglog.h"
#include "device.h"
#include "settings.h"
#include <shlwapi.h>
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
  return ReadRegistryDword(t->root, t->key, t->value, fallback);
}

// text holds TEXT_CHARS characters; on a failed read it holds fallback.
static void ReadTweakText(int row, LPCWSTR fallback, WCHAR *text) {
  const TweakValue *t = &g_Tweaks[row];
  ReadRegistryText(t->root, t->key, t->value, text, TEXT_CHARS, fallback);
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

// The key path without trailing backslashes; false when it does not fit.
static bool TrimmedKey(LPCWSTR key, WCHAR *out) {
  if (FAILED(StringCchCopyW(out, TEXT_CHARS, key))) return false;
  for (size_t n = wcslen(out); n && out[n - 1] == L'\\'; n--) out[n - 1] = 0;
  return true;
}

// Cuts the last part off a key path; false when there was only one.
static bool ParentKey(WCHAR *path) {
  WCHAR *slash = wcsrchr(path, L'\\');
  if (!slash) return false;
  for (*slash = 0; slash > path && slash[-1] == L'\\'; slash--) slash[-1] = 0;
  return path[0] != 0;
}

static int KeyPartCount(LPCWSTR key) {
  int parts = 0;
  for (LPCWSTR p = key; *p; p++)
    if (*p != L'\\' && (p == key || p[-1] == L'\\')) parts++;
  return parts;
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
  WCHAR path[TEXT_CHARS];
  if (!TrimmedKey(t->key, path)) return 1;
  int existing = KeyPartCount(path);
  while (existing > 0 && !KeyExists(t->root, path)) {
    existing--;
    if (!ParentKey(path)) break;
  }
  return (BYTE)(1 + existing);
}

// Makes the value absent again, with the keys that did not exist at first run when nothing else
// lives in them now (a key that still holds a value stays, as one with subkeys does).
static void RemoveTweakValue(int row, int existingParts) {
  const TweakValue *t = &g_Tweaks[row];
  HKEY key;
  if (RegOpenKeyExW(t->root, t->key, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, t->value);
    RegCloseKey(key);
  }
  WCHAR path[TEXT_CHARS];
  if (!TrimmedKey(t->key, path)) return;
  for (int parts = KeyPartCount(path); parts > existingParts; parts--) {
    DWORD values = 1;
    if (RegOpenKeyExW(t->root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) break;
    LONG rc = RegQueryInfoKeyW(key, NULL, NULL, NULL, NULL, NULL, NULL, &values, NULL, NULL, NULL, NULL);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || values || SHDeleteEmptyKeyW(t->root, path) != ERROR_SUCCESS) break;
    if (!ParentKey(path)) break;
  }
}

// ---- First run and revert ------------------------------------------------------------------------

static void WriteCompanionFlags(void) {
  WriteTweakDword(TWEAK_QUITLET_FLAG, g_Tweaks[TWEAK_QUITLET_FLAG].defaultDword);
  WriteTweakDword(TWEAK_GAUGELET_FLAG, g_Tweaks[TWEAK_GAUGELET_FLAG].defaultDword);
}

void LoadDefaultRegistryInfo(void) {
  WriteDebugLog(LOG_GUI, L"+LoadDefaultRegistryInfo call.");
  if (!ReadMachineDword(PRODUCT_KEY, DEFAULT_REGISTRY_SAVED, 0)) {
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

// What first run found of every saved row (see DEFAULT_REGISTRY_ABSENT). Copies made by a version that
// did not record absent values read as all present: every copy is written back.
static void ReadFirstRunShapes(BYTE shape[TWEAK_SAVED_COUNT]) {
  ZeroMemory(shape, TWEAK_SAVED_COUNT);
  if (!ReadMachineSetting(PRODUCT_KEY, DEFAULT_REGISTRY_ABSENT, REG_BINARY, shape, TWEAK_SAVED_COUNT))
    ZeroMemory(shape, TWEAK_SAVED_COUNT);
}

void RevertTweakValues(void) {
  BYTE shape[TWEAK_SAVED_COUNT];
  ReadFirstRunShapes(shape);

  DWORD numbers[TWEAK_SAVED_COUNT];
  static WCHAR texts[TWEAK_SAVED_COUNT][TEXT_CHARS];
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
    const TweakValue *t = &g_Tweaks[row];
    if (t->type == REG_SZ) ReadMachineText(PRODUCT_KEY, t->savedName, texts[row], TEXT_CHARS, t->defaultText);
    else numbers[row] = ReadMachineDword(PRODUCT_KEY, t->savedName, t->defaultDword);
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
}

// ---- Display page --------------------------------------------------------------------------------

int StepGlyphCacheLevel(bool up) {
  g_CurrentGlyphLimit = ReadTweakDword(TWEAK_GLYPH_LIMIT, g_CurrentGlyphLimit);
  // A limit set elsewhere that is none of the four steps from the nearest one.
  int level = GlyphCacheLevelOf(g_CurrentGlyphLimit);
  if ((up && level == GLYPH_CACHE_LEVELS - 1) || (!up && level == 0)) return -1;
  level += up ? 1 : -1;
  g_CurrentGlyphLimit = g_GlyphCacheLimits[level];
  WriteTweakDword(TWEAK_GLYPH_LIMIT, g_CurrentGlyphLimit);
  WriteDebugLog(LOG_GUI, L"glyph cache limit [%u]", (unsigned)g_CurrentGlyphLimit);
  g_NeedsReset = true;
  return level;
}

bool ToggleWindowAnimationValue(void) {
  g_CurrentAnimate = ReadTweakDword(TWEAK_ANIMATE, g_CurrentAnimate);
  // Any value other than 0 means animation on; the toggle always lands on 0 or 1.
  g_CurrentAnimate = g_CurrentAnimate ? g_Tweaks[TWEAK_ANIMATE].activeDword : g_Tweaks[TWEAK_ANIMATE].inactiveDword;
  WriteTweakDword(TWEAK_ANIMATE, g_CurrentAnimate);
  g_NeedsReset = true;
  return g_CurrentAnimate == 0;
}

// ---- The switches ----------------------------------------------------------------------------------

static void WriteActiveOrNot(int row, bool on) {
  const TweakValue *t = &g_Tweaks[row];
  if (t->type == REG_SZ) WriteTweakText(row, on ? t->activeText : t->inactiveText);
  else WriteTweakDword(row, on ? t->activeDword : t->inactiveDword);
}

TweakChange SetTweakSwitch(int which, bool on) {
  switch (which) {
    case SWITCH_FILE_CACHE:
      WriteActiveOrNot(TWEAK_FS_ENABLE_CACHE, on);
      WriteActiveOrNot(TWEAK_FS_CACHE_SIZE, on);
      break;
    case SWITCH_REPLICATION_CACHE:
      WriteActiveOrNot(TWEAK_REPL_CACHE_SIZE, on);
      break;
    case SWITCH_BROWSER_CACHE_LIMIT:
      WriteActiveOrNot(TWEAK_BROWSER_CACHE_LIMIT, on);
      break;
    case SWITCH_CACHE_ON_CARD:
      // Without a card nothing moved: the switch's flag stays off.
      if (!MoveBrowserCacheFolder(on)) {
        WriteActiveOrNot(TWEAK_TEMP_TO_STORAGE, false);
        return TWEAK_NO_CARD;
      }
      if (!on) {
        // Back in the form first run found: a value that was absent is absent again, as after a revert.
        BYTE shape[TWEAK_SAVED_COUNT];
        ReadFirstRunShapes(shape);
        BYTE found = shape[TWEAK_BROWSER_CACHE_FOLDER];
        if (found) RemoveTweakValue(TWEAK_BROWSER_CACHE_FOLDER, found - 1);
      }
      WriteActiveOrNot(TWEAK_TEMP_TO_STORAGE, on);
      break;
    case SWITCH_KEEP_CAB_FILES:
      WriteActiveOrNot(TWEAK_CAB_COMMAND, on);
      break;
    case SWITCH_CLOSE_BUTTON:
      SwitchCompanion(COMPANION_CLOSE_BUTTON, on);
      return TWEAK_CHANGED;
    case SWITCH_BATTERY_METER:
      SwitchCompanion(COMPANION_BATTERY_METER, on);
      return TWEAK_CHANGED;
    case SWITCH_NETWORK_POWER:
      WriteDebugLog(LOG_GUI, L"network power management [%d]", (int)on);
      for (int tweak = TWEAK_POWER_ASYNCMAC; tweak <= TWEAK_POWER_L2TP; tweak++) WriteActiveOrNot(tweak, on);
      break;
    default:
      return TWEAK_UNCHANGED;
  }
  g_NeedsReset = true;
  return TWEAK_CHANGED;
}

// ---- States for the pages ------------------------------------------------------------------------

int GetGlyphCacheLevel(void) {
  DWORD limit = ReadTweakDword(TWEAK_GLYPH_LIMIT, g_Tweaks[TWEAK_GLYPH_LIMIT].defaultDword);
  return GlyphCacheLevelOf(limit);
}

bool GetDisplayAnimationActive(void) {
  return ReadTweakDword(TWEAK_ANIMATE, g_Tweaks[TWEAK_ANIMATE].defaultDword) == 0;
}

bool GetTweakSwitch(int which) {
  switch (which) {
    case SWITCH_FILE_CACHE:
      return ReadTweakDword(TWEAK_FS_CACHE_SIZE, 0) != 0;
    case SWITCH_REPLICATION_CACHE:
      return ReadTweakDword(TWEAK_REPL_CACHE_SIZE, 0) != 0;
    case SWITCH_BROWSER_CACHE_LIMIT:
      return ReadTweakDword(TWEAK_BROWSER_CACHE_LIMIT, 0) != 0;
    case SWITCH_CACHE_ON_CARD:
      return ReadTweakDword(TWEAK_TEMP_TO_STORAGE, 0) != 0;
    case SWITCH_KEEP_CAB_FILES: {
      WCHAR command[TEXT_CHARS];
      ReadTweakText(TWEAK_CAB_COMMAND, L"", command);
      WriteDebugLog(LOG_GUI, L"lstv %s", command);
      return wcsstr(command, L"/nodelete") != NULL;
    }
    case SWITCH_CLOSE_BUTTON:
      return ReadTweakDword(TWEAK_QUITLET_FLAG, 0) != 0;
    case SWITCH_BATTERY_METER:
      return ReadTweakDword(TWEAK_GAUGELET_FLAG, 0) != 0;
    case SWITCH_NETWORK_POWER:
      // Absent means the drivers' power management stays disabled, as the saved default assumes.
      return ReadTweakDword(TWEAK_POWER_ASYNCMAC, g_Tweaks[TWEAK_POWER_ASYNCMAC].defaultDword) == 0;
  }
  return false;
}

// ---- Reset ---------------------------------------------------------------------------------------

bool NeedsReset(void) { return g_NeedsReset; }

void MarkNeedsReset(void) { g_NeedsReset = true; }

void FlushRegistryAndReset(void) {
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
