// The message content between DATA and the final "." line: headers, the body cut into
// 1024-character pieces with dot-stuffing, and one base64 part per attachment in a
// multipart/mixed body. Every piece goes to the channel as soon as it is built.
// Platform-free.
#pragma once

#include "mail/MailChannel.h"
#include "mail/MailJob.h"

const int kBodyPieceLength = 1024;
const size_t kAttachmentLineBuffer = 800;

class CMimeWriter {
 public:
  CMimeWriter(MailJob& job, IMailChannel& channel, IMailEnvironment& environment)
      : m_job(job), m_channel(channel), m_environment(environment) {}

  // Sends the whole content; `toHeader` is the To line built while the recipients were
  // announced (with its CR LF). Consumes the body and the attachment list.
  void SendContent(const CString& toHeader);
  // Sends the body as lines of at most 1024 characters, each followed by CR LF.
  void SendBody();
  // Sends the part of attachment `index` (the front of the list) and removes it.
  void SendAttachment(int index);

 private:
  CString Text(unsigned id) { return m_environment.Text(id); }

  MailJob& m_job;
  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
};

// The text of `path` after its last backslash (all of it when it has none).
CString AttachmentFileName(const CString& path);

// Doubles every period that starts a line of `piece`: its first character, and each period
// right after an LF.
CString DotStuffed(const CString& piece);
