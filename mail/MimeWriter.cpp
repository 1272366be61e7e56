// CMimeWriter.
#include "mail/MimeWriter.h"

#include "mail/Base64.h"
#include "mail/MimeText.h"
#include "resources/postlib/resource.h"

namespace {
// Tries of a fresh boundary before one is taken that the text holds (never seen: 144 random bits).
const int kBoundaryTries = 8;
const char kUtf8Text[] = "Content-Type: text/plain; charset=\"utf-8\"\r\nContent-Transfer-Encoding: ";
}  // namespace

uint64_t Base64ContentSize(uint64_t size) {
  return (size + 2) / 3 * 4 + (size + kBase64ReadSize - 1) / kBase64ReadSize * 2;
}

CString AttachmentFileName(const CString& path) {
  const int slash = path.ReverseFind('\\');
  return slash < 0 ? path : path.Mid(slash + 1);
}

CString DotStuffed(const CString& piece) {
  CString out;
  const std::string& text = piece.str();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '.' && (i == 0 || text[i - 1] == '\n')) out += '.';
    out += text[i];
  }
  return out;
}

size_t BodyPieceLength(const std::string& text, size_t at, size_t end) {
  size_t stuffed = 0;
  size_t i = at;
  for (; i < end; ++i) {
    stuffed += text[i] == '.' && (i == at || text[i - 1] == '\n') ? 2 : 1;
    if (stuffed > kMaxMailLine) break;
  }
  return i - at;
}

CMimeWriter::CMimeWriter(MailJob& job, IMailChannel& channel, IMailEnvironment& environment,
                         const CString& numbering)
    : m_job(job), m_channel(channel), m_environment(environment) {
  const bool multipart = !job.attachments.IsEmpty();
  CString subject = OnOneLine(job.subject);
  if (!numbering.IsEmpty()) subject = subject.IsEmpty() ? numbering : subject + " " + numbering;
  m_head = FoldedHeader("From: " + WithoutLineBreaks(job.sender)).str();
  if (IsAscii(subject.str())) {
    m_head += FoldedHeader("Subject: " + subject).str();
  } else {
    m_head += "Subject: " + EncodedWords(m_environment.ToUtf8(subject).str(), 9) + "\r\n";
  }
  m_head += Text(IDS_MIME_VERSION).str();
  LayOutBody(job.body.str(), multipart);
  for (int i = 0; i < job.attachments.GetSize(); ++i) m_parts.push_back(LayOutPart(job.attachments[i]));
}

void CMimeWriter::LayOutBody(const std::string& body, bool multipart) {
  std::string wire;
  std::string textHeaders;
  if (IsAscii(body)) {
    // As typed: lines end at CR LF, so a pair is never split, and a body that ends with CR LF
    // is followed by an empty line. Only a line too long for the wire gets line breaks of ours.
    if (multipart) textHeaders = "Content-Type: text/plain; charset=\"us-ascii\"\r\n";
    for (size_t at = 0; at < body.size();) {
      size_t end = body.find("\r\n", at);
      if (end == std::string::npos) end = body.size();
      do {
        const size_t length = BodyPieceLength(body, at, end);
        wire += DotStuffed(body.substr(at, length)).str() + "\r\n";
        at += length;
      } while (at < end);
      if (end == body.size()) break;
      at = end + 2;
      if (at == body.size()) wire += "\r\n";
    }
  } else {
    // Converted to UTF-8 and encoded for a 7-bit path: quoted-printable for text that is
    // mostly ASCII (the Latin languages, readable as it stands), base64 for other scripts,
    // where it is the shorter. Neither has a line that starts with a period.
    const std::string utf8 = m_environment.ToUtf8(body).str();
    size_t high = 0;
    for (unsigned char c : utf8) high += c >= 0x80;
    const bool quoted = high * 4 <= utf8.size();
    // Either way the text ends with a line break, as a body that goes as typed does.
    wire = quoted ? QuotedPrintable(utf8) : Base64Lines(utf8 + "\r\n");
    textHeaders = std::string(kUtf8Text) + (quoted ? "quoted-printable" : "base64") + "\r\n";
  }
  ChooseBoundary(wire);
  if (multipart) {
    m_head += Text(IDS_MIME_MULTIPART).str() + "\"" + m_boundary + "\"\r\n\r\n--" + m_boundary + "\r\n";
  }
  m_head += textHeaders + "\r\n";
  for (size_t at = 0; at < wire.size();) {
    const size_t end = wire.find("\r\n", at) + 2;
    m_bodyLines.push_back(wire.substr(at, end - at));
    at = end;
  }
  m_bodySize = wire.size();
}

void CMimeWriter::ChooseBoundary(const std::string& body) {
  const std::string stem = Text(IDS_MIME_BOUNDARY).str();
  for (int attempt = 0; attempt < kBoundaryTries; ++attempt) {
    uint8_t random[18];
    m_environment.Random(random, sizeof(random));
    m_boundary = BoundaryFrom(stem, random);
    if (body.find(m_boundary) == std::string::npos) return;
  }
}

CMimeWriter::Part CMimeWriter::LayOutPart(const CString& path) {
  Part part;
  const CString name = WithoutLineBreaks(AttachmentFileName(path));
  const std::string utf8 = IsAscii(name.str()) ? name.str() : m_environment.ToUtf8(name).str();
  part.head = "\r\n--" + m_boundary + "\r\nContent-Type: " + ContentTypeOf(name.str()) + "; " +
              FileNameParameter("name", name.str(), utf8) + "\r\n" + Text(IDS_MIME_BASE64).str() +
              "\r\nContent-Disposition: attachment; " + FileNameParameter("filename", name.str(), utf8) +
              "\r\n";
  const std::string description = Text(IDS_MIME_DESCRIPTION).str();
  part.head += description + HeaderText(name.str(), utf8, description.size()) + "\r\n\r\n";
  uint64_t size = 0;
  const std::unique_ptr<IAttachmentFile> file = m_environment.OpenFile(path);
  if (file && file->Size(&size)) part.size = Base64ContentSize(size);
  part.size += part.head.size();
  return part;
}

uint64_t CMimeWriter::FixedSize(const CString& toHeader) const {
  const uint64_t closing = m_parts.empty() ? 0 : m_boundary.size() + 8;  // CR LF "--" B "--" CR LF
  return FoldedHeader(toHeader).str().size() + m_head.size() + m_bodySize + closing;
}

uint64_t CMimeWriter::Size(const CString& toHeader) const {
  uint64_t size = FixedSize(toHeader);
  for (const Part& part : m_parts) size += part.size;
  return size;
}

void CMimeWriter::SendContent(const CString& toHeader) {
  // The body is taken whole first: a window message dispatched while a line goes out may
  // touch the job.
  m_job.body.Empty();
  m_channel.SendText(FoldedHeader(toHeader));
  m_channel.SendText(m_head);
  for (const std::string& line : m_bodyLines) m_channel.SendText(line);
  if (m_parts.empty()) return;
  for (size_t i = 0; i < m_parts.size() && !m_job.attachments.IsEmpty() && !m_environment.SendCancelled();
       ++i) {
    SendAttachment(0, m_parts[i]);
  }
  // Cancelled: the message stays unfinished, for the conversation to give up.
  if (m_environment.SendCancelled()) {
    m_job.Clear();
    return;
  }
  m_channel.SendText("\r\n--" + m_boundary + "--\r\n");
}

void CMimeWriter::SendAttachment(int index, const Part& part) {
  // The path is kept whole (no fixed-size copy), so a long path neither overruns nor
  // opens a different, truncated name.
  const CString path = m_job.attachments.GetAt(index);
  CBase64FileReader reader(m_environment);
  const bool opened = reader.Open(path) == 0;
  m_channel.SendText(part.head);
  if (opened) {
    m_environment.UpdateProgress(static_cast<unsigned>(index), kProgressFile);
    uint64_t size = 0;
    if (reader.FileSize(&size)) {
      m_environment.UpdateProgress(static_cast<unsigned>((size + kBase64ReadSize - 1) / kBase64ReadSize),
                                   kProgressRange);
    }
    char line[kAttachmentLineBuffer];
    unsigned counter = 1;
    while (!m_environment.SendCancelled() &&
           reader.ReadLine(line, sizeof(line)) == CBase64FileReader::kLine) {
      m_environment.UpdateProgress(counter, kProgressPosition);
      m_channel.SendText(CString(line) + "\r\n");
      ++counter;
    }
  }
  m_job.attachments.RemoveAt(index);
}
