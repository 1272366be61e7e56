// CAsyncSocket: a non-blocking Winsock stream socket whose network events (read, write,
// out-of-band, accept, connect, close) reach overridable operations from the owning thread's
// message dispatch, through a hidden message-only window of the module. SocketInit starts
// Winsock 1.1 for the module.
#pragma once

#include <windows.h>
#include <winsock2.h>

// Starts Winsock version 1.1; false when it cannot. Each success is paired with SocketTerm.
bool SocketInit();
void SocketTerm();

class CAsyncSocket {
 public:
  static const long kAllEvents = FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE;

  CAsyncSocket() = default;
  virtual ~CAsyncSocket();
  CAsyncSocket(const CAsyncSocket&) = delete;
  CAsyncSocket& operator=(const CAsyncSocket&) = delete;

  // Creates a socket of `type` (internet family, protocol 0) watching `events`.
  bool Create(int type = SOCK_STREAM, long events = kAllEvents);
  // Changes the watched events (0 stops watching).
  bool AsyncSelect(long events);
  // Takes `host` as a dotted address, or resolves it by name (a failed lookup fails with
  // WSAEINVAL), then calls ConnectHelper.
  bool Connect(const char* host, UINT port);
  // Binds to the dotted `address` and `port` (0: a free one) and listens.
  bool Listen(const char* address, UINT port, int backlog = 4);
  // The port the socket is bound to (0 when it is not).
  UINT LocalPort() const;
  // Takes the next waiting connection into `connection` (which must have none), watching `events`.
  bool Accept(CAsyncSocket& connection, long events);
  virtual void Close();
  virtual int Receive(void* buffer, int length, int flags = 0);
  virtual int Send(const void* data, int length, int flags = 0);
  bool IOCtl(long command, u_long* argument);
  SOCKET Handle() const { return m_hSocket; }
  static int GetLastError() { return WSAGetLastError(); }

 protected:
  // Network events, called from the message dispatch of the thread that created the socket.
  virtual void OnReceive(int error) {}
  virtual void OnSend(int error) {}
  virtual void OnOutOfBandData(int error) {}
  virtual void OnAccept(int error) {}
  virtual void OnConnect(int error) {}
  virtual void OnClose(int error) {}
  // The connect step proper, after the address is known; the default calls connect().
  virtual bool ConnectHelper(const sockaddr* address, int length);

  SOCKET m_hSocket = INVALID_SOCKET;

 private:
  friend struct SocketWindow;
  void DispatchEvent(WORD event, WORD error);
};
