// CLoopbackRequest and the listener's page.
#include "mail/LoopbackRequest.h"

#include <map>

namespace {
int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}
}  // namespace

bool QueryDecoded(const std::string& text, std::string* value) {
  value->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      *value += ' ';
    } else if (text[i] == '%') {
      if (i + 2 >= text.size()) return false;
      const int high = HexDigit(text[i + 1]);
      const int low = HexDigit(text[i + 2]);
      if (high < 0 || low < 0) return false;
      *value += static_cast<char>(high << 4 | low);
      i += 2;
    } else {
      *value += text[i];
    }
  }
  return true;
}

CLoopbackRequest::Status CLoopbackRequest::Add(const char* data, size_t size) {
  if (m_status != kIncomplete) return m_status;
  m_head.append(data, size);
  const size_t end = m_head.find("\r\n\r\n");
  if (end == std::string::npos) {
    if (m_head.size() > kMaxHead) m_status = kBad;
    return m_status;
  }
  if (end + 4 > kMaxHead) return m_status = kBad;
  m_head.resize(end);
  return m_status = Parse();
}

CLoopbackRequest::Status CLoopbackRequest::Parse() {
  // "GET /?query HTTP/1.1": the method, the target, the version.
  const std::string line = m_head.substr(0, m_head.find("\r\n"));
  const size_t first = line.find(' ');
  const size_t second = first == std::string::npos ? first : line.find(' ', first + 1);
  if (second == std::string::npos || line.compare(second + 1, 5, "HTTP/") != 0) return kBad;
  if (line.compare(0, first, "GET") != 0) return kBad;
  const std::string target = line.substr(first + 1, second - first - 1);
  const size_t question = target.find('?');
  if (target.substr(0, question) != "/") return kNotRedirect;
  if (question == std::string::npos) return kBad;
  std::map<std::string, std::string> values;
  const std::string query = target.substr(question + 1);
  for (size_t at = 0; at <= query.size();) {
    size_t end = query.find('&', at);
    if (end == std::string::npos) end = query.size();
    const std::string pair = query.substr(at, end - at);
    const size_t equals = pair.find('=');
    std::string name, value;
    if (!pair.empty()) {
      if (equals == std::string::npos || !QueryDecoded(pair.substr(0, equals), &name) ||
          !QueryDecoded(pair.substr(equals + 1), &value) || !values.emplace(name, value).second) {
        return kBad;  // a broken pair, or a name given twice
      }
    }
    at = end + 1;
  }
  if (values.count("error")) {
    m_error = values["error"];
    m_description = values["error_description"];
    return kRefused;
  }
  if (values["code"].empty() || values["state"].empty()) return kBad;
  m_code = values["code"];
  m_state = values["state"];
  return kAnswer;
}

std::string LoopbackResponse(int status, const std::string& title, const std::string& text) {
  std::string body;
  const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Bad Request";
  if (status == 200) {
    body = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + Escaped(title) +
           "</title></head>\n<body style=\"font-family:sans-serif;margin:3em\"><h1>" + Escaped(title) +
           "</h1>\n<p>" + Escaped(text) + "</p></body></html>\n";
  }
  return "HTTP/1.1 " + std::to_string(status) + " " + reason +
         "\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nCache-Control: no-store\r\nConnection: close\r\n\r\n" + body;
}
