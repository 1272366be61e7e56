// How a Windows program splits its command line into arguments (the C runtime's rules, which
// CommandLineToArgvW shares): the oracle of every command line we build. The program name is
// taken up to the next quote when it starts with one, else up to the first blank; after it,
// 2n backslashes before a quote give n and the quote opens or closes a quoted stretch, 2n + 1
// give n and a literal quote, backslashes before anything else stay as they are.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::string> SplitWindowsCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  const auto blank = [&](size_t at) { return at < line.size() && (line[at] == ' ' || line[at] == '\t'); };
  std::string program;
  if (i < line.size() && line[i] == '"') {
    const size_t close = line.find('"', i + 1);
    program = line.substr(i + 1, close == std::string::npos ? std::string::npos : close - i - 1);
    i = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (i < line.size() && !blank(i)) program += line[i++];
  }
  args.push_back(program);
  for (;;) {
    while (blank(i)) ++i;
    if (i >= line.size()) return args;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(i))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') ++backslashes, ++i;
      if (i < line.size() && line[i] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          arg += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';  // "" inside a quoted stretch: a literal quote, still quoted
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < line.size() && (quoted || !blank(i))) arg += line[i++];
      }
    }
    args.push_back(arg);
  }
}

// Whether `name` can name a file or program on Windows: no control characters, no quote.
inline bool PlausibleWindowsName(const std::string& name) {
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
  return true;
}
