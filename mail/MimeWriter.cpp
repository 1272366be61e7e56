// CMimeWriter.
#include "mail/MimeWriter.h"

#include "mail/Base64.h"
#include "resources/postlib/resource.h"

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

void CMimeWriter::SendContent(const CString& toHeader) {
  m_channel.SendText(FoldedHeader(toHeader));
  m_channel.SendText(FoldedHeader("From: " + WithoutLineBreaks(m_job.sender)));
  m_channel.SendText(FoldedHeader("Subject: " + OnOneLine(m_job.subject)));
  m_channel.SendText(Text(IDS_MIME_VERSION));
  if (m_job.attachments.IsEmpty()) {
    m_channel.SendText("\r\n");
    SendBody();
    return;
  }
  const CString boundary = Text(IDS_MIME_BOUNDARY);
  m_channel.SendText(Text(IDS_MIME_MULTIPART) + "\"" + boundary + "\"\r\n\r\n");
  m_channel.SendText("--" + boundary + "\r\n");
  m_channel.SendText(Text(IDS_MIME_TEXT_PLAIN) + "\r\n");
  m_channel.SendText("\r\n");
  SendBody();
  while (!m_job.attachments.IsEmpty() && !m_environment.SendCancelled()) {
    m_channel.SendText("\r\n--" + boundary + "\r\n");
    SendAttachment(0);
  }
  // Cancelled: the message stays unfinished, for the conversation to give up.
  if (m_environment.SendCancelled()) {
    m_job.Clear();
    return;
  }
  m_channel.SendText("\r\n--" + boundary + "--\r\n");
}

void CMimeWriter::SendBody() {
  // Taken whole first: a window message dispatched while a line goes out may touch the job.
  const std::string body = m_job.body.str();
  m_job.body.Empty();
  if (body.empty()) return;
  // Lines end at CR LF, so a pair is never split, and a body that ends with CR LF is followed
  // by an empty line. Only a line too long for the wire gets line breaks of ours.
  size_t at = 0;
  for (;;) {
    size_t end = body.find("\r\n", at);
    if (end == std::string::npos) end = body.size();
    do {
      const size_t length = BodyPieceLength(body, at, end);
      m_channel.SendText(DotStuffed(body.substr(at, length)) + "\r\n");
      at += length;
    } while (at < end);
    if (end == body.size()) return;
    at = end + 2;
  }
}

void CMimeWriter::SendAttachment(int index) {
  // The path is kept whole (no fixed-size copy), so a long path neither overruns nor
  // opens a different, truncated name.
  const CString path = m_job.attachments.GetAt(index);
  CBase64FileReader reader(m_environment);
  const bool opened = reader.Open(path) == 0;
  const CString name = WithoutLineBreaks(AttachmentFileName(path));
  m_channel.SendText(Text(IDS_MIME_OCTET_STREAM) + name + "\"\r\n");
  m_channel.SendText(Text(IDS_MIME_BASE64) + "\r\n");
  m_channel.SendText(Text(IDS_MIME_DISPOSITION) + name + "\"\r\n");
  m_channel.SendText(Text(IDS_MIME_DESCRIPTION) + name + "\r\n");
  m_channel.SendText("\r\n");
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
