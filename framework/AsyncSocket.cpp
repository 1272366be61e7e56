// CAsyncSocket and the module's socket notification window.
#include "framework/AsyncSocket.h"

#include <map>

#include "framework/Module.h"

namespace {
const UINT kSocketMessage = WM_USER + 1;
const char kWindowClass[] = "OrvaneSocketWindow";
}  // namespace

// The hidden window that receives the WSAAsyncSelect notices of this module's sockets.
struct SocketWindow {
  HWND wnd = nullptr;
  std::map<SOCKET, CAsyncSocket*> sockets;

  static SocketWindow& Get() {
    static SocketWindow instance;
    return instance;
  }
  HWND Handle() {
    if (wnd && IsWindow(wnd)) return wnd;
    WNDCLASSA wc = {};
    if (!GetClassInfoA(Module::Instance(), kWindowClass, &wc)) {
      wc.lpfnWndProc = WindowProc;
      wc.hInstance = Module::Instance();
      wc.lpszClassName = kWindowClass;
      RegisterClassA(&wc);
    }
    wnd = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Module::Instance(),
                          nullptr);
    return wnd;
  }
  void Destroy() {
    if (wnd) DestroyWindow(wnd);
    wnd = nullptr;
    // The class's procedure lives in this module, which may be unloaded next.
    UnregisterClassA(kWindowClass, Module::Instance());
  }
  static LRESULT CALLBACK WindowProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != kSocketMessage) return DefWindowProcA(wnd, message, wParam, lParam);
    auto& sockets = Get().sockets;
    auto it = sockets.find(static_cast<SOCKET>(wParam));
    // A notice of a socket closed since it was posted is dropped.
    if (it != sockets.end()) it->second->DispatchEvent(WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
    return 0;
  }
};

namespace {
int g_winsockUsers = 0;
}

bool SocketInit() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
  ++g_winsockUsers;
  return true;
}

void SocketTerm() {
  if (g_winsockUsers <= 0) return;
  if (--g_winsockUsers == 0) SocketWindow::Get().Destroy();
  WSACleanup();
}

CAsyncSocket::~CAsyncSocket() {
  if (m_hSocket != INVALID_SOCKET) CAsyncSocket::Close();
}

bool CAsyncSocket::Create(int type, long events) {
  m_hSocket = socket(AF_INET, type, 0);
  if (m_hSocket == INVALID_SOCKET) return false;
  SocketWindow::Get().sockets[m_hSocket] = this;
  if (AsyncSelect(events)) return true;
  const int error = WSAGetLastError();
  Close();
  WSASetLastError(error);
  return false;
}

bool CAsyncSocket::AsyncSelect(long events) {
  if (m_hSocket == INVALID_SOCKET) {
    WSASetLastError(WSAENOTSOCK);
    return false;
  }
  HWND wnd = SocketWindow::Get().Handle();
  return WSAAsyncSelect(m_hSocket, wnd, events ? kSocketMessage : 0, events) != SOCKET_ERROR;
}

bool CAsyncSocket::Connect(const char* host, UINT port) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr(host);
  if (address.sin_addr.s_addr == INADDR_NONE) {
    hostent* entry = gethostbyname(host);
    if (!entry || entry->h_addrtype != AF_INET || !entry->h_addr_list[0]) {
      WSASetLastError(WSAEINVAL);
      return false;
    }
    memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof(address.sin_addr));
  }
  return ConnectHelper(reinterpret_cast<const sockaddr*>(&address), sizeof(address));
}

bool CAsyncSocket::Listen(const char* address, UINT port, int backlog) {
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<u_short>(port));
  local.sin_addr.s_addr = inet_addr(address);
  return bind(m_hSocket, reinterpret_cast<const sockaddr*>(&local), sizeof(local)) != SOCKET_ERROR &&
         listen(m_hSocket, backlog) != SOCKET_ERROR;
}

UINT CAsyncSocket::LocalPort() const {
  sockaddr_in local = {};
  int length = sizeof(local);
  if (getsockname(m_hSocket, reinterpret_cast<sockaddr*>(&local), &length) == SOCKET_ERROR) return 0;
  return ntohs(local.sin_port);
}

bool CAsyncSocket::Accept(CAsyncSocket& connection, long events) {
  const SOCKET accepted = accept(m_hSocket, nullptr, nullptr);
  if (accepted == INVALID_SOCKET) return false;
  connection.m_hSocket = accepted;
  SocketWindow::Get().sockets[accepted] = &connection;
  // An accepted socket watches what its listener watched: it is given its own events.
  if (connection.AsyncSelect(events)) return true;
  connection.Close();
  return false;
}

bool CAsyncSocket::ConnectHelper(const sockaddr* address, int length) {
  return connect(m_hSocket, address, length) != SOCKET_ERROR;
}

void CAsyncSocket::Close() {
  if (m_hSocket == INVALID_SOCKET) return;
  SocketWindow::Get().sockets.erase(m_hSocket);
  closesocket(m_hSocket);
  m_hSocket = INVALID_SOCKET;
}

int CAsyncSocket::Receive(void* buffer, int length, int flags) {
  return recv(m_hSocket, static_cast<char*>(buffer), length, flags);
}

int CAsyncSocket::Send(const void* data, int length, int flags) {
  return send(m_hSocket, static_cast<const char*>(data), length, flags);
}

bool CAsyncSocket::IOCtl(long command, u_long* argument) {
  return ioctlsocket(m_hSocket, command, argument) != SOCKET_ERROR;
}

void CAsyncSocket::DispatchEvent(WORD event, WORD error) {
  switch (event) {
    case FD_READ:
      OnReceive(error);
      break;
    case FD_WRITE:
      OnSend(error);
      break;
    case FD_OOB:
      OnOutOfBandData(error);
      break;
    case FD_ACCEPT:
      OnAccept(error);
      break;
    case FD_CONNECT:
      OnConnect(error);
      break;
    case FD_CLOSE:
      OnClose(error);
      break;
    default:
      break;
  }
}
