// The OCR engine's settings, read from the profile file beside it, and its choice of the
// recognition language. Platform-free.
#pragma once

#include <string>
#include <vector>

struct EngineSettings {
  // The recognition program: a Windows path or a name searched on the PATH, or under Wine a
  // Unix path of a native program.
  std::string tesseractPath;
  // "auto" (the scanner's language when installed, else English) or recognition language
  // codes such as "deu" or "deu+eng".
  std::string language;
  // Longest time one recognition may take before it counts as failed.
  int timeoutSeconds = 0;
};

namespace EngineProfile {
const char kSection[] = "Tesseract";
const char kAuto[] = "auto";
const char kEnglish[] = "eng";
const int kDefaultTimeoutSeconds = 120;
const int kLongestTimeoutSeconds = 3600;

// Value of `key` in `section` of profile text (sections and keys match without regard to
// case, the first occurrence counts, a pair of quotes around the value is removed); `found`
// tells whether the key exists.
std::string Value(const std::string& profileText, const char* section, const char* key,
                  bool* found = nullptr);

// The settings from the profile's text; missing or empty values take their defaults: the
// recognition program "tesseract.exe" (on the PATH), or "/usr/bin/tesseract" under Wine;
// language "auto"; 120 s.
EngineSettings Read(const std::string& profileText, bool underWine);

// Recognition language code of a scanner language name ("GERMAN" gives "deu"); empty when
// the name is unknown or not set.
std::string CodeForScannerLanguage(const std::string& scannerLanguage);

// Language codes of the recognition program's language list (its --list-langs output).
std::vector<std::string> ParseLanguageList(const std::string& listOutput);

// Whether the choice below depends on the installed languages (English needs no look-up).
bool NeedsLanguageList(const std::string& setting, const std::string& scannerLanguage);

// The language to recognise with. "auto": the scanner language's code when it is installed,
// else English. A code list of the setting is used when all its codes are installed (or the
// installed languages are unknown), else English.
std::string ChooseLanguage(const std::string& setting, const std::string& scannerLanguage,
                           const std::vector<std::string>& installed);
}  // namespace EngineProfile
