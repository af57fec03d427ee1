// The tweaks as the pages show them and their commands change them: the rows' states, the display
// page's knob and switch, the revert and the reset offer at exit, and the program's own first start.
#include "tweakregistry.h"
#include "boxanswer.h"
#include "browserfolders.h"
#include "shell/pagecommands.h"
#include "shell/layout.h"
#include "shell/mainwindow.h"
#include "shell/screen.h"
#include "shell/pagecatalogue.h"
#include "shell/skin.h"
#include "tasks/database.h"
#include "device.h"

namespace {

// The page records are laid out for this device's screen, as the program does at start.
class TweakPagesTest : public TweaksTest {
 protected:
  void SetUp() override {
    TweaksTest::SetUp();
    GetScreenSize(&g_Screen.width, &g_Screen.height);
    g_Screen.taskbarHeight = ScaleY(26);
  }
};

TEST_F(TweakPagesTest, PagesShowEveryTweakAndTheRevertEmptiesTheTaskDatabase) {
  const std::wstring firstRun = MakeFirstRunDevice();
  LoadDefaultRegistryInfo();

  // What the pages show of it: the odd limit sits at the nearest step.
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
  StepGlyphCacheLimit(4, false);
  EXPECT_EQ(16384u, System(TWEAK_GLYPH_LIMIT));
  EXPECT_EQ(IMG_ITEM_OFF, g_Pages[PAGE_DISPLAY].controls[10].image);
  ToggleWindowAnimation(10);
  EXPECT_EQ(0u, System(TWEAK_ANIMATE));
  EXPECT_EQ(IMG_ITEM_ON, g_Pages[PAGE_DISPLAY].controls[10].image);
  bool redraw = false;
  for (int row : {0, 1, 2, 5}) SetStorageTweak(g_Pages[PAGE_STORAGE].firstRowFixed + row, row, &redraw);
  EXPECT_TRUE(redraw);
  for (int row : {0, 1, 2, 5}) EXPECT_TRUE(g_Pages[PAGE_STORAGE].itemState[row]) << row;
  EXPECT_EQ(4096u, System(TWEAK_FS_CACHE_SIZE));
  // The rows without a state of their own change nothing.
  SetStorageTweak(0, 3, &redraw);
  SetStorageTweak(0, 6, &redraw);
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemState[3]);
  SetCompanionTweak(0, 2, &redraw);
  EXPECT_TRUE(g_Pages[PAGE_COMPANIONS].itemState[2]);
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

  // Revert: the device as first run found it, and the task database gone from disk and memory.
  std::wstring database = TaskDatabasePath();
  ASSERT_TRUE(WriteFileBytes(database, "\0\0", 2));
  RevertToDefaultRegistryKeys();
  EXPECT_EQ(firstRun, ExportTweakedKeys());
  EXPECT_FALSE(FileExists(database));
  EXPECT_EQ(0, g_TaskDatabase.count);
  std::vector<std::wstring> lines = ReadLogLines(kLog);
  auto at = [&](const std::wstring &l) { return std::find(lines.begin(), lines.end(), l) - lines.begin(); };
  EXPECT_LT(at(L"+RevertToDefaultRegistryKeys call."), at(L"Delete VTMon settings."));
  EXPECT_LT(at(L"Delete VTMon settings."), at(L"-RevertToDefaultRegistryKeys done."));
  EXPECT_LT(at(L"-RevertToDefaultRegistryKeys done."), (long)lines.size());
}

TEST_F(TweakPagesTest, RevertQuestionAnsweredNoStillMakesTheExitAskAndYesWritesTheCopiesBack) {
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

TEST_F(TweakPagesTest, TheProgramCopiesTheDeviceOnItsFirstStartOnlyAndLeavesWithoutAQuestionAfterNoChange) {
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

// Only "storage" and "Storage" name a storage card: without one the row's switch tells the user and
// stays off, and nothing is written.
TEST_F(BrowserTest, WithoutAStorageCardTheCacheSwitchSaysSoAndStaysOff) {
  SetCards({L"STORAGE", L"SD Card"});
  SetFolder(L"Cache", L"\\Windows\\Cache");
  GetScreenSize(&g_Screen.width, &g_Screen.height);
  g_Screen.taskbarHeight = ScaleY(26);
  SetProductDword(L"storperfIETmpToStorage", 0);
  SetupPageRows(PAGE_STORAGE);
  {
    BoxAnswerer answer({IDOK});
    bool redraw = false;
    SetStorageTweak(0, 4, &redraw);
    ASSERT_EQ(1, answer.Answered());
    EXPECT_EQ(L"No storage card was found.", answer.Texts()[0]);
  }
  EXPECT_EQ(L"\\Windows\\Cache", Cache());
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemState[4]);
  EXPECT_EQ(0u, [] {
    DWORD v = 7;
    ReadMachineSetting(TEST_PRODUCT_KEY, L"storperfIETmpToStorage", REG_DWORD, &v, sizeof(v));
    return v;
  }());
  EXPECT_FALSE(NeedsReset());
}

}  // namespace
