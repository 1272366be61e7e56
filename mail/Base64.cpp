// Base64 encoding and CBase64FileReader.
#include "mail/Base64.h"

#include <cstring>

namespace {
const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
}

size_t EncodeBase64(const unsigned char* bytes, size_t count, char* out) {
  size_t written = 0;
  for (size_t at = 0; at < count; at += 3) {
    const unsigned b0 = bytes[at];
    const bool has1 = at + 1 < count;
    const bool has2 = at + 2 < count;
    const unsigned b1 = has1 ? bytes[at + 1] : 0;
    const unsigned b2 = has2 ? bytes[at + 2] : 0;
    out[written++] = kAlphabet[b0 >> 2];
    out[written++] = kAlphabet[((b0 << 4) & 0x30) | (b1 >> 4)];
    out[written++] = has1 ? kAlphabet[((b1 << 2) & 0x3C) | (b2 >> 6)] : '=';
    out[written++] = has2 ? kAlphabet[b2 & 0x3F] : '=';
  }
  out[written] = '\0';
  return written;
}

int CBase64FileReader::Open(const CString& path) {
  m_file = m_environment.OpenFile(path);
  return m_file ? 0 : 1;
}

int CBase64FileReader::ReadLine(char* out, size_t size) {
  if (size < kBase64MinBuffer) return kBufferTooSmall;
  uint32_t got = 0;
  if (!m_file || !m_file->Read(m_buffer, kBase64ReadSize, &got) || got == 0) {
    m_file.reset();
    out[0] = '\0';
    return kEnd;
  }
  EncodeBase64(m_buffer, got, out);
  return kLine;
}

CString Base64Text(const std::string& bytes) {
  std::string text((bytes.size() + 2) / 3 * 4 + 1, '\0');
  text.resize(EncodeBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &text[0]));
  return CString(text);
}

std::string Base64Url(const std::string& bytes) {
  std::string text = Base64Text(bytes).str();
  while (!text.empty() && text.back() == '=') text.pop_back();
  for (char& c : text) c = c == '+' ? '-' : c == '/' ? '_' : c;
  return text;
}

bool DecodeBase64(const std::string& text, std::string* bytes) {
  bytes->clear();
  if (text.size() % 4 != 0) return false;
  for (size_t at = 0; at < text.size(); at += 4) {
    unsigned value = 0;
    int padding = 0;
    for (size_t i = 0; i < 4; ++i) {
      const char c = text[at + i];
      const char* found = c ? std::strchr(kAlphabet, c) : nullptr;
      // Padding only at the end of the last group, one or two of it.
      if (c == '=' && at + 4 == text.size() && i >= 2 && (i == 3 || text[at + 3] == '=')) {
        ++padding;
        value <<= 6;
        continue;
      }
      if (!found || padding > 0) return false;
      value = value << 6 | static_cast<unsigned>(found - kAlphabet);
    }
    bytes->push_back(static_cast<char>(value >> 16));
    if (padding < 2) bytes->push_back(static_cast<char>(value >> 8 & 0xFF));
    if (padding < 1) bytes->push_back(static_cast<char>(value & 0xFF));
  }
  return true;
}
