// The driver's command line: the command word, options with values, flags and positionals.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

class CArgs {
 public:
  // Splits ARGV (without the program name); false with ERROR on an unknown or incomplete option.
  bool Parse(int argc, wchar_t** argv, std::wstring& error);

  const std::wstring& Command() const { return m_command; }
  bool Has(const std::wstring& option) const { return m_values.count(option) != 0; }
  std::wstring Value(const std::wstring& option) const;
  bool Flag(const std::wstring& flag) const { return m_flags.count(flag) != 0; }
  const std::vector<std::wstring>& Positionals() const { return m_positionals; }
  // --timeout in milliseconds, default 20000.
  DWORD Timeout() const { return m_timeout; }

 private:
  std::wstring m_command;
  std::map<std::wstring, std::wstring> m_values;
  std::set<std::wstring> m_flags;
  std::vector<std::wstring> m_positionals;
  DWORD m_timeout = 20000;
};

// Decimal (optionally negative) or 0x hexadecimal; false unless the whole text is a number
// within [MIN, MAX].
bool ParseNumber(const std::wstring& text, long long min, long long max, long long& value);

// The two positionals X Y as a point (each within the 16-bit coordinate range).
bool ParsePoint(const CArgs& args, POINT& point);
