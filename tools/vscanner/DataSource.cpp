// The virtual scanner's triplet handling, states, signals to the manager, dialog and log.
#include "tools/vscanner/DataSource.h"

#include <cstdio>
#include <cstring>

#include "framework/Module.h"
#include "scan/TwainValues.h"
#include "tools/vscanner/resource.h"

namespace {
const char* DatName(TW_UINT32 dg, TW_UINT16 dat) {
  switch (dat) {
    case DAT_CAPABILITY:
      return "CAPABILITY";
    case DAT_EVENT:
      return "EVENT";
    case DAT_IDENTITY:
      return "IDENTITY";
    case DAT_PENDINGXFERS:
      return "PENDINGXFERS";
    case DAT_SETUPMEMXFER:
      return "SETUPMEMXFER";
    case DAT_SETUPFILEXFER:
      return "SETUPFILEXFER";
    case DAT_STATUS:
      return "STATUS";
    case DAT_USERINTERFACE:
      return "USERINTERFACE";
    case DAT_IMAGEINFO:
      return "IMAGEINFO";
    case DAT_IMAGELAYOUT:
      return "IMAGELAYOUT";
    case DAT_IMAGEMEMXFER:
      return "IMAGEMEMXFER";
    case DAT_IMAGENATIVEXFER:
      return "IMAGENATIVEXFER";
    case DAT_IMAGEFILEXFER:
      return "IMAGEFILEXFER";
    default:
      return dg == DG_CONTROL && dat == DAT_NULL ? "NULL" : "OTHER";
  }
}

const char* MsgName(TW_UINT16 msg) {
  switch (msg) {
    case MSG_GET:
      return "GET";
    case MSG_GETCURRENT:
      return "GETCURRENT";
    case MSG_GETDEFAULT:
      return "GETDEFAULT";
    case MSG_SET:
      return "SET";
    case MSG_RESET:
      return "RESET";
    case MSG_QUERYSUPPORT:
      return "QUERYSUPPORT";
    case MSG_XFERREADY:
      return "XFERREADY";
    case MSG_CLOSEDSREQ:
      return "CLOSEDSREQ";
    case MSG_OPENDS:
      return "OPENDS";
    case MSG_CLOSEDS:
      return "CLOSEDS";
    case MSG_DISABLEDS:
      return "DISABLEDS";
    case MSG_ENABLEDS:
      return "ENABLEDS";
    case MSG_PROCESSEVENT:
      return "PROCESSEVENT";
    case MSG_ENDXFER:
      return "ENDXFER";
    default:
      return "OTHER";
  }
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_TIMER:
      KillTimer(dialog, 1);
      CDataSource::Instance().OnScanPressed();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK)
        CDataSource::Instance().OnScanPressed();
      else if (LOWORD(wParam) == IDCANCEL)
        CDataSource::Instance().OnCancelPressed();
      return TRUE;
    case WM_CLOSE:
      CDataSource::Instance().OnCancelPressed();
      return TRUE;
  }
  return FALSE;
}
}  // namespace

CDataSource& CDataSource::Instance() {
  static CDataSource source;
  return source;
}

void CDataSource::Log(const std::string& line) {
  if (!m_log) return;
  const std::string text = line + "\r\n";
  DWORD written = 0;
  WriteFile(m_log.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

TW_UINT16 CDataSource::Entry(TW_IDENTITY* origin, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                             TW_MEMREF data) {
  std::string note;
  TW_UINT16 rc;
  if (dg == DG_CONTROL)
    rc = Control(origin, dat, msg, data, &note);
  else if (dg == DG_IMAGE)
    rc = Image(dat, msg, data, &note);
  else
    rc = Fail(TWCC_BADPROTOCOL);
  if (!(dg == DG_CONTROL && dat == DAT_EVENT)) {
    char line[96];
    std::snprintf(line, sizeof(line), "%s %s %s",
                  dg == DG_CONTROL ? "CONTROL"
                  : dg == DG_IMAGE ? "IMAGE"
                                   : "OTHER",
                  DatName(dg, dat), MsgName(msg));
    Log(line + note + " rc=" + std::to_string(rc));
  }
  if (rc == TWRC_SUCCESS || rc == TWRC_XFERDONE) m_condition = TWCC_SUCCESS;
  return rc;
}

TW_UINT16 CDataSource::Control(TW_IDENTITY* origin, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data,
                               std::string* note) {
  if (!data && dat != DAT_NULL) return Fail(TWCC_BADVALUE);
  switch (dat) {
    case DAT_IDENTITY:
      return Identity(origin, msg, static_cast<TW_IDENTITY*>(data));
    case DAT_CAPABILITY:
      return Capability(msg, static_cast<TW_CAPABILITY*>(data), note);
    case DAT_EVENT:
      return Event(static_cast<TW_EVENT*>(data));
    case DAT_PENDINGXFERS: {
      const double rendered = m_renderSeconds;
      const TW_UINT16 rc = PendingTransfers(msg, static_cast<TW_PENDINGXFERS*>(data));
      *note = " count=" + std::to_string(static_cast<TW_PENDINGXFERS*>(data)->Count);
      if (msg == MSG_ENDXFER) *note += " render_ms=" + std::to_string(static_cast<int>(rendered * 1000));
      return rc;
    }
    case DAT_USERINTERFACE:
      return UserInterface(msg, static_cast<TW_USERINTERFACE*>(data), note);
    case DAT_SETUPMEMXFER: {
      if (msg != MSG_GET) return Fail(TWCC_BADPROTOCOL);
      if (m_state < 4) return Fail(TWCC_SEQERROR);
      auto* setup = static_cast<TW_SETUPMEMXFER*>(data);
      setup->MinBufSize = 4096;
      setup->MaxBufSize = 16 * 1024 * 1024;
      setup->Preferred = m_config.preferred;
      *note = " preferred=" + std::to_string(setup->Preferred);
      return TWRC_SUCCESS;
    }
    case DAT_SETUPFILEXFER: {
      auto* setup = static_cast<TW_SETUPFILEXFER*>(data);
      if (m_state < 4) return Fail(TWCC_SEQERROR);
      if (msg == MSG_GET || msg == MSG_GETDEFAULT) {
        *setup = m_fileSetup;
      } else if (msg == MSG_SET) {
        if (m_state != 4) return Fail(TWCC_SEQERROR);
        if (setup->Format != TWFF_TIFF && setup->Format != TWFF_BMP) return Fail(TWCC_BADVALUE);
        m_fileSetup = *setup;
        m_fileSetup.FileName[sizeof(m_fileSetup.FileName) - 1] = '\0';
        m_fileFormat = setup->Format;
      } else {
        return Fail(TWCC_BADPROTOCOL);
      }
      *note = " file=" + std::string(m_fileSetup.FileName) + " format=" + std::to_string(m_fileSetup.Format);
      return TWRC_SUCCESS;
    }
    case DAT_STATUS: {
      auto* status = static_cast<TW_STATUS*>(data);
      status->ConditionCode = m_condition;
      status->Reserved = 0;
      return TWRC_SUCCESS;
    }
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}

TW_UINT16 CDataSource::Identity(TW_IDENTITY* origin, TW_UINT16 msg, TW_IDENTITY* identity) {
  const CString directory = Module::Directory(Module::Instance());
  switch (msg) {
    case MSG_GET: {
      const ScannerConfig config = ReadScannerConfig(directory);
      const TW_UINT32 id = identity->Id;
      std::memset(identity, 0, sizeof(*identity));
      identity->Id = id;
      identity->Version.MajorNum = 1;
      identity->Version.MinorNum = 0;
      identity->Version.Language = TWLG_USA;
      identity->Version.Country = TWCY_USA;
      TwainValues::CopyStr32(identity->Version.Info, config.info.c_str());
      identity->ProtocolMajor = 1;
      identity->ProtocolMinor = 9;
      identity->SupportedGroups = DG_CONTROL | DG_IMAGE;
      TwainValues::CopyStr32(identity->Manufacturer, "Orvane");
      TwainValues::CopyStr32(identity->ProductFamily, "Virtual Flatbed");
      TwainValues::CopyStr32(identity->ProductName, "Orvane Virtual Scanner");
      return TWRC_SUCCESS;
    }
    case MSG_OPENDS:
      if (m_state != 3) return Fail(TWCC_SEQERROR);
      m_config = ReadScannerConfig(directory);
      m_log.Reset(CreateFileA(m_config.logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      m_identity = *identity;
      if (origin) m_app = *origin;
      m_state = 4;
      ResetCapabilities();
      Log("OPEN app=" + std::string(m_app.ProductName) + " id=" + std::to_string(m_identity.Id));
      return TWRC_SUCCESS;
    case MSG_CLOSEDS:
      if (m_state < 4) return Fail(TWCC_SEQERROR);
      m_unsentSignal = MSG_NULL;
      if (m_dialog) DestroyWindow(m_dialog);
      m_dialog = nullptr;
      m_image.reset();
      m_state = 3;
      return TWRC_SUCCESS;
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
}

TW_UINT16 CDataSource::UserInterface(TW_UINT16 msg, TW_USERINTERFACE* ui, std::string* note) {
  char text[64];
  std::snprintf(text, sizeof(text), " showui=%u parent=0x%lx", ui->ShowUI,
                static_cast<unsigned long>(reinterpret_cast<uintptr_t>(ui->hParent)));
  *note = text;
  if (msg == MSG_ENABLEDS) {
    if (m_state != 4) return Fail(TWCC_SEQERROR);
    m_parent = static_cast<HWND>(ui->hParent);
    m_state = 5;
    if (ui->ShowUI) {
      m_dialog =
          CreateDialogParamA(Module::Instance(), MAKEINTRESOURCEA(IDD_VSCANNER), nullptr, DialogProc, 0);
      if (!m_dialog) {
        m_state = 4;
        return Fail(TWCC_OPERATIONERROR);
      }
      ShowWindow(m_dialog, SW_SHOW);
      if (m_config.uiAutoScan > 0) SetTimer(m_dialog, 1, static_cast<UINT>(m_config.uiAutoScan), nullptr);
      return TWRC_SUCCESS;
    }
    OnScanPressed();
    return TWRC_SUCCESS;
  }
  if (msg == MSG_DISABLEDS) {
    if (m_state < 5) return Fail(TWCC_SEQERROR);
    if (m_dialog) DestroyWindow(m_dialog);
    m_dialog = nullptr;
    m_image.reset();
    m_pending = 0;
    m_unsentSignal = MSG_NULL;
    m_state = 4;
    return TWRC_SUCCESS;
  }
  return Fail(TWCC_BADPROTOCOL);
}

void CDataSource::OnScanPressed() {
  if (m_state != 5) return;
  if (m_dialog) ShowWindow(m_dialog, SW_HIDE);
  if (m_config.closeRequest) {
    Signal(MSG_CLOSEDSREQ);
    return;
  }
  m_pending = m_feederEnabled && m_config.feederPages > 0 ? m_config.feederPages : 1;
  m_pageIndex = 0;
  m_imageInfoCalls = 0;
  m_transfers = 0;
  m_gone = false;
  m_image.reset();
  m_state = 6;
  Signal(MSG_XFERREADY);
}

void CDataSource::OnCancelPressed() {
  if (m_state == 5) Signal(MSG_CLOSEDSREQ);
}

TW_UINT16 CDataSource::Event(TW_EVENT* event) {
  event->TWMessage = MSG_NULL;
  if (m_unsentSignal != MSG_NULL) {
    event->TWMessage = m_unsentSignal;
    m_unsentSignal = MSG_NULL;
    return TWRC_DSEVENT;
  }
  MSG* msg = static_cast<MSG*>(event->pEvent);
  if (m_dialog && msg && IsDialogMessageA(m_dialog, msg)) return TWRC_DSEVENT;
  return TWRC_NOTDSEVENT;
}

TW_UINT16 CDataSource::PendingTransfers(TW_UINT16 msg, TW_PENDINGXFERS* pending) {
  switch (msg) {
    case MSG_ENDXFER:
      if (m_gone) {
        pending->Count = 0;
        return Fail(TWCC_CHECKDEVICEONLINE);
      }
      if (m_state != 6 && m_state != 7) {
        pending->Count = 0;
        return Fail(TWCC_SEQERROR);
      }
      if (m_pending > 0) --m_pending;
      m_image.reset();
      m_renderSeconds = 0;
      m_state = m_pending > 0 ? 6 : 5;
      break;
    case MSG_RESET:
      if (m_state != 6) return Fail(TWCC_SEQERROR);
      m_pending = 0;
      m_image.reset();
      m_state = 5;
      break;
    case MSG_GET:
      break;
    default:
      return Fail(TWCC_BADPROTOCOL);
  }
  pending->Count = static_cast<TW_UINT16>(m_pending);
  pending->EOJ = 0;
  return TWRC_SUCCESS;
}

void CDataSource::Signal(TW_UINT16 msg) {
  HMODULE manager = GetModuleHandleA("TWAIN_32.DLL");
  typedef TW_UINT16(WINAPI * DsmEntry)(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16,
                                       TW_MEMREF);
  DsmEntry entry = manager ? reinterpret_cast<DsmEntry>(GetProcAddress(manager, "DSM_Entry")) : nullptr;
  if (!entry && manager) entry = reinterpret_cast<DsmEntry>(GetProcAddress(manager, MAKEINTRESOURCEA(1)));
  const TW_UINT16 rc = entry ? entry(&m_identity, &m_app, DG_CONTROL, DAT_NULL, msg, nullptr) : TWRC_FAILURE;
  Log(std::string("SIGNAL ") + MsgName(msg) + " rc=" + std::to_string(rc));
  if (rc != TWRC_SUCCESS) {
    // The way of 1.x managers: the notice rides on the next event, which this message wakes.
    m_unsentSignal = msg;
    PostMessageA(m_parent, WM_NULL, 0, 0);
  }
}
