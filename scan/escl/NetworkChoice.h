// The scanner the user chose, as `Quendel.ini` keeps it in [Scan Setting]: `Network Scanner`
// (the root URL; empty or missing: the TWAIN manager's source), `Network Scanner Name`,
// `Network Scanner UUID` and, for https, `Network Scanner Certificate` (the hex SHA-256 of the
// certificate seen when it was chosen).
#pragma once

#include <string>

#include "framework/Profile.h"

struct NetworkChoice {
  std::string url;
  std::string name;
  std::string uuid;
  std::string certificate;
  bool Network() const { return !url.empty(); }
};

namespace NetworkChoiceFile {
// `Quendel.ini` beside the library.
CProfileFile Settings();
NetworkChoice Read(const CProfileFile& settings);
// The choice, or TWAIN when `choice.url` is empty (the other keys then go).
void Write(const CProfileFile& settings, const NetworkChoice& choice);
// Pins the certificate seen on first use of a scanner chosen without one.
void Pin(const CProfileFile& settings, const std::string& certificate);
}  // namespace NetworkChoiceFile
