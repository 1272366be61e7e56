// Places the strips of a memory transfer into the pre-sized bitmap file, bottom-up: the
// image's first row becomes the file's last. Every strip is checked against the buffer it
// came in and against the page before a byte is written; a strip that does not fit fails
// instead of writing outside the buffer or the file. Side-effect free apart from the file.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/BitmapFile.h"

// Random access to the page file.
class IPageFile {
 public:
  virtual ~IPageFile() = default;
  virtual bool ReadAt(uint64_t offset, void* data, size_t size) = 0;
  virtual bool WriteAt(uint64_t offset, const void* data, size_t size) = 0;
};

// What the source reported for one strip (TW_IMAGEMEMXFER after the call).
struct StripDesc {
  uint32_t columns = 0;
  uint32_t rows = 0;
  uint32_t bytesPerRow = 0;
  uint32_t bytesWritten = 0;  // 0: not reported
};

enum class StripError {
  kNone,
  kColumns,      // not a full-width strip
  kBytesPerRow,  // rows shorter than the pixels they must carry
  kBuffer,       // the rows claimed lie beyond the transfer buffer or what was written
  kPage,         // the strip does not fit the rows still free in the file
  kPass,         // a strip after the last pass
  kNoMemory,
  kRead,
  kWrite,
};

class CStripAssembler {
 public:
  explicit CStripAssembler(const BitmapLayout& layout);
  ~CStripAssembler();
  CStripAssembler(const CStripAssembler&) = delete;
  CStripAssembler& operator=(const CStripAssembler&) = delete;

  // Places one strip of `bufferLength` transfer-buffer bytes into `file`.
  StripError Place(const StripDesc& strip, const uint8_t* data, size_t bufferLength, IPageFile& file);

  // At the end of a transfer (TWRC_XFERDONE): a planar colour page goes on with its next
  // plane and true is returned while one is still to come; otherwise false.
  bool NextPass();

  // All rows of the current pass have been placed.
  bool PassComplete() const { return m_position == m_layout.offBits; }
  int Pass() const { return m_pass; }
  uint64_t Position() const { return m_position; }
  size_t StripBufferSize() const { return m_capacity; }

 private:
  bool Reserve(size_t size);

  BitmapLayout m_layout;
  uint64_t m_position;
  int m_pass = 0;
  uint8_t* m_buffer = nullptr;
  size_t m_capacity = 0;
};

// Copies row `source` (`bytesPerRow` readable bytes) into the file row `target` (stride bytes)
// by the page's rules.
void PlaceChunkyRow(const BitmapLayout& layout, const uint8_t* source, uint32_t bytesPerRow, uint32_t columns,
                    uint8_t* target);
void PlacePlaneRow(const BitmapLayout& layout, int pass, const uint8_t* source, uint32_t columns,
                   uint8_t* target);
