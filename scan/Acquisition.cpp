// Negotiation, the event filter and closing of an acquisition.
#include "scan/Acquisition.h"

#include <cstring>

#include "resources/capturo/resource.h"
#include "scan/InfoText.h"
#include "scan/PageFolder.h"
#include "scan/ScanText.h"
#include "scan/TwainValues.h"

CAcquisition::CAcquisition() {
  std::memset(&m_result, 0, sizeof(m_result));
  std::memset(&m_fileSetup, 0, sizeof(m_fileSetup));
  std::memset(m_info, 0, sizeof(m_info));
}

void CAcquisition::Init(HWND window) {
  if (m_twain.Busy()) return;
  m_twain.Initialise(window);
}

TW_UINT16 CAcquisition::SelectSource() {
  if (!m_twain.OpenManager()) return TWRC_FAILURE;
  const TW_UINT16 rc = m_twain.SelectSource();
  m_twain.CloseManager();
  return rc;
}

int CAcquisition::Acquire(AcquireRequest* request) {
  if (m_twain.Busy()) {
    ScanMessage(ScanString(IDS_ALREADY_OPEN));
    return 0;
  }
  if (!request) return 0;
  m_cancel = false;
  m_request = request;
  m_result.destinationId = request->destinationId;
  const bool started = Begin();
  m_request = nullptr;  // read only during this call
  return started ? 1 : 0;
}

bool CAcquisition::Begin() {
  m_result.filePath[0] = '\0';
  m_result.mechanism = 0;
  m_result.fileFormat = 0;
  m_result.nativeHandle = 0;
  if (!m_twain.OpenManager()) return false;
  if (!m_twain.OpenSource()) {
    m_twain.CloseManager();
    return false;
  }
  if (!SetUpMechanism()) {
    m_twain.CloseSource();
    m_twain.CloseManager();
    return false;
  }
  if (m_request->showUI == 0) Negotiate();
  if (m_twain.EnableSource(m_request->showUI)) return true;
  m_twain.CloseSource();
  m_twain.CloseManager();
  return false;
}

bool CAcquisition::SetUpMechanism() {
  if (m_twain.SetCapability(ICAP_XFERMECH, TWTY_INT16, TWSX_MEMORY)) {
    m_mechanism = TWSX_MEMORY;
  } else {
    m_mechanism = static_cast<uint8_t>(m_twain.QueryCapability(ICAP_XFERMECH, 2) & 0xFF);
  }
  m_result.mechanism = m_mechanism;
  switch (m_mechanism) {
    case TWSX_NATIVE:
      return true;
    case TWSX_FILE: {
      if (!m_twain.SetCapability(ICAP_XFERMECH, TWTY_INT16, TWSX_FILE)) return false;
      if (PrepareFileTransfer() != TWRC_SUCCESS) return false;
      m_fileFormat = m_twain.QueryCapability(ICAP_IMAGEFILEFORMAT, 2);
      m_result.fileFormat = m_fileFormat;
      return m_twain.CallSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, &m_fileSetup) == TWRC_SUCCESS;
    }
    case TWSX_MEMORY:
      if (!m_twain.SetCapability(ICAP_XFERMECH, TWTY_INT16, TWSX_MEMORY)) return false;
      m_planar = m_twain.QueryCapability(ICAP_PLANARCHUNKY, 0);
      return true;
    default:
      return false;
  }
}

void CAcquisition::Negotiate() {
  AcquireRequest& r = *m_request;
  if (m_twain.SetCapability(ICAP_XRESOLUTION, TWTY_INT16, r.resolution)) {
    m_twain.SetCapability(ICAP_YRESOLUTION, TWTY_INT16, r.resolution);
  }
  m_twain.SetCapability(ICAP_PIXELTYPE, TWTY_INT16, r.pixelType);
  m_twain.SetCapability(ICAP_BRIGHTNESS, TWTY_INT32,
                        static_cast<uint32_t>(TwainValues::ScaleLevel(r.brightness)));
  m_twain.SetCapability(ICAP_CONTRAST, TWTY_INT32,
                        static_cast<uint32_t>(TwainValues::ScaleLevel(r.contrast)));
  if (m_twain.QueryCapability(CAP_FEEDERENABLED, 0, true) != 0 &&
      m_twain.QueryCapability(CAP_FEEDERLOADED, 0, true) != 0) {
    r.sizeCode = TWSS_A4;
  }
  m_twain.SetCapability(ICAP_SUPPORTEDSIZES, TWTY_INT16, r.sizeCode);
  if (r.sizeCode != TWSS_NONE) return;
  m_twain.SetCapability(ICAP_UNITS, TWTY_UINT16, r.units);
  TW_IMAGELAYOUT layout;
  std::memset(&layout, 0, sizeof(layout));
  m_twain.CallSource(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GETDEFAULT, &layout);
  layout.Frame.Left = TwainValues::ToFix32(r.frameLeft);
  layout.Frame.Top = TwainValues::ToFix32(r.frameTop);
  layout.Frame.Right = TwainValues::ToFix32(r.frameRight);
  layout.Frame.Bottom = TwainValues::ToFix32(r.frameBottom);
  m_twain.CallSource(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
}

TW_UINT16 CAcquisition::PrepareFileTransfer() {
  DeleteFileA("C:\\SAMPLE.TMP");
  // The page goes where memory-transfer pages go; the root of C:, where a standard user may
  // not write, only when that folder's name does not fit the source's 255 characters.
  CString folder = PageFolder::Path();
  const char* name = m_fileFormat == TWFF_TIFF  ? "TWN00000.TIF"
                     : m_fileFormat == TWFF_BMP ? "TWN00000.BMP"
                                                : "";
  if (static_cast<size_t>(folder.GetLength()) + std::strlen(name) >= sizeof(m_fileSetup.FileName))
    folder = "C:\\";
  CString path = folder + name;
  if (!*name) path = folder.Left(folder.GetLength() - 1);  // no name of its own: the folder
  std::strncpy(m_fileSetup.FileName, path.c_str(), sizeof(m_fileSetup.FileName) - 1);
  m_fileSetup.FileName[sizeof(m_fileSetup.FileName) - 1] = '\0';
  return m_twain.CallSource(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &m_fileSetup);
}

int CAcquisition::ProcessMessage(MSG* msg, HWND window) {
  if (!msg || !m_twain.ManagerOpen() || !m_twain.SourceOpen()) return 0;
  TW_EVENT event;
  event.pEvent = msg;
  event.TWMessage = MSG_NULL;
  const TW_UINT16 rc = m_twain.CallSource(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  if (event.TWMessage == MSG_XFERREADY)
    TransferPages(window);
  else if (event.TWMessage == MSG_CLOSEDSREQ)
    CloseEverything();
  return rc == TWRC_DSEVENT ? 1 : 0;
}

void CAcquisition::CloseEverything() {
  SendMessageA(m_twain.Window(), WM_ACQ_CLOSED, 0, 0);
  m_twain.DisableSource();
  m_twain.CloseSource();
  m_twain.CloseManager();
}

void CAcquisition::Terminate() {
  if (m_twain.Busy()) CloseEverything();
}

TW_UINT16 CAcquisition::EndXfer() {
  m_cancel = true;
  if (!m_twain.SourceOpen()) return TWRC_FAILURE;
  TW_PENDINGXFERS pending;
  std::memset(&pending, 0, sizeof(pending));
  return m_twain.CallSource(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
}

const char* CAcquisition::SourceInfo() {
  if (!m_twain.OpenManager()) return m_info;
  if (!m_twain.OpenSource()) {
    const CString text = ScanString(IDS_NOT_INSTALLED) + "\n";
    text.CopyTo(m_info, sizeof(m_info));
    m_twain.CloseManager();
    return m_info;
  }
  const InfoWords words{ScanString(IDS_READY).str(), ScanString(IDS_NOT_READY).str(),
                        ScanString(IDS_INSTALLED).str(), ScanString(IDS_NOT_INSTALLED).str()};
  const TW_IDENTITY& source = m_twain.Source();
  char family[34], info[34];
  std::memcpy(family, source.ProductFamily, sizeof(family));
  std::memcpy(info, source.Version.Info, sizeof(info));
  family[33] = info[33] = '\0';
  CString(BuildSourceInfoText(family, info, words)).CopyTo(m_info, sizeof(m_info));
  m_twain.CloseSource();
  m_twain.ClearBusy();
  m_twain.CloseManager();
  return m_info;
}
