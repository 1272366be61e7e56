// What the editor stand-in learns about the file it is given, through GDI+'s flat interface.
#include "tools/standins/ImageProbe.h"

// The lean Windows headers leave out the COM types that GDI+ declarations use.
#include <objidl.h>

#include <gdiplus.h>

using namespace Gdiplus::DllExports;

namespace {

// GDI+'s image formats share all but the first field of their identifiers.
const GUID kFormatTail = {0, 0x0728, 0x11d3, {0x9d, 0x7b, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

struct SFormatName {
  unsigned long first;
  const wchar_t* name;
};
const SFormatName kFormats[] = {{0xb96b3caa, L"bmp"}, {0xb96b3cab, L"bmp"}, {0xb96b3cae, L"jpeg"},
                                {0xb96b3caf, L"png"}, {0xb96b3cb0, L"gif"}, {0xb96b3cb1, L"tiff"}};

const wchar_t* FormatName(const GUID& format) {
  GUID tail = format;
  tail.Data1 = 0;
  if (!IsEqualGUID(tail, kFormatTail)) return L"other";
  for (const SFormatName& known : kFormats)
    if (format.Data1 == known.first) return known.name;
  return L"other";
}

// A loaded GDI+ image, disposed with the object.
class CLoadedImage {
 public:
  explicit CLoadedImage(const std::wstring& path) {
    m_status = GdipLoadImageFromFile(path.c_str(), &m_image);
  }
  ~CLoadedImage() {
    if (m_image) GdipDisposeImage(m_image);
  }
  CLoadedImage(const CLoadedImage&) = delete;
  CLoadedImage& operator=(const CLoadedImage&) = delete;
  bool Loaded() const { return m_status == Gdiplus::Ok && m_image; }
  int Status() const { return m_status; }
  Gdiplus::GpImage* Get() const { return m_image; }

 private:
  Gdiplus::GpImage* m_image = nullptr;
  int m_status = -1;
};

}  // namespace

CGdiPlusSession::CGdiPlusSession() {
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) m_token = 0;
}

CGdiPlusSession::~CGdiPlusSession() {
  if (m_token) Gdiplus::GdiplusShutdown(m_token);
}

SImageFacts ProbeImage(const std::wstring& path) {
  SImageFacts facts;
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  facts.exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (!facts.exists) return facts;
  CLoadedImage image(path);
  facts.status = image.Status();
  if (!image.Loaded()) return facts;
  GUID format = {};
  if (GdipGetImageRawFormat(image.Get(), &format) == Gdiplus::Ok) facts.format = FormatName(format);
  facts.opens = GdipGetImageWidth(image.Get(), &facts.width) == Gdiplus::Ok &&
                GdipGetImageHeight(image.Get(), &facts.height) == Gdiplus::Ok && facts.width > 0 &&
                facts.height > 0;
  return facts;
}

HBITMAP MakeThumbnail(const std::wstring& path, int maxWidth, int maxHeight) {
  CLoadedImage image(path);
  UINT width = 0, height = 0;
  if (!image.Loaded() || GdipGetImageWidth(image.Get(), &width) != Gdiplus::Ok ||
      GdipGetImageHeight(image.Get(), &height) != Gdiplus::Ok || width == 0 || height == 0)
    return nullptr;
  // Scale in 64 bits: page sizes times window sizes pass 32 bits.
  int fitWidth = maxWidth;
  int fitHeight = static_cast<int>(static_cast<long long>(height) * maxWidth / width);
  if (fitHeight > maxHeight) {
    fitHeight = maxHeight;
    fitWidth = static_cast<int>(static_cast<long long>(width) * maxHeight / height);
  }
  if (fitWidth < 1) fitWidth = 1;
  if (fitHeight < 1) fitHeight = 1;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, fitWidth, fitHeight);
  ReleaseDC(nullptr, screen);
  if (!memory || !bitmap) {
    if (memory) DeleteDC(memory);
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  Gdiplus::GpGraphics* graphics = nullptr;
  bool drawn = false;
  if (GdipCreateFromHDC(memory, &graphics) == Gdiplus::Ok) {
    drawn = GdipDrawImageRectI(graphics, image.Get(), 0, 0, fitWidth, fitHeight) == Gdiplus::Ok;
    GdipDeleteGraphics(graphics);
  }
  SelectObject(memory, old);
  DeleteDC(memory);
  if (!drawn) {
    DeleteObject(bitmap);
    return nullptr;
  }
  return bitmap;
}
