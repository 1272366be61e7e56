// The driver's command line: the command word, options with values, flags and positionals.
#include "tools/guidriver/Args.h"

#include <cwchar>

namespace {

const wchar_t* const kValueOptions[] = {L"--hwnd",    L"--title", L"--class", L"--title-contains", L"--pid",
                                        L"--timeout", L"--id",    L"--text",  L"--child-text"};
const wchar_t* const kFlags[] = {L"--gone", L"--client", L"--right", L"--windows"};

bool IsOneOf(const std::wstring& word, const wchar_t* const* list, size_t count) {
  for (size_t i = 0; i < count; ++i)
    if (word == list[i]) return true;
  return false;
}

}  // namespace

bool CArgs::Parse(int argc, wchar_t** argv, std::wstring& error) {
  for (int i = 0; i < argc; ++i) {
    std::wstring word = argv[i];
    if (word.size() > 2 && word.compare(0, 2, L"--") == 0) {
      if (IsOneOf(word, kFlags, sizeof kFlags / sizeof kFlags[0])) {
        m_flags.insert(word);
      } else if (IsOneOf(word, kValueOptions, sizeof kValueOptions / sizeof kValueOptions[0])) {
        if (i + 1 >= argc) {
          error = word + L" needs a value";
          return false;
        }
        m_values[word] = argv[++i];
      } else {
        error = L"unknown option " + word;
        return false;
      }
    } else if (m_command.empty()) {
      m_command = word;
    } else {
      m_positionals.push_back(word);
    }
  }
  if (m_command.empty()) {
    error = L"no command given";
    return false;
  }
  if (Has(L"--timeout")) {
    long long ms = 0;
    if (!ParseNumber(Value(L"--timeout"), 0, 0x7FFFFFFF, ms)) {
      error = L"bad --timeout " + Value(L"--timeout");
      return false;
    }
    m_timeout = static_cast<DWORD>(ms);
  }
  return true;
}

std::wstring CArgs::Value(const std::wstring& option) const {
  auto it = m_values.find(option);
  return it == m_values.end() ? std::wstring() : it->second;
}

bool ParseNumber(const std::wstring& text, long long min, long long max, long long& value) {
  if (text.empty() || text.size() > 20) return false;
  const wchar_t* start = text.c_str();
  wchar_t* end = nullptr;
  bool hex = text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
  // Leading blanks or a sign after 0x would be accepted by wcstoll; a number is digits only.
  const wchar_t* digits = hex ? start + 2 : (text[0] == L'-' ? start + 1 : start);
  if (*digits == L'\0' || !(iswxdigit(*digits))) return false;
  long long parsed = hex ? static_cast<long long>(wcstoull(digits, &end, 16)) : wcstoll(start, &end, 10);
  if (end == nullptr || *end != L'\0' || parsed < min || parsed > max) return false;
  value = parsed;
  return true;
}

bool ParsePoint(const CArgs& args, POINT& point) {
  const auto& pos = args.Positionals();
  long long x = 0, y = 0;
  if (pos.size() != 2 || !ParseNumber(pos[0], -32768, 32767, x) || !ParseNumber(pos[1], -32768, 32767, y))
    return false;
  point.x = static_cast<LONG>(x);
  point.y = static_cast<LONG>(y);
  return true;
}
