// The page catalogue: item counts, labels and the indicator states read from the device's registry.
#include "shelltest.h"
#include "pagecommands.h"
#include "tasklist_fill.h"
#include "tasks/tasklist.h"
#include "debuglog.h"
#include "paths.h"
#include "settings.h"
#include "strings.h"
#include <strsafe.h>

namespace {

// One registry value a test changes; put back as it was when the test ends.
class RegValueGuard {
 public:
  RegValueGuard(HKEY root, const wchar_t *key, const wchar_t *value) : root_(root), key_(key), value_(value ? value : L"") {
    HKEY k;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS) {
      DWORD size = 0;
      if (RegQueryValueExW(k, value_.c_str(), NULL, &type_, NULL, &size) == ERROR_SUCCESS) {
        data_.resize(size);
        present_ = RegQueryValueExW(k, value_.c_str(), NULL, &type_, data_.data(), &size) == ERROR_SUCCESS;
      }
      RegCloseKey(k);
    }
  }
  ~RegValueGuard() {
    if (present_) Set(type_, data_.data(), (DWORD)data_.size());
    else Delete();
  }
  void Set(DWORD type, const void *data, DWORD size) {
    HKEY k;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root_, key_.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL, &k, NULL));
    RegSetValueExW(k, value_.c_str(), 0, type, (const BYTE *)data, size);
    RegCloseKey(k);
  }
  void Dword(DWORD v) { Set(REG_DWORD, &v, sizeof(v)); }
  void String(const wchar_t *s) { Set(REG_SZ, s, (DWORD)((wcslen(s) + 1) * sizeof(wchar_t))); }
  void Delete() {
    HKEY k;
    if (RegOpenKeyExW(root_, key_.c_str(), 0, KEY_ALL_ACCESS, &k) == ERROR_SUCCESS) {
      RegDeleteValueW(k, value_.c_str());
      RegCloseKey(k);
    }
  }

 private:
  HKEY root_;
  std::wstring key_, value_;
  bool present_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> data_;
};

const Screen kQvga = {240, 320};

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    LoadSkinImages();
    FillTaskList(0);
    UseScreen(kQvga);
  }
  void TearDown() override { FreeSkinImages(); }
  const PageModel &Setup(int page) {
    SetupPageRows(page);
    LayoutPage(page, false);
    return g_Pages[page];
  }
  std::vector<int> States(int page) {
    std::vector<int> s;
    for (int i = 0; i < g_Pages[page].itemCount; i++) s.push_back(g_Pages[page].itemState[i]);
    return s;
  }
};

TEST_F(CatalogueTest, StorageTogglesShowTheSystemValues) {
  RegValueGuard fat(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\FATFS", L"CacheSize");
  RegValueGuard repl(HKEY_LOCAL_MACHINE, L"System\\StorageManager\\Filters\\fsreplxfilt", L"ReplStoreCacheSize");
  RegValueGuard limit(HKEY_CURRENT_USER,
                      L"SOFTWARE\\Microsoft\\Windows\\Current Version\\Internet Settings\\5.0\\Cache\\Content",
                      L"CacheLimit");
  RegValueGuard temp(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, L"storperfIETmpToStorage");
  RegValueGuard cab(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL);

  fat.Dword(4096);
  repl.Dword(0);
  limit.Dword(8192);
  temp.Dword(1);
  cab.String(L"wceload.exe \"%1\" /nodelete");
  const PageModel &p = Setup(PAGE_STORAGE);
  EXPECT_EQ(7, p.itemCount);
  EXPECT_EQ((std::vector<int>{1, 0, 1, 0, 1, 1, 0}), States(PAGE_STORAGE));
  const bool indicator[7] = {true, true, true, false, true, true, false};
  for (int i = 0; i < 7; i++) EXPECT_EQ(indicator[i], p.itemHasIndicator[i]) << i;
  EXPECT_EQ(IMG_ITEM_ON, p.controls[4].sub[0].image);
  EXPECT_EQ(IMG_ITEM_OFF, p.controls[5].sub[0].image);

  fat.Dword(0);
  repl.Dword(4096);
  limit.Dword(0);
  temp.Dword(0);
  cab.String(L"wceload.exe \"%1\"");
  Setup(PAGE_STORAGE);
  EXPECT_EQ((std::vector<int>{0, 1, 0, 0, 0, 0, 0}), States(PAGE_STORAGE));

  // Absent values and values of another type show as off.
  fat.String(L"4096");
  repl.Set(REG_BINARY, "\x00\x10\x00\x00", 4);
  limit.Delete();
  temp.String(L"1");
  cab.Dword(1);
  Setup(PAGE_STORAGE);
  EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0, 0, 0}), States(PAGE_STORAGE));
  // A command too long for the buffer is not half-read.
  std::wstring longCommand(400, L'x');
  cab.String((longCommand + L" /nodelete").c_str());
  Setup(PAGE_STORAGE);
  EXPECT_FALSE(g_Pages[PAGE_STORAGE].itemState[5]);
}

TEST_F(CatalogueTest, TheCabCommandIsLogged) {
  RegValueGuard cab(HKEY_CLASSES_ROOT, L"cabfile\\Shell\\open\\command", NULL);
  cab.String(L"wceload.exe \"%1\" /nodelete");
  RemoveFile(L"\\VT.gui.txt");
  g_DebugEnabled = 1;
  SetupPageRows(PAGE_STORAGE);
  InitPageItems(PAGE_TASKS);
  g_DebugEnabled = 0;
  std::vector<std::wstring> lines = ReadLogLines(L"\\VT.gui.txt");
  RemoveFile(L"\\VT.gui.txt");
  auto has = [&](const std::wstring &text) {
    for (const std::wstring &l : lines)
      if (l.find(text) != std::wstring::npos) return true;
    return false;
  };
  EXPECT_TRUE(has(L"lstv wceload.exe \"%1\" /nodelete"));
  EXPECT_TRUE(has(L"+InitPageItems call."));
  EXPECT_TRUE(has(L"-InitPageItems done."));
}

// The benchmark rows start the benchmark by the item shown, not by the row: scrolled by one, the
// first row starts the result view.
TEST_F(CatalogueTest, BenchmarkRowsStartTheItemTheyShow) {
  Setup(PAGE_BENCHMARK);
  RemoveFile(L"\\VT.gui.txt");
  g_DebugEnabled = 1;
  g_Pages[PAGE_BENCHMARK].scrollOffset = 1;
  RunBenchmark(0);
  g_Pages[PAGE_BENCHMARK].scrollOffset = 0;
  RunBenchmark(2);
  RunBenchmark(3);  // below the last item: nothing
  g_DebugEnabled = 0;
  std::vector<std::wstring> starts;
  for (const std::wstring &l : ReadLogLines(L"\\VT.gui.txt"))
    if (l.find(L"RunBenchmark [") == 0) starts.push_back(l.substr(l.rfind(L' ') + 1));
  RemoveFile(L"\\VT.gui.txt");
  EXPECT_EQ((std::vector<std::wstring>{L"-view]", L"-compare]"}), starts);
}

TEST_F(CatalogueTest, CompanionTogglesShowTheFlagsAndThePowerSetting) {
  ProductKeyGuard product({L"RealQuitlet", L"Gaugelet"});
  RegValueGuard power(HKEY_LOCAL_MACHINE, L"Comm\\AsyncMac1\\Parms", L"DisablePowerManagement");
  SetProductDword(L"RealQuitlet", 1);
  SetProductDword(L"Gaugelet", 0);
  power.Dword(0);
  const PageModel &p = Setup(PAGE_COMPANIONS);
  EXPECT_EQ(3, p.itemCount);
  EXPECT_EQ((std::vector<int>{1, 0, 1}), States(PAGE_COMPANIONS));
  for (int i = 0; i < 3; i++) EXPECT_TRUE(p.itemHasIndicator[i]);

  SetProductDword(L"RealQuitlet", 0);
  SetProductDword(L"Gaugelet", 7);
  power.Dword(1);
  Setup(PAGE_COMPANIONS);
  EXPECT_EQ((std::vector<int>{0, 1, 0}), States(PAGE_COMPANIONS));

  // Nothing stored: both programs off, the drivers' power management left disabled.
  DeleteProductValue(L"RealQuitlet");
  DeleteProductValue(L"Gaugelet");
  power.Delete();
  Setup(PAGE_COMPANIONS);
  EXPECT_EQ((std::vector<int>{0, 0, 0}), States(PAGE_COMPANIONS));
}

TEST_F(CatalogueTest, LabelsComeFromTheStringsInItemOrder) {
  struct Page {
    int page, count, firstKey;
  } pages[] = {{PAGE_MENU, 7, 17}, {PAGE_STORAGE, 7, 24}, {PAGE_COMPANIONS, 3, 31}, {PAGE_BENCHMARK, 3, 34}};
  for (const Page &pg : pages) {
    const PageModel &p = Setup(pg.page);
    EXPECT_EQ(pg.count, p.itemCount);
    for (int i = 0; i < pg.count; i++) {
      wchar_t key[32];
      StringCchPrintfW(key, 32, L"String%dVT", pg.firstKey + i);
      EXPECT_STREQ(GetLocalisedString(&g_Strings, key, LOCALISED_STRING_MAX), p.labels[i]);
      EXPECT_STRNE(L"", p.labels[i]);
    }
    EXPECT_STREQ(L"", p.labels[pg.count]);
  }
  // Pages without a list get only their rows.
  EXPECT_EQ(0, Setup(PAGE_MEMORY).itemCount);
  EXPECT_EQ(6, g_Pages[PAGE_MEMORY].visibleRows);
}

TEST_F(CatalogueTest, SetupReturnsAScrolledPageToItsFirstItem) {
  Setup(PAGE_STORAGE);
  PageModel &p = g_Pages[PAGE_STORAGE];
  p.scrollOffset = 1;
  p.focusedItem = 5;
  p.savedSubFocus = 1;
  p.focusedControl = -1;
  SetupPageRows(PAGE_STORAGE);
  EXPECT_EQ(0, p.scrollOffset);
  EXPECT_EQ(0, p.focusedItem);
  EXPECT_EQ(0, p.savedSubFocus);
  EXPECT_EQ(4, p.focusedControl);
  EXPECT_EQ(6, p.visibleRows);
  EXPECT_TRUE(p.scrolling);
  EXPECT_EQ(4, FirstRowControl(&p));
  // A page whose items fit uses the row control of the non-scrolling state.
  Setup(PAGE_BENCHMARK);
  EXPECT_FALSE(g_Pages[PAGE_BENCHMARK].scrolling);
  EXPECT_EQ(3, FirstRowControl(&g_Pages[PAGE_BENCHMARK]));
}

TEST_F(CatalogueTest, TaskPageFollowsTheTaskList) {
  FillTaskList(0);
  EXPECT_EQ(0, Setup(PAGE_TASKS).itemCount);
  EXPECT_FALSE(g_Pages[PAGE_TASKS].scrolling);

  FillTaskList(MAX_TASKS);
  const PageModel &p = Setup(PAGE_TASKS);
  EXPECT_EQ(MAX_TASKS, p.itemCount);
  EXPECT_TRUE(p.scrolling);
  EXPECT_STREQ(L"Program 0", p.labels[0]);
  EXPECT_STREQ(L"Program 49", p.labels[MAX_PAGE_ITEMS - 1]);
  EXPECT_EQ(14, p.controlCount);

  // A broken count never reads past the table.
  g_TaskList.count = -3;
  EXPECT_EQ(0, Setup(PAGE_TASKS).itemCount);
  g_TaskList.count = MAX_TASKS + 40;
  EXPECT_EQ(MAX_TASKS, Setup(PAGE_TASKS).itemCount);
}

TEST_F(CatalogueTest, GlyphCacheKnobSitsAtTheLevelOfTheStoredLimit) {
  RegValueGuard limit(HKEY_LOCAL_MACHINE, L"SYSTEM\\GDI\\GLYPHCACHE", L"limit");
  // Track 79..175 (96 px) at 240 x 320, knob 10 px: lefts 74, 106, 138, 170.
  struct Case {
    DWORD limit;
    int knobLeft;
  } cases[] = {{4096, 74},  {8192, 106},  {16384, 138}, {32768, 170},
               {10000, 106}, {6144, 74},  {24576, 138}, {1, 74}, {1000000, 170}};
  for (const Case &c : cases) {
    limit.Dword(c.limit);
    const PageControl &knob = Setup(PAGE_DISPLAY).controls[6];
    EXPECT_EQ(c.knobLeft, knob.left) << c.limit;
    EXPECT_EQ(c.knobLeft + 10, knob.right) << c.limit;
  }
  // Absent or not a number: the system's default of 8192.
  limit.Delete();
  EXPECT_EQ(106, Setup(PAGE_DISPLAY).controls[6].left);
  limit.String(L"32768");
  EXPECT_EQ(106, Setup(PAGE_DISPLAY).controls[6].left);

  UseScreen({800, 480});
  limit.Dword(32768);
  EXPECT_EQ(158 + 192 - 10, Setup(PAGE_DISPLAY).controls[6].left);
}

TEST_F(CatalogueTest, AnimationToggleShowsOnWhenAnimationIsOff) {
  RegValueGuard animate(HKEY_LOCAL_MACHINE, L"SYSTEM\\GWE", L"Animate");
  animate.Dword(1);
  EXPECT_EQ(IMG_ITEM_OFF, Setup(PAGE_DISPLAY).controls[10].image);
  animate.Dword(0);
  EXPECT_EQ(IMG_ITEM_ON, Setup(PAGE_DISPLAY).controls[10].image);
  animate.Delete();
  EXPECT_EQ(IMG_ITEM_ON, Setup(PAGE_DISPLAY).controls[10].image);
}

// Pictures from an installation where two files are missing and one is not a picture at all.
TEST_F(CatalogueTest, MissingOrBrokenPictureFilesCollapseTheirControls) {
  ProductKeyGuard product({L"InstallPath"});
  std::wstring folder = MakeTempFolder(L"install");
  std::wstring images = folder + L"\\Images";
  CreateDirectoryW(images.c_str(), NULL);
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    std::wstring name = SkinImageFile(i);
    if (i == IMG_ITEM || i == IMG_LOGO) continue;
    if (i == IMG_SLIDER) {
      ASSERT_TRUE(WriteFileBytes(images + L"\\" + name, "not a picture", 13));
      continue;
    }
    std::wstring from = InstallFolder() + L"\\Images\\" + name;
    ASSERT_TRUE(CopyFileW(from.c_str(), (images + L"\\" + name).c_str(), FALSE));
  }
  SetProductString(L"InstallPath", folder.c_str());
  g_Paths.installFolder[0] = 0;
  LoadSkinImages();
  for (int i : {IMG_ITEM, IMG_LOGO, IMG_SLIDER}) {
    EXPECT_EQ(nullptr, g_Skin[i].bitmap) << i;
    EXPECT_EQ(0, g_Skin[i].info.bmWidth) << i;
    EXPECT_EQ(0, g_Skin[i].info.bmHeight) << i;
  }
  EXPECT_NE(nullptr, g_Skin[IMG_BUTTON].bitmap);
  const PageModel &menu = Setup(PAGE_MENU);
  EXPECT_EQ(menu.controls[6].top, menu.controls[6].bottom);
  EXPECT_EQ(menu.controls[2].left, menu.controls[2].right);
  EXPECT_EQ(menu.controls[4].top + 30, menu.controls[4].bottom);  // the scroll button is there
  const PageControl &knob = Setup(PAGE_DISPLAY).controls[6];
  EXPECT_EQ(knob.left, knob.right);
  EXPECT_EQ(knob.top, knob.bottom);
  g_Paths.installFolder[0] = 0;
}

}  // namespace
