// The PDF document, object by object.
#include "app/output/imaging/PdfWriter.h"

#include <cstdio>

#include "app/output/imaging/PdfTextLayer.h"

namespace {

const size_t kOutputChunk = 64 * 1024;
const uint32_t kCatalogObject = 1;
const uint32_t kPageTreeObject = 2;
const uint32_t kInfoObject = 3;
const int kPointsPerInch = 72;
// A cross-reference entry is exactly 20 bytes; offsets have ten digits.
const uint64_t kLargestOffset = 9999999999ull;
const PageText kNoText;

std::string Number(uint64_t value) { return std::to_string(value); }

std::string Reference(uint32_t object) { return Number(object) + " 0 R"; }

bool DateIsValid(const LocalTime& d) {
  return d.year >= 1000 && d.year <= 9999 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 &&
         d.hour >= 0 && d.hour <= 23 && d.minute >= 0 && d.minute <= 59 && d.second >= 0 && d.second <= 60;
}

}  // namespace

std::string CPdfWriter::Points(uint32_t pixels, int dpi) {
  if (dpi <= 0) dpi = kPointsPerInch;
  // Ten-thousandths of a point, just below the exact size: a renderer at the image's own
  // resolution rounds the page up to whole pixels, and then gets exactly the image's.
  const uint64_t scaled =
      (static_cast<uint64_t>(pixels) * kPointsPerInch * 10000 - 1) / static_cast<uint64_t>(dpi);
  std::string text = Number(scaled / 10000);
  uint64_t fraction = scaled % 10000;
  if (fraction) {
    char digits[8];
    std::snprintf(digits, sizeof(digits), "%04u", static_cast<unsigned>(fraction));
    std::string tail(digits);
    tail.erase(tail.find_last_not_of('0') + 1);
    text += "." + tail;
  }
  return text;
}

namespace {
// Ten-thousandths of a point as PDF writes a number ("12.5", "3").
std::string TenThousandths(int64_t value) {
  char text[40];
  const uint64_t magnitude = static_cast<uint64_t>(value < 0 ? -value : value);
  std::snprintf(text, sizeof(text), "%s%llu", value < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 10000));
  std::string out = text;
  if (magnitude % 10000) {
    std::snprintf(text, sizeof(text), "%04u", static_cast<unsigned>(magnitude % 10000));
    std::string tail(text);
    tail.erase(tail.find_last_not_of('0') + 1);
    out += "." + tail;
  }
  return out;
}

int64_t Scaled(uint64_t pixels, int dpi) {
  return static_cast<int64_t>((pixels * kPointsPerInch * 10000 + static_cast<uint64_t>(dpi) / 2) /
                              static_cast<uint64_t>(dpi));
}
}  // namespace

std::string CPdfWriter::Placement(uint32_t pageHeight, uint32_t x, uint32_t y, uint32_t width,
                                  uint32_t height, int xDpi, int yDpi) {
  if (xDpi <= 0) xDpi = kPointsPerInch;
  if (yDpi <= 0) yDpi = kPointsPerInch;
  // Measured down from the page's top as written (just below its true height), and a
  // ten-thousandth lower still: a renderer at the page's resolution then puts the box's edges
  // on the pixel rows they belong to (placed exactly, poppler's rounding took them a row up).
  const int64_t top = static_cast<int64_t>((static_cast<uint64_t>(pageHeight) * kPointsPerInch * 10000 - 1) /
                                           static_cast<uint64_t>(yDpi));
  const int64_t tall = Scaled(height, yDpi);
  return TenThousandths(Scaled(width, xDpi)) + " 0 0 " + TenThousandths(tall) + " " +
         TenThousandths(Scaled(x, xDpi)) + " " + TenThousandths(top - Scaled(y, yDpi) - tall - 1) + " cm\n";
}

bool CPdfWriter::Begin(Sink sink, void* context, const LocalTime& created) {
  if (!sink) return false;
  m_sink = sink;
  m_context = context;
  m_failed = false;
  m_inPage = false;
  m_offset = 0;
  m_buffer.clear();
  m_buffer.reserve(kOutputChunk);
  m_pageObjects.clear();
  m_objectOffsets.assign(kInfoObject + 1, 0);
  // The binary comment tells transfer programs that the file is not text.
  Put("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
  StartObject(kCatalogObject);
  Put("<< /Type /Catalog /Pages " + Reference(kPageTreeObject) + " >>\nendobj\n");
  StartObject(kInfoObject);
  Put("<< /Producer (Orvane)");
  if (DateIsValid(created)) {
    char date[32];
    std::snprintf(date, sizeof(date), "D:%04d%02d%02d%02d%02d%02d", created.year, created.month, created.day,
                  created.hour, created.minute, created.second);
    Put(std::string(" /CreationDate (") + date + ")");
  }
  Put(" >>\nendobj\n");
  return Flush();
}

uint32_t CPdfWriter::NewObject() {
  m_objectOffsets.push_back(0);
  return static_cast<uint32_t>(m_objectOffsets.size() - 1);
}

void CPdfWriter::StartObject(uint32_t number) {
  m_objectOffsets[number] = BytesWritten();
  Put(Number(number) + " 0 obj\n");
}

void CPdfWriter::Put(const std::string& text) {
  PutBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

bool CPdfWriter::PutBytes(const uint8_t* data, size_t size) {
  if (m_failed) return false;
  if (m_buffer.size() + size > kOutputChunk) {
    if (!Flush()) return false;
    // A large piece goes to the sink as it is.
    if (size >= kOutputChunk) {
      if (!m_sink(m_context, data, size)) return Fail();
      m_offset += size;
      return true;
    }
  }
  m_buffer.insert(m_buffer.end(), data, data + size);
  return true;
}

bool CPdfWriter::Flush() {
  if (m_failed) return false;
  if (!m_buffer.empty() && !m_sink(m_context, m_buffer.data(), m_buffer.size())) return Fail();
  m_offset += m_buffer.size();
  m_buffer.clear();
  return true;
}

bool CPdfWriter::Fail() {
  m_failed = true;
  m_buffer.clear();
  return false;
}

bool CPdfWriter::TakeCoded(void* context, const uint8_t* data, size_t size) {
  return static_cast<CPdfWriter*>(context)->PutBytes(data, size);
}

bool CPdfWriter::BeginPage(const PageImage& image) {
  if (m_failed || !m_sink || m_inPage) return false;
  if (image.width == 0 || image.height == 0) return false;
  const bool jpeg = image.samples == Samples::kJpeg;
  if (jpeg && ((image.jpegComponents != 1 && image.jpegComponents != 3 && image.jpegComponents != 4) ||
               image.jpegBytes == 0)) {
    return false;
  }
  m_page = image;
  m_taken = 0;
  m_lengthObject = 0;
  switch (image.samples) {
    case Samples::kJpeg:
      m_rowBytes = 0;
      m_expected = image.jpegBytes;
      break;
    case Samples::kBilevel:
      m_rowBytes = (image.width + 7) / 8;
      m_expected = image.height;
      break;
    case Samples::kGrey:
      m_rowBytes = image.width;
      m_expected = image.height;
      break;
    case Samples::kRgb:
      m_rowBytes = static_cast<size_t>(image.width) * 3;
      m_expected = image.height;
      break;
  }
  const uint32_t pageObject = NewObject(), contentObject = NewObject(), imageObject = NewObject();
  m_pageObjects.push_back(pageObject);
  const std::string width = Points(image.width, image.xDpi), height = Points(image.height, image.yDpi);
  const CPdfTextLayer text(image.text ? *image.text : kNoText, image.width, image.height, image.xDpi,
                           image.yDpi);
  uint32_t textObjects = 0;
  const std::string fonts = TextResources(text, textObjects);

  StartObject(pageObject);
  Put("<< /Type /Page /Parent " + Reference(kPageTreeObject) + " /MediaBox [0 0 " + width + " " + height +
      "] /Resources << /XObject << /Im0 " + Reference(imageObject) + " >>" + fonts + " >> /Contents " +
      Reference(contentObject) + " >>\nendobj\n");
  WriteStream(contentObject, "q\n" + width + " 0 0 " + height + " 0 0 cm\n/Im0 Do\nQ\n" + text.Operators());
  WriteTextObjects(text, textObjects);
  WriteImageDictionary(image, imageObject);
  m_streamStart = BytesWritten();
  if (image.samples == Samples::kBilevel && !m_fax.Begin(image.width, TakeCoded, this)) return Fail();
  m_inPage = true;
  return Flush();
}

void CPdfWriter::WriteImageDictionary(const PageImage& image, uint32_t imageObject) {
  StartObject(imageObject);
  std::string dictionary =
      "<< /Type /XObject /Subtype /Image /Width " + Number(image.width) + " /Height " + Number(image.height);
  switch (image.samples) {
    case Samples::kJpeg: {
      static const char* const kSpaces[] = {"", "/DeviceGray", "", "/DeviceRGB", "/DeviceCMYK"};
      dictionary += std::string(" /ColorSpace ") + kSpaces[image.jpegComponents] +
                    " /BitsPerComponent 8 /Filter /DCTDecode";
      if (image.jpegComponents == 4 && image.jpegAdobe) dictionary += " /Decode [1 0 1 0 1 0 1 0]";
      dictionary += " /Length " + Number(image.jpegBytes);
      break;
    }
    case Samples::kBilevel:
      // The coded length is known only at the end: it follows the stream as an object.
      m_lengthObject = NewObject();
      dictionary +=
          " /ColorSpace /DeviceGray /BitsPerComponent 1 /Filter /CCITTFaxDecode /DecodeParms << /K -1"
          " /Columns " +
          Number(image.width) + " /Rows " + Number(image.height) + " >> /Length " + Reference(m_lengthObject);
      break;
    case Samples::kGrey:
    case Samples::kRgb:
      dictionary +=
          std::string(" /ColorSpace ") + (image.samples == Samples::kGrey ? "/DeviceGray" : "/DeviceRGB") +
          " /BitsPerComponent 8 /Length " + Number(m_rowBytes * static_cast<uint64_t>(image.height));
      break;
  }
  Put(dictionary + " >>\nstream\n");
}

bool CPdfWriter::WriteImageObject(uint32_t object, const std::string& dictionary, const uint8_t* data,
                                  size_t size) {
  StartObject(object);
  Put("<< /Type /XObject /Subtype /Image " + dictionary + " /Length " + Number(size) + " >>\nstream\n");
  PutBytes(data, size);
  Put("\nendstream\nendobj\n");
  return !m_failed;
}

void CPdfWriter::WriteStream(uint32_t object, const std::string& content) {
  StartObject(object);
  Put("<< /Length " + Number(content.size()) + " >>\nstream\n" + content + "endstream\nendobj\n");
}

std::string CPdfWriter::TextResources(const CPdfTextLayer& layer, uint32_t& firstObject) {
  if (layer.IsEmpty()) return std::string();
  firstObject = NewObject();
  NewObject();  // the descriptor
  std::string fonts = " /Font <<";
  for (size_t font = 0; font < layer.FontCount(); ++font) {
    fonts += " /T" + Number(font) + " " + Reference(NewObject());
    NewObject();
  }
  return fonts + " >>";
}

void CPdfWriter::WriteTextObjects(const CPdfTextLayer& layer, uint32_t firstObject) {
  if (layer.IsEmpty()) return;
  WriteStream(firstObject, CPdfTextLayer::GlyphProcedure());
  StartObject(firstObject + 1);
  Put(CPdfTextLayer::FontDescriptor() + "\nendobj\n");
  for (size_t font = 0; font < layer.FontCount(); ++font) {
    const uint32_t fontObject = firstObject + 2 + static_cast<uint32_t>(font) * 2;
    StartObject(fontObject);
    Put(layer.FontDictionary(font, firstObject, firstObject + 1, fontObject + 1) + "\nendobj\n");
    WriteStream(fontObject + 1, layer.ToUnicode(font));
  }
}

bool CPdfWriter::AddLayeredPage(const LayeredPage& page) {
  if (m_failed || !m_sink || m_inPage || page.width == 0 || page.height == 0) return false;
  if (page.components != 1 && page.components != 3) return false;
  if (!page.background || !page.backgroundBytes || !page.backgroundWidth || !page.backgroundHeight)
    return false;
  for (size_t i = 0; i < page.stencilCount; ++i) {
    const Stencil& stencil = page.stencils[i];
    if (!stencil.data || !stencil.bytes || !stencil.width || !stencil.height || stencil.x >= page.width ||
        stencil.y >= page.height || stencil.width > page.width - stencil.x ||
        stencil.height > page.height - stencil.y)
      return false;
  }
  if (page.foreground && (page.stencilCount != 1 || page.stencils[0].width != page.width ||
                          page.stencils[0].height != page.height || !page.foregroundBytes ||
                          !page.foregroundWidth || !page.foregroundHeight))
    return false;
  const uint32_t pageObject = NewObject(), contentObject = NewObject(), backgroundObject = NewObject();
  const uint32_t firstStencil = static_cast<uint32_t>(m_objectOffsets.size());
  for (size_t i = 0; i < page.stencilCount; ++i) NewObject();
  const uint32_t foregroundObject = page.foreground ? NewObject() : 0;
  m_pageObjects.push_back(pageObject);
  const std::string width = Points(page.width, page.xDpi), height = Points(page.height, page.yDpi);
  const CPdfTextLayer text(page.text ? *page.text : kNoText, page.width, page.height, page.xDpi, page.yDpi);
  uint32_t textObjects = 0;
  const std::string fonts = TextResources(text, textObjects);

  std::string images = "/Bg " + Reference(backgroundObject);
  std::string drawing = "q\n" + width + " 0 0 " + height + " 0 0 cm\n/Bg Do\nQ\n";
  if (foregroundObject) {
    images += " /Fg " + Reference(foregroundObject);
    drawing += "q\n" + width + " 0 0 " + height + " 0 0 cm\n/Fg Do\nQ\n";
  } else {
    for (size_t i = 0; i < page.stencilCount; ++i) {
      const Stencil& stencil = page.stencils[i];
      const std::string name = "/Ink" + Number(i);
      images += " " + name + " " + Reference(firstStencil + static_cast<uint32_t>(i));
      char colour[48];
      std::snprintf(colour, sizeof(colour), "%.3f %.3f %.3f rg\n", stencil.ink[0] / 255.0,
                    stencil.ink[1] / 255.0, stencil.ink[2] / 255.0);
      drawing +=
          "q\n" + std::string(colour) +
          Placement(page.height, stencil.x, stencil.y, stencil.width, stencil.height, page.xDpi, page.yDpi) +
          name + " Do\nQ\n";
    }
  }
  StartObject(pageObject);
  Put("<< /Type /Page /Parent " + Reference(kPageTreeObject) + " /MediaBox [0 0 " + width + " " + height +
      "] /Resources << /XObject << " + images + " >>" + fonts + " >> /Contents " + Reference(contentObject) +
      " >>\nendobj\n");
  WriteStream(contentObject, drawing + text.Operators());
  WriteTextObjects(text, textObjects);
  const std::string space = page.components == 1 ? "/DeviceGray" : "/DeviceRGB";
  WriteImageObject(backgroundObject,
                   "/Width " + Number(page.backgroundWidth) + " /Height " + Number(page.backgroundHeight) +
                       " /ColorSpace " + space + " /BitsPerComponent 8 /Filter /DCTDecode",
                   page.background, page.backgroundBytes);
  // The decoder gives black (ink) the sample 0, which is where a stencil paints.
  for (size_t i = 0; i < page.stencilCount; ++i) {
    const Stencil& stencil = page.stencils[i];
    WriteImageObject(firstStencil + static_cast<uint32_t>(i),
                     "/Width " + Number(stencil.width) + " /Height " + Number(stencil.height) +
                         " /ImageMask true /BitsPerComponent 1 /Filter /JBIG2Decode",
                     stencil.data, stencil.bytes);
  }
  if (foregroundObject) {
    WriteImageObject(foregroundObject,
                     "/Width " + Number(page.foregroundWidth) + " /Height " + Number(page.foregroundHeight) +
                         " /ColorSpace " + space + " /BitsPerComponent 8 /Filter /DCTDecode /Mask " +
                         Reference(firstStencil),
                     page.foreground, page.foregroundBytes);
  }
  return Flush();
}

bool CPdfWriter::AddJpegBytes(const uint8_t* data, size_t size) {
  if (!m_inPage || m_page.samples != Samples::kJpeg || size > m_expected - m_taken) return Fail();
  m_taken += size;
  return PutBytes(data, size);
}

bool CPdfWriter::AddRow(const uint8_t* row) {
  if (!m_inPage || m_page.samples == Samples::kJpeg || m_taken >= m_expected) return Fail();
  ++m_taken;
  if (m_page.samples == Samples::kBilevel) return m_fax.AddRow(row) || Fail();
  return PutBytes(row, m_rowBytes);
}

bool CPdfWriter::EndPage() {
  if (!m_inPage || m_taken != m_expected) return Fail();
  m_inPage = false;
  if (m_page.samples == Samples::kBilevel && !m_fax.Finish()) return Fail();
  const uint64_t length = BytesWritten() - m_streamStart;
  Put("\nendstream\nendobj\n");
  if (m_lengthObject) {
    StartObject(m_lengthObject);
    Put(Number(length) + "\nendobj\n");
  }
  return !m_failed;
}

bool CPdfWriter::Finish() {
  if (m_failed || !m_sink || m_inPage || m_pageObjects.empty()) return false;
  StartObject(kPageTreeObject);
  std::string kids;
  for (uint32_t page : m_pageObjects) kids += (kids.empty() ? "" : " ") + Reference(page);
  Put("<< /Type /Pages /Kids [" + kids + "] /Count " + Number(m_pageObjects.size()) + " >>\nendobj\n");

  const uint64_t table = BytesWritten();
  if (table > kLargestOffset) return Fail();
  Put("xref\n0 " + Number(m_objectOffsets.size()) + "\n0000000000 65535 f\r\n");
  for (size_t object = 1; object < m_objectOffsets.size(); ++object) {
    const std::string offset = Number(m_objectOffsets[object]);
    Put(std::string(10 - offset.size(), '0') + offset + " 00000 n\r\n");
  }
  Put("trailer\n<< /Size " + Number(m_objectOffsets.size()) + " /Root " + Reference(kCatalogObject) +
      " /Info " + Reference(kInfoObject) + " >>\nstartxref\n" + Number(table) + "\n%%EOF\n");
  const bool flushed = Flush();
  m_sink = nullptr;
  return flushed;
}
