// The registry tweaks of the display, storage and companions pages: one catalogue of every system
// value they change, the first-run copies of those values, the revert, and the reset at exit.
#pragma once
#include <windows.h>

// The glyph cache limits of the display page's slider, levels 0..3.
#define GLYPH_CACHE_LEVELS 4
extern const DWORD g_GlyphCacheLimits[GLYPH_CACHE_LEVELS];
// The level whose limit is nearest (the lower one on a tie); 0 below the table, 3 above it.
int GlyphCacheLevelOf(DWORD limit);

// One tweaked value. DWORD rows use the *Dword fields, string rows (REG_SZ) the *Text fields.
struct TweakValue {
  HKEY root;
  LPCWSTR key;
  LPCWSTR value;           // NULL: the key's unnamed default value
  DWORD type;              // REG_DWORD or REG_SZ
  DWORD activeDword, inactiveDword;
  LPCWSTR activeText, inactiveText;
  LPCWSTR savedName;       // its first-run copy under the product key; NULL when none is kept
  DWORD defaultDword;      // what is used when the value is absent
  LPCWSTR defaultText;
};

// Rows of the catalogue. The ones up to TWEAK_SAVED_COUNT have a first-run copy, in the order the
// copies are made and written back.
enum TweakRow {
  TWEAK_GLYPH_LIMIT,
  TWEAK_ANIMATE,
  TWEAK_FS_ENABLE_CACHE,
  TWEAK_FS_CACHE_SIZE,
  TWEAK_REPL_CACHE_SIZE,
  TWEAK_BROWSER_CACHE_LIMIT,
  TWEAK_BROWSER_CACHE_FOLDER,
  TWEAK_CAB_COMMAND,
  TWEAK_POWER_ASYNCMAC,
  TWEAK_POWER_IRSIR,
  TWEAK_POWER_PPTP,
  TWEAK_POWER_L2TP,
  TWEAK_SAVED_COUNT,
  TWEAK_TEMP_TO_STORAGE = TWEAK_SAVED_COUNT,
  TWEAK_QUITLET_FLAG,
  TWEAK_GAUGELET_FLAG,
  TWEAK_ROW_COUNT,
};

extern const TweakValue g_Tweaks[TWEAK_ROW_COUNT];

// Marker under the product key: 1 once the first-run copies exist.
#define DEFAULT_REGISTRY_SAVED L"DefaultRegistrySaved"
// Under the product key, one byte per saved row: 0 when the system value existed at first run, else
// 1 + the number of leading parts of its key path that existed. Lets the revert make an absent value
// (and the keys a tweak created) absent again.
#define DEFAULT_REGISTRY_ABSENT L"DefaultRegistryAbsent"

// Start-up: saves the system's own values once, on the program's first run.
void LoadDefaultRegistryInfo(void);
// Writes the first-run values back (absent ones made absent again) and resets the companion flags.
void RevertTweakValues(void);

// The display page's glyph cache slider: one step up or down from the level nearest the limit now set.
// The new level 0..3, or -1 at the end of the scale (nothing written).
int StepGlyphCacheLevel(bool up);
// The display page's animation switch: flips it (any value other than 0 reads as on) and returns the
// new state as GetDisplayAnimationActive gives it.
bool ToggleWindowAnimationValue(void);

// What a change of a toggle row did.
enum TweakChange {
  TWEAK_CHANGED,    // written; takes effect after a soft reset
  TWEAK_UNCHANGED,  // a row without a state of its own
  TWEAK_NO_CARD,    // the cache folder could not move: no storage card (its switch stays off)
};
// The switches the storage and companions pages show, each backed by one or more tweaked values (or a
// companion program's flag).
enum TweakSwitch {
  SWITCH_FILE_CACHE,           // the file system's cache
  SWITCH_REPLICATION_CACHE,    // the replication cache
  SWITCH_BROWSER_CACHE_LIMIT,  // the browser's cache limit
  SWITCH_CACHE_ON_CARD,        // the browser's cache folder moved to the storage card
  SWITCH_KEEP_CAB_FILES,       // installed cabinet files kept
  SWITCH_CLOSE_BUTTON,         // the close button companion
  SWITCH_BATTERY_METER,        // the battery meter companion
  SWITCH_NETWORK_POWER,        // the network drivers' power management
  SWITCH_COUNT,
};
// Turns a switch on or off; a number out of range changes nothing (TWEAK_UNCHANGED).
TweakChange SetTweakSwitch(int which, bool on);
// The state a switch shows, read from the registry; false for a number out of range.
bool GetTweakSwitch(int which);

// True after any change that takes effect only after a soft reset.
bool NeedsReset(void);
void MarkNeedsReset(void);
// Flushes the registry to the store, then resets the device.
void FlushRegistryAndReset(void);

// States the pages show, read from the registry.
int GetGlyphCacheLevel(void);           // 0..3
bool GetDisplayAnimationActive(void);   // active: animation switched off
