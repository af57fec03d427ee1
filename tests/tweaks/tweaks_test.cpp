// The tweaks on the device's real registry: first-run copies, every tweak, a second run and the revert,
// without any page: what the registry holds is the result.
#include "tweakregistry.h"
#include "browserfolders.h"

namespace {

const int kStorageSwitches[] = {SWITCH_FILE_CACHE, SWITCH_REPLICATION_CACHE, SWITCH_BROWSER_CACHE_LIMIT,
                                SWITCH_CACHE_ON_CARD, SWITCH_KEEP_CAB_FILES};

TEST_F(TweaksTest, FirstRunCopiesEveryTweakAndTheRevertPutsTheDeviceBackByteForByte) {
  const std::wstring firstRun = MakeFirstRunDevice();
  ASSERT_NE(std::wstring::npos, firstRun.find(L"[cabfile\\Shell\\open\\command] absent"));

  LoadDefaultRegistryInfo();
  EXPECT_EQ(1u, Product(L"DefaultRegistrySaved"));
  EXPECT_EQ(12000u, Product(L"videolimit"));
  EXPECT_EQ(1u, Product(L"videoAnimate"));
  EXPECT_EQ(0u, Product(L"storperfEnableCache"));
  EXPECT_EQ(0u, Product(L"storperfCacheSize"));
  EXPECT_EQ(0u, Product(L"storperfReplStoreCacheSize"));
  EXPECT_EQ(0u, Product(L"storperfCacheLimit"));
  EXPECT_EQ(L"\\Windows\\Profiles\\guest\\Temporary Internet Files",
            Text(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, L"storperfCache"));
  EXPECT_EQ(L"wceload.exe \"%1\"", Text(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, L"storperfCommand"));
  for (const wchar_t *name : {L"asyncMac1DisPwrMngmt", L"Irsir1DisPwrMngmt", L"PPTP1DisPwrMngmt", L"L2TP1DisPwrMngmt"})
    EXPECT_EQ(1u, Product(name)) << testing::PrintToString(std::wstring(name));
  EXPECT_EQ(0u, Product(L"RealQuitlet"));
  EXPECT_EQ(1u, Product(L"Gaugelet"));
  EXPECT_EQ(firstRun, ExportTweakedKeys()) << "first run changed a system value";

  // What the pages will show of it: the odd limit sits at the nearest step; every row off.
  EXPECT_EQ(1, GetGlyphCacheLevel());
  EXPECT_FALSE(GetDisplayAnimationActive());
  for (int s : kStorageSwitches) EXPECT_FALSE(GetTweakSwitch(s)) << s;
  EXPECT_FALSE(GetTweakSwitch(-1));
  EXPECT_FALSE(GetTweakSwitch(SWITCH_COUNT));
  EXPECT_FALSE(GetTweakSwitch(SWITCH_CLOSE_BUTTON));
  EXPECT_TRUE(GetTweakSwitch(SWITCH_BATTERY_METER));
  EXPECT_FALSE(GetTweakSwitch(SWITCH_NETWORK_POWER));
  EXPECT_FALSE(NeedsReset());

  // Every tweak. Up from the odd limit steps from the nearest step; at the top nothing is written.
  EXPECT_EQ(2, StepGlyphCacheLevel(true));
  EXPECT_EQ(16384u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_TRUE(NeedsReset());
  EXPECT_EQ(3, StepGlyphCacheLevel(true));
  EXPECT_EQ(-1, StepGlyphCacheLevel(true));
  EXPECT_EQ(32768u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_EQ(3, GetGlyphCacheLevel());
  EXPECT_EQ(2, StepGlyphCacheLevel(false));
  EXPECT_EQ(16384u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_TRUE(ToggleWindowAnimationValue());
  EXPECT_EQ(0u, System(TWEAK_ANIMATE));
  EXPECT_TRUE(GetDisplayAnimationActive());
  for (int s : {SWITCH_FILE_CACHE, SWITCH_REPLICATION_CACHE, SWITCH_BROWSER_CACHE_LIMIT, SWITCH_KEEP_CAB_FILES})
    EXPECT_EQ(TWEAK_CHANGED, SetTweakSwitch(s, true)) << s;
  EXPECT_EQ(1u, System(TWEAK_FS_ENABLE_CACHE));
  EXPECT_EQ(4096u, System(TWEAK_FS_CACHE_SIZE));
  EXPECT_EQ(4096u, System(TWEAK_REPL_CACHE_SIZE));
  EXPECT_EQ(8192u, System(TWEAK_BROWSER_CACHE_LIMIT));
  EXPECT_EQ(L"wceload.exe \"%1\" /nodelete", Text(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL));
  // A switch that is not there changes nothing.
  EXPECT_EQ(TWEAK_UNCHANGED, SetTweakSwitch(-1, true));
  EXPECT_EQ(TWEAK_UNCHANGED, SetTweakSwitch(SWITCH_COUNT, true));
  EXPECT_FALSE(GetTweakSwitch(SWITCH_COUNT));
  EXPECT_EQ(TWEAK_CHANGED, SetTweakSwitch(SWITCH_NETWORK_POWER, true));
  for (int row = TWEAK_POWER_ASYNCMAC; row <= TWEAK_POWER_L2TP; row++) EXPECT_EQ(0u, System(row)) << row;
  SetSystemText(TWEAK_BROWSER_CACHE_FOLDER, L"Storage Card\\Temporary Internet Files");
  SetProductDword(L"storperfIETmpToStorage", 1);
  SetProductDword(L"RealQuitlet", 1);
  SetProductDword(L"Gaugelet", 0);
  for (int s : kStorageSwitches) EXPECT_TRUE(GetTweakSwitch(s)) << s;
  EXPECT_TRUE(GetTweakSwitch(SWITCH_CLOSE_BUTTON));
  EXPECT_FALSE(GetTweakSwitch(SWITCH_BATTERY_METER));
  EXPECT_TRUE(GetTweakSwitch(SWITCH_NETWORK_POWER));

  // A second run keeps the first run's copies.
  LoadDefaultRegistryInfo();
  EXPECT_EQ(12000u, Product(L"videolimit"));
  EXPECT_EQ(1u, Product(L"videoAnimate"));
  EXPECT_EQ(L"wceload.exe \"%1\"", Text(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, L"storperfCommand"));

  // Revert: the system keys exactly as first run found them, absent values and keys included; a key
  // made since that holds a value of another program stays with it.
  WriteRegistryValue(g_Tweaks[TWEAK_BROWSER_CACHE_LIMIT].root, g_Tweaks[TWEAK_BROWSER_CACHE_LIMIT].key, L"Other",
                     REG_SZ, L"kept", 10);
  RevertTweakValues();
  EXPECT_EQ(L"kept", Text(g_Tweaks[TWEAK_BROWSER_CACHE_LIMIT].root, g_Tweaks[TWEAK_BROWSER_CACHE_LIMIT].key, L"Other"));
  RemoveSystem(TWEAK_BROWSER_CACHE_LIMIT, 2);
  EXPECT_EQ(firstRun, ExportTweakedKeys());
  EXPECT_EQ(0u, Product(L"RealQuitlet"));
  EXPECT_EQ(1u, Product(L"Gaugelet"));
  EXPECT_EQ(0u, Product(L"storperfIETmpToStorage"));
  EXPECT_EQ(1u, Product(L"DefaultRegistrySaved"));
}

// The card switch and the revert give the cache folder back in the one form first run found it: an
// absent value stays absent, an empty one stays empty.
TEST_F(TweaksTest, TheCacheFolderGoesBackToTheFormFirstRunFound) {
  RegValueGuard cards{{{HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_CARDS, false}}};
  SetCards({L"Storage Card"});
  const TweakValue &cache = g_Tweaks[TWEAK_BROWSER_CACHE_FOLDER];
  for (bool absent : {true, false}) {
    MakeFirstRunDevice();
    if (absent) RemoveSystem(TWEAK_BROWSER_CACHE_FOLDER, 99);
    else SetSystemText(TWEAK_BROWSER_CACHE_FOLDER, L"");
    const std::wstring firstRun = ExportTweakedKeys();
    LoadDefaultRegistryInfo();
    ASSERT_EQ(TWEAK_CHANGED, SetTweakSwitch(SWITCH_CACHE_ON_CARD, true)) << absent;
    EXPECT_EQ(L"Storage Card\\", Text(cache.root, cache.key, cache.value)) << absent;
    EXPECT_TRUE(GetTweakSwitch(SWITCH_CACHE_ON_CARD));
    EXPECT_EQ(TWEAK_CHANGED, SetTweakSwitch(SWITCH_CACHE_ON_CARD, false));
    EXPECT_FALSE(GetTweakSwitch(SWITCH_CACHE_ON_CARD));
    EXPECT_EQ(firstRun, ExportTweakedKeys()) << absent;
    SetTweakSwitch(SWITCH_CACHE_ON_CARD, true);
    RevertTweakValues();
    EXPECT_EQ(firstRun, ExportTweakedKeys()) << absent;
  }
}

}  // namespace
