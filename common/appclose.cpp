// Closing another program's window once, and the question about a program that hangs.
#include "appclose.h"
#include "debuglog.h"
#include "wm.h"
#include "wm_process.h"
#include <strsafe.h>

namespace {

// How long a program busy with the close may take to answer another message before it counts as hung.
const DWORD kAnswerMs = 1000;
const SIZE_T kWorkerStack = 256 * 1024;
#define CLOSING_MAX 128
#define QUESTION_CHARS 512

// Windows whose close is going on: a second request for one of them sends no second close.
SRWLOCK g_ClosingLock = SRWLOCK_INIT;
HWND g_Closing[CLOSING_MAX];
// One question about a hung program at a time.
SRWLOCK g_QuestionLock = SRWLOCK_INIT;

struct CloseJob {
  HWND hwnd;
  DWORD processId;
  int logChannel;
  WCHAR question[QUESTION_CHARS];
  WCHAR caption[64];
};

enum MarkResult { MARKED, ALREADY_CLOSING, TOO_MANY };

MarkResult MarkClosing(HWND hwnd) {
  AcquireSRWLockExclusive(&g_ClosingLock);
  int free = -1;
  MarkResult result = TOO_MANY;
  for (int i = 0; i < CLOSING_MAX; i++) {
    if (g_Closing[i] == hwnd) result = ALREADY_CLOSING;
    if (!g_Closing[i] && free < 0) free = i;
  }
  if (result != ALREADY_CLOSING && free >= 0) {
    g_Closing[free] = hwnd;
    result = MARKED;
  }
  ReleaseSRWLockExclusive(&g_ClosingLock);
  return result;
}

void UnmarkClosing(HWND hwnd) {
  AcquireSRWLockExclusive(&g_ClosingLock);
  for (int i = 0; i < CLOSING_MAX; i++)
    if (g_Closing[i] == hwnd) g_Closing[i] = NULL;
  ReleaseSRWLockExclusive(&g_ClosingLock);
}

// The question with the program's name in place of the first "%s"; the text comes from a strings file,
// so it is never used as a format.
void FillQuestion(LPCWSTR question, LPCWSTR name, LPWSTR out, size_t chars) {
  out[0] = 0;
  LPCWSTR mark = wcsstr(question, L"%s");
  if (!mark) {
    StringCchCopyW(out, chars, question);
    return;
  }
  StringCchCopyNW(out, chars, question, mark - question);
  StringCchCatW(out, chars, name);
  StringCchCatW(out, chars, mark + 2);
}

// The name the user knows the program by: its window's title, else its file name.
void ProgramName(HWND hwnd, DWORD processId, LPWSTR name, int chars) {
  name[0] = 0;
  // Another program's title is read without asking it: a hung program does not hold this up.
  GetWindowTextW(hwnd, name, chars);
  if (name[0]) return;
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return;
  WCHAR path[MAX_PATH];
  if (WmGetModuleFileName(process, path, MAX_PATH)) {
    LPCWSTR file = wcsrchr(path, L'\\');
    StringCchCopyW(name, chars, file ? file + 1 : path);
  }
  CloseHandle(process);
}

DWORD WINAPI CloseWorker(LPVOID param) {
  CloseJob *job = (CloseJob *)param;
  AppCloseResult result = CloseAppWindowOnce(job->hwnd);
  static const LPCWSTR kResults[] = {L"closed", L"still asking", L"not responding"};
  WriteDebugLog(job->logChannel, L"Close [0x%X]: %s", (unsigned)(UINT_PTR)job->hwnd, kResults[result]);
  if (result == APP_CLOSE_HUNG) {
    AcquireSRWLockExclusive(&g_QuestionLock);
    // It may have ended while another question was open.
    if (IsWindow(job->hwnd)) {
      int answer = WmMessageBox(NULL, job->question, job->caption,
                                MB_YESNO | MB_ICONEXCLAMATION | MB_SETFOREGROUND | MB_TOPMOST);
      BOOL ended = answer == IDYES && EndAppOfWindow(job->hwnd, job->processId);
      WriteDebugLog(job->logChannel, L"Close [0x%X]: %s", (unsigned)(UINT_PTR)job->hwnd,
                    answer != IDYES ? L"left running" : ended ? L"ended" : L"could not be ended");
    }
    ReleaseSRWLockExclusive(&g_QuestionLock);
  }
  UnmarkClosing(job->hwnd);
  HeapFree(GetProcessHeap(), 0, job);
  return 0;
}

}  // namespace

AppCloseResult CloseAppWindowOnce(HWND hwnd) {
  if (!IsWindow(hwnd)) return APP_CLOSE_CLOSED;
  DWORD_PTR answer = 0;
  // Once only: a program still busy with this close when the wait ends keeps it and acts on it later,
  // so a second close would answer its question for the user.
  if (SendMessageTimeoutW(hwnd, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, APP_CLOSE_HUNG_MS, &answer))
    return IsWindow(hwnd) ? APP_CLOSE_STILL_ASKING : APP_CLOSE_CLOSED;
  if (!IsWindow(hwnd)) return APP_CLOSE_CLOSED;
  // A program that asks its user runs the question's message loop and answers; a hung one does not.
  if (SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer)) return APP_CLOSE_STILL_ASKING;
  return IsWindow(hwnd) ? APP_CLOSE_HUNG : APP_CLOSE_CLOSED;
}

BOOL EndAppOfWindow(HWND hwnd, DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
  if (!process) return FALSE;
  // The window's process, not whatever process took its number since: asked with the handle held, so
  // the number cannot pass to another process between the question and the end (a window lives no
  // longer than its process).
  DWORD owner = 0;
  if (!IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &owner) || owner != processId) {
    CloseHandle(process);
    return FALSE;
  }
  BOOL ended = TerminateProcess(process, 1) && WaitForSingleObject(process, APP_CLOSE_HUNG_MS) == WAIT_OBJECT_0;
  CloseHandle(process);
  return ended;
}

BOOL CloseAppWindowInBackground(HWND hwnd, LPCWSTR question, LPCWSTR caption, int logChannel) {
  DWORD processId = 0;
  if (!IsWindow(hwnd) || !GetWindowThreadProcessId(hwnd, &processId)) return FALSE;
  MarkResult mark = MarkClosing(hwnd);
  if (mark != MARKED) {
    WriteDebugLog(logChannel, L"Close [0x%X]: %s", (unsigned)(UINT_PTR)hwnd,
                  mark == ALREADY_CLOSING ? L"already being closed" : L"too many closes going on");
    return FALSE;
  }
  CloseJob *job = (CloseJob *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(CloseJob));
  if (job) {
    job->hwnd = hwnd;
    job->processId = processId;
    job->logChannel = logChannel;
    WCHAR name[MAX_PATH];
    ProgramName(hwnd, processId, name, MAX_PATH);
    FillQuestion(question ? question : L"", name, job->question, ARRAYSIZE(job->question));
    StringCchCopyW(job->caption, ARRAYSIZE(job->caption), caption ? caption : L"");
    HANDLE thread = CreateThread(NULL, kWorkerStack, CloseWorker, job, STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
    if (thread) {
      CloseHandle(thread);
      return TRUE;
    }
    HeapFree(GetProcessHeap(), 0, job);
  }
  UnmarkClosing(hwnd);
  return FALSE;
}
