// The device as the suite sees it: its own shell is a system process, the emulator's processes are
// not there at all, and memory and store figures are the device's, from the profile it runs on.
#include <windows.h>
#include <tlhelp32.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>
#include "database.h"
#include "device_profile.h"
#include "processfigures.h"
#include "tasklist.h"
#include "wm_process.h"
#include "wm_shell.h"
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
  // The one-call listing gives the same programs, this one with its own id and threads.
  static WmProcessEntry listed[512];
  int count = WmListProcesses(listed, ARRAYSIZE(listed));
  std::vector<std::wstring> names;
  bool listedSelf = false;
  for (int i = 0; i < count; i++) {
    std::wstring name = listed[i].exeName;
    std::transform(name.begin(), name.end(), name.begin(), ::towlower);
    names.push_back(name);
    if (listed[i].processId != GetCurrentProcessId()) continue;
    listedSelf = name == own;
    EXPECT_GE(listed[i].threadCount, 1u);
    // The start time is the process's own creation time, which with its id names it for its life.
    FILETIME created, exited, kernel, user;
    ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user));
    EXPECT_EQ(((ULONGLONG)created.dwHighDateTime << 32) | created.dwLowDateTime, listed[i].startTime);
  }
  EXPECT_TRUE(listedSelf);
  std::sort(names.begin(), names.end());
  std::sort(device.begin(), device.end());
  EXPECT_EQ(device, names);
  // A full table stops at its capacity; no table is no listing.
  EXPECT_EQ(2, WmListProcesses(listed, 2));
  EXPECT_EQ(-1, WmListProcesses(NULL, 5));

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

double UsedMb() {
  MEMORYSTATUS status = {};
  WmGlobalMemoryStatus(&status);
  return (double)(status.dwTotalPhys - status.dwAvailPhys) / 1048576.0;
}

DWORD ProfileMb(const wchar_t *name, DWORD unset) {
  DWORD value = 0, size = sizeof(value);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, DEVICE_PROFILE_KEY, name, RRF_RT_REG_DWORD, NULL, &value, &size)) return unset;
  return value;
}

ULONGLONG StoreUsedBytes() {
  STORE_INFORMATION store = {};
  EXPECT_TRUE(GetStoreInformation(&store));
  return store.dwStoreSize - store.dwFreeSize;
}

double StoreUsedMb() {
  STORE_INFORMATION store = {};
  EXPECT_TRUE(GetStoreInformation(&store));
  return (double)(store.dwStoreSize - store.dwFreeSize) / 1048576.0;
}

TEST(DeviceMemory, FiguresAreTheDevicesAndFollowItsPrograms) {
  std::wstring old = L"C:\\vt-" + std::to_wstring(GetCurrentProcessId()) + L"-old.bin";
  ASSERT_TRUE(WriteFileBytes(old, std::string(100, 'o').data(), 100));
  // A file three folders down that another program's look at the store met before it ended.
  std::wstring deepTop = L"C:\\vt-" + std::to_wstring(GetCurrentProcessId()) + L"-deep";
  std::wstring deepFolder = deepTop + L"\\a\\b", deep = deepFolder + L"\\deep.bin";
  ASSERT_TRUE(CreateDirectoryW(deepTop.c_str(), NULL) && CreateDirectoryW((deepTop + L"\\a").c_str(), NULL) &&
              CreateDirectoryW(deepFolder.c_str(), NULL));
  ASSERT_TRUE(WriteFileBytes(deep, std::string(100, 'd').data(), 100));
  Program looker;
  ASSERT_TRUE(looker.Start(HelperProgram(L"devicehelper.exe"), L"store"));
  ASSERT_EQ(0u, looker.Wait(20000));
  StoreUsedBytes();
  // Program memory: the profile's RAM, a system share and what the device's programs take.
  MEMORYSTATUS status = {};
  WmGlobalMemoryStatus(&status);
  EXPECT_EQ((SIZE_T)ProfileMb(DEVICE_PROFILE_RAM, 128) << 20, status.dwTotalPhys);
  EXPECT_EQ(sizeof(status), status.dwLength);
  double before = UsedMb();
  EXPECT_GE(before, WM_SYSTEM_MEMORY_SHARE / 1048576.0);
  EXPECT_LT(before, status.dwTotalPhys / 1048576.0) << "a device running only the suite is not full";
  EXPECT_NEAR(before, GetUsedProgramMemory(), 2.0);  // the memory page's figure

  // A program that takes 20 MB raises it by about 20 MB; ending it gives them back.
  Program helper;
  ASSERT_TRUE(helper.Start(HelperProgram(L"taskhelper.exe"), L"nowindow alloc 20 ready vt-memory-20"));
  HANDLE ready = CreateEventW(NULL, TRUE, FALSE, L"vt-memory-20");
  ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(ready, 10000));
  CloseHandle(ready);
  double with = UsedMb();
  EXPECT_NEAR(with - before, 20.0, 3.0) << before << " -> " << with;
  helper.Kill();
  EXPECT_TRUE(WaitUntil([&] { return UsedMb() < with - 15.0; }));
  EXPECT_NEAR(UsedMb(), before, 3.0);

  // The store: the profile's size; the files of the device's own folders, not its cards'.
  STORE_INFORMATION store = {};
  ASSERT_TRUE(GetStoreInformation(&store));
  EXPECT_EQ(ProfileMb(DEVICE_PROFILE_STORE, 64) << 20, store.dwStoreSize);
  double stored = StoreUsedMb();
  std::printf("device: %.1f of %u MB memory, %.1f of %u MB store in use\n", before,
              (unsigned)(status.dwTotalPhys >> 20), stored, (unsigned)(store.dwStoreSize >> 20));
  EXPECT_GT(stored, 0.0);
  EXPECT_NEAR(stored, GetUsedStorageMemory(), 0.01);
  std::string block(3u << 20, 'x');
  std::wstring file = MakeTempFolder(L"store") + L"\\three.bin";
  ASSERT_TRUE(WriteFileBytes(file, block.data(), block.size()));
  EXPECT_NEAR(StoreUsedMb() - stored, 3.0, 0.01);
  RemoveFile(file);
  EXPECT_NEAR(StoreUsedMb(), stored, 0.01);
  // A file of the root written in place, well after the store first looked at the root (the file
  // was made before the memory figures above): the figure follows it.
  ULONGLONG withOld = StoreUsedBytes();
  HANDLE open = CreateFileW(old.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, open);
  LARGE_INTEGER end = {};
  end.QuadPart = (1 << 20) + 17;
  EXPECT_TRUE(SetFilePointerEx(open, end, NULL, FILE_BEGIN) && SetEndOfFile(open));
  CloseHandle(open);
  // (Within the 10 KB that the device's own programs may write meanwhile, as above.)
  EXPECT_NEAR((double)(withOld + end.QuadPart - 100), (double)StoreUsedBytes(), 10240.0);
  // The same for the file three folders down.
  ULONGLONG withDeep = StoreUsedBytes();
  open = CreateFileW(deep.c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, open);
  EXPECT_TRUE(SetFilePointerEx(open, end, NULL, FILE_BEGIN) && SetEndOfFile(open));
  CloseHandle(open);
  EXPECT_NEAR((double)(withDeep + end.QuadPart - 100), (double)StoreUsedBytes(), 10240.0);
  RemoveFile(deep);
  // Folders renamed and removed, then new ones made (the device may give a new folder a removed
  // one's file id): the files of the new folders, written in place, count as well.
  // Each renamed only once the device has reported it made.
  const int kFolders = 30;
  HANDLE tree = CreateFileW(L"C:\\", FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, NULL);
  ASSERT_NE(INVALID_HANDLE_VALUE, tree);
  alignas(DWORD) BYTE records[8192];
  OVERLAPPED overlapped = {};
  overlapped.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
  auto listen = [&] {
    ResetEvent(overlapped.hEvent);
    return ReadDirectoryChangesW(tree, records, sizeof(records), TRUE, FILE_NOTIFY_CHANGE_DIR_NAME, NULL, &overlapped,
                                 NULL) != FALSE;
  };
  // Listening already when the folder is made.
  auto reported = [&](const std::wstring &name) {
    for (;;) {
      DWORD bytes = 0;
      if (WaitForSingleObject(overlapped.hEvent, 10000) != WAIT_OBJECT_0 ||
          !GetOverlappedResult(tree, &overlapped, &bytes, FALSE))
        return false;
      bool seen = false;
      for (DWORD at = 0; bytes && !seen;) {
        const FILE_NOTIFY_INFORMATION *record = (const FILE_NOTIFY_INFORMATION *)(records + at);
        std::wstring changed(record->FileName, record->FileNameLength / sizeof(WCHAR));
        seen = record->Action == FILE_ACTION_ADDED && changed.size() >= name.size() &&
               !_wcsicmp(changed.c_str() + changed.size() - name.size(), name.c_str());
        if (!record->NextEntryOffset) break;
        at += record->NextEntryOffset;
      }
      if (!listen()) return false;
      if (seen) return true;
    }
  };
  ASSERT_TRUE(listen());
  for (int i = 0; i < kFolders; i++) {
    std::wstring gone = deepFolder + L"\\gone" + std::to_wstring(i), renamed = gone + L"-renamed";
    ASSERT_TRUE(CreateDirectoryW(gone.c_str(), NULL));
    ASSERT_TRUE(reported(L"gone" + std::to_wstring(i)));
    ASSERT_TRUE(MoveFileW(gone.c_str(), renamed.c_str()));
  }
  CancelIo(tree);
  CloseHandle(tree);
  CloseHandle(overlapped.hEvent);
  for (int i = 0; i < kFolders; i++)
    ASSERT_TRUE(RemoveDirectoryW((deepFolder + L"\\gone" + std::to_wstring(i) + L"-renamed").c_str()));
  std::vector<std::wstring> fresh;
  for (int i = 0; i < kFolders; i++) {
    fresh.push_back(deepFolder + L"\\fresh" + std::to_wstring(i));
    ASSERT_TRUE(CreateDirectoryW(fresh.back().c_str(), NULL));
    ASSERT_TRUE(WriteFileBytes(fresh.back() + L"\\f.bin", std::string(100, 'f').data(), 100));
  }
  // Each grown by 64 KB: all of them fit the smallest store of the profiles.
  ULONGLONG withFresh = StoreUsedBytes();
  LARGE_INTEGER grown = {};
  grown.QuadPart = (64 << 10) + 17;
  for (const std::wstring &folder : fresh) {
    open = CreateFileW((folder + L"\\f.bin").c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, open);
    EXPECT_TRUE(SetFilePointerEx(open, grown, NULL, FILE_BEGIN) && SetEndOfFile(open));
    CloseHandle(open);
  }
  EXPECT_NEAR((double)(withFresh + kFolders * (grown.QuadPart - 100)), (double)StoreUsedBytes(), 10240.0);
  for (const std::wstring &folder : fresh) {
    RemoveFile(folder + L"\\f.bin");
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str()));
  }
  EXPECT_TRUE(RemoveDirectoryW(deepFolder.c_str()) && RemoveDirectoryW((deepTop + L"\\a").c_str()) &&
              RemoveDirectoryW(deepTop.c_str()));
  RemoveFile(old);
  EXPECT_NEAR(StoreUsedMb(), stored, 0.01);
  EXPECT_FALSE(GetStoreInformation(NULL));
  // A card's files are the card's (on a device whose profile has one).
  WIN32_FIND_DATAW card;
  HANDLE find = FindFirstFlashCard(&card);
  if (find == INVALID_HANDLE_VALUE) return;
  FindClose(find);
  std::wstring onCard = std::wstring(L"C:\\") + card.cFileName + L"\\vt-store-probe.bin";
  ASSERT_TRUE(WriteFileBytes(onCard, block.data(), block.size()));
  EXPECT_NEAR(StoreUsedMb(), stored, 0.01);
  RemoveFile(onCard);
}

}  // namespace
