// CImagePage.
#include "app/settings/ImagePage.h"

#include <commdlg.h>

#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/output/EditorRegistry.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kImageIdentity = {
    Panel::kImage,
    IDD_IMAGE_PAGE,
    "IMAGEBK",
    Keys::kScanSetting,
    IDS_TITLE_IMAGE,
    IDC_IMAGE_PAPER,
    IDC_IMAGE_MODE,
    IDC_IMAGE_RES,
    IDC_IMAGE_BROWSER,
    IDB_BROWSER_UP,
    IDB_BROWSER_DOWN,
    IDB_BROWSER_FOCUS,
    6000,
    6008,
};
}  // namespace

CImagePage::CImagePage() : CSettingsPage(kImageIdentity) {
  m_labels = {
      {IDC_IMAGE_PAPER_LABEL, 15, 70}, {IDC_IMAGE_MODE_LABEL, 38, 115}, {IDC_IMAGE_RES_LABEL, 58, 160}};
  m_cleanupBoxes = {{IDC_STRAIGHTEN, 15, 185},
                    {IDC_EACH_DOCUMENT, 175, 185},
                    {IDC_DESKEW, 15, 205},
                    {IDC_LEAVE_OUT_BLANK, 15, 225}};
}

void CImagePage::LoadOwnValues() {
  m_applicationPath = ReadText(Keys::kImageAp, Keys::kNull, 256);
  // A stored "NULL" is the profile's "not set", shown like a missing key.
  const CString none = Program().LocalText(IDS_DEVICE_NONE);
  m_applicationName = ReadText(Keys::kFileName, none.c_str(), 256);
  if (PageRules::IsUnset(m_applicationName)) m_applicationName = none;
}

int CImagePage::ExtraListWidth(int index) const {
  return (index == 2 && Program().LanguageId() == Panel::kJapanese) ? 15 : 0;
}

void CImagePage::LayoutOwn() { PlaceButtonAndBox(IDC_IMAGE_APP_BOX); }

void CImagePage::PaintOwn(HDC dc) { DrawTextBox(dc, IDC_IMAGE_APP_BOX, m_applicationName); }

void CImagePage::OnOwnButton() {
  char file[MAX_PATH] = {};
  PageRules::BrowsePattern(m_applicationPath).CopyTo(file, sizeof(file));
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = m_hWnd;
  dialog.lpstrFile = file;
  dialog.nMaxFile = sizeof(file);
  dialog.Flags = OFN_HIDEREADONLY;
  if (!GetOpenFileNameA(&dialog)) return;
  m_applicationPath = file;
  m_applicationName = PageRules::FileNameOf(m_applicationPath);
  RepaintControlArea(IDC_IMAGE_APP_BOX);
}

bool CImagePage::Store(DestinationValues&) {
  const CProgramContext& app = Program();
  StoreLists(1);
  if (!EditorRegistry::FileExists(m_applicationPath)) {
    bool found = false;
    if (PageRules::IsKnownEditor(m_applicationName)) {
      m_applicationPath = EditorRegistry::DefaultEditorPath(app.LanguageId());
      found = EditorRegistry::FileExists(m_applicationPath);
    }
    if (!found) {
      Message(app.LocalText(IDS_EDITOR_MISSING), app.LocalText(IDS_SCAN_DIALOG_CAPTION));
      return false;
    }
  }
  WriteText(Keys::kImageAp, m_applicationPath.c_str());
  WriteText(Keys::kFileName, m_applicationName.c_str());
  return true;
}
