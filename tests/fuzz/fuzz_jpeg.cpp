// Fuzz target: the JPEG header reader that lets a PDF carry a JPEG page unchanged. The input is
// the file. Properties: nothing is read past the file's end (the reader refuses such a read),
// and a header taken as good has a size and components a PDF can state.
#include <cstring>

#include "app/output/imaging/JpegHeader.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
class CFileBytes : public CByteReader {
 public:
  CFileBytes(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  bool Read(uint8_t* out, size_t size) override {
    if (size > m_size - m_at) return false;
    std::memcpy(out, m_data + m_at, size);
    m_at += size;
    return true;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFileBytes file(data, size);
  JpegHeader header;
  if (ReadJpegHeader(file, header) != JpegHeaderCheck::kOk) return 0;
  FUZZ_CHECK(header.width > 0 && header.width <= 65535 && header.height > 0 && header.height <= 65535);
  FUZZ_CHECK(header.components == 1 || header.components == 3 || header.components == 4);
  FUZZ_CHECK(header.xDpi >= 0 && header.yDpi >= 0);
  return 0;
}
