// The message content between DATA and the final "." line: headers, the body in lines that fit
// the mail line limit, dot-stuffed, and one base64 part per attachment in a multipart/mixed
// body. Every piece goes to the channel as soon as it is built. Platform-free.
#pragma once

#include "mail/MailChannel.h"
#include "mail/MailJob.h"

const size_t kAttachmentLineBuffer = 800;

class CMimeWriter {
 public:
  CMimeWriter(MailJob& job, IMailChannel& channel, IMailEnvironment& environment)
      : m_job(job), m_channel(channel), m_environment(environment) {}

  // Sends the whole content; `toHeader` is the To line built while the recipients were
  // announced (without its CR LF). Consumes the body and the attachment list. Cancel stops it
  // where it is (no further line, no closing boundary) and drops the attachments: the message
  // is then unfinished, for the caller to give up.
  void SendContent(const CString& toHeader);
  // Sends the body line by line, each followed by CR LF; a line longer than kMaxMailLine on
  // the wire goes out in pieces (see BodyPieceLength).
  void SendBody();
  // Sends the part of attachment `index` (the front of the list) and removes it; its lines stop
  // at Cancel.
  void SendAttachment(int index);

 private:
  CString Text(unsigned id) { return m_environment.Text(id); }

  MailJob& m_job;
  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
};

// The text of `path` after its last backslash (all of it when it has none).
CString AttachmentFileName(const CString& path);

// How many characters of `text` from `at` (a body line that ends at `end`) go out as one line:
// the most whose dot-stuffed form fits kMaxMailLine, so a line starting with a period gets one
// character less. At least one while `at` < `end`.
size_t BodyPieceLength(const std::string& text, size_t at, size_t end);

// Doubles every period that starts a line of `piece`: its first character, and each period
// right after an LF.
CString DotStuffed(const CString& piece);
