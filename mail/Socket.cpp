// CMailSocket.
#include "mail/Socket.h"

#include <algorithm>
#include <climits>

#include "resources/postlib/resource.h"

namespace {
const int kReceiveSize = 1024;
const long kConnectedEvents = FD_READ | FD_WRITE | FD_CLOSE;
const long kWaitingEvents = FD_CONNECT | FD_CLOSE;
// How long one blocking poll of a reply or send wait lasts at most; the waits themselves are
// measured on the tick count.
const DWORD kPollSliceMs = 250;

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }

// Blocks until `socket` is readable (or has failed) or `ms` pass.
void WaitReadable(SOCKET socket, DWORD ms) {
  fd_set readable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&failed);
  FD_SET(socket, &readable);
  FD_SET(socket, &failed);
  timeval timeout = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
  select(0, &readable, nullptr, &failed, &timeout);
}
}  // namespace

CMailSocket::CMailSocket(IMailSocketOwner& owner, IMailEnvironment& environment, bool create)
    : m_owner(owner), m_environment(environment) {
  if (create && CreateSocket()) m_state = kCreated;
}

CMailSocket::~CMailSocket() {
  // Notification goes off first: a notice dispatched here must not start a conversation (or
  // the end-of-send actions) on a socket that is going away.
  m_notify = false;
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT) {
    if (!DispatchOneMessage()) break;
  }
  if (m_hSocket != INVALID_SOCKET) {
    AsyncSelect(0);
    u_long blocking = 0;
    IOCtl(FIONBIO, &blocking);
    Close();
  }
}

bool CMailSocket::CreateSocket() {
  if (Create(SOCK_STREAM, kAllEvents)) {
    // Texts are gathered here and flushed before every reply wait; the kernel's coalescing
    // on top would hold back a flush's last partial segment until the server acknowledges the
    // one before, which with delayed acknowledgements costs tens of milliseconds per wait.
    // The bytes sent are the same either way. A failure only costs that time.
    const BOOL noDelay = TRUE;
    setsockopt(m_hSocket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay), sizeof(noDelay));
    return true;
  }
  ReportError();
  m_lastErrorText = m_environment.Text(IDS_SOCKET_OPEN_FAILED);
  m_state = kError;
  MessageBoxA(nullptr, m_lastErrorText, m_environment.Text(IDS_MAIL_CAPTION), MB_OK | MB_ICONERROR);
  return false;
}

bool CMailSocket::SelectByState() {
  long events = kWaitingEvents;
  if (m_state == kConnected)
    events = kConnectedEvents;
  else if (m_state == kListening)
    events = FD_ACCEPT;
  return AsyncSelect(events);
}

bool CMailSocket::SetNotify(bool on) {
  m_notify = on;
  m_received.Clear();
  if (SelectByState()) return true;
  ReportError();
  return false;
}

bool CMailSocket::ConnectHelper(const sockaddr* address, int length) {
  m_state = kConnecting;
  if (!AsyncSelect(FD_CONNECT)) {
    ReportError();
    return false;
  }
  if (connect(m_hSocket, address, length) == SOCKET_ERROR) {
    if (GetLastError() == WSAEWOULDBLOCK) return true;
    ReportError();
    return false;
  }
  if (!AsyncSelect(kConnectedEvents)) {
    ReportError();
    return false;
  }
  m_state = kConnected;
  if (m_notify) m_owner.OnSocketNotify(IMailSocketOwner::kSocketChanged, nullptr);
  return true;
}

void CMailSocket::OnConnect(int error) {
  if (m_state != kConnecting) {
    m_lastErrorText = m_environment.Text(IDS_CONNECT_NOT_CONNECTING);
    return;
  }
  if (error == 0) {
    if (!AsyncSelect(kConnectedEvents)) {
      ReportError();
      return;
    }
    m_state = kConnected;
  }
  if (m_notify) m_owner.OnSocketNotify(IMailSocketOwner::kSocketChanged, nullptr);
}

void CMailSocket::OnClose(int error) {
  m_state = kCreated;
  if (m_notify) m_owner.OnSocketNotify(IMailSocketOwner::kSocketChanged, nullptr);
}

void CMailSocket::OnReceive(int error) {
  char buffer[kReceiveSize + 1] = {};
  const int got = Receive(buffer, kReceiveSize);
  if (got == SOCKET_ERROR) {
    if (!WouldBlock(GetLastError())) ReportError();
    return;
  }
  buffer[got] = '\0';
  if (m_notify)
    m_owner.OnSocketNotify(got, buffer);
  else
    m_received.SplitLines(buffer, static_cast<size_t>(got));
}

CString CMailSocket::ReadReply() {
  // Everything gathered reaches the server before its reply is waited for.
  Flush();
  if (m_notify) return CString();
  while (m_state == kConnected && !m_received.HasLine()) {
    m_timedOut = false;
    const DWORD start = GetTickCount();
    char buffer[kReceiveSize + 1];
    int got;
    for (;;) {
      got = Receive(buffer, kReceiveSize);
      if (got != SOCKET_ERROR) break;
      const bool wouldBlock = WouldBlock(GetLastError());
      const DWORD elapsed = GetTickCount() - start;
      if (elapsed >= kReplyWaitMs) {
        ShowTimedOut();
        return ".\r\n";
      }
      // Sleep in the kernel until data comes instead of spinning; a socket that has failed
      // for good is looked at again a little later, until the wait runs out.
      const DWORD slice = std::min<DWORD>(kReplyWaitMs - elapsed, kPollSliceMs);
      if (wouldBlock)
        WaitReadable(m_hSocket, slice);
      else
        Sleep(std::min<DWORD>(slice, 50));
    }
    if (got == 0) {
      m_state = kCreated;
      break;
    }
    m_received.SplitLines(buffer, static_cast<size_t>(got));
  }
  return m_received.PopLine();
}

bool CMailSocket::DispatchOneMessage() {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    // Left for the caller's own loop.
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}

void CMailSocket::ShowTimedOut() {
  MessageBoxA(nullptr, m_environment.Text(IDS_NETWORK_TIMED_OUT), m_environment.Text(IDS_MAIL_CAPTION),
              MB_OK);
  m_timedOut = true;
}

void CMailSocket::WaitWritable(DWORD ms) const {
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(m_hSocket, &writable);
  FD_SET(m_hSocket, &failed);
  timeval timeout = {0, static_cast<long>(ms) * 1000};
  select(0, nullptr, &writable, &failed, &timeout);
}

void CMailSocket::PumpIfDue() {
  if (!m_pacer.Due(GetTickCount())) return;
  const bool dispatched = DispatchOneMessage();
  m_pacer.Looked(GetTickCount(), dispatched);
}

bool CMailSocket::SendText(const CString& text) {
  if (text.IsEmpty()) return false;
  // After a failed send nothing more goes out on this socket; later texts are dropped rather
  // than kept, so that a large attachment does not pile up in memory.
  if (m_sendFailed) return true;
  m_outgoing.Append(text.c_str(), static_cast<size_t>(text.GetLength()));
  if (m_outgoing.WriteDue())
    Flush();
  else
    PumpIfDue();
  return true;
}

void CMailSocket::Flush() {
  // A flush further out (a message dispatched below may send) takes new bytes along.
  if (m_flushing) return;
  m_flushing = true;
  m_watch.Progress(GetTickCount());
  while (!m_outgoing.IsEmpty() && !m_sendFailed) {
    const int length = static_cast<int>(std::min<size_t>(m_outgoing.Size(), INT_MAX));
    const int sent = Send(m_outgoing.Data(), length);
    if (sent != SOCKET_ERROR) {
      m_outgoing.Consume(static_cast<size_t>(sent));
      m_watch.Progress(GetTickCount());
      PumpIfDue();
      continue;
    }
    const int error = GetLastError();
    if (!WouldBlock(error)) {
      FailSending(error);
      break;
    }
    // The peer takes nothing for now: one waiting message per attempt (Cancel is answered
    // here), then sleep until the socket has room or the next look at the queue is due.
    const bool dispatched = DispatchOneMessage();
    m_pacer.Looked(GetTickCount(), dispatched);
    const CSendWatch::Verdict verdict = m_watch.Check(GetTickCount(), m_environment.SendCancelled());
    if (verdict == CSendWatch::kTimedOut) {
      Abandon(WSAETIMEDOUT);
      ShowTimedOut();
      break;
    }
    if (verdict == CSendWatch::kGiveUp) {
      Abandon(WSAECONNABORTED);
      break;
    }
    if (!dispatched) WaitWritable(CPumpPacer::kIntervalMs);
  }
  m_flushing = false;
}

void CMailSocket::FailSending(int error) {
  m_sendFailed = true;
  m_outgoing.Clear();
  WSASetLastError(error);
  ReportError();
}

void CMailSocket::Abandon(int error) {
  FailSending(error);
  if (m_hSocket == INVALID_SOCKET) return;
  AsyncSelect(0);
  const linger reset = {1, 0};
  setsockopt(m_hSocket, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&reset), sizeof(reset));
  Close();
}

int CMailSocket::ReportError() {
  const int error = GetLastError();
  m_state = kError;
  if (m_notify) m_owner.OnSocketNotify(IMailSocketOwner::kSocketChanged, nullptr);
  return error;
}
