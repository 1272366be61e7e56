// CCopyPage: the Copy destination's page (dialog 129): scaling with its spin, centring, the
// printer and the number of copies from the print dialog.
#pragma once

#include "app/settings/SettingsPage.h"

class CCopyPage : public CSettingsPage {
 public:
  CCopyPage();
  bool Store(DestinationValues& values) override;

  const CString& OutputDevice() const { return m_outputDevice; }

 protected:
  void Prepare() override;
  void LoadOwnValues() override;
  void ShowOwnValues() override;
  void LayoutOwn() override;
  void PaintOwn(HDC dc) override;
  void OnOwnButton() override;
  int ExtraListWidth(int index) const override;

 private:
  // Brings the scaling field and the check boxes into the page; false when the field does
  // not hold an integer (the values then stay as they were).
  bool ReadControls();

  int m_scaling = 100;
  int m_copies = 1;
  int m_centerVertical = 0;
  int m_centerHorizontal = 0;
  CString m_outputDevice;
};

// The system print dialog with the page range, selection and print-to-file choices hidden.
// On OK gives the chosen printer's name and number of copies.
bool ChoosePrinter(HWND owner, CString& device, int& copies);
