// CLayerSplitter: splits a colour or grey page into the three layers of a compact page, row by
// row, from what the survey found: the text mask (1 bit at the page's resolution: ink is what
// is darker than the paper around it by the block's threshold, outside pictures), the
// background (the page without its ink, in cells of `cell` pixels square: a cell's colour is
// the mean of its clean pixels, or the paper where ink covers it) and the foreground (the ink's
// colour in cells twice as large, darker pixels weighing more). Mask rows and background rows
// go out as they are done; the foreground, small, is kept for the end. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "app/output/imaging/PageSurvey.h"

class CLayerSplitter {
 public:
  class Output {
   public:
    virtual ~Output() = default;
    // A mask row: (width + 7) / 8 bytes, high bit first, 1 for ink. False stops the split.
    virtual bool TakeMaskRow(const uint8_t* bits) = 0;
    // A background row: BackgroundWidth() pixels of the page's channels (blue, green, red).
    virtual bool TakeBackgroundRow(const uint8_t* pixels) = 0;
  };

  // False when memory is short. `survey` must have finished and stay while rows are added.
  bool Begin(const CPageSurvey& survey, uint32_t width, uint32_t height, int channels, uint32_t cell,
             Output& output);
  // The next row, top first. False when the output refused a row.
  bool AddRow(const uint8_t* row);

  uint32_t BackgroundWidth() const { return m_cellsAcross; }
  uint32_t BackgroundHeight() const { return m_cellsDown; }
  uint32_t ForegroundWidth() const { return m_inkAcross; }
  uint32_t ForegroundHeight() const { return m_inkDown; }
  // After the last row: true when some pixel is ink.
  bool HasInk() const { return m_inkPixels > 0; }
  // After the last row, the foreground cells (channels bytes each, top row first): the ink's
  // colours brought to a few (the count is returned, 0 when no cell held ink), and cells
  // without ink given the colour of the ink nearest before them in their row or the row
  // above, so that the layer compresses to little.
  int FinishForeground();
  const uint8_t* Foreground() const { return m_ink.get(); }
  // Then: each colour (blue, green, red), and which a cell's ink took (1 + its index, 0 none).
  const uint8_t* Colour(int index) const;
  uint8_t CellColour(uint32_t ix, uint32_t iy) const {
    return m_inkFound[static_cast<size_t>(iy) * m_inkAcross + ix];
  }
  uint32_t ForegroundCell() const { return m_inkCell; }

  static const int kMostColours = 8;

 private:
  void PrepareCellRow(uint32_t cellRow);
  bool CloseCellRow();
  void CloseInkRow();
  int SnapToFewColours();

  const CPageSurvey* m_survey = nullptr;
  Output* m_output = nullptr;
  uint32_t m_width = 0, m_height = 0, m_cell = 1, m_inkCell = 2;
  int m_channels = 3;
  uint32_t m_cellsAcross = 0, m_cellsDown = 0, m_inkAcross = 0, m_inkDown = 0;
  uint32_t m_row = 0;
  uint64_t m_inkPixels = 0;
  // Per cell of the cell row being read: the paper (3 bytes), threshold, picture flag.
  std::unique_ptr<uint8_t[]> m_paper, m_threshold, m_picture;
  // Per cell: clean pixels' sums and count.
  std::unique_ptr<uint32_t[]> m_cleanSum, m_cleanCount;
  // Per foreground cell: ink sums weighted by darkness, and the weights.
  std::unique_ptr<uint64_t[]> m_inkSum, m_inkWeight;
  std::unique_ptr<uint8_t[]> m_mask, m_background;
  std::unique_ptr<uint8_t[]> m_ink, m_inkFound;  // the foreground cells, and which held ink
  std::unique_ptr<uint32_t[]> m_inkMass;         // and how much
  uint8_t m_palette[kMostColours][3] = {};
  int m_colours = 0;
};
