#include "debuglog.h"
#include "device_profile.h"
#include "testsupport.h"
#include <map>

namespace {

class DebugLogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveFile(L"C:\\VT.txt");
    g_DebugEnabled = 1;
  }
  void TearDown() override {
    g_DebugEnabled = 0;
    RemoveFile(L"C:\\VT.txt");
  }
};

TEST_F(DebugLogTest, ChannelsPickTheirFiles) {
  EXPECT_STREQ(L"\\VT.mon.txt", DebugLogFileName(LOG_MONITOR));
  EXPECT_STREQ(L"\\VT.gui.txt", DebugLogFileName(LOG_GUI));
  EXPECT_STREQ(L"\\VT.gl.txt", DebugLogFileName(LOG_GAUGELET));
  EXPECT_STREQ(L"\\VT.ql.txt", DebugLogFileName(LOG_QUITLET));
  EXPECT_STREQ(L"\\VT.benchmark.txt", DebugLogFileName(LOG_BENCHMARK));
  for (int other : {-1, 5, 99, INT_MIN}) EXPECT_STREQ(L"\\VT.txt", DebugLogFileName(other)) << other;
}

TEST_F(DebugLogTest, SwitchedOffWritesNothing) {
  g_DebugEnabled = 0;
  WriteDebugLog(77, L"must not appear %d", 1);
  EXPECT_FALSE(FileExists(L"C:\\VT.txt"));
}

TEST_F(DebugLogTest, LinesAppendInOrderAndNeverTruncate) {
  ASSERT_TRUE(WriteFileBytes(L"C:\\VT.txt", "earlier\r\n", 9));
  WriteDebugLog(77, L"+SaveSettings call.");
  WriteDebugLog(77, L"Screen size=%dx%d.", 480, 640);
  WriteDebugLog(77, L"Taskbar 0x%X height = %d", 0xABCDu, 52);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(L"C:\\VT.txt", &bytes));
  EXPECT_EQ("earlier\r\n+SaveSettings call.\r\nScreen size=480x640.\r\nTaskbar 0xABCD height = 52\r\n", bytes);
}

// Threads of one program (a close worker per window) and another program write the same file at once:
// every line lands whole, once, each writer's in its own order.
TEST_F(DebugLogTest, WritersAtOnceLoseNoLine) {
  const int kLines = 300, kThreads = 3;
  Program other;
  ASSERT_TRUE(other.Start(HelperProgram(L"devicehelper.exe"), L"log " + std::to_wstring(kLines)));
  std::vector<HANDLE> threads;
  for (INT_PTR t = 0; t < kThreads; t++)
    threads.push_back(CreateThread(NULL, 0, [](LPVOID param) -> DWORD {
      for (int i = 0; i < kLines; i++) WriteDebugLog(77, L"thread %d line %d", (int)(INT_PTR)param, i);
      return 0;
    }, (LPVOID)t, 0, NULL));
  WaitForMultipleObjects((DWORD)threads.size(), threads.data(), TRUE, 60000);
  for (HANDLE thread : threads) CloseHandle(thread);
  ASSERT_EQ(0u, other.Wait(60000));

  std::map<std::wstring, int> next;  // writer -> the number its next line must carry
  int total = 0, misplaced = 0;
  for (const std::wstring &line : ReadLogLines(L"C:\\VT.txt")) {
    size_t mark = line.rfind(L" line ");
    ASSERT_NE(std::wstring::npos, mark) << line;
    if (_wtoi(line.c_str() + mark + 6) != next[line.substr(0, mark)]++) misplaced++;
    total++;
  }
  EXPECT_EQ((kThreads + 1) * kLines, total);
  EXPECT_EQ(0, misplaced);
  EXPECT_EQ(kThreads + 1u, next.size());
}

TEST_F(DebugLogTest, WideStringArgumentsAndUtf8) {
  WriteDebugLog(77, L"Platform: [%s].", L"POCKET PC");
  WriteDebugLog(77, L"[%s] %.3f", L"Gr\x00FC\x00DF" L"e \x20AC", 1.5);
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(L"C:\\VT.txt", &bytes));
  EXPECT_EQ("Platform: [POCKET PC].\r\n[Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC] 1.500\r\n", bytes);
}

TEST_F(DebugLogTest, LongMessageIsCutTo16383Characters) {
  std::wstring text(20000, L'x');
  text[16382] = L'y';
  text[16383] = L'z';
  WriteDebugLog(77, L"%s", text.c_str());
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(L"C:\\VT.txt", &bytes));
  ASSERT_EQ(16383u + 2, bytes.size());
  EXPECT_EQ('y', bytes[16382]);
  EXPECT_EQ("\r\n", bytes.substr(16383));
}

TEST_F(DebugLogTest, UnwritableFileDropsTheLine) {
  // Another writer holds the file exclusively: the line has nowhere to go, the caller carries on.
  HANDLE held = CreateFileW(L"C:\\VT.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  WriteDebugLog(77, L"dropped");
  CloseHandle(held);
  WriteDebugLog(77, L"kept");
  std::string bytes;
  ASSERT_TRUE(ReadFileBytes(L"C:\\VT.txt", &bytes));
  EXPECT_EQ("kept\r\n", bytes);

  // A folder in the file's place.
  RemoveFile(L"C:\\VT.txt");
  ASSERT_TRUE(CreateDirectoryW(L"C:\\VT.txt", NULL));
  WriteDebugLog(77, L"dropped too");
  EXPECT_TRUE(RemoveDirectoryW(L"C:\\VT.txt"));
}

TEST_F(DebugLogTest, SwitchIsReadWithTypedRules) {
  ProductKeyGuard guard({L"EnableDebug"});
  DeleteProductValue(L"EnableDebug");
  ReadDebugSwitch();
  EXPECT_EQ(0, g_DebugEnabled);
  SetProductDword(L"EnableDebug", 1);
  ReadDebugSwitch();
  EXPECT_NE(0, g_DebugEnabled);
  SetProductDword(L"EnableDebug", 0);
  ReadDebugSwitch();
  EXPECT_EQ(0, g_DebugEnabled);
  // A longer string does not fit four bytes: logging stays off.
  SetProductString(L"EnableDebug", L"1234");
  ReadDebugSwitch();
  EXPECT_EQ(0, g_DebugEnabled);
  // A string of four bytes ("1" and its terminator) lands in the flag all the same.
  SetProductString(L"EnableDebug", L"1");
  ReadDebugSwitch();
  EXPECT_NE(0, g_DebugEnabled);
}

TEST_F(DebugLogTest, DeviceInfoHeaderIsOneBlock) {
  WriteDeviceInfoHeader(77);
  std::vector<std::wstring> lines = ReadLogLines(L"C:\\VT.txt");
  ASSERT_EQ(1u, lines.size());  // line feeds inside the one message, one CRLF at its end
  std::wstring block = lines[0];
  // The device's name is the OEM string of the profile it was made from.
  WCHAR oem[255] = {};
  DWORD size = sizeof(oem);
  ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_OEM, RRF_RT_REG_SZ,
                                        NULL, oem, &size));
  EXPECT_EQ(0u, block.find(std::wstring(L"-----------------\nDevice name [") + oem + L"]\nOS version ")) << block;
  std::wstring screen = L"\nScreen size: " + std::to_wstring(ScreenWidth()) + L"x" +
                        std::to_wstring(ScreenHeight()) + L"\n-----------------";
  EXPECT_NE(std::wstring::npos, block.find(screen)) << block;
}

}  // namespace
