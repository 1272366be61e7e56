// ReadTokenAnswer.
#include "mail/TokenAnswer.h"

#include "framework/String.h"
#include "mail/JsonReader.h"

namespace {
const size_t kMaxDescription = 300;

bool VisibleAscii(const std::string& text, size_t limit) {
  if (text.empty() || text.size() > limit) return false;
  for (unsigned char c : text) {
    if (c < 0x21 || c > 0x7E) return false;
  }
  return true;
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (unsigned char c : text.substr(0, kMaxDescription)) line += c < 0x20 ? ' ' : static_cast<char>(c);
  return line;
}

bool SameLetters(const std::string& a, const char* b) { return CString(a).Upper() == CString(b).Upper(); }
}  // namespace

void TokenAnswer::Wipe() {
  WipeBytes(accessToken);
  WipeBytes(refreshToken);
}

TokenAnswer ReadTokenAnswer(int status, const std::string& body) {
  TokenAnswer answer;
  JsonObject object;
  if (!object.Parse(body)) return answer;
  if (status == 200) {
    const std::string access = object.String("access_token");
    const std::string refresh = object.String("refresh_token");
    if (!VisibleAscii(access, TokenAnswer::kMaxToken) ||
        !SameLetters(object.String("token_type"), "Bearer") ||
        (object.Has("refresh_token") && !VisibleAscii(refresh, TokenAnswer::kMaxToken))) {
      return answer;
    }
    int64_t lifetime = 0;
    if (object.Integer("expires_in", &lifetime)) answer.expiresInSeconds = lifetime;
    answer.kind = TokenAnswer::kTokens;
    answer.accessToken = access;
    answer.refreshToken = refresh;
    return answer;
  }
  // An error answer comes with 400 (or 401 for a client that failed to authenticate).
  const std::string error = object.String("error");
  if (status < 400 || status > 499 || !VisibleAscii(error, 100)) return answer;
  answer.kind = TokenAnswer::kRefused;
  answer.error = error;
  answer.description = OneLine(object.String("error_description"));
  return answer;
}
