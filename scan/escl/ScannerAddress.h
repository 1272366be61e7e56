// Addresses of network scanners as a user types them ("host", "host:port", "[v6]:port", a
// whole URL) and as they are kept (the scanner's root URL, "http://192.0.2.7:80/eSCL"), and
// the job paths the scanner hands out. Platform-free.
#pragma once

#include <cstdint>
#include <string>

struct ScannerUrl {
  bool https = false;
  std::string host;  // a name, an IPv4 address, or an IPv6 address without brackets
  uint16_t port = 0;
  std::string root;  // the path of the scanner's service: "/eSCL"

  // The kept form: scheme, host (bracketed when IPv6), port and root, always with the port.
  std::string Text() const;
  // The host as a URL carries it (bracketed when IPv6).
  std::string UrlHost() const;
};

// False for anything that is not a usable scanner address. Without a scheme the scanner is
// taken to speak http on port 80 under "/eSCL"; a URL without a path gets "/eSCL" too.
bool ParseScannerAddress(const std::string& text, ScannerUrl* url);

// The root URL of a service announced on the network: its SRV target and port and the "rs"
// key of its TXT record (the root path, without its leading slash; missing means "eSCL").
ScannerUrl AnnouncedScannerUrl(bool https, const std::string& host, uint16_t port, const std::string& rs,
                               bool hasRs);

// The path of a job from the Location of its creation (an absolute URL, an absolute path or a
// path relative to the root), without a trailing slash; empty when it is none of these.
std::string JobPath(const ScannerUrl& scanner, const std::string& location);
