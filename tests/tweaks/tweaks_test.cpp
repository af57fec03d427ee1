// The tweaks on the device's real registry: first-run copies, every tweak, a second run, the revert,
// and the reset offer at exit.
#include "testsupport.h"
#include "boxanswer.h"
#include "regguard.h"
#include "tweaks/tweaks.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/pagecatalogue.h"
#include "shell/skin.h"
#include "tasks/database.h"
#include "debuglog.h"
#include "programstatics.h"
#include "device.h"
#include "settings.h"
#include <algorithm>

namespace {

const wchar_t kLog[] = L"C:\\VT.gui.txt";

std::wstring Hex(const BYTE *data, DWORD size) {
  std::wstring out;
  wchar_t two[4];
  for (DWORD i = 0; i < size; i++) {
    swprintf(two, 4, L"%02x", data[i]);
    out += two;
  }
  return out;
}

// A key, its values (type and bytes) and its subkeys, recursively, as text.
void DumpKey(HKEY root, const std::wstring &path, std::wstring *out) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    *out += L"[" + path + L"] absent\n";
    return;
  }
  *out += L"[" + path + L"]\n";
  std::vector<std::wstring> lines;
  for (DWORD i = 0;; i++) {
    wchar_t name[256];
    BYTE data[4096];
    DWORD nameChars = 256, size = sizeof(data), type = 0;
    if (RegEnumValueW(key, i, name, &nameChars, NULL, &type, data, &size) != ERROR_SUCCESS) break;
    lines.push_back(L"  \"" + std::wstring(name) + L"\" " + std::to_wstring(type) + L" " + Hex(data, size) + L"\n");
  }
  std::sort(lines.begin(), lines.end());
  for (const std::wstring &l : lines) *out += l;
  std::vector<std::wstring> subkeys;
  for (DWORD i = 0;; i++) {
    wchar_t name[256];
    DWORD chars = 256;
    if (RegEnumKeyExW(key, i, name, &chars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    subkeys.push_back(name);
  }
  RegCloseKey(key);
  std::sort(subkeys.begin(), subkeys.end());
  for (const std::wstring &s : subkeys) DumpKey(root, path + L"\\" + s, out);
}

// Every key a tweak touches: whether each part of its path exists, and the key itself in full.
std::wstring ExportTweakedKeys() {
  std::wstring out;
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
    std::wstring key = g_Tweaks[row].key, prefix;
    if (!key.empty() && key.back() == L'\\') key.pop_back();
    size_t at = 0;
    while (at != std::wstring::npos) {
      at = key.find(L'\\', at + 1);
      prefix = key.substr(0, at);
      HKEY k;
      bool exists = RegOpenKeyExW(g_Tweaks[row].root, prefix.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
      if (exists) RegCloseKey(k);
      out += prefix + (exists ? L" +\n" : L" -\n");
    }
    DumpKey(g_Tweaks[row].root, key, &out);
  }
  return out;
}

DWORD Dword(HKEY root, const wchar_t *key, const wchar_t *value, DWORD absent = 0xDEADBEEF) {
  DWORD v = 0, size = sizeof(v), type = 0;
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return absent;
  LONG rc = RegQueryValueExW(k, value, NULL, &type, (BYTE *)&v, &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_DWORD ? v : absent;
}

std::wstring Text(HKEY root, const wchar_t *key, const wchar_t *value) {
  wchar_t v[300] = {};
  DWORD size = sizeof(v) - 2, type = 0;
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return L"<absent>";
  LONG rc = RegQueryValueExW(k, value, NULL, &type, (BYTE *)v, &size);
  RegCloseKey(k);
  return rc == ERROR_SUCCESS && type == REG_SZ ? std::wstring(v) : L"<absent>";
}

DWORD Product(const wchar_t *name) { return Dword(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, name); }
DWORD System(int row) { return Dword(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value); }

void SetSystemDword(int row, DWORD v) {
  WriteRegistryValue(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value, REG_DWORD, &v, sizeof(v));
}
void SetSystemText(int row, const wchar_t *v) {
  WriteRegistryValue(g_Tweaks[row].root, g_Tweaks[row].key, g_Tweaks[row].value, REG_SZ, v,
                     (DWORD)(wcslen(v) + 1) * 2);
}

// Removes a value and then the keys of its path that hold nothing else, from the leaf upwards,
// leaving at least `keep` parts.
void RemoveSystem(int row, size_t keep) {
  HKEY k;
  if (RegOpenKeyExW(g_Tweaks[row].root, g_Tweaks[row].key, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
    RegDeleteValueW(k, g_Tweaks[row].value);
    RegCloseKey(k);
  }
  std::wstring key = g_Tweaks[row].key;
  if (!key.empty() && key.back() == L'\\') key.pop_back();
  while (std::count(key.begin(), key.end(), L'\\') + 1 > (long)keep) {
    if (RegDeleteKeyW(g_Tweaks[row].root, key.c_str()) != ERROR_SUCCESS) break;
    key = key.substr(0, key.rfind(L'\\'));
  }
}

std::vector<std::wstring> ProductNames() {
  std::vector<std::wstring> names = {L"DefaultRegistrySaved", L"DefaultRegistryAbsent", L"RealQuitlet", L"Gaugelet",
                                     L"storperfIETmpToStorage", L"EnableDebug"};
  for (int row = 0; row < TWEAK_SAVED_COUNT; row++) names.push_back(g_Tweaks[row].savedName);
  return names;
}

class TweaksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    SetProductDword(L"EnableDebug", 1);
    ReadDebugSwitch();
    RemoveFile(kLog);
    // The page records are laid out for this device's screen, as the program does at start.
    GetScreenSize(&g_Main.screenWidth, &g_Main.screenHeight);
    g_Main.taskbarHeight = ScaleY(26);
  }
  static std::vector<RegValueGuard::Item> SystemValues() {
    std::vector<RegValueGuard::Item> items;
    for (int row = 0; row < TWEAK_SAVED_COUNT; row++) {
      const TweakValue &t = g_Tweaks[row];
      items.push_back({t.root, t.key, t.value ? t.value : L"", t.value == NULL});
    }
    return items;
  }
  ProductKeyGuard guard_{ProductNames()};
  RegValueGuard system_{SystemValues()};
};

TEST_F(TweaksTest, FirstRunCopiesEveryTweakAndTheRevertPutsTheDeviceBackByteForByte) {
  // A device as first run may find it: some values set (one glyph limit that is none of the steps),
  // others absent together with the keys that would hold them.
  for (const std::wstring &name : ProductNames())
    if (name != L"EnableDebug") DeleteProductValue(name.c_str());
  SetSystemDword(TWEAK_GLYPH_LIMIT, 12000);
  SetSystemDword(TWEAK_ANIMATE, 1);
  RemoveSystem(TWEAK_FS_ENABLE_CACHE, 1);
  SetSystemDword(TWEAK_FS_CACHE_SIZE, 0);
  RemoveSystem(TWEAK_REPL_CACHE_SIZE, 1);
  RemoveSystem(TWEAK_BROWSER_CACHE_LIMIT, 2);
  SetSystemText(TWEAK_BROWSER_CACHE_FOLDER, L"\\Windows\\Profiles\\guest\\Temporary Internet Files");
  RemoveSystem(TWEAK_CAB_COMMAND, 0);
  SetSystemDword(TWEAK_POWER_ASYNCMAC, 1);
  for (int row = TWEAK_POWER_IRSIR; row <= TWEAK_POWER_L2TP; row++) RemoveSystem(row, 0);
  const std::wstring firstRun = ExportTweakedKeys();
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

  // What the pages show of it: the odd limit sits at the nearest step.
  EXPECT_EQ(1, GetGlyphCacheLevel());
  EXPECT_FALSE(GetDisplayAnimationActive());
  for (int page = 0; page < PAGE_COUNT; page++) SetupPageRows(page);
  for (int row = 0; row < 7; row++) EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemState[row]) << row;
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemHasIndicator[3]);
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemHasIndicator[6]);
  EXPECT_FALSE(g_Pages[PAGE_COMPANIONS].itemState[0]);
  EXPECT_TRUE(g_Pages[PAGE_COMPANIONS].itemState[1]);
  EXPECT_FALSE(g_Pages[PAGE_COMPANIONS].itemState[2]);
  EXPECT_FALSE(NeedsReset());

  // Every tweak. Plus from the odd limit steps from the nearest step; at the top only a beep.
  // The display page's knob and toggle follow at once, where a fresh layout would put them.
  LoadSkinImages();
  LayoutPage(PAGE_DISPLAY, false);
  StepGlyphCacheLimit(7, true);
  EXPECT_EQ(16384u, System(TWEAK_GLYPH_LIMIT));
  PageControl knob = g_Pages[PAGE_DISPLAY].controls[6];
  LayoutPage(PAGE_DISPLAY, false);
  EXPECT_EQ(g_Pages[PAGE_DISPLAY].controls[6].left, knob.left);
  EXPECT_EQ(g_Pages[PAGE_DISPLAY].controls[6].right, knob.right);
  EXPECT_TRUE(NeedsReset());
  StepGlyphCacheLimit(7, true);
  StepGlyphCacheLimit(7, true);
  EXPECT_EQ(32768u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_EQ(3, GetGlyphCacheLevel());
  StepGlyphCacheLimit(4, false);
  EXPECT_EQ(16384u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_EQ(IMG_ITEM_OFF, g_Pages[PAGE_DISPLAY].controls[10].image);
  ToggleWindowAnimation(10);
  EXPECT_EQ(0u, System(TWEAK_ANIMATE));
  EXPECT_EQ(IMG_ITEM_ON, g_Pages[PAGE_DISPLAY].controls[10].image);
  EXPECT_TRUE(GetDisplayAnimationActive());
  bool redraw = false;
  for (int row : {0, 1, 2, 5}) SetStorageTweak(g_Pages[PAGE_STORAGE].firstRowFixed + row, row, &redraw);
  EXPECT_TRUE(redraw);
  EXPECT_EQ(1u, System(TWEAK_FS_ENABLE_CACHE));
  EXPECT_EQ(4096u, System(TWEAK_FS_CACHE_SIZE));
  EXPECT_EQ(4096u, System(TWEAK_REPL_CACHE_SIZE));
  EXPECT_EQ(8192u, System(TWEAK_BROWSER_CACHE_LIMIT));
  EXPECT_EQ(L"wceload.exe \"%1\" /nodelete", Text(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL));
  // The rows without a state of their own change nothing.
  SetStorageTweak(0, 3, &redraw);
  SetStorageTweak(0, 6, &redraw);
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemState[3]);
  SetCompanionTweak(0, 2, &redraw);
  for (int row = TWEAK_POWER_ASYNCMAC; row <= TWEAK_POWER_L2TP; row++) EXPECT_EQ(0u, System(row)) << row;
  SetSystemText(TWEAK_BROWSER_CACHE_FOLDER, L"Storage Card\\Temporary Internet Files");
  SetProductDword(L"storperfIETmpToStorage", 1);
  SetProductDword(L"RealQuitlet", 1);
  SetProductDword(L"Gaugelet", 0);
  // The pages, set up again, show every change.
  SetupPageRows(PAGE_STORAGE);
  SetupPageRows(PAGE_COMPANIONS);
  for (int row : {0, 1, 2, 4, 5}) EXPECT_TRUE(g_Pages[PAGE_STORAGE].itemState[row]) << row;
  EXPECT_TRUE(g_Pages[PAGE_COMPANIONS].itemState[0]);
  EXPECT_FALSE(g_Pages[PAGE_COMPANIONS].itemState[1]);
  EXPECT_TRUE(g_Pages[PAGE_COMPANIONS].itemState[2]);

  // A second run keeps the first run's copies.
  LoadDefaultRegistryInfo();
  EXPECT_EQ(12000u, Product(L"videolimit"));
  EXPECT_EQ(1u, Product(L"videoAnimate"));
  EXPECT_EQ(L"wceload.exe \"%1\"", Text(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, L"storperfCommand"));

  // Revert: the system keys exactly as first run found them, absent values and keys included.
  std::wstring database = TaskDatabasePath();
  ASSERT_TRUE(WriteFileBytes(database, "\0\0", 2));
  RevertToDefaultRegistryKeys();
  EXPECT_EQ(firstRun, ExportTweakedKeys());
  EXPECT_EQ(0u, Product(L"RealQuitlet"));
  EXPECT_EQ(1u, Product(L"Gaugelet"));
  EXPECT_EQ(0u, Product(L"storperfIETmpToStorage"));
  EXPECT_EQ(1u, Product(L"DefaultRegistrySaved"));
  EXPECT_FALSE(FileExists(database));
  EXPECT_EQ(0, g_TaskDatabase.count);
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"Delete VTMon settings."));
  EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), L"-RevertToDefaultRegistryKeys done."));
}

TEST_F(TweaksTest, RevertQuestionAnsweredNoStillMakesTheExitAskAndYesWritesTheCopiesBack) {
  // Answering No to the revert question changes nothing but still makes the exit ask.
  DeleteProductValue(L"DefaultRegistrySaved");
  SetSystemDword(TWEAK_GLYPH_LIMIT, 8192);
  LoadDefaultRegistryInfo();
  // As if the device had its smallest glyph cache at first run.
  SetProductDword(L"videolimit", 4096);
  SetSystemDword(TWEAK_GLYPH_LIMIT, 32768);
  {
    BoxAnswerer answer({IDNO, IDNO});
    RevertDefaultsCommand();
    EXPECT_EQ(32768u, System(TWEAK_GLYPH_LIMIT));
    EXPECT_TRUE(NeedsReset());
    ExitWithResetOffer();
    ASSERT_EQ(2, answer.Answered());
    std::vector<std::wstring> texts = answer.Texts();
    EXPECT_NE(std::wstring::npos, texts[0].find(L"Restore all settings")) << testing::PrintToString(texts[0]);
    EXPECT_NE(std::wstring::npos, texts[1].find(L"soft reset")) << testing::PrintToString(texts[1]);
  }
  // Yes to the revert question writes the copies back and sets every page up again.
  {
    BoxAnswerer answer({IDYES});
    RevertDefaultsCommand();
    EXPECT_EQ(1, answer.Answered());
  }
  EXPECT_EQ(4096u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_EQ(0, GetGlyphCacheLevel());
  // At the lowest step minus only beeps.
  StepGlyphCacheLimit(4, false);
  EXPECT_EQ(4096u, System(TWEAK_GLYPH_LIMIT));
}

TEST_F(TweaksTest, TheProgramCopiesTheDeviceOnItsFirstStartOnlyAndLeavesWithoutAQuestionAfterNoChange) {
  ASSERT_EQ(nullptr, FindWindowW(L"VANTORA", L"Vantora")) << "a Vantora of another test is still running";
  DeleteProductValue(L"DefaultRegistrySaved");
  SetSystemDword(TWEAK_GLYPH_LIMIT, 16384);
  auto run = [&](bool firstRun) {
    RemoveFile(kLog);
    Program app;
    ASSERT_TRUE(app.Start(InstalledProgram(L"Vantora.exe")));
    HWND hwnd = WaitForWindow(L"VANTORA", L"Vantora", 15000);
    ASSERT_NE(nullptr, hwnd);
    PostMessageW(hwnd, WM_COMMAND, 30003, 0);
    // Nothing changed: OK on the first page ends the program at once, without a question.
    DWORD code = app.Wait(10000);
    EXPECT_EQ(nullptr, FindWindowW(L"#32770", L"Vantora"));
    if (code == STILL_ACTIVE) app.Kill();
    EXPECT_EQ(0u, code);
    std::vector<std::wstring> lines = ReadLogLines(kLog);
    auto at = [&](const std::wstring &l) { return std::find(lines.begin(), lines.end(), l) - lines.begin(); };
    auto screen = std::find_if(lines.begin(), lines.end(), [](const std::wstring &l) { return !l.compare(0, 12, L"Screen size="); });
    ASSERT_NE(lines.end(), screen);
    EXPECT_LT(screen - lines.begin(), at(L"+LoadDefaultRegistryInfo call."));
    EXPECT_LT(at(L"-LoadDefaultRegistryInfo done."), at(L"Platform: [POCKET PC]."));
    EXPECT_EQ(firstRun, at(L"write default") < (long)lines.size());
    EXPECT_EQ((long)lines.size(), at(L"Settings need reset, flushing registry."));
  };
  run(true);
  EXPECT_EQ(1u, Product(L"DefaultRegistrySaved"));
  EXPECT_EQ(16384u, Product(L"videolimit"));
  SetSystemDword(TWEAK_GLYPH_LIMIT, 4096);
  run(false);
  EXPECT_EQ(16384u, Product(L"videolimit"));
}

}  // namespace
