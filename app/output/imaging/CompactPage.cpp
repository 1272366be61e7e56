// The passes over a compact page: the survey, the layers and their coders, and the choice
// between layers and one picture.
#include "app/output/imaging/CompactPage.h"

#include <algorithm>

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

// The mask goes to the JBIG2 coder and the background to the JPEG encoder as they come.
class CLayerCoders final : public CLayerSplitter::Output {
 public:
  explicit CLayerCoders(CompactPage& page) : m_page(page) {}
  bool Begin(uint32_t width, uint32_t height, int dpi, const CJpegEncoder::Settings& background) {
    return m_mask.Begin(width, height, dpi) && m_background.Begin(background, Append, &m_page.background);
  }
  bool TakeMaskRow(const uint8_t* bits) override { return m_mask.AddRow(bits); }
  bool TakeBackgroundRow(const uint8_t* pixels) override { return m_background.AddRow(pixels); }
  bool Finish() { return m_mask.Finish(Append, &m_page.mask) && m_background.Finish(); }

 private:
  CompactPage& m_page;
  CJbig2Encoder m_mask;
  CJpegEncoder m_background;
};

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

CompactResult SplitLayers(CPixelSource& source, const CompactPageInput& input, int dpi, const CPageSurvey& survey,
                          CompactPage& page) {
  const Preset& preset = kPresets[input.quality == CompactQuality::kFine ? 1 : 0];
  CLayerSplitter splitter;
  CLayerCoders coders(page);
  if (!splitter.Begin(survey, input.width, input.height, input.channels, CellFor(dpi, preset.backgroundDpi), coders))
    return CompactResult::kNoMemory;
  CJpegEncoder::Settings background;
  background.width = page.backgroundWidth = splitter.BackgroundWidth();
  background.height = page.backgroundHeight = splitter.BackgroundHeight();
  background.layout = LayoutOf(input.channels);
  background.quality = preset.backgroundQuality;
  if (!coders.Begin(input.width, input.height, dpi, background)) return CompactResult::kNoMemory;
  if (!source.Rewind()) return CompactResult::kUnreadable;
  for (uint32_t y = 0; y < input.height; ++y) {
    const uint8_t* row = source.Next();
    if (!row) return CompactResult::kUnreadable;
    if (!splitter.AddRow(row)) return CompactResult::kNoMemory;
  }
  if (!coders.Finish()) return CompactResult::kNoMemory;
  if (!splitter.HasInk()) {
    page.mask.clear();
    return CompactResult::kOk;
  }
  uint8_t ink[3];
  if (splitter.InkIsOneColour(ink)) {
    page.ink[0] = ink[2], page.ink[1] = ink[1], page.ink[2] = ink[0];
    return CompactResult::kOk;
  }
  if (!splitter.FinishForeground()) return CompactResult::kOk;
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

CompactResult WholePicture(CPixelSource& source, const CompactPageInput& input, int dpi, std::vector<uint8_t>& out) {
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
