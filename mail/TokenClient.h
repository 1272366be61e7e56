// One HTTPS POST of a form to a token endpoint over WinHTTP, in its asynchronous mode: the
// calling thread waits dispatching window messages (so Cancel is answered) and sleeps in the
// kernel meanwhile. The server's certificate is checked as a mail server's is (chain, validity,
// name) after the handshake and before the form, which carries the secrets, is written. The
// answer is read up to a cap.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "framework/String.h"
#include "mail/MailChannel.h"

class CTokenClient {
 public:
  enum Outcome {
    kAnswered,     // `status` and `body` hold the answer
    kUnreachable,  // no connection, or it broke (`error`: the WinHTTP error)
    kCertificate,  // the certificate failed its check (`error`: the reason's code)
    kTimedOut,
    kCancelled,
  };
  struct Result {
    Outcome outcome = kUnreachable;
    int status = 0;
    std::string body;
    uint32_t error = 0;
  };
  static constexpr size_t kMaxAnswer = 64 * 1024;
  static constexpr uint32_t kLimitMs = 60000;

  // Posts `form` (application/x-www-form-urlencoded) to the https address `url`.
  static Result Post(const CString& url, const std::string& form, const std::function<bool()>& cancelled);
};
