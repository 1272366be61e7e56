// CJobPrintView: printing the job's image, placed by the Copy or Fax rules.
#include <cstdint>

#include "app/output/JobPrintView.h"
#include "app/output/PrintGeometry.h"
#include "app/output/PrintRules.h"
#include "app/output/imaging/PackedDib.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Handles.h"
#include "framework/PrintStatusDlg.h"
#include "framework/Profile.h"

namespace {

PrinterMetrics MetricsOf(HDC dc) {
  PrinterMetrics printer;
  printer.horzRes = GetDeviceCaps(dc, HORZRES);
  printer.vertRes = GetDeviceCaps(dc, VERTRES);
  printer.logPixelsX = GetDeviceCaps(dc, LOGPIXELSX);
  printer.logPixelsY = GetDeviceCaps(dc, LOGPIXELSY);
  return printer;
}

CopyOptions CopyOptionsOf(const CString& settingsPath) {
  const CProfileFile settings(settingsPath);
  CopyOptions options;
  options.scaling = settings.ReadInt(Keys::kCopySetting, Keys::kScaling, 100);
  options.centerVertical = settings.ReadInt(Keys::kCopySetting, Keys::kCenterVertical, 0) == 1;
  options.centerHorizontal = settings.ReadInt(Keys::kCopySetting, Keys::kCenterHorizontal, 0) == 1;
  return options;
}

// Stretches the whole packed bitmap onto (0, 0, right, bottom); false when the block is not
// a bitmap that can be drawn or the printer refuses it.
bool DrawPackedBitmap(HDC dc, HGLOBAL packed, int right, int bottom) {
  const SIZE_T size = GlobalSize(packed);
  CGlobalLock lock(packed);
  const auto* data = static_cast<const uint8_t*>(lock.Get());
  DibLayout layout;
  if (!data || !MeasurePackedDib(data, size, layout)) return false;
  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(data);
  const int rows = header->biHeight < 0 ? -header->biHeight : header->biHeight;
  SetStretchBltMode(dc, COLORONCOLOR);
  const int lines = StretchDIBits(dc, 0, 0, right, bottom, 0, 0, header->biWidth, rows,
                                  data + (layout.pixelOffset - kFileHeaderBytes),
                                  reinterpret_cast<const BITMAPINFO*>(data), DIB_RGB_COLORS, SRCCOPY);
  return lines != 0 && lines != static_cast<int>(GDI_ERROR);
}

}  // namespace

void CJobPrintView::PrintImage(HDC dc, CPrintInfo* info) {
  const CPrintJob& job = *m_job;
  HWND status = info->m_statusWnd;
  CScanImage::SetFileOptions();
  SetStatusLine(status, CPrintStatusDlg::kDocumentLine,
                PrintRules::StatusLine(job.texts.loading, job.imageFileName));
  if (!m_image.Load(job.imagePath.c_str())) {
    ShowMessage(job, job.texts.loadFailed, status);
    info->m_bAbortJob = true;
    return;
  }

  const PrinterMetrics printer = MetricsOf(dc);
  const ImageMetrics image = WithPrinterResolution(
      ImageMetrics{m_image.Width(), m_image.Height(), m_image.XResolution(), m_image.YResolution()}, printer);
  m_image.SetResolution(image.xResolution, image.yResolution);
  PrintPlacement placement;
  const bool placed = m_copyMode == 1 ? PlaceCopy(image, printer, CopyOptionsOf(job.settingsPath), &placement)
                                      : PlaceFax(image, printer, &placement);
  if (!placed) {
    ShowMessage(job, job.texts.printFailed, status);
    info->m_bAbortJob = true;
    return;
  }
  // The image's inches map to the printer's at the scale; only the origin stays for drawing.
  SetMapMode(dc, MM_ANISOTROPIC);
  SetWindowExtEx(dc, placement.windowExtX, placement.windowExtY, nullptr);
  SetViewportExtEx(dc, placement.viewportExtX, placement.viewportExtY, nullptr);
  SetViewportOrgEx(dc, placement.originX, placement.originY, nullptr);
  SetMapMode(dc, MM_TEXT);

  if (m_image.BitsPerPixel() == 1) m_image.ConvertTo24Bits();
  HGLOBAL packed = m_image.PackedBitmap();
  SetStatusLine(status, CPrintStatusDlg::kDocumentLine,
                PrintRules::StatusLine(job.texts.sending, job.imageFileName));
  if (!packed || !DrawPackedBitmap(dc, packed, placement.right, placement.bottom)) {
    ShowMessage(job, job.texts.printFailed, status);
    info->m_bAbortJob = true;
  }
}
