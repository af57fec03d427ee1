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

// The typed readers: the value only when type and size fit, else the default given; a string always
// comes back terminated, also one stored without its terminator or filling the buffer exactly.
TEST_F(RegistryTest, TypedReadersCheckTypeAndSizeAndTerminateStrings) {
  DWORD seven = 7;
  WriteMachineSetting(key_.c_str(), L"Dword", REG_DWORD, &seven, sizeof(seven));
  EXPECT_EQ(7u, ReadMachineDword(key_.c_str(), L"Dword", 99));
  EXPECT_EQ(99u, ReadMachineDword(key_.c_str(), L"Missing", 99));
  EXPECT_EQ(99u, ReadMachineDword((key_ + L"\\Nope").c_str(), L"Dword", 99));
  const WCHAR one[] = L"1";  // four bytes, but a string
  WriteMachineSetting(key_.c_str(), L"Text", REG_SZ, one, sizeof(one));
  EXPECT_EQ(99u, ReadMachineDword(key_.c_str(), L"Text", 99));

  WCHAR text[6];
  EXPECT_TRUE(ReadMachineText(key_.c_str(), L"Text", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"1", text);
  EXPECT_FALSE(ReadMachineText(key_.c_str(), L"Dword", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"dflt", text);
  EXPECT_FALSE(ReadMachineText(key_.c_str(), L"Missing", text, ARRAYSIZE(text), NULL));
  EXPECT_STREQ(L"", text);
  // Five characters fit six with the terminator; six do not, and the default comes back whole.
  const WCHAR five[] = L"abcde", six[] = L"abcdef";
  WriteMachineSetting(key_.c_str(), L"Five", REG_SZ, five, sizeof(five));
  WriteMachineSetting(key_.c_str(), L"Six", REG_SZ, six, sizeof(six));
  EXPECT_TRUE(ReadMachineText(key_.c_str(), L"Five", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"abcde", text);
  EXPECT_FALSE(ReadMachineText(key_.c_str(), L"Six", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"dflt", text);
  // Stored without a terminator: it ends where its data ends.
  WriteMachineSetting(key_.c_str(), L"Bare", REG_SZ, L"xyz", 3 * sizeof(WCHAR));
  wmemset(text, L'#', ARRAYSIZE(text));
  EXPECT_TRUE(ReadMachineText(key_.c_str(), L"Bare", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"xyz", text);
  WriteMachineSetting(key_.c_str(), L"BareSix", REG_SZ, six, 6 * sizeof(WCHAR));
  EXPECT_FALSE(ReadMachineText(key_.c_str(), L"BareSix", text, ARRAYSIZE(text), L"dflt"));
  EXPECT_STREQ(L"dflt", text);
}

}  // namespace
