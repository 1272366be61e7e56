// The TWAIN data source manager and the one source.
#include "scan/TwainManager.h"

#include <cstring>

#include "resources/capturo/resource.h"
#include "scan/ScanText.h"
#include "scan/TwainValues.h"

CTwainManager::CTwainManager() {
  std::memset(&m_app, 0, sizeof(m_app));
  std::memset(&m_source, 0, sizeof(m_source));
}

void CTwainManager::Initialise(HWND window) {
  std::memset(&m_app, 0, sizeof(m_app));
  m_app.Id = 0;
  m_app.Version.MajorNum = 1;
  m_app.Version.MinorNum = 0;
  m_app.Version.Language = TWLG_USA;
  m_app.Version.Country = TWCY_USA;
  TwainValues::CopyStr32(m_app.Version.Info, ScanString(IDS_IDENTITY_INFO).c_str());
  m_app.ProtocolMajor = 1;
  m_app.ProtocolMinor = 5;
  m_app.SupportedGroups = DG_CONTROL | DG_IMAGE;
  TwainValues::CopyStr32(m_app.Manufacturer, ScanString(IDS_IDENTITY_MAKER).c_str());
  TwainValues::CopyStr32(m_app.ProductFamily, ScanString(IDS_IDENTITY_FAMILY).c_str());
  TwainValues::CopyStr32(m_app.ProductName, ScanString(IDS_IDENTITY_PRODUCT).c_str());
  m_window = window;
}

TW_UINT16 CTwainManager::CallManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  return m_entry ? m_entry(&m_app, nullptr, dg, dat, msg, data) : TWRC_FAILURE;
}

TW_UINT16 CTwainManager::CallSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
  return m_entry ? m_entry(&m_app, &m_source, dg, dat, msg, data) : TWRC_FAILURE;
}

bool CTwainManager::OpenManager() {
  if (m_managerOpen) return true;
  const CString file = ScanString(IDS_MANAGER_FILE);
  if (!m_library) {
    m_library.Reset(LoadLibraryA(file.c_str()));
    if (!m_library) {
      ScanMessage(file + ScanString(IDS_LOAD_FAILURE));
      return false;
    }
  }
  m_entry = reinterpret_cast<DsmEntryProc>(GetProcAddress(m_library.Get(), MAKEINTRESOURCEA(1)));
  if (!m_entry) return false;
  HWND parent = m_window;
  const TW_UINT16 rc = CallManager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent);
  if (rc == TWRC_SUCCESS)
    m_managerOpen = true;
  else if (rc == TWRC_FAILURE)
    m_managerOpen = false;
  return m_managerOpen;
}

void CTwainManager::CloseManager() {
  m_busy = false;
  if (!m_managerOpen) return;
  HWND parent = m_window;
  if (CallManager(DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent) == TWRC_SUCCESS) {
    m_managerOpen = false;
    m_sourceOpen = false;  // the manager closes whatever it still had open
    m_entry = nullptr;
    m_library.Reset();
  }
}

bool CTwainManager::OpenSource() {
  if (m_sourceOpen) return true;
  m_source.Id = 0;
  m_source.ProductName[0] = '\0';
  CallManager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &m_source);
  if (CallManager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &m_source) == TWRC_SUCCESS) {
    m_sourceOpen = true;
    m_busy = true;
  }
  return m_sourceOpen;
}

void CTwainManager::CloseSource() {
  if (!m_sourceOpen) return;
  if (CallManager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &m_source) == TWRC_SUCCESS) m_sourceOpen = false;
}

bool CTwainManager::EnableSource(int32_t showUI) {
  if (!m_sourceOpen) return false;
  TW_USERINTERFACE ui;
  std::memset(&ui, 0, sizeof(ui));
  ui.ShowUI = static_cast<TW_BOOL>(showUI & 0xFFFF);
  ui.hParent = m_window;
  return CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) == TWRC_SUCCESS;
}

void CTwainManager::DisableSource() {
  if (!m_sourceOpen) return;
  TW_USERINTERFACE ui;
  std::memset(&ui, 0, sizeof(ui));
  ui.hParent = m_window;
  CallSource(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

TW_UINT16 CTwainManager::SelectSource() {
  TW_IDENTITY scratch;
  std::memset(&scratch, 0, sizeof(scratch));
  CallManager(DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &scratch);
  const TW_UINT16 rc = CallManager(DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &scratch);
  if (rc == TWRC_SUCCESS) m_source = scratch;
  return rc;
}

bool CTwainManager::SetCapability(TW_UINT16 cap, TW_UINT16 itemType, uint32_t value) {
  CGlobalMemory block(GlobalAlloc(GHND, sizeof(TW_ONEVALUE)));
  if (!block) return false;
  {
    CGlobalLock lock(block.Get());
    TW_ONEVALUE* one = static_cast<TW_ONEVALUE*>(lock.Get());
    if (!one) return false;
    one->ItemType = itemType;
    one->Item = value;
  }
  TW_CAPABILITY capability;
  capability.Cap = cap;
  capability.ConType = TWON_ONEVALUE;
  capability.hContainer = block.Get();
  return CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability) == TWRC_SUCCESS;
}

uint32_t CTwainManager::QueryCapability(TW_UINT16 cap, uint32_t position, bool asOneValue) {
  TW_CAPABILITY capability;
  capability.Cap = cap;
  capability.ConType = TWON_DONTCARE16;
  capability.hContainer = nullptr;
  if (CallSource(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability) != TWRC_SUCCESS) return 0;
  if (!capability.hContainer) return 0;
  CGlobalMemory container(static_cast<HGLOBAL>(capability.hContainer));
  uint32_t value = 0;
  CGlobalLock lock(container.Get());
  if (lock.Get()) {
    const TW_UINT16 type = asOneValue ? TWON_ONEVALUE : capability.ConType;
    if (!TwainValues::ReadContainerValue(type, static_cast<const uint8_t*>(lock.Get()),
                                         GlobalSize(container.Get()), position, &value)) {
      value = 0;
    }
  }
  return value;
}
