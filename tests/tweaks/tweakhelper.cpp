// Inside the device, for the reset offer test that drives a device from the host:
//   tweakhelper exit yes|no   switch window animation (a change), then leave as the main program does,
//                             answering the reset question; prints the new "Animate" and "returned"
//   tweakhelper animate       prints "Animate" of the window manager's key
#include <windows.h>
#include <stdio.h>
#include <wchar.h>
#include "boxanswer.h"
#include "debuglog.h"
#include "startup.h"
#include "settings.h"
#include "tweaks/tweaks.h"

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
  if (argc > 2 && !wcscmp(argv[1], L"exit")) {
    DWORD one = 1;
    WriteMachineSetting(PRODUCT_KEY, L"EnableDebug", REG_DWORD, &one, sizeof(one));
    ReadDebugSwitch();
    ToggleWindowAnimation(10);
    printf("animate=%lu\n", (unsigned long)Animate());
    fflush(stdout);
    BoxAnswerer answer({wcscmp(argv[2], L"yes") ? IDNO : IDYES});
    ExitWithResetOffer();
    printf("returned asked=%d\n", answer.Answered());
    return 0;
  }
  return 2;
}
