// COcrPage.
#include "app/settings/OcrPage.h"

#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/output/EditorRegistry.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kOcrIdentity = {
    Panel::kOcr,
    IDD_OCR_PAGE,
    "OCRBK",
    Keys::kOcrSetting,
    IDS_TITLE_IMAGE + 4,
    IDC_OCR_PAPER,
    0,
    IDC_OCR_RES,
    0,
    0,
    0,
    0,
    3000,
    IDC_OCR_SAVE,
};
const DWORD kInstallValueBytes = 255;

// The OCR engine's key under the current user, open for reading; empty when it is not there.
CRegKey OpenUserKey(const CString& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return CRegKey();
  return CRegKey(opened);
}
}  // namespace

COcrPage::COcrPage() : CSettingsPage(kOcrIdentity) {
  m_labels = {{IDC_OCR_PAPER_LABEL, 40, 80}, {IDC_OCR_RES_LABEL, 83, 135}, {IDC_OCR_SAVE_LABEL, 15, 190}};
  m_cleanupBoxes = {{IDC_STRAIGHTEN, 15, 215},
                    {IDC_EACH_DOCUMENT, 175, 215},
                    {IDC_DESKEW, 15, 235},
                    {IDC_LEAVE_OUT_BLANK, 15, 255}};
}

void COcrPage::LoadOwnValues() {
  const int saveAs = ReadInt(Keys::kSaveAs, 0);
  m_saveAs = saveAs == 1 || saveAs == 2 ? saveAs : 0;
}
void COcrPage::ShowOwnValues() {
  FillChoiceList(IDC_OCR_SAVE, {IDS_OCR_SAVE_DOC, IDS_OCR_SAVE_PDF, IDS_OCR_SAVE_COMPACT}, m_saveAs);
}
void COcrPage::LayoutOwn() { PlaceChoiceList(IDC_OCR_SAVE, IDC_OCR_SAVE_LABEL); }

bool COcrPage::Store(DestinationValues& values) {
  const CProgramContext& app = Program();
  StoreLists(0);
  m_saveAs = SaveAs();
  WriteInt(Keys::kSaveAs, m_saveAs);

  // The newer installation is asked first; when its key exists, the older is not tried.
  const HINSTANCE own = Module::Instance();
  UINT keyId = IDS_OCR_KEY_20;
  UINT programId = IDS_OCR_PROGRAM_20;
  CRegKey key = OpenUserKey(LoadResourceString(own, keyId));
  if (!key) {
    keyId = IDS_OCR_KEY_96;
    programId = IDS_OCR_PROGRAM_96;
    key = OpenUserKey(LoadResourceString(own, keyId));
  }
  if (!key) {
    Message(app.LocalText(IDS_OCR_NOT_FOUND), app.LocalText(IDS_SCAN_DIALOG_CAPTION));
    return false;
  }
  const CString install = EditorRegistry::ReadTextValue(
      key.Get(), LoadResourceString(own, IDS_OCR_INSTALL_VALUE).c_str(), kInstallValueBytes);
  const CString program = install + LoadResourceString(own, programId);
  if (!EditorRegistry::FileExists(program)) {
    Message(app.LocalText(IDS_OCR_NOT_FOUND), app.LocalText(IDS_SCAN_DIALOG_CAPTION));
    return false;
  }
  values.ocr.programPath = program;
  values.ocr.programKeyId = keyId;
  return true;
}
