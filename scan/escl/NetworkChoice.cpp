// The chosen scanner in the settings file.
#include "scan/escl/NetworkChoice.h"

#include <windows.h>

#include "framework/Module.h"

namespace {
const char kSection[] = "Scan Setting";
const char kUrl[] = "Network Scanner";
const char kName[] = "Network Scanner Name";
const char kUuid[] = "Network Scanner UUID";
const char kCertificate[] = "Network Scanner Certificate";

bool Unset(const CString& value) { return value.IsEmpty() || value.CompareNoCase("NULL") == 0; }

std::string Value(const CProfileFile& settings, const char* key) {
  const CString value = settings.ReadText(kSection, key, "", 1024);
  return Unset(value) ? std::string() : value.str();
}
}  // namespace

namespace NetworkChoiceFile {
CProfileFile Settings() { return CProfileFile(Module::Directory(Module::Instance()) + "Quendel.ini"); }

NetworkChoice Read(const CProfileFile& settings) {
  NetworkChoice choice;
  choice.url = Value(settings, kUrl);
  if (!choice.Network()) return choice;
  choice.name = Value(settings, kName);
  choice.uuid = Value(settings, kUuid);
  choice.certificate = Value(settings, kCertificate);
  return choice;
}

void Write(const CProfileFile& settings, const NetworkChoice& choice) {
  settings.WriteText(kSection, kUrl, choice.url.c_str());
  const char* path = settings.Path().c_str();
  // TWAIN keeps no scanner of its own here; a network scanner only the keys it has.
  auto put = [&](const char* key, const std::string& value) {
    WritePrivateProfileStringA(kSection, key, choice.Network() && !value.empty() ? value.c_str() : nullptr,
                               path);
  };
  put(kName, choice.name);
  put(kUuid, choice.uuid);
  put(kCertificate, choice.certificate);
}

void Pin(const CProfileFile& settings, const std::string& certificate) {
  settings.WriteText(kSection, kCertificate, certificate.c_str());
}
}  // namespace NetworkChoiceFile
