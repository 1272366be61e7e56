// The passes over a compact page: the survey, the layers and their coders, and the choice
// between layers and one picture.
#include "app/output/imaging/CompactPage.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "app/output/imaging/Jbig2Encoder.h"
#include "app/output/imaging/JpegEncoder.h"
#include "app/output/imaging/LayerSplitter.h"
#include "app/output/imaging/PageSurvey.h"

namespace {
// A page whose pictures cover this share goes as one picture; from the lower share on, both
// are made and the smaller kept.
const double kWholePictureShare = 0.6;
const double kCompareShare = 0.2;
const int kUnknownDpi = 300;
// The survey's blocks are 8 pixels of 100 dpi square (2 mm), whatever the resolution.
const uint32_t kBlockCells = 8;
// Ink of up to this many colours goes as a mask a colour (each cropped to its box: a few cost
// little more than one).
const int kMostInkMasks = 6;

struct Preset {
  int backgroundDpi;
  int backgroundQuality;
  int foregroundQuality;
};
const Preset kPresets[] = {{100, 45, 40}, {150, 60, 50}};

bool Append(void* context, const uint8_t* data, size_t size) {
  auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
  bytes.insert(bytes.end(), data, data + size);
  return true;
}

uint32_t CellFor(int dpi, int cellDpi) {
  return static_cast<uint32_t>(std::clamp((dpi + cellDpi / 2) / cellDpi, 1, 24));
}

CJpegEncoder::Layout LayoutOf(int channels) {
  return channels == 1 ? CJpegEncoder::Layout::kGrey : CJpegEncoder::Layout::kBgr;
}

// The mask is kept (a bit a pixel) until the ink's colours are known; the background goes to
// the JPEG encoder as it comes.
class CLayerCoders final : public CLayerSplitter::Output {
 public:
  explicit CLayerCoders(CompactPage& page) : m_page(page) {}
  bool Begin(uint32_t width, uint32_t height, const CJpegEncoder::Settings& background) {
    m_rowBytes = (width + 7) / 8;
    m_mask.reset(new (std::nothrow) uint8_t[m_rowBytes * height]);
    return m_mask && m_background.Begin(background, Append, &m_page.background);
  }
  bool TakeMaskRow(const uint8_t* bits) override {
    std::memcpy(m_mask.get() + m_rowBytes * m_rows++, bits, m_rowBytes);
    return true;
  }
  bool TakeBackgroundRow(const uint8_t* pixels) override { return m_background.AddRow(pixels); }
  bool Finish() { return m_background.Finish(); }
  const uint8_t* MaskRow(uint32_t y) const { return m_mask.get() + m_rowBytes * y; }

 private:
  CompactPage& m_page;
  size_t m_rowBytes = 0;
  uint32_t m_rows = 0;
  std::unique_ptr<uint8_t[]> m_mask;
  CJpegEncoder m_background;
};

// The mask of the ink of colour `index` (1 and up; 0 takes all the ink) in the box of the
// cells that hold it.
bool CodeInk(const CLayerCoders& coders, const CLayerSplitter& splitter, const CompactPageInput& input,
             int dpi, uint8_t index, CompactPage::Ink& ink) {
  const uint32_t cell = splitter.ForegroundCell();
  uint32_t left = UINT32_MAX, top = UINT32_MAX, right = 0, bottom = 0;
  for (uint32_t iy = 0; iy < splitter.ForegroundHeight(); ++iy)
    for (uint32_t ix = 0; ix < splitter.ForegroundWidth(); ++ix) {
      const uint8_t found = splitter.CellColour(ix, iy);
      if (!found || (index && found != index)) continue;
      left = std::min(left, ix), right = std::max(right, ix);
      top = std::min(top, iy), bottom = std::max(bottom, iy);
    }
  if (left == UINT32_MAX) return true;
  if (!index) left = top = 0, right = bottom = UINT32_MAX / cell - 1;  // under the foreground: the page
  ink.x = left * cell;
  ink.y = top * cell;
  ink.width = std::min(input.width, (right + 1) * cell) - ink.x;
  ink.height = std::min(input.height, (bottom + 1) * cell) - ink.y;
  CJbig2Encoder encoder;
  std::unique_ptr<uint8_t[]> row(new (std::nothrow) uint8_t[(ink.width + 7) / 8]);
  if (!row || !encoder.Begin(ink.width, ink.height, dpi)) return false;
  for (uint32_t y = ink.y; y < ink.y + ink.height; ++y) {
    const uint8_t* mask = coders.MaskRow(y);
    std::memset(row.get(), 0, (ink.width + 7) / 8);
    for (uint32_t x = ink.x; x < ink.x + ink.width; ++x) {
      if (!(mask[x >> 3] & (0x80 >> (x & 7)))) continue;
      if (index && splitter.CellColour(x / cell, y / cell) != index) continue;
      const uint32_t at = x - ink.x;
      row[at >> 3] |= static_cast<uint8_t>(0x80 >> (at & 7));
    }
    if (!encoder.AddRow(row.get())) return false;
  }
  return encoder.Finish(Append, &ink.mask);
}

CompactResult Survey(CPixelSource& source, const CompactPageInput& input, int dpi, CPageSurvey& survey) {
  if (!survey.Begin(input.width, input.height, input.channels, kBlockCells * CellFor(dpi, 100)))
    return CompactResult::kNoMemory;
  if (!source.Rewind()) return CompactResult::kUnreadable;
  for (uint32_t y = 0; y < input.height; ++y) {
    const uint8_t* row = source.Next();
    if (!row) return CompactResult::kUnreadable;
    survey.AddRow(row);
  }
  survey.Finish();
  return CompactResult::kOk;
}

CompactResult SplitLayers(CPixelSource& source, const CompactPageInput& input, int dpi,
                          const CPageSurvey& survey, CompactPage& page) {
  const Preset& preset = kPresets[input.quality == CompactQuality::kFine ? 1 : 0];
  CLayerSplitter splitter;
  CLayerCoders coders(page);
  if (!splitter.Begin(survey, input.width, input.height, input.channels, CellFor(dpi, preset.backgroundDpi),
                      coders))
    return CompactResult::kNoMemory;
  CJpegEncoder::Settings background;
  background.width = page.backgroundWidth = splitter.BackgroundWidth();
  background.height = page.backgroundHeight = splitter.BackgroundHeight();
  background.layout = LayoutOf(input.channels);
  background.quality = preset.backgroundQuality;
  if (!coders.Begin(input.width, input.height, background)) return CompactResult::kNoMemory;
  if (!source.Rewind()) return CompactResult::kUnreadable;
  for (uint32_t y = 0; y < input.height; ++y) {
    const uint8_t* row = source.Next();
    if (!row) return CompactResult::kUnreadable;
    if (!splitter.AddRow(row)) return CompactResult::kNoMemory;
  }
  if (!coders.Finish()) return CompactResult::kNoMemory;
  const int colours = splitter.HasInk() ? splitter.FinishForeground() : 0;
  if (colours == 0) return CompactResult::kOk;
  // A few colours are a mask each; many are one mask through the foreground picture.
  const int masks = colours <= kMostInkMasks ? colours : 1;
  page.inks.resize(static_cast<size_t>(masks));
  for (int k = 0; k < masks; ++k) {
    CompactPage::Ink& ink = page.inks[static_cast<size_t>(k)];
    const uint8_t* colour = splitter.Colour(k);
    ink.colour[0] = colour[2], ink.colour[1] = colour[1], ink.colour[2] = colour[0];
    if (!CodeInk(coders, splitter, input, dpi, masks == 1 && colours > 1 ? 0 : static_cast<uint8_t>(k + 1),
                 ink))
      return CompactResult::kNoMemory;
  }
  if (colours <= kMostInkMasks) return CompactResult::kOk;
  CJpegEncoder::Settings settings;
  settings.width = page.foregroundWidth = splitter.ForegroundWidth();
  settings.height = page.foregroundHeight = splitter.ForegroundHeight();
  settings.layout = LayoutOf(input.channels);
  settings.quality = preset.foregroundQuality;
  CJpegEncoder foreground;
  if (!foreground.Begin(settings, Append, &page.foreground)) return CompactResult::kNoMemory;
  const size_t rowBytes = static_cast<size_t>(settings.width) * input.channels;
  for (uint32_t y = 0; y < settings.height; ++y)
    if (!foreground.AddRow(splitter.Foreground() + y * rowBytes)) return CompactResult::kNoMemory;
  return foreground.Finish() ? CompactResult::kOk : CompactResult::kNoMemory;
}

CompactResult WholePicture(CPixelSource& source, const CompactPageInput& input, int dpi,
                           std::vector<uint8_t>& out) {
  CJpegEncoder::Settings settings;
  settings.width = input.width;
  settings.height = input.height;
  settings.layout = LayoutOf(input.channels);
  settings.quality = kWholePictureQuality;
  settings.xDpi = settings.yDpi = dpi;
  CJpegEncoder encoder;
  if (!encoder.Begin(settings, Append, &out)) return CompactResult::kNoMemory;
  if (!source.Rewind()) return CompactResult::kUnreadable;
  for (uint32_t y = 0; y < input.height; ++y) {
    const uint8_t* row = source.Next();
    if (!row) return CompactResult::kUnreadable;
    if (!encoder.AddRow(row)) return CompactResult::kNoMemory;
  }
  return encoder.Finish() ? CompactResult::kOk : CompactResult::kNoMemory;
}
}  // namespace

CompactResult MakeCompactPage(CPixelSource& source, const CompactPageInput& input, CompactPage& page) {
  page = CompactPage();
  if (input.width == 0 || input.height == 0 || input.width > CJpegEncoder::kMaxSide ||
      input.height > CJpegEncoder::kMaxSide || (input.channels != 1 && input.channels != 3))
    return CompactResult::kBadInput;
  page.channels = input.channels;
  const int dpi = input.dpi > 0 ? input.dpi : kUnknownDpi;
  CPageSurvey survey;
  CompactResult result = Survey(source, input, dpi, survey);
  if (result != CompactResult::kOk) return result;
  const double pictures = survey.PictureShare();
  if (pictures < kWholePictureShare) {
    result = SplitLayers(source, input, dpi, survey, page);
    if (result != CompactResult::kOk || pictures < kCompareShare) return result;
  }
  std::vector<uint8_t> whole;
  result = WholePicture(source, input, dpi, whole);
  if (result != CompactResult::kOk) return result;
  if (pictures >= kWholePictureShare || whole.size() < page.Bytes()) {
    page = CompactPage();
    page.channels = input.channels;
    page.kind = CompactPage::Kind::kWholePicture;
    page.picture.swap(whole);
  }
  return CompactResult::kOk;
}
