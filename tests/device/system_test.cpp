// The device as the suite sees it: its own shell is a system process, the emulator's processes are
// not there at all.
#include <windows.h>
#include <tlhelp32.h>
#include <algorithm>
#include <string>
#include <vector>
#include "database.h"
#include "tasklist.h"
#include "wm_process.h"
#include "testsupport.h"

namespace {

std::vector<std::wstring> ProcessNames(bool throughTheLayer) {
  std::vector<std::wstring> names;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return names;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  BOOL more = throughTheLayer ? WmProcess32First(snapshot, &entry) : Process32FirstW(snapshot, &entry);
  while (more) {
    std::wstring name = entry.szExeFile;
    std::transform(name.begin(), name.end(), name.begin(), ::towlower);
    names.push_back(name);
    more = throughTheLayer ? WmProcess32Next(snapshot, &entry) : Process32NextW(snapshot, &entry);
  }
  CloseHandle(snapshot);
  return names;
}

bool Has(const std::vector<std::wstring> &names, const wchar_t *name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

const wchar_t *const kEmulatorProcesses[] = {L"explorer.exe", L"services.exe", L"winedevice.exe",
                                             L"plugplay.exe", L"rpcss.exe",    L"svchost.exe"};

TEST(DeviceProcesses, TheShellIsASystemProcessAndTheEmulatorsOwnAreNeverListed) {
  // The emulator does run its desktop and services: the host's own list shows them.
  std::vector<std::wstring> host = ProcessNames(false), device = ProcessNames(true);
  ASSERT_TRUE(Has(host, L"explorer.exe"));
  ASSERT_TRUE(Has(host, L"services.exe"));
  for (const wchar_t *name : kEmulatorProcesses) EXPECT_FALSE(Has(device, name)) << name;
  for (const std::wstring &name : device) EXPECT_FALSE(WmIsInfrastructureProcess(name.c_str())) << name;
  // The device's shell runs as \Windows\shell32.exe, and this test among the programs.
  EXPECT_TRUE(Has(device, L"shell32.exe"));
  EXPECT_FALSE(Has(device, L"hhshell.exe"));
  WCHAR self[MAX_PATH];
  GetModuleFileNameW(NULL, self, MAX_PATH);
  std::wstring own = wcsrchr(self, L'\\') + 1;
  std::transform(own.begin(), own.end(), own.begin(), ::towlower);
  EXPECT_TRUE(Has(device, own.c_str()));
  EXPECT_EQ(host.size(), device.size() + std::count_if(host.begin(), host.end(), [](const std::wstring &n) {
                           return WmIsInfrastructureProcess(n.c_str()) != 0;
                         }));

  // The task list the suite shows: the shell is there, as a system process with its path in the
  // device's Windows folder; nothing of the emulator is.
  static TaskList list;
  static TaskDatabase empty;
  ASSERT_EQ(1, BuildTaskListFrom(&list, &empty, 0, 0, 0));
  int shells = 0;
  for (int i = 0; i < list.count; i++) {
    const TaskEntry &row = list.entries[i];
    EXPECT_FALSE(WmIsInfrastructureProcess(row.exeName)) << row.exeName;
    if (lstrcmpiW(row.exeName, L"shell32.exe")) continue;
    shells++;
    EXPECT_EQ(1, row.system);
    EXPECT_EQ(0, lstrcmpiW(row.path, L"C:\\windows\\shell32.exe")) << row.path;
  }
  EXPECT_EQ(1, shells);
  ClearTaskList(&list);
}

}  // namespace
