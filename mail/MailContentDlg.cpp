// CMailContentDlg.
#include "mail/MailContentDlg.h"

#include "mail/AddressBookDlg.h"
#include "mail/DialogText.h"
#include "resources/postlib/resource.h"

CMailContentDlg::CMailContentDlg(IMailTexts& texts) : CDialog(IDD_MAIL_CONTENT), m_texts(texts) {}

bool CMailContentDlg::OnInitDialog() {
  m_list.SubclassDlgItem(IDC_RECIPIENT_LIST, m_hWnd);
  for (const CString& recipient : m_recipients) m_list.AddString(recipient);
  ::SetDlgItemTextA(m_hWnd, IDC_SUBJECT, m_subject);
  ::SetDlgItemTextA(m_hWnd, IDC_BODY, m_body);
  ::SetDlgItemTextA(m_hWnd, IDC_TO_ADDRESS, m_toText);
  return true;
}

bool CMailContentDlg::OnCommand(WORD id, WORD code, HWND control) {
  switch (id) {
    case IDC_TO_BUTTON:
      OnToButton();
      return true;
    case IDC_MAIL_OK:
      OnOkButton();
      return true;
    case IDC_MAIL_CANCEL:
      EndDialog(IDCANCEL);
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

void CMailContentDlg::OnToButton() {
  CAddressBookDlg book(m_texts);
  CStringArray& chosen = book.Recipients();
  for (int i = 0; i < m_list.GetCount(); ++i) chosen.Add(m_list.GetText(i));
  if (book.DoModal() == IDOK) {
    m_list.ResetContent();
    for (const CString& recipient : chosen) m_list.AddString(recipient);
  }
  chosen.RemoveAll();
}

void CMailContentDlg::OnOkButton() {
  m_subject = DlgItemText(m_hWnd, IDC_SUBJECT);
  m_body = DlgItemText(m_hWnd, IDC_BODY);
  m_toText = DlgItemText(m_hWnd, IDC_TO_ADDRESS);
  m_recipients.RemoveAll();
  if (!m_toText.IsEmpty()) m_recipients.Add(m_toText);
  for (int i = 0; i < m_list.GetCount(); ++i) m_recipients.Add(m_list.GetText(i));
  EndDialog(IDOK);
}
