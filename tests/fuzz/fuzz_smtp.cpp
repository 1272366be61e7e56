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

// The lines of `text` (without their CR LF); false when a bare CR or LF ends one.
bool SplitLines(const std::string& text, std::vector<std::string>* lines) {
  for (size_t at = 0; at < text.size();) {
    const size_t end = text.find("\r\n", at);
    if (end == std::string::npos) return false;
    lines->push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return true;
}

// One message between DATA and ".": a header block of whole headers (the job's texts on one
// header each, folded within the line limit, the subject in 7 bits), every line within the
// limit; with attachments a boundary that the text before the first part does not hold, and
// each attachment's part in order, its base64 lines decoding to its file; the closing boundary
// last.
void CheckMessage(const std::string& content, const std::vector<std::string>& paths, FakeEnvironment& env) {
  std::vector<std::string> lines;
  FUZZ_CHECK(SplitLines(content, &lines));
  size_t at = 0;
  int subjects = 0;
  std::string boundary;
  for (; at < lines.size() && !lines[at].empty(); ++at) {
    const std::string& line = lines[at];
    FUZZ_CHECK(line.size() <= kMaxMailLine);
    const bool continued = line[0] == ' ' || line[0] == '\t';
    FUZZ_CHECK(at > 0 || !continued);
    if (line.compare(0, 9, "Subject: ") == 0) ++subjects;
    if (line.compare(0, 8, "Subject:") == 0 || (continued && subjects > 0 && boundary.empty())) {
      for (unsigned char c : line) FUZZ_CHECK(c < 0x80);
    }
    const size_t quoted = line.find("boundary=\"");
    if (quoted != std::string::npos) boundary = line.substr(quoted + 10, line.size() - quoted - 11);
  }
  FUZZ_CHECK(subjects == 1 && at < lines.size());
  for (const std::string& line : lines) FUZZ_CHECK(line.size() <= kMaxMailLine);
  if (paths.empty()) return;
  FUZZ_CHECK(!boundary.empty());
  const std::string delimiter = "--" + boundary;
  size_t part = std::find(lines.begin() + static_cast<long>(at), lines.end(), delimiter) - lines.begin();
  for (size_t i = at; i < part; ++i) FUZZ_CHECK(lines[i].find(delimiter) == std::string::npos);
  // The text part, then one part per attachment.
  part = std::find(lines.begin() + static_cast<long>(part) + 1, lines.end(), delimiter) - lines.begin();
  for (const std::string& path : paths) {
    FUZZ_CHECK(part < lines.size() && lines[part] == delimiter);
    size_t i = part + 1;
    while (i < lines.size() && !lines[i].empty()) ++i;  // its header lines
    std::string base64;
    for (++i; i < lines.size() && !lines[i].empty(); ++i) {
      FUZZ_CHECK(lines[i].size() <= kBase64LineLength);
      base64 += lines[i];
    }
    const auto file = env.files.find(path);
    FUZZ_CHECK(base64 == ReferenceBase64(file != env.files.end() ? file->second : std::string()));
    part = i + 1;
  }
  FUZZ_CHECK(part + 1 == lines.size() && lines[part] == delimiter + "--");
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
  // Every command is one line; each message (a split makes several) goes from DATA to the "."
  // line, unless Cancel gave it up (the connection reset before its "." line).
  size_t messages = 0;
  std::vector<std::string> attached;
  for (auto it = sent.begin(); it != sent.end(); ++it) {
    if (*it != "DATA\r\n" || it + 1 == sent.end() || (it + 1)->compare(0, 5, "To: <") != 0) {
      FUZZ_CHECK(OneLine(*it));
      continue;
    }
    const auto end = std::find(it + 1, sent.end(), ".\r\n");
    if (end == sent.end()) {
      FUZZ_CHECK(env.cancelled);
      break;
    }
    std::string content;
    for (auto piece = it + 1; piece != end; ++piece) content += *piece;
    for (size_t dot = content.find("\n."); dot != std::string::npos; dot = content.find("\n.", dot + 1))
      FUZZ_CHECK(dot + 2 < content.size() && content[dot + 2] != '\r' && content[dot + 2] != '\n');
    FUZZ_CHECK(OneHeader(*(it + 1)));
    // The attachments of this message: the next ones in order, as many as its parts (the
    // delimiter lines of the boundary its header names, less the text part's).
    size_t parts = 0;
    const size_t named = content.find("; boundary=\"");
    const size_t head = content.find("\r\n\r\n");
    if (named != std::string::npos && named < head) {
      const std::string delimiter =
          "\r\n--" + content.substr(named + 12, content.find('"', named + 12) - named - 12) + "\r\n";
      for (size_t at = content.find(delimiter); at != std::string::npos; at = content.find(delimiter, at + 1))
        ++parts;
      parts = parts > 0 ? parts - 1 : 0;
    }
    FUZZ_CHECK(attached.size() + parts <= paths.size());
    const std::vector<std::string> mine(paths.begin() + static_cast<long>(attached.size()),
                                        paths.begin() + static_cast<long>(attached.size() + parts));
    if (!env.cancelled) CheckMessage(content, mine, env);
    attached.insert(attached.end(), mine.begin(), mine.end());
    ++messages;
    it = end;
  }
  if (accepted) FUZZ_CHECK(messages >= 1 && attached.size() == paths.size());
  if (accepted) FUZZ_CHECK(!env.cancelled);
  return 0;
}
