// CPageSurvey: the first look at a colour or grey page before it is split into layers. It
// takes the rows once, top first, and keeps a few numbers per block of the page (about 2 mm
// square): the paper's colour there, how dark its ink goes, and whether the block looks like
// a picture (many smooth tones between paper and ink) rather than print. Finish then joins
// picture blocks into regions and gives each block the paper and the threshold the text mask
// uses. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

class CPageSurvey {
 public:
  struct Block {
    uint8_t paper[3] = {255, 255, 255};  // the paper's colour (blue, green, red; grey in [0])
    uint8_t threshold = 0;               // darkness past the paper that counts as ink
    bool picture = false;                // in a picture region: no ink is taken from it
  };

  // `channels` is 1 (grey bytes) or 3 (blue, green, red). False when memory is short or the
  // page or block is empty.
  bool Begin(uint32_t width, uint32_t height, int channels, uint32_t blockSide);
  // The next row, top first.
  void AddRow(const uint8_t* row);
  // Joins picture blocks into regions and settles each block's paper and threshold.
  void Finish();

  uint32_t BlockSide() const { return m_side; }
  uint32_t BlocksAcross() const { return m_across; }
  uint32_t BlocksDown() const { return m_down; }
  const Block& At(uint32_t bx, uint32_t by) const { return m_blocks[Index(bx, by)]; }
  // The share of the page's blocks in picture regions, 0..1.
  double PictureShare() const;

 private:
  static const int kBins = 32;  // levels of 8
  struct Tally {
    uint16_t all[kBins];
    uint16_t smooth[kBins];
    uint32_t sum[kBins][3];
  };

 public:
  // What a finished block's tally says, before the regions are joined.
  struct Reading {
    uint8_t paper[3];
    uint8_t paperLevel;
    uint8_t inkLevel;
    bool textured;  // tones between ink and paper that print does not have
    bool member;    // in the region being joined
  };

 private:
  void CloseBlockRow();
  Reading Read(const Tally& tally, uint32_t pixels) const;
  void FindPagePaper(int paper[3]) const;
  void JoinPictureRegions();
  size_t Index(uint32_t bx, uint32_t by) const { return static_cast<size_t>(by) * m_across + bx; }

  uint32_t m_width = 0, m_height = 0, m_side = 0, m_across = 0, m_down = 0;
  int m_channels = 3;
  uint32_t m_row = 0;  // rows taken
  std::unique_ptr<uint8_t[]> m_level, m_previousLevel;
  std::unique_ptr<Tally[]> m_tallies;  // the block row being read
  std::unique_ptr<Reading[]> m_readings;
  std::unique_ptr<Block[]> m_blocks;
  std::unique_ptr<uint32_t[]> m_work;  // two block counts: a region's search, its members
};
