#include "settings.h"
#include "testsupport.h"

namespace {

// Each test works under a key of its own process.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = L"Software\\VantoraTests\\" + std::to_wstring(GetCurrentProcessId());
  }
  void TearDown() override { RegDeleteTreeW(HKEY_LOCAL_MACHINE, key_.c_str()); }
  std::wstring key_;
};

TEST_F(RegistryTest, WriteCreatesTheKeyAndReadChecksTypeAndSize) {
  DWORD one = 1;
  EXPECT_EQ(1, WriteMachineSetting(key_.c_str(), L"Dword", REG_DWORD, &one, sizeof(one)));
  DWORD value = 99;
  EXPECT_EQ(1, ReadMachineSetting(key_.c_str(), L"Dword", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(1u, value);

  // Missing value and missing key: 0, default untouched.
  value = 99;
  EXPECT_EQ(0, ReadMachineSetting(key_.c_str(), L"Missing", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(99u, value);
  EXPECT_EQ(0, ReadMachineSetting((key_ + L"\\Nope").c_str(), L"Dword", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(99u, value);

  // Asked for a string but stored as a number: refused, though the four bytes landed.
  WCHAR text[8] = L"default";
  EXPECT_EQ(0, ReadMachineSetting(key_.c_str(), L"Dword", REG_SZ, text, sizeof(text)));
  EXPECT_EQ(1u, *(DWORD *)text);
}

TEST_F(RegistryTest, WrongTypeOfAtMostFourBytesLandsButReturnsZero) {
  const WCHAR shortText[] = L"7";  // 4 bytes with the terminator
  WriteMachineSetting(key_.c_str(), L"Short", REG_SZ, shortText, sizeof(shortText));
  DWORD value = 5;
  EXPECT_EQ(0, ReadMachineSetting(key_.c_str(), L"Short", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(0x37u, value);

  const WCHAR longText[] = L"12345";
  WriteMachineSetting(key_.c_str(), L"Long", REG_SZ, longText, sizeof(longText));
  value = 5;
  EXPECT_EQ(0, ReadMachineSetting(key_.c_str(), L"Long", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(5u, value);

  // The right type that does not fit is refused too.
  BYTE blob[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  WriteMachineSetting(key_.c_str(), L"Blob", REG_BINARY, blob, sizeof(blob));
  BYTE small[4] = {9, 9, 9, 9};
  EXPECT_EQ(0, ReadMachineSetting(key_.c_str(), L"Blob", REG_BINARY, small, sizeof(small)));
  EXPECT_EQ(9, small[0]);
}

TEST_F(RegistryTest, StringsRoundTripWithinTheirBuffer) {
  const WCHAR version[] = L"2.1.0";
  WriteRegistryValue(HKEY_LOCAL_MACHINE, key_.c_str(), L"Version", REG_SZ, version, sizeof(version));
  WCHAR out[256] = {};
  EXPECT_EQ(1, ReadRegistryValue(HKEY_LOCAL_MACHINE, key_.c_str(), L"Version", REG_SZ, out, sizeof(out)));
  EXPECT_STREQ(L"2.1.0", out);
  // A key path longer than the 255-character buffer is refused, not cut.
  std::wstring deep = key_ + L"\\" + std::wstring(300, L'k');
  DWORD value = 3;
  EXPECT_EQ(0, ReadMachineSetting(deep.c_str(), L"Version", REG_DWORD, &value, sizeof(value)));
  EXPECT_EQ(3u, value);
}

}  // namespace
