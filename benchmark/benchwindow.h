// The benchmark program's window: start-up, the run, view and compare pages and their worker thread.
#pragma once
#include <windows.h>
#include "controls.h"
#include "wm.h"

#define BENCHMARK_CLASS L"BENCHMARK"
#define BENCHMARK_TITLE L"Benchmark"
#define PAGE_BACKGROUND_COLOUR RGB(201, 199, 199)
#define IMAGE_SLOTS 10
#define BUTTON_SLOTS 10
// WriteDebugLog keeps about 80 KB of buffers on its caller's stack; the worker logs every line.
#define WORKER_STACK_BYTES (512 * 1024)

enum BenchPage { RunPage = 0, ViewPage = 1, ComparePage = 2 };

struct BenchmarkState {
  HINSTANCE instance;
  HWND window;
  HWND menuBar;
  HWND listBox;
  HFONT listFont;
  HBITMAP images[IMAGE_SLOTS];  // 0: button faces, 1: logo
  int page;
  bool portrait;
  SHACTIVATEINFO activateInfo;
  GButton buttons[BUTTON_SLOTS];
  PictureBox logo;
};

extern BenchmarkState g_Bench;

// The page a command line selects: the switch compared whole, in any case; anything else the run page.
int PageFromCommandLine(LPCWSTR commandLine);
int BenchmarkMain(HINSTANCE instance, LPCWSTR commandLine, int showCommand);
void InitGUI(void);
void DeinitGUI(void);
void ParentReady(HWND window);
int BuildPage(HWND window, int page);
void ComputeGUI(HWND window);
DWORD WINAPI BenchmarkWorker(LPVOID unused);
// Starts a thread with room for the debug log's buffers; the handle is closed at once.
BOOL StartWorkerThread(LPTHREAD_START_ROUTINE routine);
// The button of a command on the current page, or NULL.
GButton *ButtonOf(DWORD command);
