// CMailSocket: the mail library's TCP connection on the framework's asynchronous socket. Adds
// a connection state, the received-line queue, the outgoing queue, a bounded wait for the next
// line, and notification of its owner when the connection changes state. The SMTP
// conversation uses it as a blocking line channel (SendText, ReadReply).
#pragma once

#include <deque>

#include "framework/AsyncSocket.h"
#include "mail/LineQueue.h"
#include "mail/MailChannel.h"

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
  // Blocks until the socket can be written, a message waits, or `ms` pass.
  void WaitWritable(DWORD ms) const;

  IMailSocketOwner& m_owner;
  IMailEnvironment& m_environment;
  bool m_timedOut = false;
  State m_state = kNone;
  CString m_lastErrorText;
  CLineQueue m_received;
  std::deque<CString> m_outgoing;
  bool m_notify = false;
  bool m_sendFailed = false;
};
