#include "strings.h"
#include "testsupport.h"

namespace {

// A strings file as the programs ship them: UTF-16LE with a byte-order mark.
void WriteStrings(const std::wstring &folder, const wchar_t *code, const std::wstring &body) {
  std::wstring dir = folder + L"\\strings";
  CreateDirectoryW(dir.c_str(), NULL);
  std::wstring text = L"\xFEFF<?xml version=\"1.0\" encoding=\"utf-16\"?>\r\n<strings>\r\n" + body + L"\r\n</strings>\r\n";
  ASSERT_TRUE(WriteFileBytes(dir + L"\\strings." + code + L".xml", text.data(), text.size() * sizeof(wchar_t)));
}

class StringTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = MakeTempFolder(L"strings");
    base_ = folder_ + L"\\";
  }
  void TearDown() override { FreeStringTable(&table_); }
  LPCWSTR Get(LPCWSTR key) { return GetLocalisedString(&table_, key, LOCALISED_STRING_MAX); }
  std::wstring folder_, base_;
  StringTable table_ = {};
};

TEST_F(StringTableTest, LanguageChoosesItsFileOrTheDefault) {
  WriteStrings(folder_, L"def", L"<i n=\"K\">default</i>");
  WriteStrings(folder_, L"en", L"<i n=\"K\">english</i>");
  WriteStrings(folder_, L"de", L"<i n=\"K\">deutsch</i>");
  WriteStrings(folder_, L"nl", L"<i n=\"K\">nederlands</i>");
  struct Case {
    BYTE language;
    const wchar_t *text;
  } cases[] = {{LANG_ENGLISH, L"english"}, {LANG_GERMAN, L"deutsch"}, {LANG_DUTCH, L"nederlands"},
               {LANG_CZECH, L"english"},   {LANG_FRENCH, L"default"}, {0, L"default"}};
  for (const Case &c : cases) {
    LoadStringTableForLanguage(&table_, base_.c_str(), c.language);
    EXPECT_STREQ(c.text, Get(L"K")) << (int)c.language;
    EXPECT_EQ(c.language, table_.language);
  }
  // Without its own file German falls back to the default.
  RemoveFile(folder_ + L"\\strings\\strings.de.xml");
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_GERMAN);
  EXPECT_STREQ(L"default", Get(L"K"));
}

TEST_F(StringTableTest, TheDeviceLanguageIsUsed) {
  WriteStrings(folder_, L"def", L"<i n=\"K\">default</i>");
  WriteStrings(folder_, L"en", L"<i n=\"K\">english</i>");
  LoadStringTable(&table_, base_.c_str());
  EXPECT_EQ(PRIMARYLANGID(GetUserDefaultLangID()), table_.language);
  EXPECT_STREQ(LanguageCode(table_.language) ? L"english" : L"default", Get(L"K"));
}

TEST_F(StringTableTest, NoFileGivesEmptyTexts) {
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_ENGLISH);
  EXPECT_EQ(nullptr, table_.text);
  EXPECT_STREQ(L"", Get(L"String17VT"));
  // No installation folder at all.
  LoadStringTableForLanguage(&table_, L"", LANG_ENGLISH);
  EXPECT_STREQ(L"", Get(L"String17VT"));
}

TEST_F(StringTableTest, KeysMatchWholeTagsAndTheFirstEntryWins) {
  WriteStrings(folder_, L"def",
               L"<i n=\"String17VT\">Tasks</i>\r\n<i n=\"String1\">one</i>\r\n"
               L"<i n=\"String2\">first</i><i n=\"String2\">second</i>\r\n<i n=\"Multi\">a\r\n  b</i>");
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_FRENCH);
  EXPECT_STREQ(L"one", Get(L"String1"));
  EXPECT_STREQ(L"Tasks", Get(L"String17VT"));
  EXPECT_STREQ(L"first", Get(L"String2"));
  EXPECT_STREQ(L"a\r\n  b", Get(L"Multi"));
  EXPECT_STREQ(L"", Get(L"String17"));
  EXPECT_STREQ(L"", Get(L"string17vt"));  // case-sensitive
}

TEST_F(StringTableTest, LongTextsAreCutAndUnclosedEntriesRunToTheEnd) {
  std::wstring longText(300, L'a');
  longText[254] = L'b';
  WriteStrings(folder_, L"def", L"<i n=\"Long\">" + longText + L"</i><i n=\"Open\">rest of file");
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_FRENCH);
  std::wstring got = Get(L"Long");
  ASSERT_EQ(255u, got.size());
  EXPECT_EQ(L'b', got[254]);
  EXPECT_STREQ(L"rest of file\r\n</strings>\r\n", Get(L"Open"));
  EXPECT_STREQ(L"rest", GetLocalisedString(&table_, L"Open", 4));
}

TEST_F(StringTableTest, LookupsShareOneBuffer) {
  WriteStrings(folder_, L"def", L"<i n=\"A\">alpha</i><i n=\"B\">beta</i>");
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_FRENCH);
  LPCWSTR a = Get(L"A");
  LPCWSTR b = Get(L"B");
  EXPECT_EQ(a, b);
  EXPECT_STREQ(L"beta", a);
}

TEST_F(StringTableTest, OddAndEmptyFilesAreSafe) {
  CreateDirectoryW((folder_ + L"\\strings").c_str(), NULL);
  const char odd[] = {'<', 0, 'i', 0, 'x'};  // half a character at the end
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\strings\\strings.def.xml", odd, sizeof(odd)));
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_FRENCH);
  ASSERT_NE(nullptr, table_.text);
  EXPECT_STREQ(L"<i", table_.text);
  EXPECT_STREQ(L"", Get(L"A"));
  ASSERT_TRUE(WriteFileBytes(folder_ + L"\\strings\\strings.def.xml", "", 0));
  LoadStringTableForLanguage(&table_, base_.c_str(), LANG_FRENCH);
  EXPECT_STREQ(L"", Get(L"A"));
}

}  // namespace
