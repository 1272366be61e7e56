// Fuzz target: what an authorization server, a browser and a mail server hand the sign-in. The
// input is an HTTP status and a token endpoint's answer, a loopback request received in chunks
// of any size, and a failure challenge. Properties: tokens taken are visible ASCII within their
// cap (they go into command lines), an error's description is one line within its cap, a
// request's status settles once its head is whole and never past the head's cap, a redirect
// carries a code and a state, and nothing reads past its input (the sanitizers watch that).
#include <string>

#include "mail/LoopbackRequest.h"
#include "mail/SaslBearer.h"
#include "mail/TokenAnswer.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
bool Visible(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x21 || c > 0x7E) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  const int status = static_cast<int>(in.Range(100, 599));
  const std::string body = in.Blob();
  const TokenAnswer answer = ReadTokenAnswer(status, body);
  if (answer.kind == TokenAnswer::kTokens) {
    FUZZ_CHECK(status == 200);
    FUZZ_CHECK(!answer.accessToken.empty() && answer.accessToken.size() <= TokenAnswer::kMaxToken);
    FUZZ_CHECK(Visible(answer.accessToken) && Visible(answer.refreshToken));
    FUZZ_CHECK(answer.refreshToken.size() <= TokenAnswer::kMaxToken && answer.expiresInSeconds >= 0);
  } else if (answer.kind == TokenAnswer::kRefused) {
    FUZZ_CHECK(status >= 400 && status <= 499 && Visible(answer.error));
    FUZZ_CHECK(answer.description.size() <= 300);
    for (unsigned char c : answer.description) FUZZ_CHECK(c >= 0x20);
  }

  CLoopbackRequest request;
  const std::string stream = in.Blob();
  const size_t chunk = in.Range(1, 512);
  CLoopbackRequest::Status last = CLoopbackRequest::kIncomplete;
  for (size_t at = 0; at < stream.size(); at += chunk) {
    const CLoopbackRequest::Status now = request.Add(stream.data() + at, std::min(chunk, stream.size() - at));
    // Once settled, a request stays as it was.
    if (last != CLoopbackRequest::kIncomplete) FUZZ_CHECK(now == last);
    last = now;
  }
  if (last == CLoopbackRequest::kIncomplete) {
    FUZZ_CHECK(stream.size() <= CLoopbackRequest::kMaxHead + 3);
    FUZZ_CHECK(stream.find("\r\n\r\n") == std::string::npos);
  }
  if (last == CLoopbackRequest::kAnswer) FUZZ_CHECK(!request.Code().empty() && !request.State().empty());

  const BearerChallenge challenge = ReadBearerChallenge(in.Rest());
  if (!challenge.read) FUZZ_CHECK(challenge.status.empty());
  return 0;
}
