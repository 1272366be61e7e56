// CMailSocket: the mail library's TCP connection on the framework's asynchronous socket. Adds
// a connection state, the received-line queue, the outgoing texts gathered into socket-sized
// writes, bounded waits for the next line and for a peer that takes no bytes, and notification
// of its owner when the connection changes state. The SMTP conversation uses it as a blocking
// line channel (SendText, ReadReply).
#pragma once

#include "framework/AsyncSocket.h"
#include "mail/LineQueue.h"
#include "mail/MailChannel.h"
#include "mail/OutgoingBuffer.h"
#include "mail/PumpPacer.h"
#include "mail/SendWatch.h"

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
  static const DWORD kReplyWaitMs = 90000;

  CMailSocket(IMailSocketOwner& owner, IMailEnvironment& environment, bool create);
  ~CMailSocket() override;

  bool CreateSocket();
  bool SetNotify(bool on);
  // Gathers `text` for the server; a socket-sized write goes out as soon as enough is gathered,
  // the rest before the next reply is read.
  bool SendText(const CString& text) override;
  CString ReadReply() override;
  bool TimedOut() const override { return m_timedOut; }
  int ReportError();
  State GetState() const { return m_state; }
  const CString& LastErrorText() const { return m_lastErrorText; }

 protected:
  void OnReceive(int error) override;
  void OnConnect(int error) override;
  void OnClose(int error) override;
  bool ConnectHelper(const sockaddr* address, int length) override;

 private:
  bool SelectByState();
  // Dispatches one waiting message other than the quit message; true when one was.
  static bool DispatchOneMessage();
  // Looks at the message queue when the pacer says so.
  void PumpIfDue();
  // Writes everything gathered; returns when it is out, the send failed, or it was given up.
  void Flush();
  // Blocks until the socket can be written or `ms` pass.
  void WaitWritable(DWORD ms) const;
  // Nothing more goes out: later texts are dropped, the state becomes error with `error`.
  void FailSending(int error);
  // Gives the message up: fails sending and resets the connection, so that the server keeps
  // nothing of the unfinished message.
  void Abandon(int error);
  void ShowTimedOut();

  IMailSocketOwner& m_owner;
  IMailEnvironment& m_environment;
  bool m_timedOut = false;
  State m_state = kNone;
  CString m_lastErrorText;
  CLineQueue m_received;
  COutgoingBuffer m_outgoing;
  CPumpPacer m_pacer;
  CSendWatch m_watch;
  bool m_notify = false;
  bool m_sendFailed = false;
  bool m_flushing = false;
};
