// Inside the device, for the reset offer test that drives a device from the host:
//   tweakhelper exit yes|no   switch window animation (a change), then leave as the main program does,
//                             answering the reset question; prints the new "Animate" and "returned"
//   tweakhelper exit slow     the same, answering No only after 3 s (time for a screenshot)
//   tweakhelper clean FOLDER  delete the files under FOLDER as the browser cleaning does; prints
//                             "deleted=N left=M"
//   tweakhelper animate       prints "Animate" of the window manager's key
#include <windows.h>
#include <stdio.h>
#include <wchar.h>
#include "boxanswer.h"
#include "debuglog.h"
#include "programstatics.h"
#include "settings.h"
#include "tweaks/tweaks.h"
#include "tweaks/browsercache.h"
#include "shell/pagecommands.h"

static DWORD WINAPI AnswerLate(LPVOID) {
  Sleep(3000);
  BoxAnswerer answer({IDNO});
  while (!answer.Answered()) Sleep(50);
  return 0;
}

static DWORD Animate(void) {
  DWORD value = 0xFFFFFFFF;
  ReadMachineSetting(L"SYSTEM\\GWE\\", L"Animate", REG_DWORD, &value, sizeof(value));
  return value;
}

int wmain(int argc, wchar_t **argv) {
  InitProgramStatics();
  if (argc > 1 && !wcscmp(argv[1], L"animate")) {
    printf("animate=%lu\n", (unsigned long)Animate());
    return 0;
  }
  if (argc > 2 && !wcscmp(argv[1], L"clean")) {
    DWORD one = 1;
    WriteMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &one, sizeof(one));
    ReadDebugSwitch();
    int deleted = 0, left = 0;
    DeleteFolderFilesCounted(argv[2], &deleted, &left);
    printf("deleted=%d left=%d\n", deleted, left);
    return 0;
  }
  if (argc > 2 && !wcscmp(argv[1], L"exit")) {
    DWORD one = 1;
    WriteMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &one, sizeof(one));
    ReadDebugSwitch();
    ToggleWindowAnimation(10);
    printf("animate=%lu\n", (unsigned long)Animate());
    fflush(stdout);
    if (!wcscmp(argv[2], L"slow")) {
      HANDLE late = CreateThread(NULL, 0, AnswerLate, NULL, 0, NULL);
      ExitWithResetOffer();
      WaitForSingleObject(late, 10000);
      printf("returned\n");
      return 0;
    }
    BoxAnswerer answer({wcscmp(argv[2], L"yes") ? IDNO : IDYES});
    ExitWithResetOffer();
    printf("returned asked=%d\n", answer.Answered());
    return 0;
  }
  return 2;
}
