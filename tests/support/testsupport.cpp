#include "testsupport.h"
#include <shlobj.h>
#include <tlhelp32.h>
#include <algorithm>
#include <stdio.h>

namespace {
// A test program that ends abruptly (killed, or a crash the device's debugger reports) keeps every
// line it printed: nothing waits in a buffer.
const int g_Unbuffered = (setvbuf(stdout, NULL, _IONBF, 0), setvbuf(stderr, NULL, _IONBF, 0), 0);
}  // namespace

std::wstring InstallFolder() { return L"C:\\Program Files\\Vantora"; }
std::wstring InstalledProgram(const wchar_t *exe) { return InstallFolder() + L"\\" + exe; }

std::wstring TestBinFolder() {
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(NULL, path, MAX_PATH);
  wchar_t *slash = wcsrchr(path, L'\\');
  if (slash) slash[0] = 0;
  return path;
}

std::wstring HelperProgram(const wchar_t *exe) { return TestBinFolder() + L"\\helpers\\" + exe; }

namespace {

// Removes a folder and what it holds; a link is removed itself, never followed into.
void RemoveTree(const std::wstring &dir) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName, path = dir + L"\\" + name;
      if (name == L"." || name == L"..") continue;
      DWORD attributes = found.dwFileAttributes;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        RemoveTree(path);
      else if (!DeleteFileW(path.c_str()))
        RemoveDirectoryW(path.c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

// The folders the running case made, removed when it ends (and when the process ends).
struct TempFolders {
  std::vector<std::wstring> made;
  void Remove() {
    for (const std::wstring &dir : made) RemoveTree(dir);
    made.clear();
  }
  ~TempFolders() { Remove(); }
};
TempFolders g_TempFolders;

}  // namespace

std::wstring MakeTempFolder(const wchar_t *name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"vt-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
  SHCreateDirectoryExW(NULL, dir.c_str(), NULL);
  if (std::find(g_TempFolders.made.begin(), g_TempFolders.made.end(), dir) == g_TempFolders.made.end())
    g_TempFolders.made.push_back(dir);
  return dir;
}

bool ReadFileBytes(const std::wstring &path, std::string *out) {
  out->clear();
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_EXISTING, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return false;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof(buf), &got, NULL) && got) out->append(buf, got);
  CloseHandle(f);
  return true;
}

bool WriteFileBytes(const std::wstring &path, const void *data, size_t size) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(f, data, (DWORD)size, &written, NULL) && written == size;
  CloseHandle(f);
  return ok;
}

bool FileExists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveFile(const std::wstring &path) {
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(path.c_str());
}

std::vector<std::wstring> ReadLogLines(const std::wstring &path) {
  std::vector<std::wstring> lines;
  std::string bytes;
  if (!ReadFileBytes(path, &bytes)) return lines;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    int n = MultiByteToWideChar(CP_UTF8, 0, line.data(), (int)line.size(), NULL, 0);
    std::wstring wide(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, line.data(), (int)line.size(), &wide[0], n);
    lines.push_back(wide);
    pos = end + 2;
  }
  return lines;
}

ProductKeyGuard::ProductKeyGuard(std::vector<std::wstring> names) {
  HKEY key = NULL;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
  for (const std::wstring &name : names) {
    Saved s{name, false, 0, std::vector<BYTE>(65536)};
    DWORD size = (DWORD)s.data.size();
    s.present = key && RegQueryValueExW(key, name.c_str(), NULL, &s.type, s.data.data(), &size) == ERROR_SUCCESS;
    s.data.resize(s.present ? size : 0);
    saved_.push_back(s);
  }
  if (key) RegCloseKey(key);
}

ProductKeyGuard::~ProductKeyGuard() {
  HKEY key = NULL;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL)) return;
  for (const Saved &s : saved_) {
    if (s.present)
      RegSetValueExW(key, s.name.c_str(), 0, s.type, s.data.data(), (DWORD)s.data.size());
    else
      RegDeleteValueW(key, s.name.c_str());
  }
  RegCloseKey(key);
}

void SetProductDword(const wchar_t *name, DWORD value) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
  RegSetValueExW(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof(value));
  RegCloseKey(key);
}

void SetProductString(const wchar_t *name, const wchar_t *value) {
  HKEY key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL));
  RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)value, (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void DeleteProductValue(const wchar_t *name) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, TEST_PRODUCT_KEY, 0, KEY_ALL_ACCESS, &key)) return;
  RegDeleteValueW(key, name);
  RegCloseKey(key);
}

Program::~Program() { Kill(); }

bool Program::Start(const std::wstring &exe, const std::wstring &args) {
  std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW si = {};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessW(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    DWORD error = GetLastError();
    fprintf(stderr, "starting %ls failed: error %lu, %s\n", exe.c_str(), (unsigned long)error,
                 GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES ? "no such file" : "the file is there");
    SetLastError(error);
    return false;
  }
  CloseHandle(pi.hThread);
  process = pi.hProcess;
  id = pi.dwProcessId;
  return true;
}

DWORD Program::Wait(DWORD ms) {
  if (!process) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  return code;
}

void Program::Kill() {
  if (!process) return;
  if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
  }
  CloseHandle(process);
  process = NULL;
}

void Program::Detach() {
  if (process) CloseHandle(process);
  process = NULL;
}

HWND WaitForWindow(const wchar_t *cls, const wchar_t *title, DWORD ms) {
  HWND hwnd = NULL;
  WaitUntil([&] { return (hwnd = FindWindowW(cls, title)) != NULL; }, ms);
  return hwnd;
}

bool WaitWindowGone(HWND hwnd, DWORD ms) {
  return WaitUntil([&] { return !IsWindow(hwnd); }, ms);
}

HWND WaitForWindowOf(DWORD processId, DWORD ms) {
  struct Search { DWORD pid; HWND found; } search = {processId, NULL};
  WaitUntil([&] {
    EnumWindows([](HWND hwnd, LPARAM param) -> BOOL {
      Search *s = (Search *)param;
      DWORD pid = 0;
      GetWindowThreadProcessId(hwnd, &pid);
      if (pid != s->pid || !IsWindowVisible(hwnd) || GetParent(hwnd)) return TRUE;
      s->found = hwnd;
      return FALSE;
    }, (LPARAM)&search);
    return search.found != NULL;
  }, ms);
  return search.found;
}

int CountLogLines(const std::wstring &path, const std::wstring &prefix) {
  int n = 0;
  for (const std::wstring &l : ReadLogLines(path))
    if (l.compare(0, prefix.size(), prefix) == 0) n++;
  return n;
}

::testing::AssertionResult WaitForLogLine(const std::wstring &path, const std::wstring &prefix, int count, DWORD ms) {
  std::string what = std::to_string(count) + " line(s) beginning " + ::testing::PrintToString(prefix) + " in " +
                     ::testing::PrintToString(path);
  ::testing::AssertionResult r = WaitFor(what, [&] { return CountLogLines(path, prefix) >= count; }, ms);
  if (!r) r << " (there are " << CountLogLines(path, prefix) << ")";
  return r;
}

::testing::AssertionResult WaitForFile(const std::wstring &path, DWORD size, DWORD ms) {
  return WaitFor(::testing::PrintToString(path) + " written", [&] {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER got = {};
    bool whole = GetFileSizeEx(f, &got) && got.QuadPart >= size;
    CloseHandle(f);
    return whole;
  }, ms);
}

int RunningCopies(const wchar_t *exe) {
  int n = 0;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (!_wcsicmp(entry.szExeFile, exe)) n++;
  CloseHandle(snapshot);
  return n;
}

::testing::AssertionResult WaitForCopies(const wchar_t *exe, int copies, DWORD ms) {
  std::string what = std::to_string(copies) + " running copies of " + ::testing::PrintToString(std::wstring(exe));
  ::testing::AssertionResult r = WaitFor(what, [&] { return RunningCopies(exe) == copies; }, ms);
  if (!r) r << " (there are " << RunningCopies(exe) << ")";
  return r;
}

void RepaintNow(HWND hwnd) {
  RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool QueueHandled(HWND hwnd, DWORD ms) {
  DWORD_PTR result;
  return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result) &&
         SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result);
}

bool InputHandled(HWND hwnd, DWORD ms) {
  DWORD_PTR result;
  for (int pass = 0; pass < 8; pass++)
    if (!SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_NORMAL, ms, &result)) return false;
  return true;
}

ScreenShot::ScreenShot() { Take(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)); }

ScreenShot::ScreenShot(const RECT &part) { Take(part.left, part.top, part.right - part.left, part.bottom - part.top); }

void ScreenShot::Take(int x, int y, int w, int h) {
  HDC screen = GetDC(NULL);
  RECT all = {0, 0, GetDeviceCaps(screen, HORZRES), GetDeviceCaps(screen, VERTRES)}, want = {x, y, x + w, y + h};
  IntersectRect(&want, &want, &all);
  x_ = want.left;
  y_ = want.top;
  w_ = want.right - want.left;
  h_ = want.bottom - want.top;
  if (w_ <= 0 || h_ <= 0) {
    w_ = h_ = 0;
    ReleaseDC(NULL, screen);
    return;
  }
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w_;
  bi.bmiHeader.biHeight = -h_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = NULL;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
  HDC mem = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w_, h_, screen, x_, y_, SRCCOPY);
  GdiFlush();
  bits_.assign((DWORD *)bits, (DWORD *)bits + (size_t)w_ * h_);
  SelectObject(mem, old);
  DeleteDC(mem);
  DeleteObject(bmp);
  ReleaseDC(NULL, screen);
}

COLORREF ScreenShot::Pixel(int x, int y) const {
  x -= x_;
  y -= y_;
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return CLR_INVALID;
  DWORD p = bits_[(size_t)y * w_ + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int ScreenShot::Count(const RECT &rc, COLORREF colour) const {
  int n = 0;
  for (int y = rc.top; y < rc.bottom; y++)
    for (int x = rc.left; x < rc.right; x++)
      if (Pixel(x, y) == colour) n++;
  return n;
}

WindowInFront::WindowInFront(const wchar_t *title) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.lpszClassName = L"VTTestWindowInFront";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(0, wc.lpszClassName, title, WS_POPUP | WS_VISIBLE, 0, 100, 100, 100, NULL, NULL,
                          wc.hInstance, NULL);
  SetForegroundWindow(hwnd_);
}

WindowInFront::~WindowInFront() { DestroyWindow(hwnd_); }

bool Changed(const ScreenShot &before, const RECT &part) {
  ScreenShot now(part);
  for (int y = part.top; y < part.bottom; y++)
    for (int x = part.left; x < part.right; x++)
      if (now.Pixel(x, y) != before.Pixel(x, y)) return true;
  return false;
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

namespace {

// A test that starts the main program may have it start a companion program through the shell. One
// left running would hold the test's output open and stand in the way of later tests: every companion
// program that started while this test program ran is closed (by its window, else ended) when it ends.
const wchar_t *const kCompanionPrograms[] = {L"GaugeletApp.exe", L"QuitletApp.exe", L"VTMonitor.exe"};

std::vector<DWORD> RunningCompanions() {
  std::vector<DWORD> ids;
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    for (const wchar_t *name : kCompanionPrograms)
      if (!_wcsicmp(entry.szExeFile, name)) ids.push_back(entry.th32ProcessID);
  CloseHandle(snapshot);
  return ids;
}

bool IsCompanionProcess(HANDLE process) {
  WCHAR path[MAX_PATH];
  DWORD chars = MAX_PATH;
  if (!QueryFullProcessImageNameW(process, 0, path, &chars)) return false;
  const wchar_t *name = wcsrchr(path, L'\\') ? wcsrchr(path, L'\\') + 1 : path;
  for (const wchar_t *companion : kCompanionPrograms)
    if (!_wcsicmp(name, companion)) return true;
  return false;
}

BOOL CALLBACK CloseWindowsOf(HWND hwnd, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == (DWORD)processId) PostMessageW(hwnd, WM_CLOSE, 0, 0);
  return TRUE;
}

// After every case (a test program runs many in one process): the companions it left running end,
// and its folders go, so that the next case starts as in a process of its own.
class CaseCleanup : public ::testing::EmptyTestEventListener {
 public:
  void OnTestStart(const ::testing::TestInfo &) override { before_ = RunningCompanions(); }
  void OnTestEnd(const ::testing::TestInfo &) override {
    EndCompanionsLeft();
    g_TempFolders.Remove();
  }

 private:
  void EndCompanionsLeft() {
    for (DWORD id : RunningCompanions()) {
      if (std::find(before_.begin(), before_.end(), id) != before_.end()) continue;
      HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
      if (!process) continue;
      // The id may have gone to another program since the listing (the device hands out a freed id
      // again at once): only a companion, as the handle names it, is ended.
      if (!IsCompanionProcess(process)) {
        CloseHandle(process);
        continue;
      }
      std::printf("ending companion %lu left by this test\n", (unsigned long)id);
      // A program still starting has no window yet: ask again for a while, then end it.
      for (int tries = 0; tries < 30 && WaitForSingleObject(process, 100) == WAIT_TIMEOUT; tries++)
        EnumWindows(CloseWindowsOf, (LPARAM)id);
      if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }
  std::vector<DWORD> before_;
};

const bool g_CaseCleanup = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new CaseCleanup);
  return true;
}();

}  // namespace
