// COcrPage: the OCR destination's page (dialog 163): paper size, resolution and how the
// recognised page is kept (rich text or a searchable PDF), and the check that the OCR program
// is installed, which finds its path for the hand-off.
#pragma once

#include "app/settings/SettingsPage.h"
#include "resources/orvane/pages.h"

class COcrPage : public CSettingsPage {
 public:
  COcrPage();
  bool Store(DestinationValues& values) override;

  // The page is kept as a searchable PDF (`Save As` 1) rather than as rich text.
  bool SaveAsPdf() const { return Selection(IDC_OCR_SAVE, 0) == 1; }

 protected:
  int ListGap() const override { return 3; }
  void LoadOwnValues() override;
  void ShowOwnValues() override;
  void LayoutOwn() override;

 private:
  int m_saveAs = 0;
};
