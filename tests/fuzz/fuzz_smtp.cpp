// Fuzz target: a mail job sent to a hostile server. The input is the connection's security and
// login, the job (sender, recipients, subject, body, attachments, a Cancel press), and the
// server's byte stream, received in chunks of any size with any delay through the reply
// reader; when it ends the server falls silent, closes or breaks the connection. Properties:
// every command is one CRLF line, no login goes out before the connection is secured, nothing
// goes out after the connection is dropped, the content holds no line of a lone "." before
// its end (and, given up at Cancel, none at all), every header carrying the job's texts is one
// header whose lines fit the header line limit, every body line fits the line limit, and each attachment's
// base64 lines decode back to its file.
#include <algorithm>
#include <string>
#include <vector>

#include "mail/Base64.h"
#include "mail/MimeWriter.h"
#include "mail/SmtpConversation.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/native/mail/MailFakes.h"

namespace {
const char kSecured[] = "<TLS>";

// The server's bytes in chunks, each after its delay on a fake clock; silence lets every wait
// run its whole time.
class CHostileServer : public IMailChannel {
 public:
  enum End { kSilent, kCloses, kBreaks };
  CHostileServer(std::string stream, size_t chunk, uint32_t delayMs, End end, TlsResult tls)
      : m_stream(std::move(stream)), m_chunk(chunk), m_delayMs(delayMs), m_end(end), m_tls(tls) {}
  std::vector<std::string> sent;  // texts, kSecured where the connection was secured
  bool textAfterAbort = false;

  bool SendText(const CString& text) override {
    if (text.IsEmpty()) return false;
    if (m_aborted) textAfterAbort = true;
    sent.push_back(text.str());
    return true;
  }
  Received Receive(std::string& into, uint32_t waitMs) override {
    if (m_aborted) return kFailed;
    if (m_at < m_stream.size()) {
      const uint32_t remaining = m_delayMs - m_waited;
      if (remaining > waitMs) {  // a slow chunk spans several waits
        m_now += waitMs;
        m_waited += waitMs;
        return kNothing;
      }
      m_now += remaining;
      m_waited = 0;
      const size_t n = std::min(m_chunk, m_stream.size() - m_at);
      into.append(m_stream, m_at, n);
      m_at += n;
      return kData;
    }
    if (m_end == kCloses) return kClosed;
    if (m_end == kBreaks) return kFailed;
    m_now += waitMs;
    return kNothing;
  }
  uint32_t NowMs() override { return m_now; }
  TlsResult StartTls(uint32_t, uint32_t* error) override {
    *error = 0;
    if (m_tls == TlsResult::kSecured) sent.push_back(kSecured);
    return m_tls;
  }
  void Abort() override { m_aborted = true; }

 private:
  std::string m_stream;
  size_t m_chunk;
  uint32_t m_delayMs;
  End m_end;
  TlsResult m_tls;
  size_t m_at = 0;
  uint32_t m_waited = 0;
  uint32_t m_now = 0;
  bool m_aborted = false;
};

bool OneLine(const std::string& text) {
  return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0 &&
         text.find_first_of("\r\n") == text.size() - 2;
}

// One header, folded where it is longer than the limit: each line within it, every line
// after the first begun by a blank.
bool OneHeader(const std::string& text) {
  if (text.size() < 2 || text.compare(text.size() - 2, 2, "\r\n") != 0) return false;
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find_first_of("\r\n", at);
    if (text.compare(end, 2, "\r\n") != 0 || end - at > kMaxMailLine) return false;
    if (at > 0 && text[at] != ' ' && text[at] != '\t') return false;
    at = end + 2;
  }
  return true;
}

// The content's texts after the headers (To, From, Subject, MIME-Version): with attachments,
// the multipart line and the text part's opening, then the body's lines, each within the
// line limit; then each attachment's boundary, five header texts and base64 lines that are
// its file's base64, and the closing boundary.
void CheckBodyAndAttachments(const std::vector<std::string>& texts, const std::vector<std::string>& paths,
                             FakeEnvironment& env) {
  const std::string boundary = "\r\n--" + env.Text(IDS_MIME_BOUNDARY).str() + "\r\n";
  size_t at = paths.empty() ? 5 : 8;
  FUZZ_CHECK(texts.size() >= at);
  // (A lone CR or LF typed into the body stays in its line.)
  for (; at < texts.size() && texts[at] != boundary; ++at)
    FUZZ_CHECK(texts[at].size() <= kMaxMailLine + 2 && texts[at].find("\r\n") == texts[at].size() - 2);
  if (paths.empty()) return;
  for (const std::string& path : paths) {
    FUZZ_CHECK(at + 6 <= texts.size() && texts[at] == boundary);
    for (int h = 1; h <= 4; ++h) FUZZ_CHECK(OneLine(texts[at + h]));
    at += 6;
    std::string lines;
    for (; at < texts.size() && texts[at].compare(0, 2, "\r\n") != 0; ++at) {
      FUZZ_CHECK(OneLine(texts[at]) && texts[at].size() <= kBase64LineLength + 2);
      lines += texts[at].substr(0, texts[at].size() - 2);
    }
    const auto file = env.files.find(path);
    FUZZ_CHECK(lines == ReferenceBase64(file != env.files.end() ? file->second : std::string()));
  }
  FUZZ_CHECK(at + 1 == texts.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  MailServerOptions server;
  server.host = "mail.example";
  server.security = ToMailSecurity(static_cast<int>(in.Range(0, 2)));
  const TlsResult tls = static_cast<TlsResult>(in.Range(0, static_cast<uint32_t>(TlsResult::kCancelled)));
  server.user = in.Text(100);
  server.password = in.Text(100);

  MailJob job;
  job.sender = in.Text(300);
  for (uint32_t n = in.Range(0, 4); n > 0; --n) job.recipients.Add(in.Text(300));
  job.subject = in.Text(1500);
  job.body = in.Blob();
  FakeEnvironment env;
  std::vector<std::string> paths(in.Range(0, 3));
  for (std::string& path : paths) {
    path = in.Text(300);
    const bool exists = in.Byte() != 0;
    const std::string content = in.Blob();
    job.attachments.Add(path);
    if (exists && !env.files.count(path)) env.files[path] = content;
  }
  env.sizeKnown = in.Bool();
  env.cancelAtPosition = in.Range(0, 4);
  const size_t chunk = in.Range(1, 64);
  const uint32_t delayMs = in.Range(0, 3000);
  const auto ending = static_cast<CHostileServer::End>(in.Range(0, 2));
  CHostileServer channel(in.Rest(), chunk, delayMs, ending, tls);

  CSmtpConversation conversation(job, server, channel, env);
  const bool accepted = conversation.Run();
  FUZZ_CHECK(!channel.textAfterAbort);

  std::vector<std::string> sent;
  bool secured = false, inContent = false;
  for (const std::string& text : channel.sent) {
    if (text == kSecured) {
      secured = true;
      continue;
    }
    // The login goes out only over a secured connection, and only when one is asked for (a
    // body may hold the word too: only the commands before the content count).
    inContent = inContent || text == "DATA\r\n";
    if (!inContent && text.compare(0, 4, "AUTH") == 0) FUZZ_CHECK(secured && server.LogsIn());
    sent.push_back(text);
  }
  const auto dataCommand = std::find(sent.begin(), sent.end(), "DATA\r\n");
  for (auto it = sent.begin(); it != dataCommand; ++it) FUZZ_CHECK(OneLine(*it));
  // A refused DATA is followed by QUIT (or nothing), the content by the final "." line, unless
  // Cancel gave the message up (the connection reset before any "." line).
  const bool contentSent = dataCommand != sent.end() && dataCommand + 1 != sent.end() &&
                           dataCommand[1].compare(0, 5, "To: <") == 0;
  if (!contentSent) {
    for (auto it = dataCommand; it != sent.end(); ++it) FUZZ_CHECK(OneLine(*it));
    return 0;
  }
  const auto end = std::find(dataCommand + 1, sent.end(), ".\r\n");
  FUZZ_CHECK((end == sent.end()) == env.cancelled);
  for (auto it = end; it != sent.end(); ++it) FUZZ_CHECK(OneLine(*it));

  std::string content = "\r\n";
  for (auto it = dataCommand + 1; it != end; ++it) content += *it;
  FUZZ_CHECK(content.size() >= 4 && content.compare(content.size() - 2, 2, "\r\n") == 0);
  for (size_t dot = content.find("\n."); dot != std::string::npos; dot = content.find("\n.", dot + 1))
    FUZZ_CHECK(dot + 2 < content.size() && content[dot + 2] != '\r' && content[dot + 2] != '\n');

  // To, From and Subject carry the job's texts.
  const std::vector<std::string> texts(dataCommand + 1, end);
  FUZZ_CHECK(texts.size() >= 4);
  for (int h = 0; h < 3; ++h) FUZZ_CHECK(OneHeader(texts[h]));
  if (!env.cancelled) CheckBodyAndAttachments(texts, paths, env);
  if (accepted) FUZZ_CHECK(!env.cancelled);
  return 0;
}
