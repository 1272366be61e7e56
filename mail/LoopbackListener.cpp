// CLoopbackListener.
#include "mail/LoopbackListener.h"

#include <algorithm>

#include "mail/SignInWait.h"

// One accepted connection and the request read from it.
class CLoopbackListener::CConnection : public CAsyncSocket {
 public:
  explicit CConnection(CLoopbackListener& owner) : m_owner(owner), m_start(GetTickCount()) {}
  CLoopbackRequest request;
  bool Stale() const { return GetTickCount() - m_start >= kConnectionLimitMs; }

 protected:
  void OnReceive(int) override {
    char buffer[2048];
    const int got = Receive(buffer, sizeof(buffer));
    if (got <= 0) return;
    switch (request.Add(buffer, static_cast<size_t>(got))) {
      case CLoopbackRequest::kIncomplete:
        break;
      case CLoopbackRequest::kAnswer:
      case CLoopbackRequest::kRefused:
        if (!m_owner.m_redirect) m_owner.m_redirect = this;
        break;
      case CLoopbackRequest::kNotRedirect:
        Reply(*this, LoopbackResponse(404, std::string(), std::string()));
        m_owner.Drop(this);
        break;
      case CLoopbackRequest::kBad:
        Reply(*this, LoopbackResponse(400, std::string(), std::string()));
        m_owner.Drop(this);
        break;
    }
  }
  void OnClose(int error) override {
    // What came before the close is read first: it may be the whole request.
    if (m_owner.m_redirect != this && request.GetStatus() == CLoopbackRequest::kIncomplete) OnReceive(error);
    if (m_owner.m_redirect != this) m_owner.Drop(this);
  }

 private:
  CLoopbackListener& m_owner;
  DWORD m_start;
};

CLoopbackListener::CLoopbackListener() = default;

CLoopbackListener::~CLoopbackListener() {
  m_redirect = nullptr;
  m_connections.clear();
}

bool CLoopbackListener::Open(int* error) {
  // Only this computer reaches the listener: bound to the loopback address, not to every one.
  if (!Create(SOCK_STREAM, FD_ACCEPT) || !Listen("127.0.0.1", 0)) {
    *error = GetLastError();
    Close();
    return false;
  }
  *error = 0;
  return true;
}

void CLoopbackListener::OnAccept(int) {
  auto connection = std::make_unique<CConnection>(*this);
  if (!Accept(*connection, FD_READ | FD_CLOSE)) return;
  DropStale();
  // Beyond the cap the newest waits its turn by being closed: a browser opens another.
  if (m_connections.size() >= kMaxConnections) return;
  m_connections.push_back(std::move(connection));
}

void CLoopbackListener::Drop(CConnection* connection) {
  // Only marked here: the connection's own notice may be running.
  connection->Close();
}

void CLoopbackListener::DropStale() {
  m_connections.erase(std::remove_if(m_connections.begin(), m_connections.end(),
                                     [this](const std::unique_ptr<CConnection>& c) {
                                       return c.get() != m_redirect &&
                                              (c->Handle() == INVALID_SOCKET || c->Stale());
                                     }),
                      m_connections.end());
}

CLoopbackListener::Result CLoopbackListener::Wait(uint32_t limitMs, const std::function<bool()>& cancelled,
                                                  CLoopbackRequest* request) {
  bool stop = false;
  const WaitEnd end = WaitDispatching(nullptr, limitMs, [&] {
    stop = cancelled();
    return stop || m_redirect != nullptr;
  });
  if (m_redirect) {
    *request = m_redirect->request;
    return kRedirect;
  }
  return stop && end == WaitEnd::kDone ? kCancelled : kTimedOut;
}

void CLoopbackListener::Reply(CConnection& connection, const std::string& response) {
  // The page is small: it goes out in one write, or after a short wait for room.
  size_t sent = 0;
  const DWORD start = GetTickCount();
  while (sent < response.size() && GetTickCount() - start < 2000) {
    const int n = connection.Send(response.data() + sent, static_cast<int>(response.size() - sent));
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (GetLastError() != WSAEWOULDBLOCK) break;
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(connection.Handle(), &writable);
    timeval wait = {0, 100000};
    select(0, nullptr, &writable, nullptr, &wait);
  }
  shutdown(connection.Handle(), SD_SEND);
  connection.Close();
}

void CLoopbackListener::Answer(const std::string& response) {
  if (m_redirect) Reply(*m_redirect, response);
  m_redirect = nullptr;
  m_connections.clear();
  Close();
}
