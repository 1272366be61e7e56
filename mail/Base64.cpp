// Base64 encoding and CBase64FileReader.
#include "mail/Base64.h"

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
