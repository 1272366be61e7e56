// Settings-page rules without any platform call.
#include "app/settings/PageRules.h"

#include "mail/MailSecurity.h"

namespace PageRules {

bool IsUnset(const CString& value) { return value.IsEmpty() || value == "NULL"; }

CString PrinterNameOf(const CString& deviceEntry) {
  const int comma = deviceEntry.Find(',');
  return comma < 0 ? deviceEntry : deviceEntry.Left(comma);
}

bool ContainsNoCase(const CString& text, const char* part) {
  return text.Upper().Find(CString(part).Upper()) >= 0;
}

bool EqualsNoCase(const CString& a, const CString& b) { return a.Upper() == b.Upper(); }

CString ChooseCopyDevice(const CString& stored, const CString& defaultEntry, const CString& none) {
  if (!IsUnset(stored)) return stored;
  if (IsUnset(defaultEntry)) return none;
  return PrinterNameOf(defaultEntry);
}

CString ChooseFaxDevice(const CString& defaultEntry, const CString& stored, const CStringArray& installed,
                        const char* faxMarker, const CString& none) {
  if (!IsUnset(defaultEntry)) {
    CString name = PrinterNameOf(defaultEntry);
    if (ContainsNoCase(name, faxMarker)) return name;
  }
  if (!IsUnset(stored)) return stored;
  const int count = installed.GetSize() < kMaxDevices ? installed.GetSize() : kMaxDevices;
  for (int i = 0; i < count; ++i) {
    CString name = installed[i].Left(kMaxDeviceName);
    if (ContainsNoCase(name, faxMarker)) return name;
  }
  return none;
}

bool ParseInteger(const CString& text, int& value) {
  const std::string& s = text.str();
  size_t at = 0;
  while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
  bool negative = false;
  if (at < s.size() && (s[at] == '-' || s[at] == '+')) negative = s[at++] == '-';
  const size_t digits = at;
  long long number = 0;
  while (at < s.size() && s[at] >= '0' && s[at] <= '9') {
    number = number * 10 + (s[at++] - '0');
    if (number > 2147483648LL) return false;
  }
  if (at == digits) return false;
  while (at < s.size() && (s[at] == ' ' || s[at] == '\t')) ++at;
  if (at != s.size()) return false;
  if (negative) number = -number;
  if (number > 2147483647LL || number < -2147483648LL) return false;
  value = static_cast<int>(number);
  return true;
}

int StoredScaling(int scaling) { return scaling == 0 ? 30 : scaling; }

int ShownScanMode(int stored) { return stored == 9 ? 1 : stored; }

unsigned MailStoreCheck(const CString& to, const CString& from) {
  if (to.IsEmpty()) return kNoRecipientMessage;
  if (from.IsEmpty()) return kNoSenderMessage;
  return 0;
}

CString BrowsePattern(const CString& path) {
  const int slash = path.ReverseFind('\\');
  return (slash < 0 ? CString() : path.Left(slash + 1)) + "*.EXE";
}

CString FileNameOf(const CString& path) {
  const int slash = path.ReverseFind('\\');
  return slash < 0 ? path : path.Mid(slash + 1);
}

bool IsKnownEditor(const CString& fileName) {
  const CString upper = fileName.Upper();
  return upper == "IPE.EXE" || upper == "MAGIC6.EXE";
}

int TitleX(int textWidth) {
  const int x = (141 - textWidth) / 2;
  return x < 2 ? 2 : x;
}

int ListWidth(const int* starts, int count, int pageWidth) {
  int furthest = 0;
  for (int i = 0; i < count; ++i) {
    if (starts[i] > furthest) furthest = starts[i];
  }
  const int width = pageWidth - furthest;
  return width > 0 ? width : 0;
}

int MailRowY(int pageHeight, int row, int buttonHeight) { return pageHeight - row * (buttonHeight + 1); }

bool ParseMailPort(const CString& text, int& port) {
  CString trimmed = text;
  trimmed.TrimLeft();
  trimmed.TrimRight();
  if (trimmed.IsEmpty()) {
    port = 0;
    return true;
  }
  int value = 0;
  if (!ParseInteger(trimmed, value) || value < 1 || value > 65535) return false;
  port = value;
  return true;
}

CString ProposedMailPort(const CString& text, int security) {
  int port = 0;
  const bool own = ParseMailPort(text, port) &&
                   (port == 0 || port == DefaultMailPort(kSecurityNone) ||
                    port == DefaultMailPort(kSecurityStartTls) || port == DefaultMailPort(kSecurityTls));
  return own ? CString::Format("%d", DefaultMailPort(ToMailSecurity(security))) : text;
}

}  // namespace PageRules
