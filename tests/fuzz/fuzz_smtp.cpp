// Fuzz target: a mail job sent to a hostile server. The input is the job (sender, recipients,
// subject, body, attachments, a Cancel press) and the server's byte stream, received in chunks
// of any size through the socket's line queue; when it ends the server falls silent or closes.
// Properties: every command is one CRLF line, the content holds no line of a lone "." before
// its end, every header carrying the job's texts is one line, and each attachment's base64
// lines decode back to its file.
#include <algorithm>
#include <string>
#include <vector>

#include "mail/Base64.h"
#include "mail/LineQueue.h"
#include "mail/MimeWriter.h"
#include "mail/SmtpConversation.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/native/mail/MailFakes.h"

namespace {
// The server's bytes through the line queue, as the socket's reply reader takes them.
class CHostileServer : public IMailChannel {
 public:
  CHostileServer(std::string stream, size_t chunk, bool closes)
      : m_stream(std::move(stream)), m_chunk(chunk), m_closes(closes) {}
  std::vector<std::string> sent;

  bool SendText(const CString& text) override {
    if (text.IsEmpty()) return false;
    sent.push_back(text.str());
    return true;
  }
  CString ReadReply() override {
    m_timedOut = false;
    while (!m_closed && !m_queue.HasLine()) {
      if (m_at == m_stream.size()) {
        if (m_closes) {
          m_closed = true;
          break;
        }
        m_timedOut = true;
        return ".\r\n";
      }
      const size_t n = std::min(m_chunk, m_stream.size() - m_at);
      m_queue.SplitLines(m_stream.data() + m_at, n);
      m_at += n;
    }
    return m_queue.PopLine();
  }
  bool TimedOut() const override { return m_timedOut; }

 private:
  std::string m_stream;
  size_t m_chunk;
  bool m_closes;
  size_t m_at = 0;
  bool m_closed = false;
  bool m_timedOut = false;
  CLineQueue m_queue;
};

bool OneLine(const std::string& text) {
  return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 &&
         text.find_first_of("\r\n") == text.size() - 2;
}

std::string DecodeBase64(const std::string& text) {
  static const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    const size_t value = alphabet.find(c);
    FUZZ_CHECK(value != std::string::npos);
    bits = bits << 6 | static_cast<uint32_t>(value);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>(bits >> count & 0xFF);
    }
  }
  return out;
}

struct Attachment {
  std::string path;
  bool exists;
  std::string content;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  MailJob job;
  job.sender = in.Text(300);
  for (uint32_t n = in.Range(0, 4); n > 0; --n) job.recipients.Add(in.Text(300));
  job.subject = in.Text(300);
  job.body = in.Blob();
  FakeEnvironment env;
  std::vector<Attachment> attachments(in.Range(0, 3));
  for (Attachment& a : attachments) {
    a.path = in.Text(300);
    a.exists = in.Byte() != 0;
    a.content = in.Blob();
    job.attachments.Add(a.path);
    if (a.exists && !env.files.count(a.path)) env.files[a.path] = a.content;
  }
  env.sizeKnown = in.Bool();
  env.cancelAtPosition = in.Range(0, 4);
  const size_t chunk = in.Range(1, 64);
  const bool closes = in.Bool();
  const size_t bodyPieces = (job.body.str().size() + kBodyPieceLength - 1) / kBodyPieceLength;
  CHostileServer server(in.Rest(), chunk, closes);

  CSmtpConversation conversation(job, server, env);
  conversation.Run();

  const std::vector<std::string>& sent = server.sent;
  const auto data_ = std::find(sent.begin(), sent.end(), "DATA \r\n");
  for (auto it = sent.begin(); it != data_; ++it) FUZZ_CHECK(OneLine(*it));
  if (data_ == sent.end()) return 0;
  const auto end = std::find(data_ + 1, sent.end(), ".\r\n");
  for (auto it = end; it != sent.end(); ++it) FUZZ_CHECK(OneLine(*it));

  std::string content = "\r\n";
  for (auto it = data_ + 1; it != end; ++it) content += *it;
  FUZZ_CHECK(content.size() >= 4 && content.compare(content.size() - 2, 2, "\r\n") == 0);
  for (size_t dot = content.find("\n."); dot != std::string::npos; dot = content.find("\n.", dot + 1))
    FUZZ_CHECK(dot + 2 < content.size() && content[dot + 2] != '\r' && content[dot + 2] != '\n');

  // To, From and Subject carry the job's texts.
  const std::vector<std::string> texts(data_ + 1, end);
  FUZZ_CHECK(texts.size() >= 4);
  for (int h = 0; h < 3; ++h) FUZZ_CHECK(OneLine(texts[h]));
  if (attachments.empty() || env.cancelled) return 0;

  // After the headers, the multipart line, the text part's opening and the body: each
  // attachment's boundary, five header texts, then its base64 lines.
  const std::string boundary = "\r\n--" + env.Text(IDS_MIME_BOUNDARY).str() + "\r\n";
  size_t at = 4 + 4 + bodyPieces;
  for (const Attachment& a : attachments) {
    FUZZ_CHECK(at + 6 <= texts.size() && texts[at] == boundary);
    for (int h = 1; h <= 4; ++h) FUZZ_CHECK(OneLine(texts[at + h]));
    at += 6;
    std::string lines;
    for (; at < texts.size() && texts[at].compare(0, 2, "\r\n") != 0; ++at) {
      FUZZ_CHECK(OneLine(texts[at]) && texts[at].size() <= kBase64LineLength + 2);
      lines += texts[at].substr(0, texts[at].size() - 2);
    }
    const auto file = env.files.find(a.path);
    FUZZ_CHECK(DecodeBase64(lines) == (file != env.files.end() ? file->second : std::string()));
  }
  FUZZ_CHECK(at + 1 == texts.size());
  return 0;
}
