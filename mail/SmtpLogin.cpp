// The EHLO keywords and the login responses.
#include "mail/SmtpLogin.h"

#include <vector>

#include "mail/Base64.h"

namespace {
// The blank-separated words of `text`, upper-cased.
std::vector<CString> Words(const CString& text) {
  std::vector<CString> words;
  CString word;
  for (char c : text.str() + " ") {
    if (c == ' ' || c == '\t') {
      if (!word.IsEmpty()) words.push_back(word.Upper());
      word.Empty();
    } else {
      word += c;
    }
  }
  return words;
}

void AddMechanisms(ServerExtensions& extensions, const std::vector<CString>& words, size_t first) {
  for (size_t i = first; i < words.size(); ++i) {
    if (words[i] == "PLAIN") extensions.authPlain = true;
    if (words[i] == "LOGIN") extensions.authLogin = true;
    if (words[i] == "XOAUTH2") extensions.authXOAuth2 = true;
    if (words[i] == "OAUTHBEARER") extensions.authOAuthBearer = true;
  }
}

// The number of a SIZE keyword; 0 (no fixed limit) for anything else.
uint64_t SizeLimit(const CString& word) {
  if (word.IsEmpty() || word.GetLength() > 15) return 0;
  uint64_t limit = 0;
  for (char c : word.str()) {
    if (c < '0' || c > '9') return 0;
    limit = limit * 10 + static_cast<uint64_t>(c - '0');
  }
  return limit;
}
}  // namespace

ServerExtensions ReadExtensions(const SmtpReply& ehlo) {
  ServerExtensions extensions;
  // The first line greets; each further line is one keyword with its parameters.
  for (size_t line = 1; line < ehlo.lines.size(); ++line) {
    std::vector<CString> words = Words(ehlo.lines[line]);
    if (words.empty()) continue;
    if (words[0] == "STARTTLS") {
      extensions.startTls = true;
    } else if (words[0] == "AUTH") {
      AddMechanisms(extensions, words, 1);
    } else if (words[0] == "SIZE") {
      extensions.size = true;
      extensions.sizeLimit = words.size() > 1 ? SizeLimit(words[1]) : 0;
    } else if (words[0].Left(5) == "AUTH=") {
      words[0] = words[0].Mid(5);
      AddMechanisms(extensions, words, 0);
    }
  }
  return extensions;
}

CString PlainResponse(const CString& user, const CString& password) {
  std::string message;
  message.reserve(user.str().size() + password.str().size() + 2);
  message += '\0';
  message += user.str();
  message += '\0';
  message += password.str();
  CString response = Base64Text(message);
  WipeBytes(message);
  return response;
}
