// Starts like every program of the suite (module folder, then the strings of the device's language)
// and checks what it found:  langhelper LANGUAGE CODE KEY
// Exit 0 when the primary language is LANGUAGE and KEY reads as in the installed file strings.CODE.xml.
#include <windows.h>
#include <shellapi.h>
#include <stdio.h>
#include <wchar.h>
#include "paths.h"
#include "settings.h"
#include "programstatics.h"
#include "strings.h"

int wmain(int argc, wchar_t **argv) {
  InitProgramStatics();
  if (argc < 4) return 2;
  int language = _wtoi(argv[1]);
  WCHAR expected[LOCALISED_STRING_MAX + 1];
  StringTable file = {};
  WCHAR name[64];
  _snwprintf(name, 63, L"strings.%ls.xml", argv[2]);
  name[63] = 0;
  if (!LoadStringFile(&file, GetInstallFilePath(&g_Paths, PRODUCT_KEY, L"strings", name))) {
    printf("no installed file %ls\n", name);
    return 3;
  }
  lstrcpynW(expected, GetLocalisedString(&file, argv[3], LOCALISED_STRING_MAX), ARRAYSIZE(expected));
  FreeStringTable(&file);
  const WCHAR *found = GetLocalisedString(&g_Strings, argv[3], LOCALISED_STRING_MAX);
  bool ok = g_Strings.language == language && found[0] && !lstrcmpW(found, expected);
  printf("language %d (want %d), text %s the %ls file's\n", g_Strings.language, language,
         !lstrcmpW(found, expected) ? "is" : "is not", argv[2]);
  return ok ? 0 : 1;
}
