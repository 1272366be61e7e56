// The interface languages of the program: name string ids, language libraries and help-file
// suffixes, and the matching of the scanner's LANGUAGE value. Platform-free.
#pragma once

#include <functional>

#include "framework/String.h"

enum : unsigned {
  kLanguageFirst = 9000,
  kLanguageChinese = 9000,
  kLanguageGerman = 9001,
  kLanguageJapanese = 9006,
  kLanguageSimple = 9007,
  kLanguageKorean = 9008,
  kLanguageLast = 9011,
  kLanguageNone = 9012,
};

// Language library file of `languageId` ("dsk_lg.dll" for 9001); null for kLanguageNone.
const char* LanguageLibraryFile(unsigned languageId);
// Help-file suffix of `languageId` ("_g" for 9001, "_e" when none matched).
const char* HelpSuffix(unsigned languageId);

// Compares the upper-cased `languageValue` with the upper-cased name of each id from 9000
// to 9011 in turn (names come from `nameOfId`); the first equal id, else kLanguageNone.
unsigned MatchLanguage(const CString& languageValue, const std::function<CString(unsigned)>& nameOfId);
