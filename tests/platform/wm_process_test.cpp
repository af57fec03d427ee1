// The layer's process and thread pieces: exact priority levels, thread times by id, executable paths,
// memory figures and the walk over every top-level window.
#include "testsupport.h"
#include "wm_process.h"
#include "wm_shell.h"
#include <vector>

namespace {

DWORD WINAPI Waiter(LPVOID event) {
  WaitForSingleObject((HANDLE)event, INFINITE);
  return 0;
}

// A thread of this process that waits until the guard goes.
struct WaitingThread {
  HANDLE stop = CreateEventW(NULL, TRUE, FALSE, NULL);
  DWORD id = 0;
  HANDLE handle = CreateThread(NULL, 0, Waiter, stop, 0, &id);
  ~WaitingThread() { End(); }
  void End() {
    if (!handle) return;
    SetEvent(stop);
    WaitForSingleObject(handle, 5000);
    CloseHandle(handle);
    CloseHandle(stop);
    handle = NULL;
  }
};

int RecordsOfEndedThreads() {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\EmulatedHandheld\\ThreadLevels", 0, KEY_READ, &key)) return 0;
  int ended = 0;
  for (DWORD i = 0;; i++) {
    WCHAR name[32];
    DWORD chars = ARRAYSIZE(name);
    if (RegEnumValueW(key, i, name, &chars, NULL, NULL, NULL, NULL) != ERROR_SUCCESS) break;
    HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, wcstoul(name, NULL, 10));
    DWORD code = 0;
    if (!thread || !GetExitCodeThread(thread, &code) || code != STILL_ACTIVE) ended++;
    if (thread) CloseHandle(thread);
  }
  RegCloseKey(key);
  return ended;
}

struct Walk {
  std::vector<HWND> seen;
  HWND destroyOnVisit = NULL, destroyTarget = NULL;
  int stopAfter = 0;
};

BOOL Visit(HWND hwnd, void *context) {
  Walk *walk = (Walk *)context;
  walk->seen.push_back(hwnd);
  if (hwnd == walk->destroyOnVisit) DestroyWindow(walk->destroyTarget);
  return !walk->stopAfter || (int)walk->seen.size() < walk->stopAfter;
}

struct Facts {
  HWND hwnd;
  DWORD processId, threadId;
  std::wstring className;
};

BOOL VisitFacts(HWND hwnd, const WmWindowFacts *facts, void *context) {
  ((std::vector<Facts> *)context)->push_back({hwnd, facts->processId, facts->threadId, facts->className});
  return TRUE;
}

const Facts *FactsOf(const std::vector<Facts> &walk, HWND hwnd) {
  for (const Facts &facts : walk)
    if (facts.hwnd == hwnd) return &facts;
  return NULL;
}

int IndexOf(const Walk &walk, HWND hwnd) {
  for (size_t i = 0; i < walk.seen.size(); i++)
    if (walk.seen[i] == hwnd) return (int)i;
  return -1;
}

HWND MakeWindow(const wchar_t *title, DWORD style, HWND owner = NULL) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"WalkTestWindow";
  RegisterClassW(&wc);
  return CreateWindowExW(0, L"WalkTestWindow", title, style, 0, 0, 50, 50, owner, NULL, wc.hInstance, NULL);
}

}  // namespace

TEST(ThreadLevels, EightLevelsRoundTripWithTheNearestHostPriority) {
  WaitingThread thread;
  ASSERT_TRUE(thread.handle);
  const int host[8] = {THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST, THREAD_PRIORITY_ABOVE_NORMAL,
                       THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_LOWEST,
                       THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_IDLE};
  for (int level : {0, 6, 1, 2, 3, 4, 6, 5, 7, 6}) {
    ASSERT_TRUE(WmSetThreadPriority(thread.id, level));
    EXPECT_EQ(level, WmGetThreadPriority(thread.id));
    EXPECT_EQ(host[level], GetThreadPriority(thread.handle)) << level;
    EXPECT_EQ(host[level], WmHostPriorityOfLevel(level));
  }
  // Changed behind the layer's back, the thread has left level 6.
  ASSERT_TRUE(SetThreadPriority(thread.handle, THREAD_PRIORITY_NORMAL));
  EXPECT_EQ(3, WmGetThreadPriority(thread.id));
  ASSERT_TRUE(SetThreadPriority(thread.handle, THREAD_PRIORITY_ABOVE_NORMAL));
  EXPECT_EQ(2, WmGetThreadPriority(thread.id));

  EXPECT_FALSE(WmSetThreadPriority(thread.id, 8));
  EXPECT_FALSE(WmSetThreadPriority(thread.id, -1));
  EXPECT_EQ(2, WmGetThreadPriority(thread.id));
  EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, WmHostPriorityOfLevel(8));
  thread.End();
}

TEST(ThreadLevels, ThreadsThatEndedLeaveNoLevelBehind) {
  for (int i = 0; i < 10; i++) {
    WaitingThread thread;
    ASSERT_TRUE(WmSetThreadPriority(thread.id, 6));
  }
  WaitingThread last;
  ASSERT_TRUE(WmSetThreadPriority(last.id, 6));
  EXPECT_EQ(0, RecordsOfEndedThreads());
  EXPECT_EQ(6, WmGetThreadPriority(last.id));

  DWORD ended = 0;
  {
    WaitingThread thread;
    ended = thread.id;
  }
  EXPECT_FALSE(WmSetThreadPriority(ended, 3));
  EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, WmGetThreadPriority(ended));
  EXPECT_EQ(THREAD_PRIORITY_ERROR_RETURN, WmGetThreadPriority(0));
}

TEST(ThreadLevels, ThreadTimesByIdAdvanceWithWork) {
  FILETIME creation, exitTime, kernel, user;
  ASSERT_TRUE(WmGetThreadTimes(GetCurrentThreadId(), &creation, &exitTime, &kernel, &user));
  ULONGLONG before = ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime) +
                     ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime);
  DWORD start = GetTickCount();
  volatile unsigned spin = 0;
  while (GetTickCount() - start < 150) spin++;
  ASSERT_TRUE(WmGetThreadTimes(GetCurrentThreadId(), &creation, &exitTime, &kernel, &user));
  ULONGLONG after = ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime) +
                    ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime);
  EXPECT_GE(after - before, 100000u);  // at least 10 ms of the 150 ms of work
  EXPECT_FALSE(WmGetThreadTimes(0, &creation, &exitTime, &kernel, &user));
}

TEST(ProcessAccess, PermissionsRoundTripAndPathsAreWhole) {
  DWORD old = SetProcPermissions(0xFFFFFFFF);
  EXPECT_EQ(0xFFFFFFFFu, GetCurrentPermissions());
  EXPECT_EQ(0xFFFFFFFFu, SetProcPermissions(old));
  EXPECT_EQ(old, GetCurrentPermissions());

  Program helper;
  ASSERT_TRUE(helper.Start(HelperProgram(L"taskhelper.exe"), L"nowindow"));
  WCHAR path[MAX_PATH];
  ASSERT_GT(WmGetModuleFileName(helper.process, path, MAX_PATH), 0u);
  EXPECT_EQ(0, _wcsicmp(HelperProgram(L"taskhelper.exe").c_str(), path));
  WCHAR own[MAX_PATH];
  GetModuleFileNameW(NULL, own, MAX_PATH);
  ASSERT_GT(WmGetModuleFileName(GetCurrentProcess(), path, MAX_PATH), 0u);
  EXPECT_EQ(0, _wcsicmp(own, path));
  // Too small a buffer gives no path rather than a cut one.
  WCHAR small[8] = L"xxxxxxx";
  EXPECT_EQ(0u, WmGetModuleFileName(helper.process, small, ARRAYSIZE(small)));
  EXPECT_STREQ(L"", small);
  EXPECT_EQ(0u, WmGetModuleFileName(NULL, path, MAX_PATH));
  EXPECT_STREQ(L"", path);
}

TEST(ProcessMemoryUse, HeapUseGrowsWithAllocationsAndTheStoreIsTheDevices) {
  SIZE_T before = WmGetProcessHeapUsage(GetCurrentProcessId());
  EXPECT_GT(before, 0u);
  const SIZE_T size = 48u << 20;
  char *block = (char *)HeapAlloc(GetProcessHeap(), 0, size);
  ASSERT_TRUE(block);
  memset(block, 1, size);
  EXPECT_GE(WmGetProcessHeapUsage(GetCurrentProcessId()), before + (40u << 20));
  HeapFree(GetProcessHeap(), 0, block);
  EXPECT_EQ(0u, WmGetProcessHeapUsage(0));

  // The store is the device's, never the host's drive.
  STORE_INFORMATION store = {};
  ASSERT_TRUE(GetStoreInformation(&store));
  EXPECT_GT(store.dwStoreSize, 0u);
  EXPECT_LT(store.dwFreeSize, store.dwStoreSize);
  ULARGE_INTEGER available, total, totalFree;
  ASSERT_TRUE(GetDiskFreeSpaceExW(L"C:\\", &available, &total, &totalFree));
  EXPECT_NE(total.QuadPart, store.dwStoreSize);
}

ULONGLONG StoreUsedBytes() {
  STORE_INFORMATION store = {};
  EXPECT_TRUE(GetStoreInformation(&store));
  return store.dwStoreSize - store.dwFreeSize;
}

TEST(StoreUse, FollowsAFileInANewFolderToTheByteAndLeavesItsFoldersRemovable) {
  ULONGLONG before = StoreUsedBytes();
  ASSERT_EQ(before, StoreUsedBytes());
  // A folder two levels below one the store has seen, made after the store was measured.
  std::wstring outer = MakeTempFolder(L"storeuse");
  std::wstring inner = outer + L"\\inner";
  ASSERT_TRUE(CreateDirectoryW(inner.c_str(), NULL));
  std::string block(12345, 'x');
  std::wstring file = inner + L"\\odd.bin";
  ASSERT_TRUE(WriteFileBytes(file, block.data(), block.size()));
  // The figure follows the folders' write times; how soon is the bench's business.
  EXPECT_TRUE(WaitUntil([&] { return StoreUsedBytes() != before; }, 10000));
  EXPECT_EQ(before + block.size(), StoreUsedBytes());
  // Gone with its folder and the folder above: the store holds no folder of the device open.
  ASSERT_TRUE(DeleteFileW(file.c_str()));
  EXPECT_TRUE(RemoveDirectoryW(inner.c_str())) << GetLastError();
  EXPECT_TRUE(RemoveDirectoryW(outer.c_str())) << GetLastError();
  EXPECT_TRUE(WaitUntil([&] { return StoreUsedBytes() == before; }, 10000));
  EXPECT_EQ(before, StoreUsedBytes());
}

TEST(TopLevelWalk, VisitsEveryTopLevelWindowInZOrder) {
  HWND first = MakeWindow(L"first", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND hidden = MakeWindow(L"hidden", WS_OVERLAPPEDWINDOW);
  HWND owned = MakeWindow(L"owned", WS_POPUP | WS_VISIBLE, first);
  HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, first, NULL, NULL, NULL);
  ASSERT_TRUE(first && hidden && owned && child);
  Program helper;
  ASSERT_TRUE(helper.Start(HelperProgram(L"windowhelper.exe"), L"WalkTestHelper Other"));
  HWND other = WaitForWindow(L"WalkTestHelper", L"Other", 5000);
  ASSERT_TRUE(other);

  Walk walk;
  int visited = WmWalkTopLevelWindows(Visit, &walk);
  EXPECT_EQ((int)walk.seen.size(), visited);
  for (HWND hwnd : {first, hidden, owned, other}) EXPECT_GE(IndexOf(walk, hwnd), 0);
  EXPECT_EQ(-1, IndexOf(walk, child));
  // An owned window lies above its owner; a window brought to the top comes before the others.
  EXPECT_LT(IndexOf(walk, owned), IndexOf(walk, first));
  SetWindowPos(hidden, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  walk = Walk();
  WmWalkTopLevelWindows(Visit, &walk);
  EXPECT_LT(IndexOf(walk, hidden), IndexOf(walk, first));

  // The walk with facts visits the same windows in the same order and names each one's process,
  // thread and class: when first met, when remembered, and for a window made between two walks.
  DWORD helperThread = GetWindowThreadProcessId(other, NULL);
  HWND later = NULL;
  for (int round = 0; round < 3; round++) {
    std::vector<Facts> facts;
    walk = Walk();
    WmWalkTopLevelWindows(Visit, &walk);
    EXPECT_EQ((int)walk.seen.size(), WmWalkTopLevelWindowFacts(VisitFacts, &facts)) << round;
    for (size_t i = 0; i < facts.size() && i < walk.seen.size(); i++) EXPECT_EQ(walk.seen[i], facts[i].hwnd);
    for (HWND own : {first, hidden, owned, later}) {
      const Facts *seen = FactsOf(facts, own);
      if (!own) continue;
      ASSERT_TRUE(seen) << round;
      EXPECT_EQ(GetCurrentProcessId(), seen->processId);
      EXPECT_EQ(GetCurrentThreadId(), seen->threadId);
      EXPECT_EQ(own == later ? L"Static" : L"WalkTestWindow", seen->className);
    }
    const Facts *seen = FactsOf(facts, other);
    ASSERT_TRUE(seen);
    EXPECT_EQ(helper.id, seen->processId);
    EXPECT_EQ(helperThread, seen->threadId);
    EXPECT_EQ(L"WalkTestHelper", seen->className);
    if (round == 1) later = CreateWindowExW(0, L"STATIC", L"later", WS_POPUP, 0, 0, 5, 5, NULL, NULL, NULL, NULL);
  }
  EXPECT_EQ(0, WmWalkTopLevelWindowFacts(NULL, NULL));
  DestroyWindow(later);

  // The window being visited closes: the walk goes on past it.
  walk = Walk();
  walk.destroyOnVisit = hidden;
  walk.destroyTarget = hidden;
  WmWalkTopLevelWindows(Visit, &walk);
  EXPECT_GE(IndexOf(walk, other), 0);
  EXPECT_GE(IndexOf(walk, first), 0);

  // The visitor ends the walk.
  walk = Walk();
  walk.stopAfter = 2;
  EXPECT_EQ(2, WmWalkTopLevelWindows(Visit, &walk));
  EXPECT_EQ(0, WmWalkTopLevelWindows(NULL, NULL));
  DestroyWindow(first);
  DestroyWindow(hidden);
}
