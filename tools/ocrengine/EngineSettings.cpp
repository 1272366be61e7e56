// The OCR engine's settings and language choice.
#include "tools/ocrengine/EngineSettings.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>

namespace EngineProfile {
namespace {
std::string Trim(const std::string& text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool SameNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return i == a.size() && b[i] == '\0';
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

std::vector<std::string> SplitCodes(const std::string& codes) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(codes);
  while (std::getline(in, part, '+')) {
    part = Trim(part);
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

struct LanguageName {
  const char* scanner;
  const char* code;
};
// The scanner description's language names (and English, which has none of its own).
const LanguageName kLanguages[] = {
    {"CHINESE", "chi_tra"}, {"GERMAN", "deu"},     {"FRENCH", "fra"},   {"ITALIAN", "ita"},
    {"SPANISH", "spa"},     {"DUTCH", "nld"},      {"JAPANESE", "jpn"}, {"SIMPLE", "chi_sim"},
    {"KOREAN", "kor"},      {"PORTUGUESE", "por"}, {"DANISH", "dan"},   {"SWEDISH", "swe"},
    {"ENGLISH", "eng"},
};
}  // namespace

std::string Value(const std::string& profileText, const char* section, const char* key, bool* found) {
  if (found) *found = false;
  std::istringstream in(profileText);
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      const size_t close = line.find(']');
      inSection = close != std::string::npos && SameNoCase(Trim(line.substr(1, close - 1)), section);
      continue;
    }
    const size_t equals = line.find('=');
    if (!inSection || equals == std::string::npos || !SameNoCase(Trim(line.substr(0, equals)), key)) continue;
    std::string value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    if (found) *found = true;
    return value;
  }
  return std::string();
}

EngineSettings Read(const std::string& profileText, bool underWine) {
  EngineSettings settings;
  settings.tesseractPath = Value(profileText, kSection, "Path");
  if (settings.tesseractPath.empty())
    settings.tesseractPath = underWine ? "/usr/bin/tesseract" : "tesseract.exe";
  settings.language = Value(profileText, kSection, "Language");
  if (settings.language.empty()) settings.language = kAuto;
  const std::string timeout = Value(profileText, kSection, "Timeout");
  char* end = nullptr;
  const long seconds = std::strtol(timeout.c_str(), &end, 10);
  const bool whole = !timeout.empty() && end && *end == '\0';
  settings.timeoutSeconds = whole && seconds > 0
                                ? static_cast<int>(std::min<long>(seconds, kLongestTimeoutSeconds))
                                : kDefaultTimeoutSeconds;
  return settings;
}

std::string CodeForScannerLanguage(const std::string& scannerLanguage) {
  const std::string name = Upper(Trim(scannerLanguage));
  for (const LanguageName& language : kLanguages) {
    if (name == language.scanner) return language.code;
  }
  return std::string();
}

std::vector<std::string> ParseLanguageList(const std::string& listOutput) {
  // A heading names the data directory; every other line is one code.
  std::vector<std::string> codes;
  std::istringstream in(listOutput);
  std::string line;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (!line.empty() && line.find_first_of(" \t:\"") == std::string::npos) codes.push_back(line);
  }
  return codes;
}

bool NeedsLanguageList(const std::string& setting, const std::string& scannerLanguage) {
  const std::string wanted = Trim(setting);
  if (wanted.empty() || SameNoCase(wanted, kAuto)) {
    const std::string code = CodeForScannerLanguage(scannerLanguage);
    return !code.empty() && code != kEnglish;
  }
  return wanted != kEnglish;
}

std::string ChooseLanguage(const std::string& setting, const std::string& scannerLanguage,
                           const std::vector<std::string>& installed) {
  std::string wanted = Trim(setting);
  if (wanted.empty() || SameNoCase(wanted, kAuto)) {
    const std::string code = CodeForScannerLanguage(scannerLanguage);
    return !code.empty() && Contains(installed, code) ? code : kEnglish;
  }
  const std::vector<std::string> codes = SplitCodes(wanted);
  if (codes.empty()) return kEnglish;
  if (installed.empty()) return wanted;
  for (const std::string& code : codes) {
    if (!Contains(installed, code)) return kEnglish;
  }
  return wanted;
}
}  // namespace EngineProfile
