// The virtual scanner's image group: layout, image information and the three transfers
// (memory strips, a native device-independent bitmap, a TIFF or BMP file).
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/Handles.h"
#include "scan/BitmapFile.h"
#include "scan/StripAssembler.h"
#include "scan/TwainValues.h"
#include "tools/vscanner/DataSource.h"

namespace {
// A file written front to back through a buffer of whole rows.
class CSequentialFile {
 public:
  explicit CSequentialFile(const char* path)
      : m_file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  bool IsOpen() const { return m_file.IsValid(); }
  bool Write(const void* data, size_t size) {
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    m_buffer.insert(m_buffer.end(), bytes, bytes + size);
    return m_buffer.size() < kChunk || Flush();
  }
  bool Flush() {
    DWORD written = 0;
    const bool ok = m_buffer.empty() || (WriteFile(m_file.Get(), m_buffer.data(),
                                                   static_cast<DWORD>(m_buffer.size()), &written, nullptr) &&
                                         written == m_buffer.size());
    m_buffer.clear();
    return ok;
  }

 private:
  static const size_t kChunk = 256 * 1024;
  CFileHandle m_file;
  std::vector<uint8_t> m_buffer;
};

void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, static_cast<uint16_t>(v));
  Put16(b, static_cast<uint16_t>(v >> 16));
}
void Entry(std::vector<uint8_t>& b, uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
  Put16(b, tag);
  Put16(b, type);
  Put32(b, count);
  if (type == 3 && count == 1) {
    Put16(b, static_cast<uint16_t>(value));
    Put16(b, 0);
  } else {
    Put32(b, value);
  }
}

// Header and one image directory of an uncompressed single-strip TIFF; pixel data follows.
std::vector<uint8_t> TiffHeader(int pixelType, uint32_t width, uint32_t height, uint32_t rowBytes,
                                uint32_t dpi) {
  const uint16_t kShort = 3, kLong = 4, kRational = 5;
  const uint32_t entries = 13, ifdEnd = 8 + 2 + entries * 12 + 4;
  const uint32_t bitsAt = ifdEnd, xresAt = ifdEnd + 8, yresAt = ifdEnd + 16, dataAt = ifdEnd + 24;
  const uint16_t samples = pixelType == TWPT_RGB ? 3 : 1;
  std::vector<uint8_t> b = {'I', 'I', 42, 0};
  Put32(b, 8);
  Put16(b, static_cast<uint16_t>(entries));
  Entry(b, 256, kLong, 1, width);
  Entry(b, 257, kLong, 1, height);
  Entry(b, 258, kShort, samples, samples == 3 ? bitsAt : (pixelType == TWPT_BW ? 1 : 8));
  Entry(b, 259, kShort, 1, 1);
  Entry(b, 262, kShort, 1, pixelType == TWPT_RGB ? 2 : 1);
  Entry(b, 273, kLong, 1, dataAt);
  Entry(b, 277, kShort, 1, samples);
  Entry(b, 278, kLong, 1, height);
  Entry(b, 279, kLong, 1, rowBytes * height);
  Entry(b, 282, kRational, 1, xresAt);
  Entry(b, 283, kRational, 1, yresAt);
  Entry(b, 284, kShort, 1, 1);
  Entry(b, 296, kShort, 1, 2);
  Put32(b, 0);
  for (int i = 0; i < 4; ++i) Put16(b, 8);
  Put32(b, dpi);
  Put32(b, 1);
  Put32(b, dpi);
  Put32(b, 1);
  return b;
}
}  // namespace

double CDataSource::UnitsPerInch() const {
  switch (m_units) {
    case TWUN_CENTIMETERS:
      return 2.54;
    case TWUN_PICAS:
      return 6;
    case TWUN_POINTS:
      return 72;
    case TWUN_TWIPS:
      return 1440;
    case TWUN_PIXELS:
      return m_xres;
    default:
      return 1;
  }
}

TW_UINT16 CDataSource::Layout(TW_UINT16 msg, TW_IMAGELAYOUT* layout) {
  const double scale = UnitsPerInch();
  switch (msg) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      const double glass[4] = {0, 0, kGlassWidth, kGlassHeight};
      const double* frame = msg == MSG_GETDEFAULT ? glass : m_frame;
      layout->Frame.Left = TwainValues::ToFix32(static_cast<float>(frame[0] * scale));
      layout->Frame.Top = TwainValues::ToFix32(static_cast<float>(frame[1] * scale));
      layout->Frame.Right = TwainValues::ToFix32(static_cast<float>(frame[2] * scale));
      layout->Frame.Bottom = TwainValues::ToFix32(static_cast<float>(frame[3] * scale));
      layout->DocumentNumber = layout->PageNumber = layout->FrameNumber = 1;
      return TWRC_SUCCESS;
    }
    case MSG_SET: {
      if (m_state != 4) return Fail(TWCC_SEQERROR);
      double f[4] = {TwainValues::FromFix32(layout->Frame.Left) / scale,
                     TwainValues::FromFix32(layout->Frame.Top) / scale,
                     TwainValues::FromFix32(layout->Frame.Right) / scale,
                     TwainValues::FromFix32(layout->Frame.Bottom) / scale};
      const double limits[4] = {kGlassWidth, kGlassHeight, kGlassWidth, kGlassHeight};
      bool clamped = false;
      for (int i = 0; i < 4; ++i) {
        const double c = f[i] < 0 ? 0 : f[i] > limits[i] ? limits[i] : f[i];
        clamped |= c != f[i];
        f[i] = c;
      }
      if (f[2] <= f[0] || f[3] <= f[1]) return Fail(TWCC_BADVALUE);
      std::memcpy(m_frame, f, sizeof(f));
      m_size = TWSS_NONE;
      return clamped ? TWRC_CHECKSTATUS : TWRC_SUCCESS;
    }
    case MSG_RESET:
      m_frame[0] = m_frame[1] = 0;
      m_frame[2] = kGlassWidth;
      m_frame[3] = kGlassHeight;
      return TWRC_SUCCESS;
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}

TW_UINT16 CDataSource::Image(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data, std::string* note) {
  if (!data && dat != DAT_IMAGEFILEXFER) return Fail(TWCC_BADVALUE);
  switch (dat) {
    case DAT_IMAGELAYOUT: {
      const TW_UINT16 rc = Layout(msg, static_cast<TW_IMAGELAYOUT*>(data));
      if (msg == MSG_SET && rc != TWRC_FAILURE) {
        char text[96];
        std::snprintf(text, sizeof(text), " frame=%.3f,%.3f,%.3f,%.3f", m_frame[0], m_frame[1], m_frame[2],
                      m_frame[3]);
        *note = text;
      }
      return rc;
    }
    case DAT_IMAGEINFO: {
      if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
      const TW_UINT16 rc = ImageInfo(static_cast<TW_IMAGEINFO*>(data));
      if (rc == TWRC_SUCCESS) {
        const auto* info = static_cast<TW_IMAGEINFO*>(data);
        char text[96];
        std::snprintf(text, sizeof(text), " width=%ld length=%ld type=%d planar=%u",
                      static_cast<long>(info->ImageWidth), static_cast<long>(info->ImageLength),
                      info->PixelType, info->Planar);
        *note = text;
      }
      return rc;
    }
    case DAT_IMAGEMEMXFER:
      return msg == MSG_GET ? MemoryStrip(static_cast<TW_IMAGEMEMXFER*>(data), note) : Fail(TWCC_BADPROTOCOL);
    case DAT_IMAGENATIVEXFER:
      return msg == MSG_GET ? NativeTransfer(static_cast<TW_HANDLE*>(data)) : Fail(TWCC_BADPROTOCOL);
    case DAT_IMAGEFILEXFER:
      return msg == MSG_GET ? FileTransfer() : Fail(TWCC_BADPROTOCOL);
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}

bool CDataSource::PrepareImage() {
  if (m_image) return true;
  ImageSpec spec;
  spec.pixelType = m_pixelType;
  spec.planar = m_planar && m_pixelType == TWPT_RGB && m_mech == TWSX_MEMORY;
  spec.window.dpiX = m_xres;
  spec.window.dpiY = m_yres;
  spec.window.left = m_frame[0];
  spec.window.top = m_frame[1];
  spec.window.width = static_cast<int32_t>(std::lround((m_frame[2] - m_frame[0]) * m_xres));
  spec.window.height = static_cast<int32_t>(std::lround((m_frame[3] - m_frame[1]) * m_yres));
  if (spec.window.width <= 0 || spec.window.height <= 0) return false;
  spec.brightness = m_brightness;
  spec.contrast = m_contrast;
  ++m_pageIndex;
  const bool feeder = m_feederEnabled && m_config.feederPages > 0;
  spec.document = m_config.document;
  if (feeder) {
    // A sheet from the feeder fills the A4 frame: no glass around it.
    spec.document.left = spec.document.top = 0;
    spec.document.width = 8.27;
    spec.document.height = 11.69;
  }
  spec.document.pageNumber = m_pageIndex;
  spec.document.pageCount = feeder ? m_config.feederPages : 1;
  spec.document.blank = m_config.blankPages.count(m_pageIndex) > 0;
  spec.document.upsideDown = m_config.upsideDownPages.count(m_pageIndex) > 0;
  if (feeder) {
    spec.document.degrees = m_config.feederAngle;
    if (spec.document.degrees != 0) {
      // A sheet pulled in askew still covers the frame (the feeder's own backing is not glass).
      spec.document.left = spec.document.top = -0.4;
      spec.document.width += 0.8;
      spec.document.height += 0.8;
    }
  } else {
    spec.others = m_config.others;
  }
  m_image = std::make_unique<CImageSource>(spec);
  m_renderSeconds = 0;
  m_row = 0;
  m_plane = 0;
  m_strip = 0;
  return true;
}

// A page of the batch reaches the point where the device goes: during its second memory strip,
// or at once for a native or file page.
bool CDataSource::Gone() {
  if (m_config.goneAtPage > 0 && m_pageIndex == m_config.goneAtPage &&
      (m_mech != TWSX_MEMORY || m_strip >= 2))
    m_gone = true;
  return m_gone;
}

TW_UINT16 CDataSource::ImageInfo(TW_IMAGEINFO* info) {
  if (m_state != 6 && m_state != 7) return Fail(TWCC_SEQERROR);
  if (m_gone) return Fail(TWCC_CHECKDEVICEONLINE);
  if (m_imageInfoCalls++ < m_config.failImageInfo) return Fail(TWCC_BUMMER);
  if (!PrepareImage()) return Fail(TWCC_BADVALUE);
  const ImageSpec& spec = m_image->Spec();
  std::memset(info, 0, sizeof(*info));
  info->XResolution = TwainValues::ToFix32(static_cast<float>(m_xres));
  info->YResolution = TwainValues::ToFix32(static_cast<float>(m_yres));
  info->ImageWidth = spec.window.width;
  info->ImageLength = spec.window.height;
  const bool colour = spec.pixelType == TWPT_RGB;
  info->SamplesPerPixel = colour ? 3 : 1;
  const int16_t bits = spec.pixelType == TWPT_BW ? 1 : 8;
  for (int i = 0; i < info->SamplesPerPixel; ++i) info->BitsPerSample[i] = bits;
  info->BitsPerPixel = static_cast<TW_INT16>(bits * info->SamplesPerPixel);
  info->Planar = spec.planar ? 1 : 0;
  info->PixelType = static_cast<TW_INT16>(spec.pixelType);
  info->Compression = 0;
  return TWRC_SUCCESS;
}

TW_UINT16 CDataSource::MemoryStrip(TW_IMAGEMEMXFER* strip, std::string* note) {
  if (m_state != 6 && m_state != 7) return Fail(TWCC_SEQERROR);
  if (m_mech != TWSX_MEMORY) return Fail(TWCC_SEQERROR);
  if (!PrepareImage()) return Fail(TWCC_BADVALUE);
  m_state = 7;
  ++m_strip;
  *note = " strip=" + std::to_string(m_strip);
  if (Gone()) return Fail(TWCC_CHECKDEVICEONLINE);
  // A slow scanner, so that a scan can be watched and stopped while it runs.
  if (m_config.stripDelayMs > 0) Sleep(static_cast<DWORD>(m_config.stripDelayMs));
  const bool faultPage = m_config.faultPage == 0 || m_config.faultPage == m_pageIndex;
  if (faultPage && m_strip == m_config.failAtStrip) return Fail(TWCC_OPERATIONERROR);
  if (faultPage && m_strip == m_config.cancelAtStrip) return TWRC_CANCEL;
  uint8_t* memory = static_cast<uint8_t*>(strip->Memory.TheMem);
  if (!(strip->Memory.Flags & TWMF_POINTER)) memory = static_cast<uint8_t*>(GlobalLock(strip->Memory.TheMem));
  const uint32_t rowBytes = m_image->RowBytes();
  if (!memory || strip->Memory.Length < rowBytes) return Fail(TWCC_BADVALUE);
  const int32_t height = m_image->Height();
  uint32_t rows = strip->Memory.Length / rowBytes;
  if (rows > static_cast<uint32_t>(height - m_row)) rows = static_cast<uint32_t>(height - m_row);
  LARGE_INTEGER start, end, frequency;
  QueryPerformanceCounter(&start);
  for (uint32_t i = 0; i < rows; ++i)
    m_image->Row(m_row + static_cast<int32_t>(i), m_plane, memory + i * rowBytes);
  QueryPerformanceCounter(&end);
  QueryPerformanceFrequency(&frequency);
  m_renderSeconds += static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
  if (!(strip->Memory.Flags & TWMF_POINTER)) GlobalUnlock(strip->Memory.TheMem);
  strip->Compression = 0;
  strip->BytesPerRow = rowBytes;
  strip->Columns = static_cast<TW_UINT32>(m_image->Width());
  strip->Rows = rows;
  strip->XOffset = 0;
  strip->YOffset = static_cast<TW_UINT32>(m_row);
  strip->BytesWritten = rows * rowBytes;
  if (m_strip == m_config.overrunAtStrip) strip->Rows = rows + 1000;  // claims rows it never sent
  m_row += static_cast<int32_t>(rows);
  *note += " rows=" + std::to_string(strip->Rows) + " plane=" + std::to_string(m_plane);
  if (m_row < height) return TWRC_SUCCESS;
  if (m_image->Spec().planar && m_plane < 2) {
    ++m_plane;
    m_row = 0;
  }
  return TWRC_XFERDONE;
}

bool CDataSource::BitmapLayoutOfImage(BitmapLayout* layout) const {
  PageInfo page;
  page.width = m_image->Width();
  page.length = m_image->Height();
  page.pixelType = static_cast<int16_t>(m_image->Spec().pixelType);
  page.samplesPerPixel = page.pixelType == TWPT_RGB ? 3 : 1;
  page.xResolution = static_cast<int16_t>(m_xres);
  return ComputeBitmapLayout(page, layout) == LayoutError::kNone;
}

TW_UINT16 CDataSource::NativeTransfer(TW_HANDLE* handle) {
  if (m_state != 6) return Fail(TWCC_SEQERROR);
  if (m_transfers++ < m_config.failTransfers) return Fail(TWCC_OPERATIONERROR);
  if (!PrepareImage()) return Fail(TWCC_BADVALUE);
  if (Gone()) return Fail(TWCC_CHECKDEVICEONLINE);
  BitmapLayout layout;
  if (!BitmapLayoutOfImage(&layout)) return Fail(TWCC_BADVALUE);
  // A device-independent bitmap: the bitmap file without its 14-byte file header.
  CGlobalMemory dib(GlobalAlloc(GHND, static_cast<SIZE_T>(layout.fileSize - 14)));
  if (!dib) return Fail(TWCC_LOWMEMORY);
  {
    CGlobalLock lock(dib.Get());
    uint8_t* bytes = static_cast<uint8_t*>(lock.Get());
    std::vector<uint8_t> headers(layout.offBits);
    WriteBitmapHeaders(layout, headers.data());
    std::memcpy(bytes, headers.data() + 14, layout.offBits - 14);
    std::vector<uint8_t> row(m_image->RowBytes());
    uint8_t* pixels = bytes + layout.offBits - 14;
    for (int32_t y = 0; y < layout.length; ++y) {
      m_image->Row(y, 0, row.data());
      PlaceChunkyRow(layout, row.data(), m_image->RowBytes(), static_cast<uint32_t>(layout.width),
                     pixels + static_cast<size_t>(layout.length - 1 - y) * layout.stride);
    }
  }
  *handle = dib.Release();
  m_state = 7;
  return TWRC_XFERDONE;
}

TW_UINT16 CDataSource::FileTransfer() {
  if (m_state != 6) return Fail(TWCC_SEQERROR);
  if (m_transfers++ < m_config.failTransfers) return Fail(TWCC_OPERATIONERROR);
  if (!PrepareImage()) return Fail(TWCC_BADVALUE);
  if (Gone()) return Fail(TWCC_CHECKDEVICEONLINE);
  CSequentialFile file(m_fileSetup.FileName);
  if (!file.IsOpen()) return Fail(TWCC_OPERATIONERROR);
  const int type = m_image->Spec().pixelType;
  const uint32_t width = static_cast<uint32_t>(m_image->Width()),
                 height = static_cast<uint32_t>(m_image->Height());
  std::vector<uint8_t> row(m_image->RowBytes());
  bool ok = true;
  if (m_fileSetup.Format == TWFF_BMP) {
    BitmapLayout layout;
    if (!BitmapLayoutOfImage(&layout)) return Fail(TWCC_BADVALUE);
    std::vector<uint8_t> headers(layout.offBits), out(layout.stride);
    WriteBitmapHeaders(layout, headers.data());
    ok = file.Write(headers.data(), headers.size());
    for (int32_t y = layout.length - 1; ok && y >= 0; --y) {
      m_image->Row(y, 0, row.data());
      PlaceChunkyRow(layout, row.data(), m_image->RowBytes(), width, out.data());
      ok = file.Write(out.data(), out.size());
    }
  } else {
    const std::vector<uint8_t> header =
        TiffHeader(type, width, height, m_image->RowBytes(), static_cast<uint32_t>(std::lround(m_xres)));
    ok = file.Write(header.data(), header.size());
    for (uint32_t y = 0; ok && y < height; ++y) {
      m_image->Row(static_cast<int32_t>(y), 0, row.data());
      ok = file.Write(row.data(), row.size());
    }
  }
  if (!file.Flush() || !ok) return Fail(TWCC_OPERATIONERROR);
  m_state = 7;
  return TWRC_XFERDONE;
}
