// Scripted fakes of the mail channel and the library's surroundings for the native tests.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "mail/MailChannel.h"
#include "resources/postlib/resource.h"

// A server that answers each wait for bytes with the next scripted chunk (a whole reply, or a
// piece of one); records every text sent, with "<TLS>" where the connection was secured and
// "<ABORT>" where it was dropped. Past the script (or from `silentFrom` on) it is silent, and
// each wait lets its whole time pass on the fake clock; with `closesAtEnd` it closes instead.
// `onSend` sees every text as it is sent (a test presses Cancel there).
class FakeChannel : public IMailChannel {
 public:
  std::vector<std::string> replies;
  std::vector<std::string> sent;
  size_t nextReply = 0;
  size_t silentFrom = static_cast<size_t>(-1);
  bool closesAtEnd = false;
  TlsResult tls = TlsResult::kSecured;
  uint32_t tlsError = 0;
  uint32_t now = 0;
  bool aborted = false;
  std::function<void(const std::string&)> onSend;

  bool SendText(const CString& text) override {
    if (text.IsEmpty()) return false;
    if (!aborted) sent.push_back(text.str());
    if (onSend) onSend(text.str());
    return true;
  }
  Received Receive(std::string& into, uint32_t waitMs) override {
    if (aborted) return kFailed;
    if (nextReply < replies.size() && nextReply < silentFrom) {
      into += replies[nextReply++];
      return kData;
    }
    if (closesAtEnd) return kClosed;
    now += waitMs;
    return kNothing;
  }
  uint32_t NowMs() override { return now; }
  TlsResult StartTls(uint32_t waitMs, uint32_t* error) override {
    sent.push_back("<TLS>");
    *error = tlsError;
    return tls;
  }
  void Abort() override {
    if (!aborted) sent.push_back("<ABORT>");
    aborted = true;
  }
  std::string Wire() const {
    std::string all;
    for (const auto& s : sent) all += s;
    return all;
  }
};

class MemoryFile : public IAttachmentFile {
 public:
  MemoryFile(const std::string& data, bool sizeKnown) : m_data(data), m_sizeKnown(sizeKnown) {}
  bool Read(void* buffer, uint32_t size, uint32_t* got) override {
    const size_t n = std::min<size_t>(size, m_data.size() - m_at);
    std::memcpy(buffer, m_data.data() + m_at, n);
    m_at += n;
    *got = static_cast<uint32_t>(n);
    ++reads;
    maxRead = std::max<size_t>(maxRead, size);
    return true;
  }
  bool Size(uint64_t* size) override {
    if (!m_sizeKnown) return false;
    *size = m_data.size();
    return true;
  }
  static inline int reads = 0;
  static inline size_t maxRead = 0;

 private:
  std::string m_data;
  size_t m_at = 0;
  bool m_sizeKnown;
};

struct ProgressCall {
  unsigned value;
  int code;
};

class FakeEnvironment : public IMailEnvironment {
 public:
  std::map<std::string, std::string> files;  // path -> content
  bool sizeKnown = true;
  std::vector<unsigned> messages;
  std::vector<std::string> quotes;  // one per message, empty without one
  std::vector<ProgressCall> progress;
  bool cancelled = false;
  // Presses Cancel when the progress position reaches this line (0: never).
  unsigned cancelAtPosition = 0;

  CString Text(unsigned id) override {
    switch (id) {
      case IDS_MIME_MULTIPART:
        return "Content-Type: multipart/mixed; boundary=";
      case IDS_MIME_BOUNDARY:
        return "=========_zazed==_";
      case IDS_MIME_BASE64:
        return "Content-Transfer-Encoding: base64";
      case IDS_MIME_VERSION:
        return "MIME-Version: 1.0\r\n";
      case IDS_MESSAGE_NUMBERING:
        return "(%s of %s)";
      case IDS_MIME_DESCRIPTION:
        return "Content-Description: ";
      default:
        return CString::Format("<string %u>", id);
    }
  }
  void ShowMessage(unsigned id) override { ShowMessage(id, CString()); }
  void ShowMessage(unsigned id, const CString& quote) override {
    messages.push_back(id);
    quotes.push_back(quote.str());
  }
  void ShowMessage(unsigned id, const CString& first, const CString& second) override {
    ShowMessage(id, first + "|" + second);
  }
  void UpdateProgress(unsigned value, int code) override {
    progress.push_back({value, code});
    if (code == kProgressPosition && cancelAtPosition && value == cancelAtPosition) cancelled = true;
  }
  bool SendCancelled() const override { return cancelled; }
  std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) override {
    auto it = files.find(path.str());
    if (it == files.end()) return nullptr;
    return std::make_unique<MemoryFile>(it->second, sizeKnown);
  }
  // The fake's code page is Latin-1.
  CString ToUtf8(const CString& text) override {
    std::string utf8;
    for (unsigned char c : text.str()) {
      if (c < 0x80) {
        utf8 += static_cast<char>(c);
      } else {
        utf8 += static_cast<char>(0xC0 | c >> 6);
        utf8 += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return utf8;
  }
  // Bytes from a counter, or the bytes queued in `random` first.
  std::string random;
  unsigned randomCounter = 0;
  void Random(void* bytes, size_t size) override {
    unsigned char* out = static_cast<unsigned char*>(bytes);
    for (size_t i = 0; i < size; ++i) {
      if (!random.empty()) {
        out[i] = static_cast<unsigned char>(random[0]);
        random.erase(0, 1);
      } else {
        out[i] = static_cast<unsigned char>(randomCounter++);
      }
    }
  }
};

// Reference base64 (the whole input at once), for comparisons.
inline std::string ReferenceBase64(const std::string& in) {
  static const char* a = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8 | (unsigned char)in[i + 2];
    out += a[v >> 18 & 63];
    out += a[v >> 12 & 63];
    out += a[v >> 6 & 63];
    out += a[v & 63];
  }
  if (in.size() - i == 1) {
    unsigned v = (unsigned char)in[i] << 16;
    out += a[v >> 18 & 63];
    out += a[v >> 12 & 63];
    out += "==";
  } else if (in.size() - i == 2) {
    unsigned v = (unsigned char)in[i] << 16 | (unsigned char)in[i + 1] << 8;
    out += a[v >> 18 & 63];
    out += a[v >> 12 & 63];
    out += a[v >> 6 & 63];
    out += '=';
  }
  return out;
}

inline std::string Bytes(size_t n, unsigned seed = 7) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 17 + (i >> 3)) & 0xFF);
  return s;
}
