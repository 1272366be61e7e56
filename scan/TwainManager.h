// The TWAIN data source manager and the one source: loading, opening and closing both,
// enabling the source, and capability containers. Every call goes through the manager's
// entry point with the application identity as origin.
#pragma once

#include <windows.h>

#include "framework/Handles.h"
#include "scan/Twain.h"

typedef TW_UINT16(WINAPI* DsmEntryProc)(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat,
                                        TW_UINT16 msg, TW_MEMREF data);

class CTwainManager {
 public:
  CTwainManager();
  CTwainManager(const CTwainManager&) = delete;
  CTwainManager& operator=(const CTwainManager&) = delete;

  // The application identity from the library's strings, and the window of DcAppInitProc.
  void Initialise(HWND window);
  HWND Window() const { return m_window; }

  bool Busy() const { return m_busy; }
  void ClearBusy() { m_busy = false; }
  bool ManagerOpen() const { return m_managerOpen; }
  bool SourceOpen() const { return m_sourceOpen; }
  const TW_IDENTITY& Source() const { return m_source; }

  bool OpenManager();
  void CloseManager();
  // Opens the manager's default source.
  bool OpenSource();
  void CloseSource();
  bool EnableSource(int32_t showUI);
  void DisableSource();
  // The selection dialog; the code of MSG_USERSELECT.
  TW_UINT16 SelectSource();

  TW_UINT16 CallManager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
  TW_UINT16 CallSource(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);

  // MSG_SET with a one-value container in a 6-byte movable block, freed whatever the result.
  bool SetCapability(TW_UINT16 cap, TW_UINT16 itemType, uint32_t value);
  // MSG_GET; the value from the returned container (enumerations at `position`), 0 when
  // there is none. `asOneValue` reads the container as a one-value one whatever its type.
  uint32_t QueryCapability(TW_UINT16 cap, uint32_t position, bool asOneValue = false);

 private:
  CModule m_library;
  DsmEntryProc m_entry = nullptr;
  bool m_managerOpen = false;
  bool m_sourceOpen = false;
  bool m_busy = false;
  HWND m_window = nullptr;
  TW_IDENTITY m_app;
  TW_IDENTITY m_source;
};
