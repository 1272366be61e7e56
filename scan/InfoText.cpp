// The source information text.
#include "scan/InfoText.h"

#include <cstring>

std::string BuildSourceInfoText(const char* productFamily, const char* info, const InfoWords& words) {
  char version[34] = {};
  if (info) std::strncpy(version, info, sizeof(version) - 1);
  const size_t length = std::strlen(version);
  // Characters past the end of a short text read as NUL, which sorts before "1"; the
  // character "1" itself counts as ready and installed.
  auto at = [&](size_t i) { return i < length ? version[i] : '\0'; };
  std::string text;
  text += at(0) >= '1' ? words.ready : words.notReady;
  text += '\n';
  text += productFamily ? productFamily : "";
  text += '\n';
  // "%c.%c%c" of the second to fourth characters; missing ones are left out.
  if (at(1)) text += at(1);
  text += '.';
  if (at(2)) text += at(2);
  if (at(3)) text += at(3);
  text += '\n';
  text += at(4) >= '1' ? words.installed : words.notInstalled;
  text += '\n';
  if (length > 5) {
    text += version + 5;
    text += '\n';
  }
  return text;
}
