#include "strings.h"
#include <stdio.h>
#include <strsafe.h>

StringTable g_Strings;

LPCWSTR LanguageCode(BYTE primaryLanguage) {
  switch (primaryLanguage) {
    case LANG_ENGLISH: return L"en";
    case LANG_GERMAN: return L"de";
    case LANG_DUTCH: return L"nl";
    case LANG_CZECH: return L"en";
  }
  return NULL;
}

int LoadStringFile(StringTable *table, LPCWSTR fileName) {
  FILE *file = _wfopen(fileName, L"rb");
  if (!file) return 0;
  long size = -1;
  if (fseek(file, 0, SEEK_END) == 0) size = ftell(file);
  if (size < 0 || size > 16 * 1024 * 1024 || fseek(file, 0, SEEK_SET) != 0) {
    fclose(file);
    return 0;
  }
  // Room for the text and one terminating character (an odd byte count leaves a half character).
  size_t chars = (size_t)size / sizeof(WCHAR) + 1;
  WCHAR *text = (WCHAR *)calloc(chars + 1, sizeof(WCHAR));
  if (!text) {
    fclose(file);
    return 0;
  }
  size_t read = fread(text, 1, (size_t)size, file);
  fclose(file);
  text[read / sizeof(WCHAR)] = 0;
  FreeStringTable(table);
  table->text = text;
  return 1;
}

void LoadStringTableForLanguage(StringTable *table, LPCWSTR baseFolder, BYTE primaryLanguage) {
  FreeStringTable(table);
  table->language = primaryLanguage;
  LPCWSTR code = LanguageCode(primaryLanguage);
  WCHAR languageFile[MAX_PATH] = {0}, defaultFile[MAX_PATH] = {0};
  if (code && FAILED(StringCchPrintfW(languageFile, MAX_PATH, L"%sstrings\\strings.%s.xml", baseFolder, code)))
    languageFile[0] = 0;
  if (FAILED(StringCchPrintfW(defaultFile, MAX_PATH, L"%sstrings\\strings.def.xml", baseFolder)))
    defaultFile[0] = 0;
  if (languageFile[0] && LoadStringFile(table, languageFile)) return;
  if (defaultFile[0]) LoadStringFile(table, defaultFile);
}

void LoadStringTable(StringTable *table, LPCWSTR baseFolder) {
  LoadStringTableForLanguage(table, baseFolder, (BYTE)PRIMARYLANGID(GetUserDefaultLangID()));
}

void FreeStringTable(StringTable *table) {
  free(table->text);
  table->text = NULL;
}

LPCWSTR GetLocalisedString(const StringTable *table, LPCWSTR key, int maxLength) {
  static WCHAR result[512];
  ZeroMemory(result, sizeof(result));
  if (!table->text || !key) return result;
  WCHAR tag[512];
  if (FAILED(StringCchPrintfW(tag, ARRAYSIZE(tag), L"<i n=\"%s\">", key))) return result;
  const WCHAR *start = wcsstr(table->text, tag);
  if (!start) return result;
  start += lstrlenW(tag);
  const WCHAR *end = wcsstr(start, L"</i>");
  size_t count = end ? (size_t)(end - start) : wcslen(start);
  if (maxLength < 0) maxLength = 0;
  if (count > (size_t)maxLength) count = (size_t)maxLength;
  if (count > ARRAYSIZE(result) - 1) count = ARRAYSIZE(result) - 1;
  memcpy(result, start, count * sizeof(WCHAR));
  return result;
}
