// CMailPage.
#include "app/settings/MailPage.h"

#include "app/OrvaneApp.h"
#include "app/PanelRules.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kMailIdentity = {
    Panel::kMail, IDD_MAIL_PAGE, "MAILBK", Keys::kMailSetting, IDS_TITLE_IMAGE + 3,
    IDC_MAIL_PAPER, IDC_MAIL_MODE, IDC_MAIL_RES, IDC_MAIL_EDIT,
    IDB_MAIL_UP, IDB_MAIL_DOWN, IDB_MAIL_FOCUS, 5000, 5013,
};
// Addresses are read back with this many characters at most.
const int kAddressBuffer = 100;

CString Unset(const CString& value) { return PageRules::IsUnset(value) ? CString() : value; }
}  // namespace

CMailPage::CMailPage() : CSettingsPage(kMailIdentity) {
  // The address labels come last: the lists take the first three.
  m_labels = {{IDC_MAIL_PAPER_LABEL, 15, 60}, {IDC_MAIL_MODE_LABEL, 38, 105}, {IDC_MAIL_RES_LABEL, 58, 145},
              {IDC_MAIL_SMTP_LABEL, 15, 0},   {IDC_MAIL_TO_LABEL, 15, 0},     {IDC_MAIL_FROM_LABEL, 15, 0}};
}

void CMailPage::LoadOwnValues() {
  m_mailFrom = Unset(ReadText(Keys::kMailFrom, Keys::kNull, kAddressBuffer));
  m_mailTo = Unset(ReadText(Keys::kMailTo, Keys::kNull, kAddressBuffer));
  m_smtp = Unset(ReadText(Keys::kSmtp, Keys::kNull, kAddressBuffer));
}

void CMailPage::ShowOwnValues() {
  SetDlgItemTextA(m_hWnd, IDC_MAIL_FROM, m_mailFrom.c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_TO, m_mailTo.c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_SMTP, m_smtp.c_str());
}

int CMailPage::ExtraListWidth(int index) const {
  if (Program().m_languageId != Panel::kJapanese) return 0;
  static const int kExtra[3] = {60, 20, 70};
  return (index >= 0 && index < 3) ? kExtra[index] : 0;
}

void CMailPage::LayoutOwn() {
  const SIZE button = m_button.SizeToContent();
  const RECT page = GetClientRect();
  const int height = LineHeight() + 2 * GetSystemMetrics(SM_CYEDGE);
  // The fields start after the From label; a translation whose SMTP or To label is longer
  // would be covered by its field, so the longest of the three counts.
  int labelWidth = 0;
  for (UINT id = IDC_MAIL_SMTP_LABEL; id <= IDC_MAIL_FROM_LABEL; ++id) {
    const int width = MeasureText(Program().LoadLocalString(id)).cx;
    if (width > labelWidth) labelWidth = width;
  }
  const int fieldX = 15 + labelWidth + 3;
  const int fieldWidth = page.right - (button.cx + 5) - fieldX;
  // Rows from the bottom: From 1, To 2, SMTP 3.
  const struct {
    int label, field, row;
  } rows[] = {{IDC_MAIL_FROM_LABEL, IDC_MAIL_FROM, 1}, {IDC_MAIL_TO_LABEL, IDC_MAIL_TO, 2}, {IDC_MAIL_SMTP_LABEL, IDC_MAIL_SMTP, 3}};
  for (const auto& row : rows) {
    const int y = PageRules::MailRowY(page.bottom, row.row, button.cy);
    const SIZE text = MeasureText(Program().LoadLocalString(static_cast<UINT>(row.label)));
    MoveControl(row.label, 15, y, text.cx + 4, height);
    MoveControl(row.field, fieldX, y, fieldWidth, height);
    if (row.field == IDC_MAIL_TO) MoveControl(IDC_MAIL_EDIT, fieldX + fieldWidth + 4, y, button.cx, button.cy);
  }
}

void CMailPage::OnOwnButton() {
  // The editor's result is not needed: the message is kept by the mail library.
  MailContentFn content = Program().m_binding.MailContent;
  if (content) content();
}

CString CMailPage::FieldText(int id) const {
  char text[kAddressBuffer] = {};
  GetDlgItemTextA(m_hWnd, id, text, sizeof(text));
  return CString(text);
}

bool CMailPage::Store() {
  COrvaneApp& app = Program();
  m_mailFrom = From();
  m_mailTo = To();
  m_smtp = Smtp();
  const unsigned refusal = PageRules::MailStoreCheck(m_mailTo, m_mailFrom);
  if (refusal != 0) {
    Message(app.LoadLocalString(refusal), LoadResourceString(app.m_hInstance, IDS_APP_TITLE));
    return false;
  }
  WriteText(Keys::kMailFrom, m_mailFrom.c_str());
  WriteText(Keys::kMailTo, m_mailTo.c_str());
  WriteText(Keys::kSmtp, m_smtp.c_str());
  StoreLists(1);
  return true;
}
