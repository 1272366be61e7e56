// The search for network scanners over multicast DNS: a UDP socket whose answers arrive as
// window messages (WSAAsyncSelect), the scan services asked for on 224.0.0.251:5353 and the
// open questions asked again on each Ask. The caller's timer bounds the search; it never
// blocks.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include "scan/escl/DiscoveredScanners.h"

class CMdnsSearch {
 public:
  CMdnsSearch() = default;
  ~CMdnsSearch() { Stop(); }
  CMdnsSearch(const CMdnsSearch&) = delete;
  CMdnsSearch& operator=(const CMdnsSearch&) = delete;

  // Opens the socket (its readiness posted to `window` as `message`) and asks; false when
  // the network cannot be used at all.
  bool Start(HWND window, UINT message);
  // Asks for the scan services and for what the answers so far left open.
  void Ask();
  // Takes every waiting answer; true when the scanners found may have changed.
  bool Read();
  void Stop();
  const CDiscoveredScanners& Found() const { return m_found; }
  // Nothing could be sent: multicast is blocked or there is no network.
  bool Blocked() const { return m_sent == 0 && m_asked > 0; }

 private:
  void Send(const std::vector<DnsQuestion>& questions);

  SOCKET m_socket = INVALID_SOCKET;
  bool m_winsock = false;
  int m_asked = 0, m_sent = 0;
  CDiscoveredScanners m_found;
};
