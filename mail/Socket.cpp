// CMailSocket.
#include "mail/Socket.h"

#include <algorithm>
#include <climits>

#include "framework/MessagePump.h"
#include "mail/ServerCertificate.h"
#include "mail/TlsSession.h"
#include "resources/postlib/resource.h"

namespace {
const int kReceiveSize = 16 * 1024;
// What a socket that only notifies its owner (no conversation) hands on at a time.
const int kNoticeReceiveSize = 1024;
const long kConnectedEvents = FD_READ | FD_WRITE | FD_CLOSE;
const long kWaitingEvents = FD_CONNECT | FD_CLOSE;
// How long one sleep of the handshake's wait lasts at most, so that Cancel is looked at.
const DWORD kHandshakeSliceMs = 250;

bool WouldBlock(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
}  // namespace

CMailSocket::CMailSocket(IMailSocketOwner& owner, IMailEnvironment& environment, bool create)
    : m_owner(owner), m_environment(environment) {
  if (create && CreateSocket()) m_state = kCreated;
}

CMailSocket::~CMailSocket() {
  // Notification goes off first: a notice dispatched here must not start a conversation (or
  // the end-of-send actions) on a socket that is going away.
  m_notify = false;
  MessagePump::DispatchAllQueued();
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
  m_in.clear();
  if (SelectByState()) return true;
  ReportError();
  return false;
}

bool CMailSocket::ConnectTo(const CString& host, UINT port) {
  m_host = host;
  return Connect(host, port);
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
  // Bytes may still wait in the kernel; Receive reads them before it reports the end.
  m_state = kCreated;
  if (m_notify) m_owner.OnSocketNotify(IMailSocketOwner::kSocketChanged, nullptr);
}

void CMailSocket::OnReceive(int error) {
  if (m_notify) {
    char buffer[kNoticeReceiveSize + 1] = {};
    const int got = CAsyncSocket::Receive(buffer, kNoticeReceiveSize);
    if (got == SOCKET_ERROR) {
      if (!WouldBlock(GetLastError())) ReportError();
      return;
    }
    buffer[got] = '\0';
    m_owner.OnSocketNotify(got, buffer);
    return;
  }
  ReadRaw();
}

CMailSocket::RawRead CMailSocket::ReadRaw() {
  if (m_hSocket == INVALID_SOCKET || m_peerClosed) return kEnd;
  // Beyond the cap the bytes wait in the kernel until the conversation has taken these.
  if (m_in.size() >= kMaxUnread) return kEmpty;
  char buffer[kReceiveSize];
  const int got = CAsyncSocket::Receive(buffer, kReceiveSize);
  if (got > 0) {
    m_in.append(buffer, static_cast<size_t>(got));
    return kGot;
  }
  if (got == 0) {
    m_peerClosed = true;
    return kEnd;
  }
  if (WouldBlock(GetLastError())) return kEmpty;
  ReportError();
  return kBroken;
}

bool CMailSocket::DispatchOneMessage() { return MessagePump::DispatchQueued(); }

bool CMailSocket::WaitForInput(DWORD ms) {
  if (DispatchOneMessage()) return true;
  // New bytes arrive as a socket notice, so the sleep ends with them.
  MessagePump::WaitForMessage(ms);
  return false;
}

bool CMailSocket::Deliver(std::string& into) {
  if (m_in.empty()) return false;
  if (!m_tls) {
    into.append(m_in);
    m_in.clear();
    return true;
  }
  const size_t before = into.size();
  const CTlsSession::Opened opened = m_tls->Open(m_in, into);
  if (opened == CTlsSession::kPeerClosed) m_peerClosed = true;
  if (opened == CTlsSession::kBroken) Abandon(WSAECONNABORTED);
  return into.size() > before;
}

IMailChannel::Received CMailSocket::Receive(std::string& into, uint32_t waitMs) {
  // Everything gathered reaches the server before its reply is waited for.
  Flush();
  const DWORD start = GetTickCount();
  for (;;) {
    if (m_sendFailed) return m_stalled ? kStalled : kFailed;
    if (Deliver(into)) return kData;
    if (m_sendFailed) return kFailed;
    const RawRead read = ReadRaw();
    if (read == kGot) continue;
    if (read == kEnd) return kClosed;
    if (read == kBroken) return kFailed;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= waitMs) return kNothing;
    // A message may have been Cancel: the caller looks, unless it brought bytes.
    if (WaitForInput(waitMs - elapsed) && m_in.empty()) return kNothing;
  }
}

TlsResult CMailSocket::StartTls(uint32_t waitMs, uint32_t* error) {
  *error = 0;
  // Nothing received in clear is read once the connection is secured.
  m_in.clear();
  auto session = std::make_unique<CTlsSession>();
  std::string out;
  CTlsSession::Step step = session->Start(m_host, out);
  const DWORD start = GetTickCount();
  for (;;) {
    if (!out.empty()) {
      // Handshake tokens go out as they are (the plaintext path, before any record is sealed).
      m_outgoing.Append(out.data(), out.size());
      out.clear();
      Flush();
    }
    if (m_sendFailed) return m_stalled ? TlsResult::kTimedOut : TlsResult::kClosed;
    if (step == CTlsSession::kFailed) {
      *error = static_cast<uint32_t>(session->LastStatus());
      return TlsResult::kHandshakeFailed;
    }
    if (step == CTlsSession::kDone) break;
    const size_t before = m_in.size();
    step = session->Continue(m_in, out);
    if (step != CTlsSession::kContinue || !out.empty() || m_in.size() != before) continue;
    // The package needs more of the server's bytes.
    const RawRead read = ReadRaw();
    if (read == kGot) continue;
    if (read != kEmpty) return TlsResult::kClosed;
    if (m_environment.SendCancelled()) return TlsResult::kCancelled;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= waitMs) return TlsResult::kTimedOut;
    WaitForInput(std::min<DWORD>(waitMs - elapsed, kHandshakeSliceMs));
  }
  const CCertificate certificate = session->ServerCertificate();
  const TlsResult result = CheckServerCertificate(certificate.Get(), m_host, error);
  // Bytes after the handshake are records of the secured connection.
  if (result == TlsResult::kSecured) m_tls = std::move(session);
  return result;
}

void CMailSocket::Abort() { Abandon(WSAECONNABORTED); }

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

bool CMailSocket::SealSome() {
  m_sealing.clear();
  while (!m_outgoing.IsEmpty() && m_sealing.size() < COutgoingBuffer::kWriteSize) {
    const size_t size = std::min(m_outgoing.Size(), m_tls->MaxRecord());
    if (!m_tls->Seal(m_outgoing.Data(), size, m_sealing)) return false;
    m_outgoing.Consume(size);
  }
  m_sealed.Append(m_sealing.data(), m_sealing.size());
  return true;
}

void CMailSocket::Flush() {
  // A flush further out (a message dispatched below may send) takes new bytes along.
  if (m_flushing) return;
  m_flushing = true;
  m_watch.Progress(GetTickCount());
  for (;;) {
    if (m_sendFailed) break;
    if (m_tls && m_sealed.IsEmpty() && !m_outgoing.IsEmpty() && !SealSome()) {
      FailSending(WSAECONNABORTED);
      break;
    }
    COutgoingBuffer& pending = m_tls ? m_sealed : m_outgoing;
    if (pending.IsEmpty()) break;
    const int length = static_cast<int>(std::min<size_t>(pending.Size(), INT_MAX));
    const int sent = Send(pending.Data(), length);
    if (sent != SOCKET_ERROR) {
      pending.Consume(static_cast<size_t>(sent));
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
      m_stalled = true;
      Abandon(WSAETIMEDOUT);
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
  m_sealed.Clear();
  WSASetLastError(error);
  ReportError();
}

void CMailSocket::Abandon(int error) {
  if (m_sendFailed && m_hSocket == INVALID_SOCKET) return;
  FailSending(error);
  m_tls.reset();
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
