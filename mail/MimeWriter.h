// The message content between DATA and the final "." line: headers, the body (as typed when it
// is ASCII, else UTF-8 in quoted-printable or base64), and one base64 part per attachment, with
// its type, in a multipart/mixed body whose boundary cannot occur in the text. Everything but
// the attachments' content is laid out when the writer is made, so the message's size is known
// before it is sent. Every piece goes to the channel as soon as it is due. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mail/MailChannel.h"
#include "mail/MailJob.h"

const size_t kAttachmentLineBuffer = 800;

class CMimeWriter {
 public:
  // Lays the message of `job` out; `numbering` ("(1 of 3)") follows the subject when given.
  CMimeWriter(MailJob& job, IMailChannel& channel, IMailEnvironment& environment,
              const CString& numbering = CString());

  // The bytes from the first header to the line before ".", dot-stuffing counted, with `toHeader`
  // (without its CR LF) as the To line: exact for files whose size can be read.
  uint64_t Size(const CString& toHeader) const;
  // The same without the attachments' parts, and each part alone (its boundary line included).
  uint64_t FixedSize(const CString& toHeader) const;
  uint64_t PartSize(size_t index) const { return m_parts[index].size; }
  const std::string& Boundary() const { return m_boundary; }

  // Sends the whole content; `toHeader` is the To line built while the recipients were
  // announced (without its CR LF). Consumes the body and the attachment list. Cancel stops it
  // where it is (no further line, no closing boundary) and drops the attachments: the message
  // is then unfinished, for the caller to give up.
  void SendContent(const CString& toHeader);

 private:
  struct Part {
    std::string head;  // from the boundary line to the empty line before the content
    uint64_t size = 0;
  };
  CString Text(unsigned id) { return m_environment.Text(id); }
  void LayOutBody(const std::string& body, bool multipart);
  void ChooseBoundary(const std::string& body);
  Part LayOutPart(const CString& path);
  // Sends the part of attachment `index` (the front of the list) and removes it; its lines
  // stop at Cancel.
  void SendAttachment(int index, const Part& part);

  MailJob& m_job;
  IMailChannel& m_channel;
  IMailEnvironment& m_environment;
  std::string m_boundary;
  std::string m_head;  // From, Subject, MIME-Version, the multipart and text headers, the empty line
  std::vector<std::string> m_bodyLines;  // each with its CR LF, dot-stuffed
  uint64_t m_bodySize = 0;
  std::vector<Part> m_parts;
};

// The base64 lines of a file of `size` bytes, each line end included.
uint64_t Base64ContentSize(uint64_t size);

// The text of `path` after its last backslash (all of it when it has none).
CString AttachmentFileName(const CString& path);

// How many characters of `text` from `at` (a body line that ends at `end`) go out as one line:
// the most whose dot-stuffed form fits kMaxMailLine, so a line starting with a period gets one
// character less. At least one while `at` < `end`.
size_t BodyPieceLength(const std::string& text, size_t at, size_t end);

// Doubles every period that starts a line of `piece`: its first character, and each period
// right after an LF.
CString DotStuffed(const CString& piece);
