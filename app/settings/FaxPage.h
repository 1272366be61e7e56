// CFaxPage: the Fax destination's page (dialog 164): the fax printer driver, chosen from the
// system's printers, and the print dialog behind "Fax Setting".
#pragma once

#include "app/settings/SettingsPage.h"

class CFaxPage : public CSettingsPage {
 public:
  CFaxPage();
  bool Store(DestinationValues& values) override;

  const CString& FaxDevice() const { return m_faxDevice; }

 protected:
  void LoadOwnValues() override;
  void LayoutOwn() override;
  void PaintOwn(HDC dc) override;
  void OnOwnButton() override;
  int ListGap() const override { return 3; }

 private:
  CString m_faxDevice;
};
