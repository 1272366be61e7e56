// The sign-in's loopback listener (RFC 8252, section 7.3): a socket on 127.0.0.1 only, on a
// free port, for the one redirect of the browser. A few connections are read at once (a browser
// may open one and send nothing on it); each request is read with a cap (CLoopbackRequest), one
// for another address is answered 404 and the wait goes on. Closed when it is destroyed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/AsyncSocket.h"
#include "mail/LoopbackRequest.h"

class CLoopbackListener : public CAsyncSocket {
 public:
  enum Result { kRedirect, kTimedOut, kCancelled };
  // At most this many connections are read at a time; a connection that sends no whole
  // request within its limit is closed.
  static constexpr size_t kMaxConnections = 4;
  static constexpr uint32_t kConnectionLimitMs = 30000;

  CLoopbackListener();
  ~CLoopbackListener() override;

  // Listens on 127.0.0.1 at a free port; false with the Winsock error.
  bool Open(int* error);
  UINT Port() const { return LocalPort(); }
  // Waits for the redirect (its request in `request`), dispatching window messages.
  Result Wait(uint32_t limitMs, const std::function<bool()>& cancelled, CLoopbackRequest* request);
  // Answers the connection that brought the redirect, then closes every socket.
  void Answer(const std::string& response);

 protected:
  void OnAccept(int error) override;

 private:
  class CConnection;
  friend class CConnection;
  // Sends `response` on `connection` (waiting a little for room) and closes it.
  static void Reply(CConnection& connection, const std::string& response);
  void Drop(CConnection* connection);
  void DropStale();

  std::vector<std::unique_ptr<CConnection>> m_connections;
  CConnection* m_redirect = nullptr;
};
