// Reads a fuzz input as a script of values: bytes, little-endian integers, ranges, floats from
// their bits, zero-terminated texts and counted blobs. Past the end every read gives zero or
// empty, so every input is a complete script. Shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class CFuzzInput {
 public:
  CFuzzInput(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

  size_t Left() const { return m_size - m_at; }
  bool AtEnd() const { return m_at == m_size; }

  uint8_t Byte() { return m_at < m_size ? m_data[m_at++] : 0; }
  bool Bool() { return Byte() & 1; }
  // Low byte first; each read is its own statement (the operands of | are unsequenced).
  uint16_t U16() {
    const uint16_t low = Byte();
    return static_cast<uint16_t>(low | Byte() << 8);
  }
  uint32_t U32() {
    const uint32_t low = U16();
    return low | static_cast<uint32_t>(U16()) << 16;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  // A value in low..high (high >= low), from as few bytes as the range needs.
  uint32_t Range(uint32_t low, uint32_t high) {
    const uint64_t span = static_cast<uint64_t>(high) - low + 1;
    const uint64_t raw = span <= 0x100 ? Byte() : span <= 0x10000 ? U16() : U32();
    return static_cast<uint32_t>(low + raw % span);
  }
  // Any float, NaN and the infinities included.
  float Float() {
    const uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
  }
  // The bytes up to the next zero byte (which is consumed), at most `most` of them.
  std::string Text(size_t most = 4096) {
    std::string text;
    while (m_at < m_size && m_data[m_at] != 0 && text.size() < most)
      text += static_cast<char>(m_data[m_at++]);
    if (m_at < m_size && m_data[m_at] == 0) ++m_at;
    return text;
  }
  // A 16-bit count, then that many bytes (fewer at the end of the input).
  std::string Blob() {
    const size_t want = U16();
    const size_t n = want < Left() ? want : Left();
    std::string blob(reinterpret_cast<const char*>(m_data + m_at), n);
    m_at += n;
    return blob;
  }
  // Everything not read yet.
  std::string Rest() {
    std::string rest(reinterpret_cast<const char*>(m_data + m_at), Left());
    m_at = m_size;
    return rest;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

// Stops the target with a message: a broken property is a finding like a sanitizer report.
[[noreturn]] void FuzzFailure(const char* file, int line, const char* condition);
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : FuzzFailure(__FILE__, __LINE__, #condition))
