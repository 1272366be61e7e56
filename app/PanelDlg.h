// CPanelDlg: the front panel (dialog 102), run modally by the application: nine bitmap
// buttons, the active destination's settings page, and the label strip naming the button
// under the pointer. The panel ends only by EXIT, a close request or the scan job.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/LabelPainter.h"
#include "app/PaletteBitmap.h"
#include "app/PointerLogic.h"
#include "app/job/ScanJob.h"
#include "app/settings/CopyPage.h"
#include "app/settings/FaxPage.h"
#include "app/settings/ImagePage.h"
#include "app/settings/MailPage.h"
#include "app/settings/OcrPage.h"
#include "framework/Dialog.h"

// Told to the resident scanner-button program: wParam 1 when a scan starts, 0 at EXIT.
const UINT WM_WATCH_NOTIFY = 1357;

class CPanelDlg : public CDialog, private IPointerSink {
 public:
  CPanelDlg();
  ~CPanelDlg() override;

  // Names button `id` (a panel or page button) in the label strip.
  void SetLabel(uint16_t id) override;
  void DrawButton(uint16_t id, int state) override;
  void SwitchPage(uint16_t id);
  void Click(uint16_t id);
  // Frees the background once and closes the panel as cancelled.
  void EndPanel();
  // Sends WM_WATCH_NOTIFY to the resident scanner-button program, when it runs.
  void NotifyWatcher(WPARAM wParam) const;

  uint16_t ShownPageId() const { return m_shownPageId; }
  CSettingsPage* PageFor(uint16_t id);
  CMailPage& MailPage() { return m_mailPage; }
  COcrPage& OcrPage() { return m_ocrPage; }
  // The panel's scan job: every queued message goes to the scanner's source through it.
  CScanJob& Job() { return m_job; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  bool OnCommand(WORD id, WORD code, HWND control) override;
  void OnClose() override;
  void OnDestroy() override;
  bool OnPaint() override;
  void OnMouseMove(UINT flags, POINT point) override;
  void OnLButtonDown(UINT flags, POINT point) override;
  void OnLButtonUp(UINT flags, POINT point) override;
  void OnTimer(UINT_PTR id) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  // IPointerSink
  void CapturePointer() override;
  void ReleasePointer() override;
  uint16_t ActiveDestination() const override;
  bool Release(uint16_t id) override;

  void TrimSystemMenu() const;
  void SizeToBackground();
  void PlaceButtons();
  void CreateTooltips();
  void CreatePages();
  void RelayToTooltips(UINT message, WPARAM wParam, LPARAM lParam) const;
  void DrawFace(HDC dc, uint16_t id, int face) const;
  void FreeGraphics();
  bool RunSelvora(uint16_t id);

  CCopyPage m_copyPage;
  COcrPage m_ocrPage;
  CFaxPage m_faxPage;
  CMailPage m_mailPage;
  CImagePage m_imagePage;
  HWND m_tooltip = nullptr;
  CLabelPainter m_labelPainter;
  HICON m_icon = nullptr;
  SIZE m_backgroundSize = {0, 0};
  CPaletteBitmap m_background;
  bool m_graphicsReleased = false;
  bool m_skipBackground = false;
  // Hover and press state: mouse inside, button down, hot id and pressed id.
  CPointerLogic m_pointer;
  uint16_t m_shownPageId = 0;
  CScanJob m_job;
};
