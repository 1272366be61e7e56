// What a token endpoint answered (RFC 6749 sections 5.1 and 5.2): tokens, a refusal with its
// error code, or something else. Tokens go into SMTP command lines, so only visible ASCII is
// taken. Platform-free.
#pragma once

#include <cstdint>
#include <string>

struct TokenAnswer {
  enum Kind {
    kTokens,
    kRefused,    // an error response: `error` says why (invalid_grant: the grant is no longer valid)
    kMalformed,  // not an answer of a token endpoint
  };
  // The longest token taken, and the lifetime assumed when the answer gives none.
  static constexpr size_t kMaxToken = 8192;
  static constexpr int64_t kDefaultLifetimeSeconds = 3600;

  Kind kind = kMalformed;
  std::string accessToken;
  std::string refreshToken;  // empty when the server kept the one it had
  int64_t expiresInSeconds = kDefaultLifetimeSeconds;
  std::string error;
  std::string description;  // the server's words, shortened and on one line

  bool GrantInvalid() const { return kind == kRefused && error == "invalid_grant"; }
  void Wipe();
};

// Reads the answer of HTTP status `status` with body `body`.
TokenAnswer ReadTokenAnswer(int status, const std::string& body);
