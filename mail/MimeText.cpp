// The MIME texts.
#include "mail/MimeText.h"

#include <algorithm>
#include <cstdio>

#include "mail/Base64.h"

namespace {
const char kHex[] = "0123456789ABCDEF";
// The longest line a text in a quoted-printable or base64 body, or one with encoded words, has.
const size_t kMimeLine = 76;

std::string Lower(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return lower;
}

// The bytes of the UTF-8 character that starts at `at` (1 for a stray byte).
size_t CharacterLength(const std::string& text, size_t at) {
  size_t length = 1;
  while (at + length < text.size() && (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80)
    ++length;
  return length;
}

bool Plain(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}
}  // namespace

bool IsAscii(const std::string& text) {
  for (unsigned char c : text) {
    if (c >= 0x80) return false;
  }
  return true;
}

const char* ContentTypeOf(const std::string& fileName) {
  const size_t dot = fileName.rfind('.');
  const std::string extension = dot == std::string::npos ? std::string() : Lower(fileName.substr(dot + 1));
  if (extension == "jpg" || extension == "jpeg" || extension == "jpe") return "image/jpeg";
  if (extension == "pdf") return "application/pdf";
  if (extension == "tif" || extension == "tiff") return "image/tiff";
  return "application/octet-stream";
}

std::string EncodedWords(const std::string& utf8, size_t used) {
  // Each word, with its "=?utf-8?B?" and "?=" (12 characters), fits the line it starts: the
  // first after the header's name, the others after the fold's blank.
  std::string out;
  size_t at = 0;
  while (at < utf8.size()) {
    const size_t room = kMimeLine - (out.empty() ? std::min(used, kMimeLine - 16) : 1) - 12;
    const size_t budget = room / 4 * 3;
    size_t end = at;
    while (end < utf8.size() && end + CharacterLength(utf8, end) - at <= budget)
      end += CharacterLength(utf8, end);
    if (end == at) end = at + CharacterLength(utf8, at);  // never without progress
    if (!out.empty()) out += "\r\n ";
    out += "=?utf-8?B?" + Base64Text(utf8.substr(at, end - at)).str() + "?=";
    at = end;
  }
  return out;
}

std::string HeaderText(const std::string& ascii, const std::string& utf8, size_t used) {
  return IsAscii(ascii) ? ascii : EncodedWords(utf8, used);
}

std::string FileNameParameter(const char* name, const std::string& ascii, const std::string& utf8) {
  if (IsAscii(ascii)) {
    std::string quoted;
    for (char c : ascii) {
      if (c == '"' || c == '\\') quoted += '\\';
      quoted += c;
    }
    return std::string(name) + "=\"" + quoted + "\"";
  }
  std::string encoded;
  for (unsigned char c : utf8) {
    if (Plain(c)) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  std::string whole = std::string(name) + "*=utf-8''" + encoded;
  if (whole.size() <= 60) return whole;
  // Numbered pieces of at most 48 characters, each escape kept whole, each on a line of its own.
  std::string out;
  size_t at = 0;
  for (int piece = 0; at < encoded.size(); ++piece) {
    size_t end = std::min(encoded.size(), at + 48);
    while (end < encoded.size() && end > at &&
           (encoded[end - 1] == '%' || (end >= 2 && encoded[end - 2] == '%'))) {
      --end;
    }
    out += piece > 0 ? ";\r\n " : "\r\n ";
    out += std::string(name) + "*" + std::to_string(piece) + "*=" + (piece == 0 ? "utf-8''" : "") +
           encoded.substr(at, end - at);
    at = end;
  }
  return out;
}

std::string QuotedPrintable(const std::string& text) {
  std::string out;
  size_t at = 0;
  for (;;) {
    size_t end = text.find("\r\n", at);
    const bool last = end == std::string::npos;
    if (last) end = text.size();
    std::string line;
    for (size_t i = at; i < end; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      // A blank at the end of a line would be lost on the way: it is written encoded.
      const bool trailingBlank = (c == ' ' || c == '\t') && i + 1 == end;
      const bool leadingPeriod = c == '.' && line.empty();
      std::string piece;
      if ((c >= 33 && c <= 126 && c != '=' && !leadingPeriod) ||
          ((c == ' ' || c == '\t') && !trailingBlank)) {
        piece = std::string(1, static_cast<char>(c));
      } else {
        piece = std::string("=") + kHex[c >> 4] + kHex[c & 15];
      }
      // A soft break ("=" at the end) keeps each line within 76 characters.
      if (line.size() + piece.size() > kMimeLine - 1) {
        out += line + "=\r\n";
        line.clear();
        if (leadingPeriod || c == '.') piece = "=2E";
      }
      line += piece;
    }
    out += line + "\r\n";
    if (last) return out;
    at = end + 2;
  }
}

std::string Base64Lines(const std::string& bytes) {
  const size_t kBytesPerLine = kMimeLine / 4 * 3;
  std::string out;
  for (size_t at = 0; at < bytes.size() || at == 0; at += kBytesPerLine) {
    out += Base64Text(bytes.substr(at, kBytesPerLine)).str() + "\r\n";
    if (bytes.empty()) break;
  }
  return out;
}

std::string BoundaryFrom(const std::string& stem, const uint8_t random[18]) {
  return stem + Base64Url(std::string(reinterpret_cast<const char*>(random), 18));
}

std::string SizeText(uint64_t bytes) {
  char text[32];
  if (bytes < 1024 * 1024) {
    std::snprintf(text, sizeof(text), "%llu KB", static_cast<unsigned long long>((bytes + 1023) / 1024));
  } else {
    std::snprintf(text, sizeof(text), "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  }
  return text;
}
