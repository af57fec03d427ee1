// The installed pictures and texts: every file loads with the size the layout was worked out for, every
// text key exists in every language, and the texts fit their controls on a 240 x 320 screen.
#include "shelltest.h"
#include "drawtext.h"
#include "strings.h"
#include <strsafe.h>

namespace {

struct ImageFile {
  const wchar_t *name;
  int w, h;
};

// Skin pictures are twice their size on a 240 x 320 screen.
const ImageFile kImages[] = {
    {L"item.jpg", 480, 80},          {L"scrollbar.png", 44, 400},    {L"scrollup.jpg", 44, 60},
    {L"scrollup_push.jpg", 44, 60},  {L"scrolldown.jpg", 44, 60},    {L"scrolldown_push.jpg", 44, 60},
    {L"button.png", 148, 60},        {L"button_push.png", 148, 60},  {L"cpuusage.png", 32, 32},
    {L"ind_on.png", 32, 32},         {L"ind_off.png", 32, 32},       {L"sliderbar.jpg", 288, 16},
    {L"slider.jpg", 20, 32},         {L"ind_db_on.jpg", 24, 72},     {L"ind_db_off.jpg", 24, 72},
    {L"buttonsmall.png", 36, 36},    {L"buttonsmall_push.png", 36, 36}, {L"item_on.jpg", 88, 80},
    {L"item_off.jpg", 88, 80},       {L"logo.png", 300, 100},
    // Tree pictures (22 and 44 px), close-button frames and menu icons, benchmark faces and picture.
    {L"tvf_f1.jpg", 66, 22},         {L"tvf_f2.jpg", 132, 44},       {L"quitlet.gif", 240, 40},
    {L"quitletic.gif", 448, 32},     {L"item-dual.png", 320, 56},    {L"benchmark.jpg", 240, 240},
};

TEST(SkinFilesTest, EveryPictureLoadsWithItsLayoutSize) {
  for (const ImageFile &f : kImages) {
    std::wstring path = InstallFolder() + L"\\Images\\" + f.name;
    HBITMAP bmp = SHLoadImageFile(path.c_str());
    ASSERT_NE(nullptr, bmp) << std::string(path.begin(), path.end());
    BITMAP info = {};
    ASSERT_TRUE(GetObjectW(bmp, sizeof(info), &info));
    EXPECT_EQ(f.w, info.bmWidth) << std::string(path.begin(), path.end());
    EXPECT_EQ(f.h, info.bmHeight) << std::string(path.begin(), path.end());
    DeleteObject(bmp);
  }
}

TEST(SkinFilesTest, LoadSkinImagesFillsTheTableInNumberOrder) {
  InitProgramStatics();
  LoadSkinImages();
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    EXPECT_STREQ(kImages[i].name, SkinImageFile(i));
    EXPECT_NE(nullptr, g_Skin[i].bitmap) << i;
    EXPECT_EQ(kImages[i].w, g_Skin[i].info.bmWidth) << i;
    EXPECT_EQ(kImages[i].h, g_Skin[i].info.bmHeight) << i;
  }
  UseScreen({240, 320});
  EXPECT_EQ(240, SkinW(IMG_ITEM));
  EXPECT_EQ(40, SkinH(IMG_ITEM));
  UseScreen({480, 640});
  EXPECT_EQ(480, SkinW(IMG_ITEM));
  EXPECT_EQ(80, SkinH(IMG_ITEM));
  EXPECT_EQ(0, SkinW(-1));
  EXPECT_EQ(0, SkinH(SKIN_IMAGE_COUNT));
  EXPECT_EQ(nullptr, SkinImageFile(SKIN_IMAGE_COUNT));
  // Loading again replaces the bitmaps; freeing leaves nothing behind.
  LoadSkinImages();
  EXPECT_NE(nullptr, g_Skin[IMG_LOGO].bitmap);
  FreeSkinImages();
  for (int i = 0; i < SKIN_IMAGE_COUNT; i++) {
    EXPECT_EQ(nullptr, g_Skin[i].bitmap);
    EXPECT_EQ(0, SkinW(i));
  }
}

const wchar_t *const kLanguageFiles[] = {L"strings.def.xml", L"strings.en.xml", L"strings.de.xml",
                                         L"strings.nl.xml"};

class StringsFileTest : public ::testing::TestWithParam<const wchar_t *> {
 protected:
  void SetUp() override {
    std::wstring path = InstallFolder() + L"\\strings\\" + GetParam();
    ASSERT_TRUE(LoadStringFile(&table_, path.c_str())) << std::string(path.begin(), path.end());
  }
  void TearDown() override { FreeStringTable(&table_); }
  std::wstring Text(const std::wstring &key) { return GetLocalisedString(&table_, key.c_str(), LOCALISED_STRING_MAX); }
  StringTable table_ = {};
};

TEST_P(StringsFileTest, EveryKeyTheProgramsLookUpHasAText) {
  struct Range {
    const wchar_t *tag;
    int first, last;
  } ranges[] = {{L"VT", 17, 57}, {L"BenchMark", 1, 13}, {L"Quitlet", 1, 15}};
  for (const Range &r : ranges)
    for (int n = r.first; n <= r.last; n++) {
      std::wstring key = L"String" + std::to_wstring(n) + r.tag;
      std::wstring text = Text(key);
      EXPECT_FALSE(text.empty()) << std::string(key.begin(), key.end());
      EXPECT_EQ(std::wstring::npos, text.find(L'<')) << std::string(key.begin(), key.end());
    }
}

// Measured the way the pages draw them: Tahoma, 14 px, weight 100.
TEST_P(StringsFileTest, PageTextsFitTheirControlsAt240x320) {
  UseScreen({240, 320});
  HDC dc = CreateCompatibleDC(NULL);
  struct Fit {
    int key;
    int width, maxHeight;  // maxHeight 0: one line
  } fits[] = {
      // main menu and benchmark rows (menu rows leave room for the scroll bar)
      {17, 218, 0}, {18, 218, 0}, {19, 218, 0}, {20, 218, 0}, {21, 218, 0}, {22, 218, 0}, {23, 218, 0},
      {34, 240, 0}, {35, 240, 0}, {36, 240, 0},
      // storage rows beside a toggle (218 - 44), the two wrapped ones, the rows without one
      {24, 174, 0}, {25, 174, 0}, {26, 174, 0}, {27, 214, 40}, {28, 174, 40}, {29, 174, 0}, {30, 214, 0},
      // companion rows beside a toggle
      {31, 196, 0}, {32, 196, 0}, {33, 196, 0},
      // task page buttons, memory page button and text
      {46, 74, 0}, {47, 74, 0}, {48, 74, 0}, {49, 74, 0}, {50, 220, 60},
      // display page
      {51, 200, 20}, {52, 40, 0}, {53, 40, 0}, {54, 220, 40}, {55, 172, 40},
  };
  for (const Fit &f : fits) {
    std::wstring key = L"String" + std::to_wstring(f.key) + L"VT";
    std::wstring text = Text(key);
    RECT rc = {0, 0, f.width, 1000};
    UINT flags = DT_CALCRECT | (f.maxHeight ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextInFont(L"Tahoma", ScaleY(14), 100, 0, dc, text.c_str(), &rc, flags);
    EXPECT_GT(rc.right, 0) << std::string(key.begin(), key.end());
    EXPECT_LE(rc.right, f.width) << std::string(key.begin(), key.end()) << " is " << rc.right << " px wide";
    if (f.maxHeight) {
      EXPECT_LE(rc.bottom, f.maxHeight) << std::string(key.begin(), key.end()) << " is " << rc.bottom << " px high";
    }
  }
  DeleteDC(dc);
}

INSTANTIATE_TEST_SUITE_P(Languages, StringsFileTest, ::testing::ValuesIn(kLanguageFiles));

}  // namespace
