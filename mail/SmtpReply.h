// Replies of an SMTP server read as RFC 5321 has them: a reply is one or more lines with the
// same three-digit code, every line but the last with a hyphen after the code. Lines and
// replies are capped in length, and each reply has one time limit from the start of its wait,
// which bytes trickling in do not extend. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mail/MailChannel.h"

struct SmtpReply {
  enum Status {
    kComplete,
    kTimedOut,
    kCancelled,
    kClosed,     // the server closed the connection before the reply was whole
    kFailed,     // the connection broke
    kMalformed,  // not a reply: no code, a wrong separator, or codes that differ
    kTooLong,    // a line or the whole reply beyond its cap
  };

  Status status = kFailed;
  int code = 0;                // 100 to 599 when complete
  std::vector<CString> lines;  // each line's text after the code and separator

  bool Complete() const { return status == kComplete; }
  // A complete reply whose code starts with `digit` (2 positive, 3 intermediate, ...).
  bool Is(int digit) const { return status == kComplete && code / 100 == digit; }
  // The reply as a user may read it: code and text of each line (at most kQuoteLines lines of
  // kQuoteLength characters), control characters shown as blanks.
  CString Quote() const;

  static constexpr size_t kQuoteLines = 8;
  static constexpr size_t kQuoteLength = 200;
};

class CReplyReader {
 public:
  // RFC 5321 allows 512 octets a reply line; the cap leaves room for servers that exceed it.
  static constexpr size_t kMaxLineLength = 1000;
  static constexpr size_t kMaxLines = 100;
  // One wait of the channel at most this long, so the cancel flag is looked at in between.
  static constexpr uint32_t kWaitSliceMs = 250;

  CReplyReader(IMailChannel& channel, IMailEnvironment& environment)
      : m_channel(channel), m_environment(environment) {}

  // Reads one whole reply within `limitMs` of the call; the progress window's Cancel ends the
  // wait.
  SmtpReply Read(uint32_t limitMs);
  // Bytes received after the last reply read (the server may not send any before securing).
  bool HasUnread() const { return !m_pending.empty(); }
  void DropUnread() { m_pending.clear(); }

 private:
  // Takes the next whole line out of the pending bytes (without its line end); false when
  // none is whole yet.
  bool TakeLine(std::string* line);

  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
  std::string m_pending;  // received, not yet read
};
