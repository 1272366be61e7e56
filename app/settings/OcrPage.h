// COcrPage: the OCR destination's page (dialog 163): paper size and resolution, and the check
// that the OCR program is installed, which finds its path for the hand-off.
#pragma once

#include "app/settings/SettingsPage.h"

class COcrPage : public CSettingsPage {
 public:
  COcrPage();
  bool Store() override;

  // Found by the last successful store.
  const CString& ProgramPath() const { return m_programPath; }
  UINT ProgramKeyId() const { return m_programKeyId; }

 protected:
  int ListGap() const override { return 3; }

 private:
  CString m_programPath;
  UINT m_programKeyId = 0;
};
