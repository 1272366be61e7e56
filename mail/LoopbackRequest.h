// The one request the sign-in's loopback listener waits for: the browser brought back to
// http://127.0.0.1:PORT/ with the authorization server's answer in the query (code and state,
// or an error). Read from a connection's bytes with a cap on the request head; and the page
// the listener answers with. Platform-free.
#pragma once

#include <cstddef>
#include <string>

class CLoopbackRequest {
 public:
  // A request head (request line and header lines) may be this long at most.
  static constexpr size_t kMaxHead = 8192;

  enum Status {
    kIncomplete,   // the head has not ended yet
    kAnswer,       // the redirect, with code and state
    kRefused,      // the redirect, with an error (access_denied: the user said no)
    kNotRedirect,  // another path (a browser asks for /favicon.ico): answered 404
    kBad,          // no HTTP request, too long, or the redirect without what it must carry: 400
  };

  // Adds received bytes; the status once the head is whole (later bytes change nothing).
  Status Add(const char* data, size_t size);
  Status GetStatus() const { return m_status; }
  const std::string& Code() const { return m_code; }
  const std::string& State() const { return m_state; }
  const std::string& Error() const { return m_error; }
  const std::string& Description() const { return m_description; }

 private:
  Status Parse();

  std::string m_head;
  Status m_status = kIncomplete;
  std::string m_code, m_state, m_error, m_description;
};

// Decodes a query value: "%XX" to its byte, "+" to a blank; false for a broken escape.
bool QueryDecoded(const std::string& text, std::string* value);

// The whole HTTP response: `status` 200, 400 or 404, and for 200 the page with `title` and
// `text` (UTF-8; escaped here). The connection closes after it.
std::string LoopbackResponse(int status, const std::string& title, const std::string& text);
