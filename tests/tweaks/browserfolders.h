// The browser's shell folders and the device's storage cards, put back as they were when a test ends.
#pragma once
#include "testsupport.h"
#include "regguard.h"
#include "debuglog.h"
#include "device_profile.h"
#include "settings.h"
#include "programstatics.h"
#include <algorithm>

inline const wchar_t kBrowserLog[] = L"C:\\VT.gui.txt";
inline const wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// The device's storage cards: folders of its root, named in the profile's list.
inline void SetCards(std::vector<std::wstring> names) {
  std::wstring list;
  for (const std::wstring &n : names) {
    CreateDirectoryW((L"C:\\" + n).c_str(), NULL);
    list += n + L'\0';
  }
  list += L'\0';
  WriteRegistryValue(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_CARDS, REG_MULTI_SZ, list.data(),
                     (DWORD)list.size() * 2);
}

// Shell folder values and the device's card list, put back as they were when the test ends.
class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitProgramStatics();
    SetProductDword(L"EnableDebug", 1);
    ReadDebugSwitch();
    RemoveFile(kBrowserLog);
  }
  static void SetFolder(const wchar_t *name, const wchar_t *folder) {
    if (!folder) {
      RegValueGuard::Restore({HKEY_CURRENT_USER, kShellFolders, name, false}, RegValueGuard::Value());
      return;
    }
    WriteRegistryValue(HKEY_CURRENT_USER, kShellFolders, name, REG_SZ, folder, (DWORD)(wcslen(folder) + 1) * 2);
  }
  static std::wstring Cache() {
    RegValueGuard::Value v = RegValueGuard::Read({HKEY_CURRENT_USER, kShellFolders, L"Cache", false});
    if (!v.present) return L"<absent>";
    return std::wstring((const wchar_t *)v.data.data());
  }
  static bool LogHas(const std::wstring &line) {
    std::vector<std::wstring> lines = ReadLogLines(kBrowserLog);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  RegValueGuard shellFolders_{{{HKEY_CURRENT_USER, kShellFolders, L"Cache", false},
                               {HKEY_CURRENT_USER, kShellFolders, L"History", false},
                               {HKEY_CURRENT_USER, kShellFolders, L"Cookies", false},
                               {HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, DEVICE_PROFILE_CARDS, false}}};
  ProductKeyGuard guard_{{L"EnableDebug", L"storperfCache", L"storperfIETmpToStorage"}};
};

