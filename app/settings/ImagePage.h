// CImagePage: the Image destination's page (dialog 169): the image-editing application that
// receives the scan, chosen with "Browser", with the known editors as fallback.
#pragma once

#include "app/settings/SettingsPage.h"

class CImagePage : public CSettingsPage {
 public:
  CImagePage();
  bool Store(DestinationValues& values) override;

 protected:
  void LoadOwnValues() override;
  void LayoutOwn() override;
  void PaintOwn(HDC dc) override;
  void OnOwnButton() override;
  int ExtraListWidth(int index) const override;

 private:
  CString m_applicationPath;
  CString m_applicationName;
};
