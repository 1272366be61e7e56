// Fuzz target: a scanner source's memory transfer. The image information gives the bitmap
// layout, then strips of any geometry arrive in transfer buffers of exactly their length and
// are placed into the page file. Properties: no byte is read outside a buffer (the sanitizer)
// or written outside the file's pixel data, the headers stay as written, a refused strip
// moves nothing, and a placed strip's rows stand in their file rows as the page's rules say.
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "scan/StripAssembler.h"
#include "tests/fuzz/FuzzInput.h"

namespace {
const uint64_t kLargestPage = 4u << 20;  // larger layouts are only computed, not filled

class CPageMemory : public IPageFile {
 public:
  explicit CPageMemory(const BitmapLayout& layout) : m_layout(layout), m_bytes(layout.fileSize) {
    WriteBitmapHeaders(layout, m_bytes.data());
    m_headers.assign(m_bytes.begin(), m_bytes.begin() + layout.offBits);
  }
  bool ReadAt(uint64_t offset, void* data, size_t size) override {
    FUZZ_CHECK(Inside(offset, size));
    std::memcpy(data, m_bytes.data() + offset, size);
    return true;
  }
  bool WriteAt(uint64_t offset, const void* data, size_t size) override {
    FUZZ_CHECK(Inside(offset, size));
    std::memcpy(m_bytes.data() + offset, data, size);
    return true;
  }
  bool HeadersIntact() const { return std::equal(m_headers.begin(), m_headers.end(), m_bytes.begin()); }
  const uint8_t* At(uint64_t offset) const { return m_bytes.data() + offset; }

 private:
  bool Inside(uint64_t offset, size_t size) const {
    return offset >= m_layout.offBits && offset <= m_layout.fileSize && size <= m_layout.fileSize - offset;
  }
  BitmapLayout m_layout;
  std::vector<uint8_t> m_bytes;
  std::vector<uint8_t> m_headers;
};

// A chunky strip just placed: each source row in its file row (the first image row lowest),
// colour turned to blue-green-red, grey and black-and-white as they came as far as the strip
// holds and the stride reaches, the rest of the row zero.
void CheckPlacedRows(const BitmapLayout& layout, const CPageMemory& file, uint64_t at, const StripDesc& strip,
                     const uint8_t* data, size_t held) {
  for (uint32_t r = 0; r < strip.rows; ++r) {
    const uint8_t* row = file.At(at + static_cast<uint64_t>(strip.rows - 1 - r) * layout.stride);
    const uint8_t* source = data + static_cast<size_t>(r) * strip.bytesPerRow;
    size_t copied;
    if (layout.pixelType == TWPT_RGB) {
      copied = 3u * strip.columns;
      for (uint32_t x = 0; x < strip.columns; ++x)
        FUZZ_CHECK(row[3 * x] == source[3 * x + 2] && row[3 * x + 1] == source[3 * x + 1] &&
                   row[3 * x + 2] == source[3 * x]);
    } else {
      const uint64_t left = held - static_cast<uint64_t>(r) * strip.bytesPerRow;
      copied = static_cast<size_t>(std::min<uint64_t>({strip.bytesPerRow, left, layout.stride}));
      FUZZ_CHECK(std::equal(source, source + copied, row));
    }
    for (size_t k = copied; k < layout.stride; ++k) FUZZ_CHECK(row[k] == 0);
  }
}

TW_IMAGEINFO ImageInfo(CFuzzInput& in) {
  TW_IMAGEINFO info;
  std::memset(&info, 0, sizeof(info));
  info.XResolution.Whole = static_cast<TW_INT16>(in.U16());
  info.XResolution.Frac = in.U16();
  info.ImageWidth = in.Bool() ? static_cast<TW_INT32>(in.Range(0, 700)) : in.I32();
  info.ImageLength = in.Bool() ? static_cast<TW_INT32>(in.Range(0, 300)) : in.I32();
  info.SamplesPerPixel = static_cast<TW_INT16>(in.Range(0, 4));
  info.Planar = in.Bool();
  info.PixelType = static_cast<TW_INT16>(in.Range(0, 3));
  return info;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  BitmapLayout layout;
  const LayoutError error = ComputeBitmapLayout(PageInfoFrom(ImageInfo(in)), &layout);
  if (error != LayoutError::kNone) return 0;
  FUZZ_CHECK(layout.stride % 4 == 0 && layout.stride <= kMaxStride);
  FUZZ_CHECK(layout.fileSize == layout.offBits + static_cast<uint64_t>(layout.stride) * layout.length);
  StripCount(layout.expectedSize, in.U32());
  if (layout.fileSize > kLargestPage) return 0;

  CPageMemory file(layout);
  CStripAssembler assembler(layout);
  while (!in.AtEnd()) {
    if (in.Range(0, 7) == 0) {
      assembler.NextPass();
      continue;
    }
    StripDesc strip;
    strip.columns = in.Bool() ? static_cast<uint32_t>(layout.width) : in.U32();
    strip.rows = in.Bool() ? in.Range(0, 40) : in.U32();
    strip.bytesPerRow = in.Bool() ? in.Range(0, 2200) : in.U32();
    strip.bytesWritten = in.Bool() ? 0 : in.U32();
    // The transfer buffer: the Preferred size the source asked for, exactly that long.
    const size_t bufferLength = in.Range(0, 1 << 16);
    std::unique_ptr<uint8_t[]> buffer(new uint8_t[bufferLength ? bufferLength : 1]);
    for (size_t i = 0; i < bufferLength; ++i) buffer[i] = static_cast<uint8_t>(i * 7 + 1);
    const bool noBuffer = in.Range(0, 15) == 0;
    const uint64_t before = assembler.Position();
    const StripError placed = assembler.Place(strip, noBuffer ? nullptr : buffer.get(), bufferLength, file);
    if (placed != StripError::kNone) FUZZ_CHECK(assembler.Position() == before);
    if (placed == StripError::kNone && strip.rows > 0 && !layout.planar) {
      const size_t held =
          strip.bytesWritten != 0 && strip.bytesWritten < bufferLength ? strip.bytesWritten : bufferLength;
      CheckPlacedRows(layout, file, assembler.Position(), strip, buffer.get(), held);
    }
    FUZZ_CHECK(assembler.Position() >= layout.offBits && assembler.Position() <= layout.fileSize);
  }
  FUZZ_CHECK(file.HeadersIntact());
  return 0;
}
