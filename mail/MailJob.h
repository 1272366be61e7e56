// The data of one mail job (sender, recipients, subject, body, attachments) and the small
// rules around it: the host a send connects to, the line-break defence of header texts and
// the folding of long header lines.
// Platform-free.
#pragma once

#include <cstddef>

#include "framework/String.h"

struct MailJob {
  CString sender;            // envelope sender and From header
  CString defaultRecipient;  // the Mail destination's configured recipient
  CStringArray recipients;   // To addresses of the next message, in order
  CString subject;
  CString body;              // as typed, lines separated by CR LF
  CStringArray attachments;  // full paths, in order

  // Empties everything above (the SMTP server and the flags live elsewhere).
  void Clear();
};

// The part of `address` after its last "@"; the whole address when it has none.
CString DomainOfAddress(const CString& address);

// The host of a send: the SMTP server when one is set (it is then emptied, so that it serves
// one send only), otherwise the sender's domain.
CString ChooseHost(CString& smtpServer, const CString& sender);

// Removes every CR and LF, so that an address can never end an SMTP command line early.
CString WithoutLineBreaks(const CString& text);

// Replaces each run of CR and LF with one blank, so that a header text stays one line.
CString OnOneLine(const CString& text);

// The longest line a message may carry, header or body, without its CR LF (RFC 5321, 5322).
const size_t kMaxMailLine = 998;

// `line` (a header without its CR LF) as it goes on the wire, ended by CR LF. A line longer
// than kMaxMailLine is folded: CR LF goes before the last blank that keeps each piece
// within the limit, or, in a run without blanks, before a blank of ours. Removing each CR LF
// gives the line back (less the blanks of ours).
CString FoldedHeader(const CString& line);
