#include "wm.h"
#include "device_profile.h"
#include "testsupport.h"

namespace {

TEST(SystemParametersTest, PlatformAndOemFromTheDeviceProfile) {
  WCHAR text[64] = L"junk";
  ASSERT_TRUE(WmSystemParametersInfo(SPI_GETPLATFORMTYPE, sizeof(text), text, 0));
  EXPECT_STREQ(L"PocketPC", text);
  WCHAR oem[255] = {};
  ASSERT_TRUE(WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), oem, 0));
  // The OEM string of the profile this device was made from, whichever that is.
  WCHAR profile[255] = {};
  DWORD size = sizeof(profile);
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_OEM, RRF_RT_REG_SZ,
                                        NULL, profile, &size));
  EXPECT_NE(L'\0', oem[0]);
  EXPECT_STREQ(profile, oem);
  // Too small a buffer: refused, and what it holds is still a terminated string.
  WCHAR tiny[4] = L"abc";
  EXPECT_FALSE(WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(tiny), tiny, 0));
  EXPECT_LT(wcslen(tiny), 4u);
  EXPECT_FALSE(WmSystemParametersInfo(SPI_GETOEMINFO, 0, tiny, 0));
  EXPECT_FALSE(WmSystemParametersInfo(SPI_GETOEMINFO, sizeof(oem), NULL, 0));
  // Everything else is the desktop's.
  RECT work;
  EXPECT_TRUE(WmSystemParametersInfo(SPI_GETWORKAREA, 0, &work, 0));
}

TEST(KernelIoControlTest, OnlyTheRebootCodeIsKnown) {
  DWORD returned = 5;
  EXPECT_FALSE(KernelIoControl(0x01010000, NULL, 0, NULL, 0, &returned));
  EXPECT_EQ(0u, returned);
  EXPECT_EQ((DWORD)ERROR_NOT_SUPPORTED, GetLastError());
}

TEST(DevicePathTest, RootedPathsLandOnTheSystemDrive) {
  WCHAR out[MAX_PATH];
  ASSERT_TRUE(WmDevicePath(L"\\VT.gui.txt", out, MAX_PATH));
  EXPECT_STREQ(L"C:\\VT.gui.txt", out);
  ASSERT_TRUE(WmDevicePath(L"C:\\x\\y", out, MAX_PATH));
  EXPECT_STREQ(L"C:\\x\\y", out);
  ASSERT_TRUE(WmDevicePath(L"\\\\server\\share", out, MAX_PATH));
  EXPECT_STREQ(L"\\\\server\\share", out);
  ASSERT_TRUE(WmDevicePath(L"relative.txt", out, MAX_PATH));
  EXPECT_STREQ(L"relative.txt", out);
  EXPECT_FALSE(WmDevicePath(L"\\VT.gui.txt", out, 5));
  EXPECT_FALSE(WmDevicePath(NULL, out, MAX_PATH));
}

}  // namespace
