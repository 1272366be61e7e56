// The choice of scanner: the TWAIN manager's source (and its own selection dialog), the
// network scanners that answer a search of a few seconds (the list grows as they answer), and
// a scanner added by its address, checked before it is taken. OK keeps the choice in
// `Quendel.ini`; a https scanner's certificate is pinned then.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Dialog.h"
#include "framework/MessagePump.h"
#include "scan/escl/MdnsSearch.h"
#include "scan/escl/NetworkAcquisition.h"
#include "scan/escl/NetworkChoice.h"

class CScannerChoiceDlg : public CDialog, private IHttpWaiter, private IPreTranslator {
 public:
  // `selectTwain` runs the manager's selection dialog (0 when a source was chosen).
  CScannerChoiceDlg(HWND owner, LibraryVoice voice, uint16_t (*selectTwain)());

  // Seconds the network is searched for.
  static const int kSearchSeconds = 4;

 protected:
  bool OnInitDialog() override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnOK() override;
  void OnTimer(UINT_PTR id) override;
  void OnDestroy() override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  struct Entry {
    bool twain = false;
    NetworkChoice choice;
    bool checked = false;  // its capabilities answered (and its certificate was seen)
  };
  bool StopRequested() override { return false; }
  // The library has no application object to filter the modal loop: Tab, Enter and Escape
  // reach the dialog through this one while it is open.
  bool PreTranslateMessage(MSG* msg) override;
  void Refresh(int select);
  int Selected() const;
  int Merge(const Entry& entry, bool trustAnew);
  void AddByAddress();
  bool Check(Entry& entry);
  void Busy(bool busy);
  void Status(const CString& text);

  LibraryVoice m_voice;
  uint16_t (*m_selectTwain)();
  std::vector<Entry> m_entries;
  CMdnsSearch m_search;
  int m_ticks = 0;
  bool m_working = false;
};
