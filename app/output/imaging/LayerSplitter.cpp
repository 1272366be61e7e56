// The layers of a compact page, row by row.
#include "app/output/imaging/LayerSplitter.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// A background cell this close to the paper in every channel is paper.
const int kPaperGrain = 8;
// Ink colours this close (InkDistance) are one colour of the foreground's few.
const int kSameInk = 40;
const int kInkColours = CLayerSplitter::kMostColours;
// A cell is well filled when its squared darkness adds up to this much (of 256) per pixel.
const uint32_t kWellFilled = 25;

// How far apart two ink colours look: half the difference of their levels plus the largest
// difference of their hues (each channel less the level), so that the lighter edge of black
// ink stays black rather than joining the nearest darker colour.
template <typename A, typename B>
int InkDistance(const A* one, const B* other, int channels) {
  if (channels == 1) return std::abs(one[0] - other[0]) / 2;
  const int level1 = (one[0] + one[1] + one[2]) / 3, level2 = (other[0] + other[1] + other[2]) / 3;
  int hue = 0;
  for (int c = 0; c < 3; ++c) hue = std::max(hue, std::abs((one[c] - level1) - (other[c] - level2)));
  return std::abs(level1 - level2) / 2 + hue;
}

template <typename T>
bool Allocate(std::unique_ptr<T[]>& array, size_t count) {
  array.reset(new (std::nothrow) T[count]());
  return array != nullptr;
}

// Weights (of 256) of the block before and after `position` (a pixel's centre, in halves of a
// pixel) along one side: linear between block centres, flat beyond the first and last.
void Between(uint64_t halfPixels, uint32_t side, uint32_t blocks, uint32_t& before, uint32_t& weight) {
  const uint64_t centreSpan = static_cast<uint64_t>(side) * 2;  // in halves
  if (halfPixels <= side || blocks == 1) {
    before = 0, weight = 0;
    return;
  }
  const uint64_t fromFirstCentre = halfPixels - side;
  before = static_cast<uint32_t>(fromFirstCentre / centreSpan);
  if (before >= blocks - 1) {
    before = blocks - 1, weight = 0;
    return;
  }
  weight = static_cast<uint32_t>((fromFirstCentre % centreSpan) * 256 / centreSpan);
}
}  // namespace

bool CLayerSplitter::Begin(const CPageSurvey& survey, uint32_t width, uint32_t height, int channels,
                           uint32_t cell, Output& output) {
  if (width == 0 || height == 0 || cell == 0 || (channels != 1 && channels != 3)) return false;
  m_survey = &survey;
  m_output = &output;
  m_width = width;
  m_height = height;
  m_channels = channels;
  m_cell = cell;
  m_inkCell = cell * 2;
  m_cellsAcross = (width + cell - 1) / cell;
  m_cellsDown = (height + cell - 1) / cell;
  m_inkAcross = (width + m_inkCell - 1) / m_inkCell;
  m_inkDown = (height + m_inkCell - 1) / m_inkCell;
  m_row = 0;
  m_inkPixels = 0;
  const size_t inkCells = static_cast<size_t>(m_inkAcross) * m_inkDown;
  return Allocate(m_paper, m_cellsAcross * 3) && Allocate(m_threshold, m_cellsAcross) &&
         Allocate(m_picture, m_cellsAcross) && Allocate(m_cleanSum, m_cellsAcross * 3) &&
         Allocate(m_cleanCount, m_cellsAcross) && Allocate(m_inkSum, m_inkAcross * 3) &&
         Allocate(m_inkWeight, m_inkAcross) && Allocate(m_mask, (width + 7) / 8) &&
         Allocate(m_background, static_cast<size_t>(m_cellsAcross) * channels) &&
         Allocate(m_ink, inkCells * channels) && Allocate(m_inkFound, inkCells) &&
         Allocate(m_inkMass, inkCells);
}

void CLayerSplitter::PrepareCellRow(uint32_t cellRow) {
  const CPageSurvey& survey = *m_survey;
  const uint32_t side = survey.BlockSide(), across = survey.BlocksAcross(), down = survey.BlocksDown();
  // The cell row's centre between the block rows above and below it.
  const uint64_t centreY = static_cast<uint64_t>(cellRow) * m_cell * 2 + m_cell;
  uint32_t top = 0, downWeight = 0;
  Between(centreY, side, down, top, downWeight);
  const uint32_t bottom = std::min(top + 1, down - 1);
  const uint32_t pictureRow = std::min<uint32_t>(static_cast<uint32_t>(centreY / 2) / side, down - 1);
  for (uint32_t cx = 0; cx < m_cellsAcross; ++cx) {
    const uint64_t centreX = static_cast<uint64_t>(cx) * m_cell * 2 + m_cell;
    uint32_t left = 0, rightWeight = 0;
    Between(centreX, side, across, left, rightWeight);
    const uint32_t right = std::min(left + 1, across - 1);
    const CPageSurvey::Block* corner[4] = {&survey.At(left, top), &survey.At(right, top),
                                           &survey.At(left, bottom), &survey.At(right, bottom)};
    const uint32_t weight[4] = {(256 - rightWeight) * (256 - downWeight), rightWeight * (256 - downWeight),
                                (256 - rightWeight) * downWeight, rightWeight * downWeight};
    for (int c = 0; c < 3; ++c) {
      uint32_t sum = 0;
      for (int k = 0; k < 4; ++k) sum += corner[k]->paper[c] * weight[k];
      m_paper[cx * 3 + c] = static_cast<uint8_t>((sum + 32768) >> 16);
    }
    uint32_t threshold = 0;
    for (int k = 0; k < 4; ++k) threshold += corner[k]->threshold * weight[k];
    m_threshold[cx] = static_cast<uint8_t>((threshold + 32768) >> 16);
    const uint32_t pictureColumn = std::min<uint32_t>(static_cast<uint32_t>(centreX / 2) / side, across - 1);
    m_picture[cx] = survey.At(pictureColumn, pictureRow).picture;
  }
  std::memset(m_cleanSum.get(), 0, m_cellsAcross * 3 * sizeof(uint32_t));
  std::memset(m_cleanCount.get(), 0, m_cellsAcross * sizeof(uint32_t));
}

bool CLayerSplitter::AddRow(const uint8_t* row) {
  if (!m_output || m_row >= m_height) return false;
  if (m_row % m_cell == 0) PrepareCellRow(m_row / m_cell);
  if (m_row % m_inkCell == 0) {
    std::memset(m_inkSum.get(), 0, m_inkAcross * 3 * sizeof(uint64_t));
    std::memset(m_inkWeight.get(), 0, m_inkAcross * sizeof(uint64_t));
  }
  uint8_t* mask = m_mask.get();
  std::memset(mask, 0, (m_width + 7) / 8);
  const int channels = m_channels;
  for (uint32_t cx = 0; cx < m_cellsAcross; ++cx) {
    const uint32_t start = cx * m_cell, end = std::min(m_width, start + m_cell);
    uint32_t* clean = m_cleanSum.get() + cx * 3;
    uint32_t& cleanCount = m_cleanCount[cx];
    if (m_picture[cx]) {
      // A picture is all background.
      for (uint32_t x = start; x < end; ++x)
        for (int c = 0; c < channels; ++c) clean[c] += row[x * channels + c];
      cleanCount += end - start;
      continue;
    }
    const uint8_t* paper = m_paper.get() + cx * 3;
    const int threshold = m_threshold[cx];
    for (uint32_t x = start; x < end; ++x) {
      const uint8_t* pixel = row + static_cast<size_t>(x) * channels;
      int darkness = 0;
      for (int c = 0; c < channels; ++c) darkness = std::max(darkness, paper[c] - pixel[c]);
      if (darkness > threshold) {
        mask[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
        // The darkest pixels weigh most: the blur of the scan makes the edges of a stroke,
        // and the whole of a thin one, lighter than its ink.
        const uint32_t inkCell = x / m_inkCell;
        const uint64_t weight = static_cast<uint64_t>(darkness) * static_cast<uint64_t>(darkness);
        for (int c = 0; c < channels; ++c) m_inkSum[inkCell * 3 + c] += pixel[c] * weight;
        m_inkWeight[inkCell] += weight;
        ++m_inkPixels;
      } else if (darkness * 4 <= threshold) {
        // The soft edge around a stroke is neither ink nor clean: it would leave a ghost.
        for (int c = 0; c < channels; ++c) clean[c] += pixel[c];
        ++cleanCount;
      }
    }
  }
  if (!m_output->TakeMaskRow(mask)) return false;
  ++m_row;
  if (m_row % m_inkCell == 0 || m_row == m_height) CloseInkRow();
  if (m_row % m_cell == 0 || m_row == m_height) return CloseCellRow();
  return true;
}

bool CLayerSplitter::CloseCellRow() {
  const uint32_t rows = m_row - (m_row - 1) / m_cell * m_cell;
  uint8_t* out = m_background.get();
  for (uint32_t cx = 0; cx < m_cellsAcross; ++cx) {
    const uint32_t columns = std::min(m_width, (cx + 1) * m_cell) - cx * m_cell;
    const uint32_t count = m_cleanCount[cx];
    // A cell half under ink or its soft edge shows the paper around it, and so does one that
    // is as good as paper: the grain of the paper is not worth bytes.
    const uint8_t* paper = m_paper.get() + cx * 3;
    uint8_t* pixel = out + cx * m_channels;
    bool asPaper = count * 2 < rows * columns;
    if (!asPaper) {
      bool nearPaper = !m_picture[cx];
      for (int c = 0; c < m_channels; ++c) {
        pixel[c] = static_cast<uint8_t>((m_cleanSum[cx * 3 + c] + count / 2) / count);
        nearPaper = nearPaper && std::abs(pixel[c] - paper[c]) <= kPaperGrain;
      }
      asPaper = nearPaper;
    }
    if (asPaper) std::memcpy(pixel, paper, static_cast<size_t>(m_channels));
  }
  return m_output->TakeBackgroundRow(out);
}

void CLayerSplitter::CloseInkRow() {
  const uint32_t inkRow = (m_row - 1) / m_inkCell;
  for (uint32_t ix = 0; ix < m_inkAcross; ++ix) {
    const size_t at = static_cast<size_t>(inkRow) * m_inkAcross + ix;
    const uint64_t weight = m_inkWeight[ix];
    m_inkFound[at] = weight > 0;
    m_inkMass[at] = static_cast<uint32_t>(std::min<uint64_t>(weight >> 8, UINT32_MAX));
    for (int c = 0; c < m_channels; ++c)
      m_ink[at * m_channels + c] =
          weight ? static_cast<uint8_t>((m_inkSum[ix * 3 + c] + weight / 2) / weight) : 0;
  }
}

int CLayerSplitter::SnapToFewColours() {
  // The colours come from the cells well filled with ink (a cell that holds only the soft
  // edge of a stroke is lighter than its ink): each such cell joins the nearest colour it is
  // close to, or starts one while there are fewer than kInkColours. Then every cell takes
  // the nearest colour, so that ink of one colour reads as one, and the layer as even areas.
  const size_t cells = static_cast<size_t>(m_inkAcross) * m_inkDown;
  const int n = m_channels;
  const uint32_t wellFilled = m_inkCell * m_inkCell * kWellFilled;
  uint32_t sum[kInkColours][3] = {}, members[kInkColours] = {};
  int centre[kInkColours][3] = {}, colours = 0;
  auto nearest = [&](const uint8_t* ink, int& distance) {
    int best = -1;
    distance = 256;
    for (int k = 0; k < colours; ++k) {
      const int apart = InkDistance(ink, centre[k], n);
      if (apart < distance) best = k, distance = apart;
    }
    return best;
  };
  // The other cells only start a colour when far from all (a thin rule of another colour);
  // near one, they leave it as the well filled cells made it.
  for (int round = 0; round < 2; ++round)
    for (size_t at = 0; at < cells; ++at) {
      const bool well = m_inkMass[at] >= wellFilled;
      if (!m_inkFound[at] || well != (round == 0)) continue;
      const uint8_t* ink = m_ink.get() + at * n;
      int distance = 0, best = nearest(ink, distance);
      const int far = well ? kSameInk : 2 * kSameInk;
      if (distance <= far && !well) continue;
      if (distance > far && colours < kInkColours) best = colours++;
      ++members[best];
      for (int c = 0; c < n; ++c) {
        sum[best][c] += ink[c];
        centre[best][c] = static_cast<int>(sum[best][c] / members[best]);
      }
    }
  // Colours that drifted together as their means moved are one.
  for (int k = 0; k < colours; ++k)
    for (int j = k + 1; j < colours; ++j) {
      if (InkDistance(centre[k], centre[j], n) > kSameInk) continue;
      members[k] += members[j];
      for (int c = 0; c < n; ++c) {
        sum[k][c] += sum[j][c];
        centre[k][c] = static_cast<int>(sum[k][c] / members[k]);
      }
      --colours;
      for (int m = j; m < colours; ++m) {
        members[m] = members[m + 1];
        std::memcpy(sum[m], sum[m + 1], sizeof(sum[m]));
        std::memcpy(centre[m], centre[m + 1], sizeof(centre[m]));
      }
      j = k;  // the merged colour moved: look at the others again
    }
  for (size_t at = 0; at < cells; ++at) {
    if (!m_inkFound[at]) continue;
    int distance = 0;
    const int best = nearest(m_ink.get() + at * n, distance);
    for (int c = 0; c < n; ++c) m_ink[at * n + c] = static_cast<uint8_t>(centre[best][c]);
    m_inkFound[at] = static_cast<uint8_t>(best + 1);
  }
  for (int k = 0; k < colours; ++k)
    for (int c = 0; c < 3; ++c) m_palette[k][c] = static_cast<uint8_t>(centre[k][n == 1 ? 0 : c]);
  return colours;
}

int CLayerSplitter::FinishForeground() {
  if (!m_ink) return 0;
  m_colours = SnapToFewColours();
  // The ink nearest before a cell in its row, else the cell above, else the first ink there is.
  const size_t cells = static_cast<size_t>(m_inkAcross) * m_inkDown;
  size_t first = 0;
  while (first < cells && !m_inkFound[first]) ++first;
  if (first == cells) return 0;
  const int n = m_channels;
  for (size_t at = 0; at < cells; ++at) {
    if (m_inkFound[at]) continue;
    const uint8_t* from = m_ink.get() + first * n;
    if (at % m_inkAcross > 0)
      from = m_ink.get() + (at - 1) * n;
    else if (at >= m_inkAcross)
      from = m_ink.get() + (at - m_inkAcross) * n;
    std::memcpy(m_ink.get() + at * n, from, static_cast<size_t>(n));
  }
  return m_colours;
}

const uint8_t* CLayerSplitter::Colour(int index) const { return m_palette[index]; }
