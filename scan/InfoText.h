// The source information text: readiness, product family, version, installation and the
// rest of the source's version text, one per line.
#pragma once

#include <string>

struct InfoWords {
  std::string ready, notReady, installed, notInstalled;
};

// `info` is the source's Version.Info (up to 33 characters).
std::string BuildSourceInfoText(const char* productFamily, const char* info, const InfoWords& words);
