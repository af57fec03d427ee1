#include "device.h"
#include "paths.h"
#include "programstatics.h"
#include "strings.h"
#include "device_profile.h"
#include "wm.h"
#include "testsupport.h"

namespace {

TEST(ScaleTest, SupportedDimensionsAndTheRuleForOthers) {
  for (int dim : {240, 320, 400}) EXPECT_EQ(1, WmScaleFactorFor(dim)) << dim;
  for (int dim : {480, 640, 800, 1024, 1280}) EXPECT_EQ(2, WmScaleFactorFor(dim)) << dim;
  // Others take the nearest supported dimension's factor; never 0.
  EXPECT_EQ(1, WmScaleFactorFor(0));
  EXPECT_EQ(1, WmScaleFactorFor(176));
  EXPECT_EQ(1, WmScaleFactorFor(439));
  EXPECT_EQ(2, WmScaleFactorFor(440));
  EXPECT_EQ(2, WmScaleFactorFor(600));
  EXPECT_EQ(2, WmScaleFactorFor(720));
}

TEST(ScaleTest, ScreenOfTheDevice) {
  int w = 0, h = 0;
  GetScreenSize(&w, &h);
  EXPECT_EQ(ScreenWidth(), w);
  EXPECT_EQ(ScreenHeight(), h);
  ResetScaleFactors();
  EXPECT_EQ(10 * WmScaleFactorFor(w), ScaleX(10));
  EXPECT_EQ(26 * WmScaleFactorFor(h), ScaleY(26));
  EXPECT_EQ(WmBarHeight(), ScaleY(26));
}

// The device profile's platform type, restored afterwards.
class PlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DWORD size = sizeof(saved_);
    hadValue_ = RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_PLATFORM, RRF_RT_REG_SZ, NULL,
                             saved_, &size) == ERROR_SUCCESS;
  }
  void TearDown() override {
    if (hadValue_) Set(saved_);
  }
  void Set(const wchar_t *value) {
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_PLATFORM, REG_SZ, value,
                    (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)));
  }
  wchar_t saved_[64] = {};
  bool hadValue_ = false;
};

TEST_F(PlatformTest, PocketPCIgnoringCase) {
  Set(L"PocketPC");
  EXPECT_EQ(1, IsPocketPC());
  Set(L"pOCKETpc");
  EXPECT_EQ(1, IsPocketPC());
  Set(L"Smartphone");
  EXPECT_EQ(0, IsPocketPC());
  Set(L"PocketPC2");
  EXPECT_EQ(0, IsPocketPC());
  // Longer than the 64-byte buffer: not a Pocket PC.
  Set(L"PocketPCPocketPCPocketPCPocketPCPocketPC");
  EXPECT_EQ(0, IsPocketPC());
  RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_PLATFORM);
  EXPECT_EQ(0, IsPocketPC());
}

TEST(TaskbarTest, TheShellsTaskbarIsFound) {
  HWND taskbar = FindTaskbarWindow();
  ASSERT_NE(nullptr, taskbar);
  RECT rc;
  GetWindowRect(taskbar, &rc);
  EXPECT_EQ(0, rc.top);
  EXPECT_EQ(ScaleY(26), rc.bottom - rc.top);
  EXPECT_EQ(ScreenWidth(), rc.right - rc.left);
}

TEST(StartupTest, StaticsFindFoldersStringsAndTheRefreshMessage) {
  InitProgramStatics();
  EXPECT_EQ(TestBinFolder() + L"\\", std::wstring(g_Paths.moduleFolder));
  EXPECT_EQ(InstallFolder(), std::wstring(g_Paths.installFolder));
  ASSERT_NE(nullptr, g_Strings.text);  // the installed strings files
  EXPECT_STRNE(L"", GetLocalisedString(&g_Strings, L"String17VT", LOCALISED_STRING_MAX));
  EXPECT_EQ(RegisterWindowMessageW(L"Vantora Refresh"), CWM_VT_REFRESH);
  EXPECT_GE(CWM_VT_REFRESH, 0xC000u);
}

}  // namespace
