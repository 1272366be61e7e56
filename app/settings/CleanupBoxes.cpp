// The clean-up check boxes of a settings page and the section's clean-up values.
#include "app/ProgramContext.h"
#include "app/settings/SettingsPage.h"
#include "framework/Profile.h"

CleanupChoices ReadCleanupChoices(const CProfileFile& settings, const char* section) {
  CleanupChoices choices = DefaultCleanup(section);
  for (const CleanupKey& key : kCleanupKeys)
    choices.*key.value = settings.ReadInt(section, key.key, choices.*key.value ? 1 : 0) != 0;
  return choices;
}

void CSettingsPage::ShowCleanup() {
  m_cleanup = ReadCleanupChoices(Program().Settings(), m_identity.section);
  for (size_t i = 0; i < m_cleanupBoxes.size() && i < 4; ++i) {
    const int id = kCleanupBoxIds[i];
    SetDlgItemTextA(m_hWnd, id, Program().LocalText(static_cast<UINT>(id)).c_str());
    CheckDlgButton(m_hWnd, id, m_cleanup.*kCleanupKeys[i].value ? BST_CHECKED : BST_UNCHECKED);
  }
}

// Each box as wide as its text and the box in front of it, as the Copy page's check boxes.
void CSettingsPage::LayoutCleanup() const {
  const int height = LineHeight() + 2 * GetSystemMetrics(SM_CYEDGE);
  for (const SLabel& box : m_cleanupBoxes) {
    char text[256] = {};
    GetDlgItemTextA(m_hWnd, box.id, text, sizeof(text));
    MoveControl(box.id, box.x, box.y, MeasureText(text).cx + GetSystemMetrics(SM_CXMENUCHECK) + 8, height);
  }
}

void CSettingsPage::StoreCleanup() const {
  for (size_t i = 0; i < m_cleanupBoxes.size() && i < 4; ++i)
    WriteInt(kCleanupKeys[i].key, IsDlgButtonChecked(m_hWnd, kCleanupBoxIds[i]) == BST_CHECKED ? 1 : 0);
}
