// The clean-up check boxes of a settings page (or its clean-up key) and the section's clean-up
// values.
#include <algorithm>

#include "app/ProgramContext.h"
#include "app/settings/KeyButton.h"
#include "app/settings/SettingsPage.h"
#include "framework/Profile.h"
#include "resources/orvane/pages.h"

namespace {
// The clean-up key's room in the title strip at 1x: from the end of the title's tab to the
// destination's sign at the strip's right.
const int kKeyLeft = 146;
const int kKeyRight = 252;
const int kKeyTop = 4;
const int kKeyHeight = 22;
}  // namespace

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
  // The key's own text, which a screen reader reads, in the interface language too.
  if (m_cleanupKey) SetDlgItemTextA(m_hWnd, m_cleanupKey, Program().LocalText(IDS_CLEANUP_KEY).c_str());
}

// Each box as wide as its text and the box in front of it, as the Copy page's check boxes; the
// key as wide as its face, ending before the destination's sign (wider only leftwards, over
// the strip's empty middle, never over the title's tab).
void CSettingsPage::LayoutCleanup() const {
  const int height = LineHeight() + 2 * GetSystemMetrics(SM_CYEDGE);
  const int pageRight = GetClientRect().right - Px(4);
  for (const SLabel& box : m_cleanupBoxes) {
    char text[256] = {};
    GetDlgItemTextA(m_hWnd, box.id, text, sizeof(text));
    const int width = MeasureText(text).cx + GetSystemMetrics(SM_CXMENUCHECK) + Px(8);
    // A box that would pass the page's edge moves left (the layout keeps room before it).
    MoveControl(box.id, std::min(Px(box.x), pageRight - width), Px(box.y), width, height);
  }
  if (m_cleanupKey) {
    const int width = MeasureText(Program().LocalText(IDS_CLEANUP_KEY)).cx + Px(kKeyButtonPadding);
    const int left = std::max(Px(kKeyLeft), Px(kKeyRight) - width);
    MoveControl(m_cleanupKey, left, Px(kKeyTop), Px(kKeyRight) - left, Px(kKeyHeight));
  }
}

void CSettingsPage::OnCleanupKey() {
  HMENU menu = CreatePopupMenu();
  for (size_t i = 0; i < 4; ++i) {
    const UINT checked = m_cleanup.*kCleanupKeys[i].value ? MF_CHECKED : MF_UNCHECKED;
    AppendMenuA(menu, MF_STRING | checked, i + 1,
                Program().LocalText(static_cast<UINT>(kCleanupBoxIds[i])).c_str());
  }
  RECT key = {};
  ::GetWindowRect(GetDlgItem(m_cleanupKey), &key);
  const int picked = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                     key.left, key.bottom, 0, m_hWnd, nullptr));
  DestroyMenu(menu);
  if (picked < 1 || picked > 4) return;
  bool& value = m_cleanup.*kCleanupKeys[static_cast<size_t>(picked - 1)].value;
  value = !value;
}

void CSettingsPage::StoreCleanup() const {
  if (m_cleanupKey) {
    for (const CleanupKey& key : kCleanupKeys) WriteInt(key.key, m_cleanup.*key.value ? 1 : 0);
    return;
  }
  for (size_t i = 0; i < m_cleanupBoxes.size() && i < 4; ++i)
    WriteInt(kCleanupKeys[i].key, IsDlgButtonChecked(m_hWnd, kCleanupBoxIds[i]) == BST_CHECKED ? 1 : 0);
}
