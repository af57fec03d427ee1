// The handheld's object store: its size from the device profile, its use the files of the device's own
// folders, kept up to date from the device's change notices.
#include "wm_shell.h"
#include "wm.h"
#include "device_profile.h"
#include <strsafe.h>

namespace {

// The emulator's own system files, where a handheld has its ROM: not in the store.
const LPCWSTR kRomFolders[] = {L"windows\\system32", L"windows\\syswow64", L"windows\\winsxs",
                               L"windows\\globalization", L"windows\\resources", L"windows\\twain_32",
                               L"windows\\twain_64", L"windows\\Microsoft.NET"};

// The store keeps every folder it walked with the bytes of its own files, and one change notice over
// the root's whole tree that names what changed. A change lists again only the folder that holds the
// named file or folder; a folder met there for the first time is walked whole. A paint then costs one
// look at the notice, whatever the number of folders. The device's shell watches the whole tree from
// boot to switch-off, which keeps every folder of it watched for this notice too (see hhshell.cpp).
// Notices that overflowed, or name a folder that exists but is not known, make the store walk the whole
// tree again; more folders than it can keep make it walk at every call, as a last resort.
const int kMaxStoreFolders = 16384;
const int kStorePathChars = 1024 * 1024;
const int kStoreSlots = 2 * kMaxStoreFolders;  // hash slots for the folders' relative paths
const DWORD kNoticeBytes = 64 * 1024;
const int kMaxCards = 16;
const DWORD kStoreFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;

struct StoreFolder {
  int path;         // offset into the path pool: the whole path ("C:\a\b")
  int parent;       // -1 for the root
  ULONGLONG bytes;  // its own files
  bool gone;
  bool dirty;       // named by a notice, listed again at the next call
  int seen;         // the listing of its parent that last found it
};

struct StoreUse {
  WCHAR root[MAX_PATH];
  int rootLength;
  HANDLE tree;  // the root, opened for its notices
  OVERLAPPED pending;
  BYTE *notices;
  bool listening;
  StoreFolder *folders;
  int folderCount;
  WCHAR *paths;
  int pathChars;
  int *slots;  // folder index + 1, 0 for none
  WCHAR cards[kMaxCards][MAX_PATH];
  int cardCount;
  bool known;  // every folder is kept and the notice listens
  bool full;   // a folder or path did not fit: walk whole again
  int listing;
  ULONGLONG used;
};
SRWLOCK g_StoreLock = SRWLOCK_INIT;
StoreUse g_Store;

const WCHAR *RelativePath(int folder) {
  const WCHAR *path = g_Store.paths + g_Store.folders[folder].path;
  return folder == 0 ? path + g_Store.rootLength : path + g_Store.rootLength + 1;
}

// Names of one folder differ in case at most; a name that hashes apart anyway is only not found.
unsigned HashPath(const WCHAR *path, int length) {
  unsigned hash = 2166136261u;
  for (int i = 0; i < length; i++) {
    WCHAR c = path[i];
    if (c >= L'a' && c <= L'z') c = (WCHAR)(c - L'a' + L'A');
    hash = (hash ^ c) * 16777619u;
  }
  return hash;
}

bool SamePath(const WCHAR *a, int aLength, const WCHAR *b, int bLength) {
  return CompareStringOrdinal(a, aLength, b, bLength, TRUE) == CSTR_EQUAL;
}

// The kept folder of a path below the root ("" for the root), or -1.
int FindFolder(const WCHAR *relative, int length) {
  unsigned slot = HashPath(relative, length) % kStoreSlots;
  for (int probe = 0; probe < kStoreSlots; probe++, slot = (slot + 1) % kStoreSlots) {
    int index = g_Store.slots[slot] - 1;
    if (index < 0) return -1;
    if (!g_Store.folders[index].gone) {
      const WCHAR *known = RelativePath(index);
      if (SamePath(known, lstrlenW(known), relative, length)) return index;
    }
  }
  return -1;
}

int AddFolder(const WCHAR *path, int parent) {
  size_t length = 0;
  if (g_Store.folderCount >= kMaxStoreFolders || FAILED(StringCchLengthW(path, MAX_PATH, &length)) ||
      g_Store.pathChars + (int)length + 1 > kStorePathChars) {
    g_Store.full = true;
    return -1;
  }
  int index = g_Store.folderCount++;
  StoreFolder *folder = &g_Store.folders[index];
  folder->path = g_Store.pathChars;
  folder->parent = parent;
  folder->bytes = 0;
  folder->gone = folder->dirty = false;
  folder->seen = g_Store.listing;
  CopyMemory(g_Store.paths + g_Store.pathChars, path, (length + 1) * sizeof(WCHAR));
  g_Store.pathChars += (int)length + 1;
  const WCHAR *relative = RelativePath(index);
  unsigned slot = HashPath(relative, lstrlenW(relative)) % kStoreSlots;
  while (g_Store.slots[slot]) slot = (slot + 1) % kStoreSlots;
  g_Store.slots[slot] = index + 1;
  return index;
}

// A folder removed or renamed: it and every folder below it no longer count.
void DropFolder(int index) {
  g_Store.folders[index].gone = true;
  g_Store.used -= g_Store.folders[index].bytes;
  for (int i = index + 1; i < g_Store.folderCount; i++)
    if (!g_Store.folders[i].gone && g_Store.folders[i].parent == index) DropFolder(i);
}

// TRUE for a folder the store leaves out (relative to the root): a card or a ROM folder, or below one.
bool LeftOut(const WCHAR *relative, int length) {
  for (int i = 0; i < g_Store.cardCount; i++) {
    int card = lstrlenW(g_Store.cards[i]);
    if (length >= card && SamePath(relative, card, g_Store.cards[i], card) && (length == card || relative[card] == L'\\'))
      return true;
  }
  for (size_t i = 0; i < ARRAYSIZE(kRomFolders); i++) {
    int rom = lstrlenW(kRomFolders[i]);
    if (length >= rom && SamePath(relative, rom, kRomFolders[i], rom) && (length == rom || relative[rom] == L'\\'))
      return true;
  }
  return false;
}

// TRUE for a folder the walk does not go through whole: the root (cards) and the ROM folders' parents.
bool HoldsLeftOutFolders(const WCHAR *relative) {
  int length = lstrlenW(relative);
  if (!length) return true;
  for (size_t i = 0; i < ARRAYSIZE(kRomFolders); i++)
    if (!_wcsnicmp(kRomFolders[i], relative, length) && kRomFolders[i][length] == L'\\') return true;
  return false;
}

// The desktop keeps what it knows of a watched tree's folders by their file ids, under the name each
// had when it first met it: a folder renamed since is reported under its old name, and a folder made
// where one was renamed and removed can take over that one's id, and with it its dead watch. A watch
// of the folder's own, closed at once, makes the desktop drop what it held for the id; the listing that
// opens the folder right after watches it anew under its name. Done for every folder met for the first
// time, so its subfolders are shown afresh in turn; not for a folder with parts the store leaves out:
// those would stay dropped.
void ShowFolderAfresh(const WCHAR *folder) {
  HANDLE notice = FindFirstChangeNotificationW(folder, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
  if (notice != INVALID_HANDLE_VALUE) FindCloseChangeNotification(notice);
}

// Lists a kept folder again: the bytes of its own files, its subfolders that are gone dropped, and those
// met for the first time walked whole. A folder just added has no kept subfolders to look for.
void ListFolder(int index, bool fresh) {
  StoreFolder *folder = &g_Store.folders[index];
  folder->dirty = false;
  WCHAR path[MAX_PATH], pattern[MAX_PATH];
  StringCchCopyW(path, MAX_PATH, g_Store.paths + folder->path);
  int listing = ++g_Store.listing;
  ULONGLONG bytes = 0;
  if (SUCCEEDED(StringCchPrintfW(pattern, MAX_PATH, L"%s\\*", path))) {
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW(pattern, &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!lstrcmpW(fd.cFileName, L".") || !lstrcmpW(fd.cFileName, L"..")) continue;
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          bytes += ((ULONGLONG)fd.nFileSizeHigh << 32) | fd.nFileSizeLow;
          continue;
        }
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        WCHAR below[MAX_PATH];
        if (FAILED(StringCchPrintfW(below, MAX_PATH, L"%s\\%s", path, fd.cFileName))) continue;
        const WCHAR *relative = below + g_Store.rootLength + 1;
        int length = lstrlenW(relative);
        if (LeftOut(relative, length)) continue;
        int child = fresh ? -1 : FindFolder(relative, length);
        if (child >= 0) {
          g_Store.folders[child].seen = listing;
          continue;
        }
        if (!HoldsLeftOutFolders(relative)) ShowFolderAfresh(below);
        child = AddFolder(below, index);
        if (child < 0) break;
        g_Store.folders[child].seen = listing;
        ListFolder(child, true);
      } while (FindNextFileW(find, &fd));
      FindClose(find);
    }
  }
  folder = &g_Store.folders[index];
  g_Store.used += bytes - folder->bytes;
  folder->bytes = bytes;
  for (int i = index + 1; !fresh && i < g_Store.folderCount; i++)
    if (!g_Store.folders[i].gone && g_Store.folders[i].parent == index && g_Store.folders[i].seen != listing)
      DropFolder(i);
}

// Asks for the next notices; FALSE when the tree cannot be watched.
bool Listen(void) {
  ResetEvent(g_Store.pending.hEvent);
  g_Store.listening = ReadDirectoryChangesW(g_Store.tree, g_Store.notices, kNoticeBytes, TRUE, kStoreFilter, NULL,
                                            &g_Store.pending, NULL) != FALSE;
  return g_Store.listening;
}

// Everything again: the tree walked from the root.
void WalkWhole(void) {
  g_Store.folderCount = 0;
  g_Store.pathChars = 0;
  g_Store.used = 0;
  g_Store.full = false;
  ZeroMemory(g_Store.slots, kStoreSlots * sizeof(int));
  g_Store.cardCount = 0;
  WIN32_FIND_DATAW card;
  HANDLE find = FindFirstFlashCard(&card);
  if (find != INVALID_HANDLE_VALUE) {
    do StringCchCopyW(g_Store.cards[g_Store.cardCount++], MAX_PATH, card.cFileName);
    while (g_Store.cardCount < kMaxCards && FindNextFlashCard(find, &card));
    FindClose(find);
  }
  if (AddFolder(g_Store.root, -1) == 0) ListFolder(0, true);
}

// The notices since the last call: the folders they name listed again. FALSE when they cannot tell
// (lost, or naming a folder that exists but is not kept): the tree must be walked whole.
bool FollowNotices(void) {
  DWORD bytes = 0;
  g_Store.listening = false;
  bool told = GetOverlappedResult(g_Store.tree, &g_Store.pending, &bytes, FALSE) && bytes;
  // Armed again before the folders are listed, so that a change made meanwhile is heard next time.
  static BYTE taken[kNoticeBytes];
  if (told) CopyMemory(taken, g_Store.notices, bytes);
  Listen();
  if (!told) return false;
  const int kMaxUnknown = 64;
  int unknownAt[kMaxUnknown], unknownLength[kMaxUnknown], unknownCount = 0;
  for (DWORD at = 0;;) {
    const FILE_NOTIFY_INFORMATION *notice = (const FILE_NOTIFY_INFORMATION *)(taken + at);
    const WCHAR *name = notice->FileName;
    int length = (int)(notice->FileNameLength / sizeof(WCHAR)), holder = length;
    while (holder > 0 && name[holder - 1] != L'\\') holder--;
    holder = holder > 0 ? holder - 1 : 0;  // the folder that holds the name
    if (!LeftOut(name, holder)) {
      int folder = FindFolder(name, holder);
      if (folder >= 0) {
        g_Store.folders[folder].dirty = true;
      } else if (unknownCount < kMaxUnknown) {
        unknownAt[unknownCount] = (int)((const BYTE *)name - taken) / (int)sizeof(WCHAR);
        unknownLength[unknownCount++] = holder;
      } else {
        return false;
      }
    }
    if (!notice->NextEntryOffset || at + notice->NextEntryOffset >= bytes) break;
    at += notice->NextEntryOffset;
  }
  for (int i = 0; i < g_Store.folderCount && !g_Store.full; i++)
    if (g_Store.folders[i].dirty && !g_Store.folders[i].gone) ListFolder(i, false);
  // A folder not kept is one made and walked just now, one removed since (its parent's listing
  // dropped it), or one the notice names otherwise than the walk: then only a whole walk can tell.
  for (int i = 0; i < unknownCount; i++) {
    const WCHAR *name = (const WCHAR *)taken + unknownAt[i];
    if (FindFolder(name, unknownLength[i]) >= 0) continue;
    WCHAR path[MAX_PATH];
    if (FAILED(StringCchPrintfW(path, MAX_PATH, L"%s\\%.*s", g_Store.root, unknownLength[i], name))) return false;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
  }
  return !g_Store.full;
}

// With the lock held.
ULONGLONG StoreBytesUsed(const WCHAR *root) {
  if (!g_Store.folders) {
    g_Store.folders = (StoreFolder *)HeapAlloc(GetProcessHeap(), 0, kMaxStoreFolders * sizeof(StoreFolder));
    g_Store.paths = (WCHAR *)HeapAlloc(GetProcessHeap(), 0, kStorePathChars * sizeof(WCHAR));
    g_Store.slots = (int *)HeapAlloc(GetProcessHeap(), 0, kStoreSlots * sizeof(int));
    g_Store.notices = (BYTE *)HeapAlloc(GetProcessHeap(), 0, kNoticeBytes);
    g_Store.pending.hEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    g_Store.tree = INVALID_HANDLE_VALUE;
    if (!g_Store.folders || !g_Store.paths || !g_Store.slots || !g_Store.notices || !g_Store.pending.hEvent) return 0;
  }
  if (lstrcmpiW(g_Store.root, root)) {
    if (g_Store.tree != INVALID_HANDLE_VALUE) {
      CancelIo(g_Store.tree);
      CloseHandle(g_Store.tree);
    }
    StringCchCopyW(g_Store.root, MAX_PATH, root);
    g_Store.rootLength = lstrlenW(root);
    // "C:" alone would name the drive's current folder.
    WCHAR folder[MAX_PATH];
    StringCchPrintfW(folder, MAX_PATH, L"%s\\", root);
    g_Store.tree = CreateFileW(folder, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, NULL);
    g_Store.listening = false;
    g_Store.known = false;
  }
  // Notices already made but not yet handed over come with the next listen: taken until none is left
  // (a few rounds; a device busier than that is walked whole).
  bool followed = g_Store.known;
  for (int round = 0; followed && g_Store.listening && WaitForSingleObject(g_Store.pending.hEvent, 0) != WAIT_TIMEOUT;
       round++)
    followed = round < 8 && FollowNotices();
  if (followed && g_Store.listening) return g_Store.used;
  // Listening before the walk, so that a change made while it runs is heard at the next call.
  if (!g_Store.listening && g_Store.tree != INVALID_HANDLE_VALUE) Listen();
  WalkWhole();
  g_Store.known = g_Store.listening && !g_Store.full;
  // A store too big to keep is walked at every call: its notices would only pile up unread.
  if (g_Store.full && g_Store.tree != INVALID_HANDLE_VALUE) {
    CancelIo(g_Store.tree);
    CloseHandle(g_Store.tree);
    g_Store.tree = INVALID_HANDLE_VALUE;
    g_Store.listening = false;
  }
  return g_Store.used;
}

}  // namespace

BOOL GetStoreInformation(LPSTORE_INFORMATION info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DWORD storeMb = 0;
  if (!ReadDeviceProfileDword(DEVICE_PROFILE_STORE, &storeMb) || storeMb == 0 || storeMb > 4095) storeMb = 64;
  WCHAR root[MAX_PATH];
  if (!WmDevicePath(L"\\", root, MAX_PATH)) return FALSE;
  int rootLength = lstrlenW(root);
  if (rootLength && root[rootLength - 1] == L'\\') root[--rootLength] = 0;
  AcquireSRWLockExclusive(&g_StoreLock);
  ULONGLONG used = StoreBytesUsed(root);
  ReleaseSRWLockExclusive(&g_StoreLock);
  ULONGLONG size = (ULONGLONG)storeMb << 20;
  info->dwStoreSize = (DWORD)size;
  info->dwFreeSize = used < size ? (DWORD)(size - used) : 0;
  return TRUE;
}
