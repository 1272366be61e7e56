// socketprobe: checks of CMailSocket on real Winsock, against a listener of its own on
// 127.0.0.1. Prints "ok NAME" or "FAIL NAME: detail" per check; the exit code is the number of
// failures. Test-only.
#include <windows.h>
#include <winsock2.h>

#include <cstdio>
#include <string>

#include "mail/Socket.h"
#include "resources/postlib/resource.h"

namespace {
int g_failures = 0;

void Check(bool ok, const char* name, const std::string& detail = "") {
  if (ok) {
    std::printf("ok %s\n", name);
  } else {
    std::printf("FAIL %s: %s\n", name, detail.c_str());
    ++g_failures;
  }
  std::fflush(stdout);
}

class Owner : public IMailSocketOwner {
 public:
  void OnSocketNotify(int code, const char* data) override {
    ++notices;
    last = code;
  }
  int notices = 0;
  int last = 0;
};

class Environment : public IMailEnvironment {
 public:
  CString Text(unsigned id) override { return CString::Format("<%u>", id); }
  void ShowMessage(unsigned id) override {}
  void ShowMessage(unsigned id, const CString& quote) override {}
  void UpdateProgress(unsigned value, int code) override {}
  bool SendCancelled() const override { return false; }
  std::unique_ptr<IAttachmentFile> OpenFile(const CString& path) override { return nullptr; }
};

// Exposes the notification operations, as the framework would call them.
class Probe : public CMailSocket {
 public:
  using CMailSocket::CMailSocket;
  using CMailSocket::OnConnect;
};

// A blocking listener on 127.0.0.1 with an ephemeral port.
struct Listener {
  SOCKET socket = INVALID_SOCKET;
  int port = 0;
  Listener() {
    socket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    int length = sizeof(address);
    // Port 0 (no listener) makes the probe's connection fail at once, which its checks report.
    if (bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length) != 0 || listen(socket, 4) != 0)
      return;
    port = ntohs(address.sin_port);
  }
  ~Listener() { closesocket(socket); }
  SOCKET Accept() const { return accept(socket, nullptr, nullptr); }
};

// Pumps messages until `done` or `ms` pass.
template <typename Done>
bool PumpUntil(Done done, DWORD ms = 5000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
  }
  return true;
}

struct Received {
  SOCKET peer;
  std::string bytes;
};

// Reads everything the peer sends; starts late, so that the first sends would block.
DWORD WINAPI ReadAll(LPVOID param) {
  auto* into = static_cast<Received*>(param);
  Sleep(300);
  char buffer[65536];
  int n;
  while ((n = recv(into->peer, buffer, sizeof(buffer), 0)) > 0) into->bytes.append(buffer, n);
  return 0;
}

void SendRaw(SOCKET peer, const char* text) { send(peer, text, static_cast<int>(strlen(text)), 0); }

// Whether bytes from the other side arrive at `socket` within `ms`.
bool Readable(SOCKET socket, DWORD ms) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(socket, &readable);
  timeval timeout = {0, static_cast<long>(ms) * 1000};
  return select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

struct Answer {
  SOCKET peer;
  const char* reply;
  std::string got;
};

// Reads one line from the peer's side, then answers it.
DWORD WINAPI AnswerOneLine(LPVOID param) {
  auto* answer = static_cast<Answer*>(param);
  char ch;
  while (recv(answer->peer, &ch, 1, 0) == 1) {
    answer->got += ch;
    if (ch == '\n') break;
  }
  SendRaw(answer->peer, answer->reply);
  return 0;
}
}  // namespace

int main() {
  if (!SocketInit()) {
    std::printf("FAIL winsock\n");
    return 1;
  }
  Owner owner;
  Environment environment;
  {
    Probe socket(owner, environment, true);
    Check(socket.GetState() == CMailSocket::kCreated, "created_state");
    Check(!socket.SendText(""), "empty_text_is_not_sent");
    socket.SetNotify(true);
    socket.OnConnect(0);
    Check(
        socket.GetState() == CMailSocket::kCreated && socket.LastErrorText() == "<107>" && owner.notices == 0,
        "connect_notice_in_created_state_only_sets_the_error_text", socket.LastErrorText().c_str());
  }
  {
    Probe socket(owner, environment, true);
    socket.SetNotify(true);
    const bool started = socket.ConnectTo("no-such-host.invalid", 25);
    Check(!started && WSAGetLastError() == WSAEINVAL && socket.GetState() == CMailSocket::kCreated,
          "unresolvable_name_fails_with_invalid_argument_before_connecting");
  }
  {
    Listener listener;
    owner.notices = 0;
    Probe socket(owner, environment, true);
    socket.SetNotify(true);
    Check(socket.ConnectTo("127.0.0.1", listener.port), "connect_starts");
    SOCKET peer = listener.Accept();
    Check(PumpUntil([&] { return socket.GetState() == CMailSocket::kConnected; }) && owner.notices == 1 &&
              owner.last == IMailSocketOwner::kSocketChanged,
          "connection_notice_reaches_the_owner");
    socket.SetNotify(false);
    SendRaw(peer, "250 spl");
    Sleep(100);
    SendRaw(peer, "it\r\n220 one\r\n");
    std::string got;
    for (int i = 0; i < 20 && got.size() < 20; ++i) socket.Receive(got, 1000);
    Check(got == "250 split\r\n220 one\r\n", "received_bytes_arrive_in_order", got);
    // A window message ends a wait early (the caller looks at Cancel), without bytes.
    PostMessageA(nullptr, WM_USER, 0, 0);
    std::string none;
    DWORD start = GetTickCount();
    Check(
        socket.Receive(none, 5000) == IMailChannel::kNothing && none.empty() && GetTickCount() - start < 1000,
        "a_window_message_ends_the_wait_early");
    start = GetTickCount();
    Check(
        socket.Receive(none, 300) == IMailChannel::kNothing && none.empty() && GetTickCount() - start < 1000,
        "a_silent_wait_ends_without_bytes");
    Check(socket.SendText("QUIT\r\n"), "send_text");
    Check(!Readable(peer, 200), "short_text_is_gathered_until_the_next_receive");
    Answer answer{peer, "221 bye\r\n", {}};
    HANDLE answering = CreateThread(nullptr, 0, AnswerOneLine, &answer, 0, nullptr);
    std::string bye;
    while (bye.find('\n') == std::string::npos && socket.Receive(bye, 5000) != IMailChannel::kFailed) {
    }
    WaitForSingleObject(answering, 5000);
    CloseHandle(answering);
    Check(answer.got == "QUIT\r\n" && bye == "221 bye\r\n", "gathered_text_goes_out_before_the_receive",
          answer.got + "|" + bye);
    SendRaw(peer, "no line end");
    closesocket(peer);
    std::string last;
    start = GetTickCount();
    IMailChannel::Received received = IMailChannel::kNothing;
    while (received != IMailChannel::kClosed && GetTickCount() - start < 5000)
      received = socket.Receive(last, 1000);
    Check(received == IMailChannel::kClosed && last == "no line end",
          "peer_close_ends_the_wait_after_its_bytes", last);
  }
  {
    // Abort ends the connection at once (a reset on Windows; Wine's Linux sockets may end it
    // with an orderly close instead): the peer reads no more bytes.
    Listener listener;
    Probe socket(owner, environment, true);
    socket.ConnectTo("127.0.0.1", listener.port);
    SOCKET peer = listener.Accept();
    PumpUntil([&] { return socket.GetState() == CMailSocket::kConnected; });
    socket.Abort();
    char byte;
    const int got = recv(peer, &byte, 1, 0);
    Check(got == 0 || (got == SOCKET_ERROR && WSAGetLastError() == WSAECONNRESET),
          "abort_ends_the_connection", std::to_string(got) + " " + std::to_string(WSAGetLastError()));
    std::string nothing;
    Check(socket.Receive(nothing, 1000) == IMailChannel::kFailed, "nothing_is_received_after_abort");
    closesocket(peer);
  }
  {
    // A large text that the socket cannot take at once still arrives whole and in order.
    Listener listener;
    Probe socket(owner, environment, true);
    socket.SetNotify(false);
    socket.ConnectTo("127.0.0.1", listener.port);
    SOCKET peer = listener.Accept();
    PumpUntil([&] { return socket.GetState() == CMailSocket::kConnected; });
    std::string big(4 * 1024 * 1024, 'x');
    for (size_t i = 0; i < big.size(); i += 997) big[i] = static_cast<char>('a' + (i / 997) % 26);
    Received received{peer, {}};
    HANDLE reader = CreateThread(nullptr, 0, ReadAll, &received, 0, nullptr);
    Check(socket.SendText(CString(big.c_str(), big.size())), "large_text_send");
    socket.Close();
    WaitForSingleObject(reader, 20000);
    CloseHandle(reader);
    Check(received.bytes == big, "large_text_arrives_whole_and_in_order",
          std::to_string(received.bytes.size()));
    closesocket(peer);
  }
  SocketTerm();
  return g_failures;
}
