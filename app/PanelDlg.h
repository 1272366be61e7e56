// CPanelDlg: the front panel (dialog 102), run modally by the application: nine bitmap
// buttons, the active destination's settings page, and the label strip naming the button
// under the pointer. The panel ends only by EXIT, a close request or the scan job, which it
// owns and serves as its host.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdint>

#include "app/LabelPainter.h"
#include "app/PanelAccessible.h"
#include "app/PanelKeys.h"
#include "app/PointerLogic.h"
#include "app/ScaledBitmap.h"
#include "app/job/JobHost.h"
#include "app/job/ScanJob.h"
#include "app/settings/CopyPage.h"
#include "app/settings/FaxPage.h"
#include "app/settings/ImagePage.h"
#include "app/settings/MailPage.h"
#include "app/settings/OcrPage.h"
#include "app/settings/PageHost.h"
#include "framework/Dialog.h"

class CProgramContext;

// Told to the resident scanner-button program: wParam 1 when a scan starts, 0 at EXIT.
const UINT WM_WATCH_NOTIFY = 1357;

class CPanelDlg : public CDialog,
                  private IPointerSink,
                  private IJobHost,
                  private IPageHost,
                  private IPanelKeysOwner,
                  private IAccessibleButtons {
 public:
  CPanelDlg(const CProgramContext& program, const JobOutlets& outlets);
  ~CPanelDlg() override;

  // Every queued message goes to the scanner's source (through the scan job) first; true when
  // the source took it.
  bool OfferToSource(MSG* msg) { return m_job.OfferToSource(msg); }
  // Alt with a button's access key, wherever the focus is in the panel.
  bool OfferAccessKey(const MSG& msg) { return m_keys.OfferAccessKey(msg); }

 protected:
  bool OnInitDialog() override;
  void OnOK() override {}
  // Escape in a page's control: EXIT while no job is at work.
  void OnCancel() override;
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
  // IPointerSink (SetLabel and ActiveDestination serve the pages too)
  void DrawButton(uint16_t id, int state) override;
  void CapturePointer() override;
  void ReleasePointer() override;
  void SetLabel(uint16_t id) override;
  uint16_t ActiveDestination() const override { return m_activeId; }
  bool Release(uint16_t id) override;
  // IJobHost
  HWND JobWindow() const override { return m_hWnd; }
  void HideForJob() override { ShowWindow(SW_HIDE); }
  void EndPanel() override;
  bool StartTimer(UINT_PTR id, UINT ms) override;
  void StopTimer(UINT_PTR id) override { KillTimer(id); }
  void NotifyWatcher(WPARAM wParam) const override;
  CSettingsPage* PageFor(uint16_t id) override;
  // IPageHost
  HWND HostWindow() const override { return m_hWnd; }
  // IPanelKeysOwner
  void PressFromKeyboard(uint16_t id) override;
  void CueMoved(uint16_t from, uint16_t to) override;
  bool MayExit() const override { return !m_job.Running(); }
  // IAccessibleButtons
  HWND ButtonsWindow() const override { return m_hWnd; }
  CString ButtonName(uint16_t id) const override;
  RECT ButtonArea(uint16_t id) const override;
  uint16_t SelectedButton() const override { return m_activeId; }
  uint16_t FocusedButton() const override { return m_keys.HasFocus() ? m_keys.FocusedButton() : 0; }
  bool ButtonAvailable(uint16_t id) const override;

  void SwitchPage(uint16_t id);
  void Click(uint16_t id);
  void TrimSystemMenu() const;
  void SizeToBackground();
  void PlaceButtons();
  void CreateTooltips();
  void CreatePages();
  void InvalidateButton(uint16_t id) const;
  void RelayToTooltips(UINT message, WPARAM wParam, LPARAM lParam) const;
  void DrawFace(HDC dc, uint16_t id, int face) const;
  // The panel at another scale (app/PanelScale.cpp): a 1x length in the scale's pixels, and
  // the move to a monitor of another DPI.
  int Px(int length) const;
  void OnDpiChanged(UINT dpi, const RECT* suggested);
  void PlaceTooltips() const;
  // The tooltip control's description of a painted button: its rectangle in the panel.
  TOOLINFOA ButtonTool(uint16_t id) const;
  void PlacePages();
  void FreeGraphics();
  bool RunSelvora(uint16_t id);

  const CProgramContext& m_program;
  CCopyPage m_copyPage;
  COcrPage m_ocrPage;
  CFaxPage m_faxPage;
  CMailPage m_mailPage;
  CImagePage m_imagePage;
  HWND m_tooltip = nullptr;
  CLabelPainter m_labelPainter;
  HICON m_icon = nullptr;
  SIZE m_backgroundSize = {0, 0};
  CScaledBitmap m_background;
  UINT m_dpi = 96;  // the DPI the panel is drawn at
  bool m_graphicsReleased = false;
  bool m_skipBackground = false;
  // Hover and press state: mouse inside, button down, hot id and pressed id.
  CPointerLogic m_pointer;
  CPanelKeys m_keys;
  CPanelAccess m_access;
  // The chosen destination (its button shown pressed), the button the label strip names, and
  // the settings page shown.
  uint16_t m_activeId = 1000;
  uint16_t m_labelId = 1000;
  uint16_t m_shownPageId = 0;
  CScanJob m_job;
};
