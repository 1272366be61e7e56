// Scanner addresses, announced root URLs and job paths.
#include "scan/escl/ScannerAddress.h"

#include <cctype>

namespace {
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool StartsNoCase(const std::string& text, const char* prefix, size_t n) {
  return text.size() >= n && Lower(text.substr(0, n)) == prefix;
}

std::string Trimmed(const std::string& text) {
  size_t a = 0, b = text.size();
  while (a < b && std::isspace(static_cast<unsigned char>(text[a]))) ++a;
  while (b > a && std::isspace(static_cast<unsigned char>(text[b - 1]))) --b;
  return text.substr(a, b - a);
}

bool HostName(const std::string& host) {
  if (host.empty() || host.size() > 253 || host.front() == '.' || host.front() == '-') return false;
  for (char c : host) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.' && c != '_') return false;
  }
  return true;
}

bool V6Address(const std::string& host) {
  if (host.size() < 2 || host.size() > 64 || host.find(':') == std::string::npos) return false;
  const size_t zone = host.find('%');
  for (size_t i = 0; i < host.size(); ++i) {
    const char c = host[i];
    if (zone != std::string::npos && i > zone) {
      if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    } else if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.' && i != zone) {
      return false;
    }
  }
  return zone != host.size() - 1;
}

bool Port(const std::string& text, uint16_t* port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value == 0 || value > 65535) return false;
  *port = static_cast<uint16_t>(value);
  return true;
}

// "host", "host:port", "[v6]", "[v6]:port", or a bare IPv6 address.
bool Authority(const std::string& text, ScannerUrl* url) {
  if (!text.empty() && text[0] == '[') {
    const size_t close = text.find(']');
    if (close == std::string::npos) return false;
    url->host = text.substr(1, close - 1);
    if (!V6Address(url->host)) return false;
    const std::string rest = text.substr(close + 1);
    if (rest.empty()) return true;
    return rest[0] == ':' && Port(rest.substr(1), &url->port);
  }
  const size_t colon = text.find(':');
  if (colon != std::string::npos && text.find(':', colon + 1) != std::string::npos) {
    url->host = text;  // more than one colon: an IPv6 address without a port
    return V6Address(text);
  }
  url->host = text.substr(0, colon);
  if (!HostName(url->host)) return false;
  return colon == std::string::npos || Port(text.substr(colon + 1), &url->port);
}

bool PathChars(const std::string& path) {
  for (char c : path) {
    if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F || c == '?' ||
        c == '#' || c == '"' || c == '\\')
      return false;
  }
  return true;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
}  // namespace

std::string ScannerUrl::UrlHost() const {
  return host.find(':') != std::string::npos ? "[" + host + "]" : host;
}

std::string ScannerUrl::Text() const {
  return std::string(https ? "https://" : "http://") + UrlHost() + ":" + std::to_string(port) + root;
}

bool ParseScannerAddress(const std::string& input, ScannerUrl* url) {
  *url = ScannerUrl();
  std::string text = Trimmed(input);
  if (text.empty() || text.size() > 1000) return false;
  std::string path;
  bool scheme = false;
  if (StartsNoCase(text, "https://", 8)) {
    url->https = scheme = true;
    text = text.substr(8);
  } else if (StartsNoCase(text, "http://", 7)) {
    scheme = true;
    text = text.substr(7);
  }
  const size_t slash = text.find('/');
  if (slash != std::string::npos) {
    if (!scheme) return false;  // a path comes only with a whole URL
    path = text.substr(slash);
    text = text.substr(0, slash);
  }
  if (!Authority(text, url)) return false;
  if (url->port == 0) url->port = url->https ? 443 : 80;
  path = WithoutTrailingSlash(path);
  if (path.empty() || path == "/") path = "/eSCL";
  if (!PathChars(path)) return false;
  url->root = path;
  return true;
}

ScannerUrl AnnouncedScannerUrl(bool https, const std::string& host, uint16_t port, const std::string& rs,
                               bool hasRs) {
  ScannerUrl url;
  url.https = https;
  url.host = host;
  while (!url.host.empty() && url.host.back() == '.') url.host.pop_back();  // "scanner.local."
  url.port = port ? port : (https ? 443 : 80);
  std::string root = hasRs ? rs : "eSCL";
  while (!root.empty() && root.front() == '/') root.erase(0, 1);
  url.root = WithoutTrailingSlash("/" + root);
  if (url.root == "/" && !hasRs) url.root = "/eSCL";
  if (url.root == "/") url.root.clear();  // "rs=" empty: the service sits at the server's root
  if (!PathChars(url.root)) url.root = "/eSCL";
  return url;
}

std::string JobPath(const ScannerUrl& scanner, const std::string& location) {
  std::string path = Trimmed(location);
  if (StartsNoCase(path, "http://", 7) || StartsNoCase(path, "https://", 8)) {
    // Scanners name themselves as they please (a name where we used the address): the path
    // is what counts, and it goes to the scanner we talk to.
    const size_t start = path.find("//") + 2;
    const size_t slash = path.find('/', start);
    if (slash == std::string::npos) return std::string();
    path = path.substr(slash);
  } else if (path.empty() || path[0] != '/') {
    path = scanner.root + "/" + path;
  }
  path = WithoutTrailingSlash(path);
  if (path.size() <= 1 || !PathChars(path) || path.find("..") != std::string::npos) return std::string();
  return path;
}
