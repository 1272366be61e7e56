// Quoting of command-line arguments.
#include "tools/ocrengine/ArgumentQuoting.h"

std::string QuotedArgument(const std::string& arg) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
    } else {
      // Backslashes count only before a quote: there each must be doubled.
      if (c == '"') quoted.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    quoted += c;
  }
  quoted.append(backslashes, '\\');
  return quoted + "\"";
}
