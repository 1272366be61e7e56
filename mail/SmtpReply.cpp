// SmtpReply and CReplyReader.
#include "mail/SmtpReply.h"

#include <algorithm>

namespace {
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The code of a reply line ("250", "250 text", "250-text"), 0 when it is none.
int LineCode(const std::string& line) {
  if (line.size() < 3 || line[0] < '1' || line[0] > '5' || !IsDigit(line[1]) || !IsDigit(line[2])) return 0;
  if (line.size() > 3 && line[3] != ' ' && line[3] != '-') return 0;
  return (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
}
}  // namespace

CString SmtpReply::Quote() const {
  CString quote;
  const size_t count = std::min(lines.size(), kQuoteLines);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) quote += "\n";
    quote += CString::Format("%d", code);
    const std::string& text = lines[i].str();
    if (!text.empty()) quote += ' ';
    for (size_t at = 0; at < text.size() && at < kQuoteLength; ++at) {
      const unsigned char c = static_cast<unsigned char>(text[at]);
      quote += c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    }
  }
  return quote;
}

bool CReplyReader::TakeLine(std::string* line) {
  const size_t end = m_pending.find('\n');
  if (end == std::string::npos) return false;
  size_t length = end;
  if (length > 0 && m_pending[length - 1] == '\r') --length;
  line->assign(m_pending, 0, length);
  m_pending.erase(0, end + 1);
  return true;
}

SmtpReply CReplyReader::Read(uint32_t limitMs) {
  SmtpReply reply;
  const uint32_t start = m_channel.NowMs();
  for (;;) {
    std::string line;
    while (TakeLine(&line)) {
      if (line.size() + 2 > kMaxLineLength) {
        reply.status = SmtpReply::kTooLong;
        return reply;
      }
      const int code = LineCode(line);
      if (code == 0 || (reply.code != 0 && code != reply.code)) {
        reply.status = SmtpReply::kMalformed;
        return reply;
      }
      reply.code = code;
      reply.lines.emplace_back(line.size() > 4 ? line.substr(4) : std::string());
      if (line.size() == 3 || line[3] == ' ') {
        reply.status = SmtpReply::kComplete;
        return reply;
      }
      if (reply.lines.size() >= kMaxLines) {
        reply.status = SmtpReply::kTooLong;
        return reply;
      }
    }
    // A line without its end yet may not grow past the cap either.
    if (m_pending.size() >= kMaxLineLength) {
      reply.status = SmtpReply::kTooLong;
      return reply;
    }
    if (m_environment.SendCancelled()) {
      reply.status = SmtpReply::kCancelled;
      return reply;
    }
    const uint32_t elapsed = m_channel.NowMs() - start;
    if (elapsed >= limitMs) {
      reply.status = SmtpReply::kTimedOut;
      return reply;
    }
    switch (m_channel.Receive(m_pending, std::min(limitMs - elapsed, kWaitSliceMs))) {
      case IMailChannel::kClosed:
        reply.status = SmtpReply::kClosed;
        return reply;
      case IMailChannel::kFailed:
        reply.status = SmtpReply::kFailed;
        return reply;
      case IMailChannel::kStalled:
        reply.status = SmtpReply::kTimedOut;
        return reply;
      default:
        break;
    }
  }
}
