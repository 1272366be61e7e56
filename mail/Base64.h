// Base64 (RFC 2045 alphabet) of attachment files, one line per 510 bytes read: a full line is
// 680 characters. Only the 510-byte input buffer and the caller's line buffer are in memory.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "mail/MailChannel.h"

const size_t kBase64ReadSize = 510;
const size_t kBase64LineLength = 680;
const size_t kBase64MinBuffer = kBase64LineLength + 1;

// Encodes `count` bytes into `out` (4 characters per started group of 3) and terminates it.
// `out` must hold (count + 2) / 3 * 4 + 1 characters. Returns the characters written.
size_t EncodeBase64(const unsigned char* bytes, size_t count, char* out);

// Base64 of `bytes` on one line, without a line end.
CString Base64Text(const std::string& bytes);

// The URL-safe form of RFC 4648 ("-" and "_" for "+" and "/"), without padding.
std::string Base64Url(const std::string& bytes);

// Decodes base64 text (RFC 2045 alphabet, padding required where it belongs, no blanks) into
// `bytes`; false for anything else.
bool DecodeBase64(const std::string& text, std::string* bytes);

class CBase64FileReader {
 public:
  enum LineResult { kLine = 0, kEnd = 2, kBufferTooSmall = 3 };

  explicit CBase64FileReader(IMailEnvironment& environment) : m_environment(environment) {}
  CBase64FileReader(const CBase64FileReader&) = delete;
  CBase64FileReader& operator=(const CBase64FileReader&) = delete;

  // 0 when the file opened, 1 when it did not (the reverse of the usual sense, as the
  // message writer expects).
  int Open(const CString& path);
  // Reads up to 510 bytes and writes their base64 line, zero-terminated: kLine. At the end of
  // the file (or a read error) closes it and writes an empty text: kEnd. A buffer below 681
  // characters: kBufferTooSmall, nothing read.
  int ReadLine(char* out, size_t size);
  bool IsOpen() const { return m_file != nullptr; }
  // The open file's size, false when there is none or it cannot be read.
  bool FileSize(uint64_t* size) const { return m_file && m_file->Size(size); }

 private:
  IMailEnvironment& m_environment;
  std::unique_ptr<IAttachmentFile> m_file;
  unsigned char m_buffer[kBase64ReadSize];
};
