// The virtual scanner: a TWAIN data source with a flatbed and an optional document feeder,
// memory, native and file transfer, its own small dialog, scripted faults, and a log of
// every triplet it receives.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/Handles.h"
#include "scan/BitmapFile.h"
#include "scan/Twain.h"
#include "tools/vscanner/ImageSource.h"
#include "tools/vscanner/ScannerConfig.h"

class CDataSource {
 public:
  static CDataSource& Instance();

  TW_UINT16 Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

  // From the dialog.
  void OnScanPressed();
  void OnCancelPressed();

 private:
  CDataSource() = default;

  TW_UINT16 Fail(TW_UINT16 condition) {
    m_condition = condition;
    return TWRC_FAILURE;
  }
  TW_UINT16 Control(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data, std::string* note);
  TW_UINT16 Image(TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data, std::string* note);
  TW_UINT16 Identity(TW_IDENTITY* origin, TW_UINT16 msg, TW_IDENTITY* identity);
  TW_UINT16 UserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui, std::string* note);
  TW_UINT16 Event(TW_EVENT* event);
  TW_UINT16 PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending);

  // Capabilities.cpp
  TW_UINT16 Capability(TW_UINT16 msg, TW_CAPABILITY* cap, std::string* note);
  bool CurrentValue(TW_UINT16 cap, TW_UINT16* type, uint32_t* value) const;
  TW_UINT16 ApplyValue(TW_UINT16 cap, TW_UINT16 type, uint32_t value);
  void ResetCapabilities();

  // Transfers.cpp
  TW_UINT16 Layout(TW_UINT16 msg, TW_IMAGELAYOUT* layout);
  TW_UINT16 ImageInfo(TW_IMAGEINFO* info);
  TW_UINT16 MemoryStrip(TW_IMAGEMEMXFER* strip, std::string* note);
  TW_UINT16 NativeTransfer(TW_HANDLE* handle);
  TW_UINT16 FileTransfer();
  bool PrepareImage();
  // The bitmap layout of the page in hand (native and BMP file pages).
  bool BitmapLayoutOfImage(BitmapLayout* layout) const;
  double UnitsPerInch() const;

  void Signal(TW_UINT16 msg);
  void Log(const std::string& line);

  HMODULE m_module = nullptr;
  ScannerConfig m_config;
  int m_state = 3;  // TWAIN states 3 (closed) to 7
  TW_UINT16 m_condition = TWCC_SUCCESS;
  TW_IDENTITY m_identity{};
  TW_IDENTITY m_app{};
  CFileHandle m_log;
  HWND m_dialog = nullptr;
  HWND m_parent = nullptr;
  // A notice the manager did not take (a 1.x manager has no DAT_NULL): handed over with the
  // next event the program passes in.
  TW_UINT16 m_unsentSignal = MSG_NULL;

  // Negotiated values.
  uint16_t m_mech = 0, m_pixelType = 2, m_units = 0, m_size = 0, m_fileFormat = 0;
  double m_xres = 150, m_yres = 150;
  int32_t m_brightness = 0, m_contrast = 0;
  bool m_planar = false, m_feederEnabled = false;
  double m_frame[4] = {0, 0, kGlassWidth, kGlassHeight};  // left, top, right, bottom in inches
  TW_SETUPFILEXFER m_fileSetup{};

  // The batch and the page in hand.
  int m_pending = 0;
  int m_pageIndex = 0;  // pages started in this batch
  int m_imageInfoCalls = 0, m_transfers = 0;
  // The device went away (unplugged, switched off): every transfer call fails from then on.
  bool m_gone = false;
  bool Gone();
  std::unique_ptr<CImageSource> m_image;
  int32_t m_row = 0;
  int m_plane = 0;
  int m_strip = 0;
  double m_renderSeconds = 0;  // spent producing the strips of the page in hand
};
