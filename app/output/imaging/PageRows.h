// Rows of a page for the page writers, top row first, as the bitmap stores them (its depth,
// rows padded to four bytes): from a packed bitmap in memory, or from a bitmap file band by
// band, so that a page of any size is written through a band's worth of memory.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/output/imaging/DibLayout.h"

class CPageRows {
 public:
  virtual ~CPageRows() = default;
  // The next row from the top; null when every row has been given or a row cannot be read.
  virtual const uint8_t* Next() = 0;
};

// The bottom-up rows of a packed bitmap in memory.
class CMemoryRows final : public CPageRows {
 public:
  CMemoryRows(const uint8_t* rows, const DibLayout& layout) : m_rows(rows), m_layout(layout) {}
  const uint8_t* Next() override;

 private:
  const uint8_t* m_rows;
  DibLayout m_layout;
  uint32_t m_given = 0;
};

// The rows of a bitmap file, bottom-up or top-down as `layout` (from ParseBitmapFile) says,
// read a band at a time through `read`: 16 rows (one row of colour JPEG blocks, two of grey),
// fewer when rows are long, so that a band stays within a megabyte or one row.
class CBitmapFileRows final : public CPageRows {
 public:
  // Reads `bytes` at `offset` of the file into `to`; false unless all of them were read.
  using Read = bool (*)(void* context, uint64_t offset, uint8_t* to, size_t bytes);

  CBitmapFileRows(const DibLayout& layout, Read read, void* context);
  // False when there was no memory for a band.
  bool IsReady() const { return m_band != nullptr; }
  const uint8_t* Next() override;

 private:
  bool ReadBand();

  DibLayout m_layout;
  Read m_read;
  void* m_context;
  uint32_t m_bandRows = 0;  // rows a full band holds
  std::unique_ptr<uint8_t[]> m_band;
  uint32_t m_bandTop = 0;    // image row (from the top) of the band's first row
  uint32_t m_bandCount = 0;  // rows in the band now
  uint32_t m_next = 0;       // image row given next
  bool m_failed = false;
};
