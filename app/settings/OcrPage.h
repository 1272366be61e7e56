// COcrPage: the OCR destination's page (dialog 163): paper size, resolution and how the
// recognised page is kept (rich text, a searchable PDF or a compact one), and the check that
// the OCR program is installed, which finds its path for the hand-off.
#pragma once

#include "app/settings/SettingsPage.h"
#include "resources/orvane/pages.h"

class COcrPage : public CSettingsPage {
 public:
  COcrPage();
  bool Store(DestinationValues& values) override;

  // How the page is kept (`Save As`): rich text (0), a searchable PDF (1) or a compact PDF
  // with the words read laid over it (2).
  int SaveAs() const {
    const int chosen = Selection(IDC_OCR_SAVE, 0);
    return chosen == 1 || chosen == 2 ? chosen : 0;
  }

 protected:
  int ListGap() const override { return 3; }
  void LoadOwnValues() override;
  void ShowOwnValues() override;
  void LayoutOwn() override;

 private:
  int m_saveAs = 0;
};
