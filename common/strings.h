// Localised texts: one strings file per process, chosen by the device's language, searched by key.
#pragma once
#include <windows.h>

struct StringTable {
  WCHAR *text;    // the whole file as UTF-16LE text, terminated; NULL while nothing is loaded
  BYTE language;  // primary language of the device
};

#define LOCALISED_STRING_MAX 255

extern StringTable g_Strings;

// The strings file code for a primary language: "en", "de", "nl" (Czech reads the English file), or NULL.
LPCWSTR LanguageCode(BYTE primaryLanguage);
// Chooses the file for the device's language under baseFolder ("<install>\"), else the default file.
void LoadStringTable(StringTable *table, LPCWSTR baseFolder);
// The same for a given primary language.
void LoadStringTableForLanguage(StringTable *table, LPCWSTR baseFolder, BYTE primaryLanguage);
// Loads one file; 0 when it cannot be opened or read.
int LoadStringFile(StringTable *table, LPCWSTR fileName);
void FreeStringTable(StringTable *table);
// The text of the first entry with exactly this key, cut to maxLength characters; "" when absent.
// Points to one buffer shared by all lookups.
LPCWSTR GetLocalisedString(const StringTable *table, LPCWSTR key, int maxLength);
