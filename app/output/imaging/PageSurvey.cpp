// The page's blocks: their tallies, what they say, and the picture regions.
#include "app/output/imaging/PageSurvey.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {
// A step between neighbours this small (in levels, across plus down) is a smooth tone.
const int kSmoothStep = 12;
// The paper is the brightest 15 % of a block; its ink the darkest 3 %.
const uint32_t kPaperPercent = 15;
const uint32_t kInkPercent = 3;
// A block whose paper is this much darker than a neighbour's shows no paper (the inside of a
// large letter): it takes the neighbour's.
const int kNoPaperStep = 60;
// Ink must stand out from the paper by this much at least; at most this is asked of it.
const int kLeastThreshold = 40;
const int kMostThreshold = 100;
// Picture regions smaller than this many blocks (about 0.35 inch square) are print.
const size_t kLeastRegionBlocks = 20;
// Paper is a colour this near grey (the spread of its channels); a calm block this far from
// the page's paper in some channel is part of a picture it touches.
const int kGreyish = 32;
const int kPaperApart = 24;
// A picture region has this share of busy blocks, or paper levels this far apart.
const size_t kTexturedPercent = 20;
const int kVariedLevels = 40;

template <typename T>
bool Allocate(std::unique_ptr<T[]>& array, size_t count) {
  array.reset(new (std::nothrow) T[count]());
  return array != nullptr;
}

bool Calm(const CPageSurvey::Reading& reading) {
  return reading.paperLevel - reading.inkLevel < kLeastThreshold;
}

bool Greyish(const uint8_t* colour) {
  return std::max({colour[0], colour[1], colour[2]}) - std::min({colour[0], colour[1], colour[2]}) <=
         kGreyish;
}

inline uint8_t Level(const uint8_t* pixel, int channels) {
  if (channels == 1) return pixel[0];
  return static_cast<uint8_t>((pixel[0] * 29 + pixel[1] * 150 + pixel[2] * 77) >> 8);
}
}  // namespace

bool CPageSurvey::Begin(uint32_t width, uint32_t height, int channels, uint32_t blockSide) {
  if (width == 0 || height == 0 || blockSide == 0 || (channels != 1 && channels != 3)) return false;
  m_width = width;
  m_height = height;
  m_channels = channels;
  m_side = blockSide;
  m_across = (width + blockSide - 1) / blockSide;
  m_down = (height + blockSide - 1) / blockSide;
  m_row = 0;
  const size_t blocks = static_cast<size_t>(m_across) * m_down;
  m_blocks.reset();
  return Allocate(m_level, width) && Allocate(m_previousLevel, width) && Allocate(m_tallies, m_across) &&
         Allocate(m_readings, blocks) && Allocate(m_work, blocks * 2) && Allocate(m_blocks, blocks);
}

void CPageSurvey::AddRow(const uint8_t* row) {
  if (!m_blocks || m_row >= m_height) return;
  for (uint32_t x = 0; x < m_width; ++x)
    m_level[x] = Level(row + static_cast<size_t>(x) * m_channels, m_channels);
  for (uint32_t bx = 0; bx < m_across; ++bx) {
    Tally& tally = m_tallies[bx];
    const uint32_t end = std::min(m_width, (bx + 1) * m_side);
    for (uint32_t x = bx * m_side; x < end; ++x) {
      const int level = m_level[x];
      const int bin = level >> 3;
      const uint8_t* pixel = row + static_cast<size_t>(x) * m_channels;
      ++tally.all[bin];
      for (int c = 0; c < m_channels; ++c) tally.sum[bin][c] += pixel[c];
      // The page's first row and column look only one way.
      const int across = x > 0 ? std::abs(level - m_level[x - 1]) : 0;
      const int down = m_row > 0 ? std::abs(level - m_previousLevel[x]) : 0;
      if (across + down <= kSmoothStep) ++tally.smooth[bin];
    }
  }
  std::swap(m_level, m_previousLevel);
  ++m_row;
  if (m_row % m_side == 0 || m_row == m_height) CloseBlockRow();
}

void CPageSurvey::CloseBlockRow() {
  const uint32_t by = (m_row - 1) / m_side;
  const uint32_t rows = m_row - by * m_side;
  for (uint32_t bx = 0; bx < m_across; ++bx) {
    const uint32_t columns = std::min(m_width, (bx + 1) * m_side) - bx * m_side;
    m_readings[Index(bx, by)] = Read(m_tallies[bx], rows * columns);
  }
  std::memset(m_tallies.get(), 0, m_across * sizeof(Tally));
}

CPageSurvey::Reading CPageSurvey::Read(const Tally& tally, uint32_t pixels) const {
  Reading reading = {};
  // The paper: the bins holding the brightest share, their mean colour.
  uint32_t counted = 0, paperBin = kBins - 1;
  uint64_t sum[3] = {};
  for (int bin = kBins - 1; bin >= 0; --bin) {
    counted += tally.all[bin];
    for (int c = 0; c < m_channels; ++c) sum[c] += tally.sum[bin][c];
    paperBin = static_cast<uint32_t>(bin);
    if (counted * 100 >= pixels * kPaperPercent) break;
  }
  for (int c = 0; c < 3; ++c) {
    const int from = m_channels == 1 ? 0 : c;
    reading.paper[c] = static_cast<uint8_t>(counted ? sum[from] / counted : 255);
  }
  reading.paperLevel = Level(reading.paper, m_channels);
  uint32_t dark = 0, inkBin = 0;
  for (int bin = 0; bin < kBins; ++bin) {
    dark += tally.all[bin];
    inkBin = static_cast<uint32_t>(bin);
    if (dark * 100 >= pixels * kInkPercent) break;
  }
  reading.inkLevel = static_cast<uint8_t>(inkBin * 8 + 4);
  // Tones clear of both the ink and the paper: a picture has many, smooth or not; print has
  // them only on the edges of its strokes, where they are never smooth.
  uint32_t middle = 0, smoothMiddle = 0;
  for (uint32_t bin = inkBin + 2; bin + 2 <= paperBin; ++bin) {
    middle += tally.all[bin];
    smoothMiddle += tally.smooth[bin];
  }
  reading.textured = !Calm(reading) && (smoothMiddle * 100 >= pixels * 20 || middle * 100 >= pixels * 45);
  return reading;
}

void CPageSurvey::FindPagePaper(int paper[3]) const {
  // The commonest level among the calm blocks of a colour near grey (paper is seldom bright
  // blue or green; a sky is), and their mean colour; none on a page without such blocks.
  const size_t blocks = static_cast<size_t>(m_across) * m_down;
  uint32_t levels[kBins] = {};
  for (size_t i = 0; i < blocks; ++i)
    if (Calm(m_readings[i]) && Greyish(m_readings[i].paper)) ++levels[m_readings[i].paperLevel >> 3];
  const int commonest = static_cast<int>(std::max_element(levels, levels + kBins) - levels);
  uint32_t sum[3] = {}, count = 0;
  for (size_t i = 0; i < blocks; ++i) {
    const Reading& reading = m_readings[i];
    if (!Calm(reading) || !Greyish(reading.paper) || (reading.paperLevel >> 3) != commonest) continue;
    ++count;
    for (int c = 0; c < 3; ++c) sum[c] += reading.paper[c];
  }
  for (int c = 0; c < 3; ++c) paper[c] = count ? static_cast<int>(sum[c] / count) : -1000;
}

void CPageSurvey::JoinPictureRegions() {
  // Candidates are the blocks that are neither paper nor print: calm tones of another colour
  // than the paper, and busy tones. Joined where they touch (at sides or corners), a region
  // is a picture when it is large and varied (a tint behind print is neither).
  const size_t blocks = static_cast<size_t>(m_across) * m_down;
  int paper[3];
  FindPagePaper(paper);
  uint8_t* candidate = reinterpret_cast<uint8_t*>(m_work.get() + blocks);
  for (size_t i = 0; i < blocks; ++i) {
    const Reading& reading = m_readings[i];
    int apart = 0;
    for (int c = 0; c < 3; ++c) apart = std::max(apart, std::abs(reading.paper[c] - paper[c]));
    candidate[i] = reading.textured || (Calm(reading) && apart > kPaperApart);
    m_blocks[i].picture = false;
  }
  uint32_t* stack = m_work.get();
  for (size_t start = 0; start < blocks; ++start) {
    if (!candidate[start]) continue;
    candidate[start] = 0;
    size_t stacked = 0, count = 0, textured = 0;
    stack[stacked++] = static_cast<uint32_t>(start);
    uint32_t left = m_across, right = 0, top = m_down, bottom = 0;
    int lowest = 255, highest = 0;
    // The region's members are marked in the readings (their search is done then).
    while (stacked > 0) {
      const uint32_t at = stack[--stacked];
      Reading& member = m_readings[at];
      member.member = true;
      ++count;
      textured += member.textured;
      lowest = std::min<int>(lowest, member.paperLevel), highest = std::max<int>(highest, member.paperLevel);
      const uint32_t bx = at % m_across, by = at / m_across;
      left = std::min(left, bx), right = std::max(right, bx);
      top = std::min(top, by), bottom = std::max(bottom, by);
      for (uint32_t ny = by > 0 ? by - 1 : 0; ny <= by + 1 && ny < m_down; ++ny)
        for (uint32_t nx = bx > 0 ? bx - 1 : 0; nx <= bx + 1 && nx < m_across; ++nx) {
          const size_t next = Index(nx, ny);
          if (candidate[next]) candidate[next] = 0, stack[stacked++] = static_cast<uint32_t>(next);
        }
    }
    const bool varied = textured * 100 >= count * kTexturedPercent || highest - lowest >= kVariedLevels;
    const bool picture = count >= kLeastRegionBlocks && varied;
    // A region that fills most of its box is a photograph with a few print-like parts (an
    // edge, a dark corner): the box is the picture. Others keep their shape.
    const size_t box = static_cast<size_t>(right - left + 1) * (bottom - top + 1);
    for (uint32_t by = top; by <= bottom; ++by)
      for (uint32_t bx = left; bx <= right; ++bx) {
        Reading& reading = m_readings[Index(bx, by)];
        if (picture && (reading.member || count * 2 >= box)) m_blocks[Index(bx, by)].picture = true;
        reading.member = false;
      }
  }
  // One block more all round takes in the picture's edge, which no block holds whole.
  uint32_t* grown = m_work.get();
  for (size_t i = 0; i < blocks; ++i) grown[i] = 0;
  for (uint32_t by = 0; by < m_down; ++by)
    for (uint32_t bx = 0; bx < m_across; ++bx) {
      if (!m_blocks[Index(bx, by)].picture) continue;
      for (uint32_t ny = by > 0 ? by - 1 : 0; ny <= by + 1 && ny < m_down; ++ny)
        for (uint32_t nx = bx > 0 ? bx - 1 : 0; nx <= bx + 1 && nx < m_across; ++nx) grown[Index(nx, ny)] = 1;
    }
  for (size_t i = 0; i < blocks; ++i) m_blocks[i].picture = grown[i] != 0;
}

void CPageSurvey::Finish() {
  if (!m_blocks) return;
  JoinPictureRegions();

  for (uint32_t by = 0; by < m_down; ++by)
    for (uint32_t bx = 0; bx < m_across; ++bx) {
      const Reading& own = m_readings[Index(bx, by)];
      // The paper: the block's own, unless a block within two shows far brighter paper.
      const Reading* brightest = &own;
      int darkestInk = 255;
      for (uint32_t ny = by > 1 ? by - 2 : 0; ny <= by + 2 && ny < m_down; ++ny)
        for (uint32_t nx = bx > 1 ? bx - 2 : 0; nx <= bx + 2 && nx < m_across; ++nx) {
          const size_t at = Index(nx, ny);
          if (m_blocks[at].picture) continue;
          const Reading& other = m_readings[at];
          if (other.paperLevel > brightest->paperLevel) brightest = &other;
          if (nx + 1 >= bx && nx <= bx + 1 && ny + 1 >= by && ny <= by + 1)
            darkestInk = std::min<int>(darkestInk, other.inkLevel);
        }
      const Reading& paper = brightest->paperLevel > own.paperLevel + kNoPaperStep ? *brightest : own;
      Block& block = m_blocks[Index(bx, by)];
      std::memcpy(block.paper, paper.paper, sizeof(block.paper));
      // Ink is what lies past a little under half the way from the paper to the darkest ink
      // nearby: thin strokes, which never reach full darkness, stay in.
      const int contrast = std::max(0, paper.paperLevel - std::min<int>(darkestInk, own.inkLevel));
      block.threshold =
          static_cast<uint8_t>(std::clamp(contrast * 45 / 100, kLeastThreshold, kMostThreshold));
    }
}

double CPageSurvey::PictureShare() const {
  const size_t blocks = static_cast<size_t>(m_across) * m_down;
  if (!m_blocks || blocks == 0) return 0;
  size_t pictures = 0;
  for (size_t i = 0; i < blocks; ++i) pictures += m_blocks[i].picture;
  return static_cast<double>(pictures) / static_cast<double>(blocks);
}
