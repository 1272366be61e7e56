// MailJob and its rules.
#include "mail/MailJob.h"

void MailJob::Clear() {
  sender.Empty();
  defaultRecipient.Empty();
  subject.Empty();
  body.Empty();
  recipients.RemoveAll();
  attachments.RemoveAll();
}

CString DomainOfAddress(const CString& address) {
  const int at = address.ReverseFind('@');
  return at < 0 ? address : address.Mid(at + 1);
}

CString ChooseHost(CString& smtpServer, const CString& sender) {
  if (!smtpServer.IsEmpty()) {
    CString host = smtpServer;
    smtpServer.Empty();
    return host;
  }
  return DomainOfAddress(sender);
}

CString WithoutLineBreaks(const CString& text) {
  CString out;
  for (char c : text.str()) {
    if (c != '\r' && c != '\n') out += c;
  }
  return out;
}

CString OnOneLine(const CString& text) {
  CString out;
  bool inBreak = false;
  for (char c : text.str()) {
    const bool isBreak = c == '\r' || c == '\n';
    if (isBreak && !inBreak) out += ' ';
    if (!isBreak) out += c;
    inBreak = isBreak;
  }
  return out;
}

CString FoldedHeader(const CString& line) {
  const std::string& text = line.str();
  std::string out;
  size_t at = 0;
  size_t limit = kMaxMailLine;  // one less after a blank of ours
  while (text.size() - at > limit) {
    size_t fold = text.find_last_of(" \t", at + limit);
    const bool blankInside = fold != std::string::npos && fold > at;
    if (!blankInside) fold = at + limit;
    out.append(text, at, fold - at).append(blankInside ? "\r\n" : "\r\n ");
    limit = blankInside ? kMaxMailLine : kMaxMailLine - 1;
    at = fold;
  }
  out.append(text, at, std::string::npos).append("\r\n");
  return CString(out);
}
