// Multicast DNS over Winsock: one socket on an ephemeral port. Responders answer such a query
// straight to its port (a "legacy unicast" answer), so no port 5353 of our own is needed.
#include "scan/escl/MdnsSearch.h"

#include <ws2tcpip.h>

#include <vector>

namespace {
const char kGroup[] = "224.0.0.251";
const size_t kQuestionsPerQuery = 16;
}  // namespace

bool CMdnsSearch::Start(HWND window, UINT message) {
  Stop();
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  m_winsock = true;
  m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (m_socket == INVALID_SOCKET) return false;
  sockaddr_in local = {};
  local.sin_family = AF_INET;
  local.sin_addr.s_addr = htonl(INADDR_ANY);
  if (bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof(local)) != 0) return false;
  const DWORD ttl = 255, loop = 1;
  setsockopt(m_socket, IPPROTO_IP, IP_MULTICAST_TTL, reinterpret_cast<const char*>(&ttl), sizeof(ttl));
  setsockopt(m_socket, IPPROTO_IP, IP_MULTICAST_LOOP, reinterpret_cast<const char*>(&loop), sizeof(loop));
  if (WSAAsyncSelect(m_socket, window, message, FD_READ) != 0) return false;
  Ask();
  return true;
}

void CMdnsSearch::Send(const std::vector<DnsQuestion>& questions) {
  const std::vector<uint8_t> query = BuildMdnsQuery(questions);
  if (query.empty()) return;
  sockaddr_in group = {};
  group.sin_family = AF_INET;
  group.sin_port = htons(kMdnsPort);
  group.sin_addr.s_addr = inet_addr(kGroup);
  ++m_asked;
  if (sendto(m_socket, reinterpret_cast<const char*>(query.data()), static_cast<int>(query.size()), 0,
             reinterpret_cast<sockaddr*>(&group), sizeof(group)) == static_cast<int>(query.size()))
    ++m_sent;
}

void CMdnsSearch::Ask() {
  if (m_socket == INVALID_SOCKET) return;
  Send({{kPlainScanService, kDnsPtr}, {kSecureScanService, kDnsPtr}});
  const std::vector<DnsQuestion> open = m_found.OpenQuestions();
  for (size_t first = 0; first < open.size(); first += kQuestionsPerQuery) {
    const size_t last = first + kQuestionsPerQuery < open.size() ? first + kQuestionsPerQuery : open.size();
    Send(std::vector<DnsQuestion>(open.begin() + first, open.begin() + last));
  }
}

bool CMdnsSearch::Read() {
  if (m_socket == INVALID_SOCKET) return false;
  bool changed = false;
  static uint8_t packet[kMdnsMaxPacket];
  for (int taken = 0; taken < 64; ++taken) {
    u_long waiting = 0;
    if (ioctlsocket(m_socket, FIONREAD, &waiting) != 0 || waiting == 0) break;
    const int got = recv(m_socket, reinterpret_cast<char*>(packet), sizeof(packet), 0);
    if (got <= 0) break;
    std::vector<DnsRecord> records;
    // A malformed answer is passed over; the rest of the search goes on.
    if (ReadMdnsPacket(packet, static_cast<size_t>(got), &records) == DnsError::kNone && m_found.Add(records))
      changed = true;
  }
  return changed;
}

void CMdnsSearch::Stop() {
  if (m_socket != INVALID_SOCKET) closesocket(m_socket);
  m_socket = INVALID_SOCKET;
  if (m_winsock) WSACleanup();
  m_winsock = false;
}
