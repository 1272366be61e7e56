// CMailSocket: the mail library's TCP connection on the framework's asynchronous socket, and
// the channel the SMTP conversation talks through. Adds a connection state, the outgoing texts
// gathered into socket-sized writes (sealed into TLS records once secured), the received bytes
// (opened from TLS records once secured), waits that keep the window messages flowing (so that
// Cancel is answered) and are bounded in time, and notification of its owner when the
// connection changes state.
#pragma once

#include <memory>
#include <string>

#include "framework/AsyncSocket.h"
#include "framework/PumpPacer.h"
#include "mail/MailChannel.h"
#include "mail/OutgoingBuffer.h"
#include "mail/SendWatch.h"

class CTlsSession;

// Told of every connection change (code kSocketChanged, no data) and of data received while
// notification is on (code = byte count).
class IMailSocketOwner {
 public:
  static const int kSocketChanged = -100;
  virtual ~IMailSocketOwner() = default;
  virtual void OnSocketNotify(int code, const char* data) = 0;
};

class CMailSocket : public CAsyncSocket, public IMailChannel {
 public:
  enum State { kNone = 0, kCreated = 1, kConnecting = 2, kListening = 3, kConnected = 5, kError = 6 };
  // Received bytes not yet taken by the conversation are held up to this much; beyond it they
  // wait in the kernel.
  static constexpr size_t kMaxUnread = 1 << 20;

  CMailSocket(IMailSocketOwner& owner, IMailEnvironment& environment, bool create);
  ~CMailSocket() override;

  bool CreateSocket();
  bool SetNotify(bool on);
  // Connects to `host` (kept: a secured connection's certificate must name it).
  bool ConnectTo(const CString& host, UINT port);
  int ReportError();
  State GetState() const { return m_state; }
  const CString& LastErrorText() const { return m_lastErrorText; }

  // IMailChannel. Texts are gathered; a socket-sized write goes out as soon as enough is
  // gathered, the rest before the next Receive.
  bool SendText(const CString& text) override;
  Received Receive(std::string& into, uint32_t waitMs) override;
  uint32_t NowMs() override { return GetTickCount(); }
  TlsResult StartTls(uint32_t waitMs, uint32_t* error) override;
  void Abort() override;

 protected:
  // The raw receive of the socket layer stays callable beside the channel's.
  using CAsyncSocket::Receive;
  void OnReceive(int error) override;
  void OnConnect(int error) override;
  void OnClose(int error) override;
  bool ConnectHelper(const sockaddr* address, int length) override;

 private:
  enum RawRead { kGot, kEmpty, kEnd, kBroken };

  bool SelectByState();
  // Dispatches one waiting message other than the quit message; true when one was.
  static bool DispatchOneMessage();
  // Looks at the message queue when the pacer says so.
  void PumpIfDue();
  // Reads what the kernel holds into the received bytes.
  RawRead ReadRaw();
  // Sleeps until a window message (a socket notice among them) comes or `ms` pass; dispatches
  // one waiting message first. True when one was dispatched.
  bool WaitForInput(DWORD ms);
  // Moves the received bytes (opened, once secured) to `into`; true when any were moved.
  bool Deliver(std::string& into);
  // Writes everything gathered; returns when it is out, the send failed, or it was given up.
  void Flush();
  // Seals gathered plaintext into records, a write's worth at most.
  bool SealSome();
  // Blocks until the socket can be written or `ms` pass.
  void WaitWritable(DWORD ms) const;
  // Nothing more goes out: later texts are dropped, the state becomes error with `error`.
  void FailSending(int error);
  // Gives the message up: fails sending and resets the connection, so that the server keeps
  // nothing of the unfinished message.
  void Abandon(int error);

  IMailSocketOwner& m_owner;
  IMailEnvironment& m_environment;
  State m_state = kNone;
  CString m_lastErrorText;
  CString m_host;
  std::string m_in;            // received, not yet delivered (TLS records once secured)
  COutgoingBuffer m_outgoing;  // gathered plaintext
  COutgoingBuffer m_sealed;    // TLS records not yet written
  std::string m_sealing;       // scratch of SealSome, kept for its capacity
  std::unique_ptr<CTlsSession> m_tls;
  CPumpPacer m_pacer;
  CSendWatch m_watch;
  bool m_notify = false;
  bool m_sendFailed = false;
  bool m_stalled = false;  // given up because the server took nothing
  bool m_peerClosed = false;
  bool m_flushing = false;
};
