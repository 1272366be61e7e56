// JPEG and TIFF pages written from their rows as they come.
#include "app/output/imaging/PageWriters.h"

#include <cstring>
#include <memory>
#include <new>

#include "app/output/imaging/JpegEncoder.h"
#include "app/output/imaging/LittleEndian.h"

namespace {

const size_t kOutputChunk = 64 * 1024;
const uint64_t kTiffStripBytes = 64 * 1024;
const uint64_t kTiffLargestFile = 0xFFFFFFFFu;  // offsets are 32 bits
const int kTiffDefaultDpi = 96;                 // what GDI+ gives a bitmap without a resolution

// Bytes for a sink, handed over in chunks.
class CChunkedOutput {
 public:
  CChunkedOutput(ByteSink sink, void* context)
      : m_sink(sink), m_context(context), m_buffer(new (std::nothrow) uint8_t[kOutputChunk]) {}
  bool IsReady() const { return m_buffer != nullptr; }
  void Put(const uint8_t* data, size_t size) {
    while (size > 0 && !m_failed) {
      const size_t room = kOutputChunk - m_used;
      const size_t part = size < room ? size : room;
      std::memcpy(m_buffer.get() + m_used, data, part);
      m_used += part;
      data += part;
      size -= part;
      if (m_used == kOutputChunk) Flush();
    }
  }
  void Put16(uint32_t value) {
    uint8_t bytes[2];
    WriteLe16(bytes, value);
    Put(bytes, 2);
  }
  void Put32(uint32_t value) {
    uint8_t bytes[4];
    WriteLe32(bytes, value);
    Put(bytes, 4);
  }
  bool Finish() {
    Flush();
    return !m_failed;
  }

 private:
  void Flush() {
    if (m_used > 0 && !m_failed && !m_sink(m_context, m_buffer.get(), m_used)) m_failed = true;
    m_used = 0;
  }

  ByteSink m_sink;
  void* m_context;
  std::unique_ptr<uint8_t[]> m_buffer;
  size_t m_used = 0;
  bool m_failed = false;
};

// TIFF field types.
const uint16_t kShort = 3, kLong = 4, kRational = 5;

struct TiffEntry {
  uint16_t tag, type;
  uint32_t count, value;  // value: the value itself when it fits 4 bytes, else its offset
};

}  // namespace

bool WriteJpegPage(const DibLayout& layout, const uint8_t* palette, CPageRows& rows,
                   const PageOutput& output) {
  // The row buffer is sized by the width: JPEG's limits are checked first.
  if (layout.width == 0 || layout.height == 0 || layout.width > CJpegEncoder::kMaxSide ||
      layout.height > CJpegEncoder::kMaxSide)
    return false;
  const bool grey = layout.bitsPerPixel <= 8 && PaletteIsGrey(palette, layout.colours);
  CJpegEncoder::Settings settings;
  settings.width = layout.width;
  settings.height = layout.height;
  settings.layout = grey ? CJpegEncoder::Layout::kGrey : CJpegEncoder::Layout::kBgr;
  settings.quality = output.quality;
  settings.xDpi = output.xDpi;
  settings.yDpi = output.yDpi;
  std::unique_ptr<CJpegEncoder> encoder(new (std::nothrow) CJpegEncoder);
  const bool expand = layout.bitsPerPixel != 24;
  std::unique_ptr<uint8_t[]> expanded;
  if (expand) expanded.reset(new (std::nothrow) uint8_t[static_cast<size_t>(layout.width) * 3]);
  if (!encoder || (expand && !expanded) || !encoder->Begin(settings, output.sink, output.context))
    return false;
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* row = rows.Next();
    if (!row) return false;
    if (grey) {
      ExpandRowToGrey(row, layout.bitsPerPixel, palette, layout.colours, layout.width, expanded.get());
      row = expanded.get();
    } else if (expand) {
      ExpandRowToBgr(row, layout.bitsPerPixel, palette, layout.colours, layout.width, expanded.get());
      row = expanded.get();
    }
    if (!encoder->AddRow(row)) return false;
  }
  return encoder->Finish();
}

bool WriteTiffPage(const DibLayout& layout, const uint8_t* palette, CPageRows& rows,
                   const PageOutput& output) {
  if (layout.width == 0 || layout.height == 0) return false;
  const bool indexed = layout.bitsPerPixel <= 8;
  const uint16_t bits = indexed ? layout.bitsPerPixel : 8;
  const uint16_t samples = indexed ? 1 : 3;
  const uint64_t rowBytes = (static_cast<uint64_t>(layout.width) * bits * samples + 7) / 8;
  uint64_t rowsPerStrip = kTiffStripBytes / rowBytes;
  rowsPerStrip = rowsPerStrip < 1 ? 1 : rowsPerStrip > layout.height ? layout.height : rowsPerStrip;
  const uint64_t strips = (layout.height + rowsPerStrip - 1) / rowsPerStrip;
  const uint32_t colourMapEntries = indexed ? 3u << bits : 0;

  // Header, one directory, then the values too long for their entries (all of an even length,
  // so each starts on a word boundary), then the strips.
  const int entryCount = indexed ? 14 : 13;
  uint64_t at = 8 + 2 + 12 * entryCount + 4;
  const auto place = [&at](uint64_t bytes) {
    const uint64_t offset = at;
    at += bytes;
    return static_cast<uint32_t>(offset);
  };
  const uint32_t bitsAt = samples > 1 ? place(2 * samples) : 0;
  const uint32_t xResolutionAt = place(8), yResolutionAt = place(8);
  const uint32_t colourMapAt = indexed ? place(2 * colourMapEntries) : 0;
  const uint32_t offsetsAt = strips > 1 ? place(4 * strips) : 0;
  const uint32_t countsAt = strips > 1 ? place(4 * strips) : 0;
  const uint64_t dataAt = at;
  if (dataAt + rowBytes * layout.height > kTiffLargestFile) return false;

  const uint32_t lastStripBytes =
      static_cast<uint32_t>((layout.height - (strips - 1) * rowsPerStrip) * rowBytes);
  const TiffEntry entries[14] = {
      {256, layout.width > 0xFFFF ? kLong : kShort, 1, layout.width},  // image width
      {257, layout.height > 0xFFFF ? kLong : kShort, 1, layout.height},
      {258, kShort, samples, samples > 1 ? bitsAt : bits},  // bits per sample
      {259, kShort, 1, 1},                                  // no compression
      {262, kShort, 1, indexed ? 3u : 2u},                  // palette or RGB
      {273, kLong, static_cast<uint32_t>(strips), strips > 1 ? offsetsAt : static_cast<uint32_t>(dataAt)},
      {277, kShort, 1, samples},                             // samples per pixel
      {278, kLong, 1, static_cast<uint32_t>(rowsPerStrip)},  // rows per strip
      {279, kLong, static_cast<uint32_t>(strips), strips > 1 ? countsAt : lastStripBytes},
      {282, kRational, 1, xResolutionAt},
      {283, kRational, 1, yResolutionAt},
      {284, kShort, 1, 1},                           // samples interleaved
      {296, kShort, 1, 2},                           // resolution in inches
      {320, kShort, colourMapEntries, colourMapAt},  // colour map
  };

  CChunkedOutput out(output.sink, output.context);
  std::unique_ptr<uint8_t[]> row;  // a 16, 24 or 32-bit row as red-green-blue
  if (!indexed) row.reset(new (std::nothrow) uint8_t[static_cast<size_t>(rowBytes)]);
  if (!out.IsReady() || (!indexed && !row)) return false;
  const uint8_t head[4] = {'I', 'I', 42, 0};
  out.Put(head, 4);
  out.Put32(8);
  out.Put16(static_cast<uint32_t>(entryCount));
  for (int i = 0; i < entryCount; ++i) {
    const TiffEntry& entry = entries[i];
    out.Put16(entry.tag);
    out.Put16(entry.type);
    out.Put32(entry.count);
    if (entry.type == kShort && entry.count == 1) {
      out.Put16(entry.value);
      out.Put16(0);
    } else {
      out.Put32(entry.value);
    }
  }
  out.Put32(0);  // no further directory

  for (int s = 0; samples > 1 && s < samples; ++s) out.Put16(bits);
  const bool dpiKnown = output.xDpi > 0 && output.yDpi > 0;
  out.Put32(static_cast<uint32_t>(dpiKnown ? output.xDpi : kTiffDefaultDpi));
  out.Put32(1);
  out.Put32(static_cast<uint32_t>(dpiKnown ? output.yDpi : kTiffDefaultDpi));
  out.Put32(1);
  if (indexed) {
    // All reds, then all greens, then all blues, 16 bits each; entries past the palette black.
    const uint32_t entriesPerColour = 1u << bits;
    for (int channel = 2; channel >= 0; --channel)
      for (uint32_t i = 0; i < entriesPerColour; ++i)
        out.Put16(i < layout.colours ? static_cast<uint32_t>(palette[4 * i + channel]) << 8 : 0);
  }
  if (strips > 1) {
    for (uint64_t s = 0; s < strips; ++s)
      out.Put32(static_cast<uint32_t>(dataAt + s * rowsPerStrip * rowBytes));
    for (uint64_t s = 0; s < strips; ++s)
      out.Put32(s + 1 < strips ? static_cast<uint32_t>(rowsPerStrip * rowBytes) : lastStripBytes);
  }

  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint8_t* stored = rows.Next();
    if (!stored) return false;
    if (indexed) {
      out.Put(stored, static_cast<size_t>(rowBytes));
      continue;
    }
    ExpandRowToRgb(stored, layout.bitsPerPixel, palette, layout.colours, layout.width, row.get());
    out.Put(row.get(), static_cast<size_t>(rowBytes));
  }
  return out.Finish();
}
