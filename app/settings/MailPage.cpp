// CMailPage.
#include "app/settings/MailPage.h"

#include <algorithm>

#include "app/LibraryBinding.h"
#include "app/PanelRules.h"
#include "app/ProgramContext.h"
#include "app/output/HandOffs.h"
#include "app/settings/KeyButton.h"
#include "app/settings/MailPassword.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "framework/ProtectedValue.h"
#include "mail/MailSecurity.h"
#include "mail/OAuthProviders.h"
#include "resources/orvane/pages.h"
#include "resources/orvane/panel.h"
#include "resources/orvane/resource.h"

namespace {
const SPageIdentity kMailIdentity = {
    Panel::kMail,   IDD_MAIL_PAGE,  "MAILBK",     Keys::kMailSetting, IDS_TITLE_IMAGE + 3,
    IDC_MAIL_PAPER, IDC_MAIL_MODE,  IDC_MAIL_RES, IDC_MAIL_EDIT,      IDB_MAIL_UP,
    IDB_MAIL_DOWN,  IDB_MAIL_FOCUS, 5000,         IDC_MAIL_ATTACH,
};
// The security choices in their stored order; the last two are names in every language.
const char* const kSecurityNames[] = {nullptr, "STARTTLS", "TLS"};
// Where the rows' labels start.
const int kRowLabelX = 8;

CString Unset(const CString& value) { return PageRules::IsUnset(value) ? CString() : value; }

// The client secret of the organisation's registration is kept like the password, never in
// the settings file: one found there (put by an administrator) moves into the protected store.
const char kSecretKey[] = "Software\\Orvane\\Mail";
const char kSecretValue[] = "OAuth Client Secret";

// The menu's entries in the order of `OAuth Provider`; the two provider names are names in
// every language.
const char* const kProviderNames[] = {nullptr, "Microsoft", "Google", nullptr};
}  // namespace

CMailPage::CMailPage() : CSettingsPage(kMailIdentity) {
  // The lists' labels come first (the lists take the first three), then the attachment choice
  // in the fourth row below them, then the painted labels of the rows in the tray.
  m_labels = {
      {IDC_MAIL_PAPER_LABEL, 15, 40},   {IDC_MAIL_MODE_LABEL, 38, 63}, {IDC_MAIL_RES_LABEL, 58, 86},
      {IDC_MAIL_ATTACH_LABEL, 15, 109}, {IDC_MAIL_SMTP_LABEL, 0, 0},   {IDC_MAIL_SECURITY_LABEL, 0, 0},
      {IDC_MAIL_PORT_LABEL, 0, 0},      {IDC_MAIL_USER_LABEL, 0, 0},   {IDC_MAIL_PASSWORD_LABEL, 0, 0},
      {IDC_MAIL_TO_LABEL, 0, 0},        {IDC_MAIL_FROM_LABEL, 0, 0}};
  // The rows fill the page: the clean-up choices are a key in the title strip.
  m_cleanupKey = IDC_MAIL_CLEANUP;
}

CString CMailPage::Smtp() const { return FieldText(IDC_MAIL_SMTP, kAddressBuffer); }
CString CMailPage::To() const { return FieldText(IDC_MAIL_TO, kAddressBuffer); }
CString CMailPage::From() const { return FieldText(IDC_MAIL_FROM, kAddressBuffer); }

void CMailPage::LoadOwnValues() {
  m_mailFrom = Unset(ReadText(Keys::kMailFrom, Keys::kNull, kAddressBuffer));
  m_mailTo = Unset(ReadText(Keys::kMailTo, Keys::kNull, kAddressBuffer));
  m_smtp = Unset(ReadText(Keys::kSmtp, Keys::kNull, kAddressBuffer));
  m_security = ToMailSecurity(ReadInt(Keys::kSmtpSecurity, kSecurityNone));
  m_port = ReadInt(Keys::kSmtpPort, 0);
  m_user = Unset(ReadText(Keys::kSmtpUser, Keys::kNull, kLoginBuffer));
  m_password = MailPassword::Load();
  const int attachAs = ReadInt(Keys::kAttachAs, 0);
  m_attachAs =
      attachAs == Keys::kAttachPdf || attachAs == Keys::kAttachCompactPdf ? attachAs : Keys::kAttachPages;
  m_provider = ToOAuthProvider(ReadInt(Keys::kOAuthProvider, kOAuthNone));
  m_authorizeUrl = Unset(ReadText(Keys::kOAuthAuthorizeUrl, Keys::kNull, 1024));
  m_tokenUrl = Unset(ReadText(Keys::kOAuthTokenUrl, Keys::kNull, 1024));
  m_scope = Unset(ReadText(Keys::kOAuthScope, Keys::kNull, 1024));
  m_clientId = Unset(ReadText(Keys::kOAuthClientId, Keys::kNull, 256));
  CString secret = Unset(ReadText(Keys::kOAuthClientSecret, Keys::kNull, 256));
  if (!secret.IsEmpty() &&
      ProtectedValue::Save(kSecretKey, kSecretValue, secret.str(), L"Orvane mail sign-in")) {
    WriteText(Keys::kOAuthClientSecret, "");
  }
  WipeText(secret);
}

void CMailPage::ShowOwnValues() {
  SetDlgItemTextA(m_hWnd, IDC_MAIL_FROM, m_mailFrom.c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_TO, m_mailTo.c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_SMTP, m_smtp.c_str());
  HWND security = GetDlgItem(IDC_MAIL_SECURITY);
  for (int choice = kSecurityNone; choice <= kSecurityTls; ++choice) {
    const CString name = kSecurityNames[choice] ? CString(kSecurityNames[choice])
                                                : Program().LocalText(IDS_MAIL_SECURITY_NONE);
    ::SendMessageA(security, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }
  ::SendMessageA(security, CB_SETCURSEL, static_cast<WPARAM>(m_security), 0);
  // A port that is not set shows the one the security uses.
  const int port = MailPortFor(m_port, static_cast<MailSecurity>(m_security));
  SetDlgItemTextA(m_hWnd, IDC_MAIL_PORT, CString::Format("%d", port).c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_USER, m_user.c_str());
  SetDlgItemTextA(m_hWnd, IDC_MAIL_PASSWORD, m_password.c_str());
  WipeText(m_password);
  EnableLogin();
  FillChoiceList(IDC_MAIL_ATTACH, {IDS_MAIL_ATTACH_JPEG, IDS_MAIL_ATTACH_PDF, IDS_MAIL_ATTACH_COMPACT},
                 m_attachAs);
}

int CMailPage::ExtraListWidth(int index) const {
  if (Program().LanguageId() != Panel::kJapanese) return 0;
  static const int kExtra[3] = {60, 20, 70};
  return (index >= 0 && index < 3) ? kExtra[index] : 0;
}

void CMailPage::LayoutOwn() {
  PlaceChoiceList(IDC_MAIL_ATTACH, IDC_MAIL_ATTACH_LABEL);
  const SIZE button = m_button.SizeToContent();
  const RECT page = GetClientRect();
  const int height = LineHeight() + 2 * GetSystemMetrics(SM_CYEDGE);
  // The fields start after the longest label of the rows, so that no translation's label is
  // covered by its field.
  const UINT rowLabels[] = {IDC_MAIL_SMTP_LABEL,     IDC_MAIL_SECURITY_LABEL, IDC_MAIL_USER_LABEL,
                            IDC_MAIL_PASSWORD_LABEL, IDC_MAIL_TO_LABEL,       IDC_MAIL_FROM_LABEL};
  int labelWidth = 0;
  for (UINT id : rowLabels) labelWidth = std::max<int>(labelWidth, MeasureText(Program().LocalText(id)).cx);
  // The rows sit in the page's lower tray, whose labels start near its edge (as the other
  // pages' boxes do), so that the port keeps its room in every language.
  const int fieldX = kRowLabelX + labelWidth + 3;
  const int fieldRight = page.right - (button.cx + 5);
  // The Test key ends where ">>" ends, on the password's row.
  const int testWidth = MeasureText(Program().LocalText(IDC_MAIL_TEST)).cx + kKeyButtonPadding;
  const int testX = fieldRight + 4 + button.cx - testWidth;
  // "Sign in with..." ends there too, on the user's row, as wide as its widest face.
  int signInWidth = 0;
  for (const CString& face :
       {Program().LocalText(IDC_MAIL_SIGNIN), CString(kProviderNames[kOAuthMicrosoft]),
        CString(kProviderNames[kOAuthGoogle]), Program().LocalText(IDS_MAIL_SIGNIN_OTHER)}) {
    signInWidth = std::max<int>(signInWidth, MeasureText(face).cx + kKeyButtonPadding);
  }
  const int signInX = fieldRight + 4 + button.cx - signInWidth;
  // Rows from the bottom.
  const struct {
    int label, field, row, right;
  } rows[] = {{IDC_MAIL_FROM_LABEL, IDC_MAIL_FROM, 1, fieldRight},
              {IDC_MAIL_TO_LABEL, IDC_MAIL_TO, 2, fieldRight},
              {IDC_MAIL_PASSWORD_LABEL, IDC_MAIL_PASSWORD, 3, testX - 4},
              {IDC_MAIL_USER_LABEL, IDC_MAIL_USER, 4, signInX - 4},
              {IDC_MAIL_SECURITY_LABEL, 0, 5, fieldRight},
              {IDC_MAIL_SMTP_LABEL, IDC_MAIL_SMTP, 6, fieldRight}};
  for (const auto& row : rows) {
    const int y = PageRules::MailRowY(page.bottom, row.row, button.cy);
    const SIZE text = MeasureText(Program().LocalText(static_cast<UINT>(row.label)));
    MoveControl(row.label, kRowLabelX, y, text.cx + 4, height);
    if (row.field) MoveControl(row.field, fieldX, y, row.right - fieldX, height);
    if (row.field == IDC_MAIL_TO) MoveControl(IDC_MAIL_EDIT, fieldRight + 4, y, button.cx, button.cy);
    if (row.field == IDC_MAIL_PASSWORD) MoveControl(IDC_MAIL_TEST, testX, y, testWidth, button.cy);
    if (row.field == IDC_MAIL_USER) MoveControl(IDC_MAIL_SIGNIN, signInX, y, signInWidth, button.cy);
    if (row.field == 0) LayoutSecurityRow(y, fieldX, fieldRight + 4 + button.cx, height);
  }
}

void CMailPage::LayoutSecurityRow(int y, int fieldX, int rowRight, int height) {
  const int widest = WidestEntry(GetDlgItem(IDC_MAIL_SECURITY));
  // Room for the text, the drop-down arrow and the frame, and no more: the port needs the rest.
  const int listWidth = widest + GetSystemMetrics(SM_CXVSCROLL) + 2 * GetSystemMetrics(SM_CXEDGE) + 8;
  MoveControl(IDC_MAIL_SECURITY, fieldX, y, listWidth, 120);
  const SIZE port = MeasureText(Program().LocalText(IDC_MAIL_PORT_LABEL));
  const int portLabelX = fieldX + listWidth + 4;
  MoveControl(IDC_MAIL_PORT_LABEL, portLabelX, y, port.cx + 4, height);
  const int portX = portLabelX + port.cx + 2;
  MoveControl(IDC_MAIL_PORT, portX, y, rowRight - portX, height);
}

void CMailPage::OnOwnButton() {
  // The editor's result is not needed: the message is kept by the mail library.
  MailContentFn content = Program().Libraries().MailContent;
  if (content) content();
}

bool CMailPage::OnCommand(WORD id, WORD code, HWND control) {
  if (id == IDC_MAIL_SECURITY && code == CBN_SELCHANGE) {
    // Choosing a security proposes its port.
    const CString proposed =
        PageRules::ProposedMailPort(FieldText(IDC_MAIL_PORT, kAddressBuffer), Security());
    SetDlgItemTextA(m_hWnd, IDC_MAIL_PORT, proposed.c_str());
    EnableLogin();
    return true;
  }
  if (id == IDC_MAIL_TEST && code == BN_CLICKED) {
    RunTest();
    return true;
  }
  if (id == IDC_MAIL_SIGNIN && code == BN_CLICKED) {
    OnSignInKey();
    return true;
  }
  return CSettingsPage::OnCommand(id, code, control);
}

bool CMailPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  if (message == WM_DRAWITEM) {
    const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item && (item->CtlID == IDC_MAIL_TEST || item->CtlID == IDC_MAIL_SIGNIN)) {
      DrawKeyButton(*item, PageFont(),
                    item->CtlID == IDC_MAIL_TEST ? Program().LocalText(IDC_MAIL_TEST) : SignInFace());
      result = TRUE;
      return true;
    }
  }
  return CSettingsPage::OnMessage(message, wParam, lParam, result);
}

CString CMailPage::FieldText(int id, int bufferSize) const {
  CString text(static_cast<size_t>(bufferSize), '\0');
  const int length = GetDlgItemTextA(m_hWnd, id, &text.str()[0], bufferSize);
  text.str().resize(static_cast<size_t>(std::max(length, 0)));
  return text;
}

int CMailPage::Security() const {
  // No choice (CB_ERR) is none.
  return ToMailSecurity(static_cast<int>(::SendMessageA(GetDlgItem(IDC_MAIL_SECURITY), CB_GETCURSEL, 0, 0)));
}

bool CMailPage::Port(int& port) const {
  if (PageRules::ParseMailPort(FieldText(IDC_MAIL_PORT, kAddressBuffer), port)) return true;
  Message(Program().LocalText(IDS_MAIL_PORT_RANGE), LoadResourceString(Program().Instance(), IDS_APP_TITLE));
  ::SetFocus(GetDlgItem(IDC_MAIL_PORT));
  return false;
}

void CMailPage::EnableLogin() {
  const bool secured = Security() != kSecurityNone;
  ::EnableWindow(GetDlgItem(IDC_MAIL_USER), secured);
  ::EnableWindow(GetDlgItem(IDC_MAIL_SIGNIN), secured);
  // A sign-in with OAuth needs no password.
  ::EnableWindow(GetDlgItem(IDC_MAIL_PASSWORD), secured && m_provider == kOAuthNone);
  ::InvalidateRect(GetDlgItem(IDC_MAIL_SIGNIN), nullptr, TRUE);
}

CString CMailPage::SignInFace() const {
  if (m_provider == kOAuthNone) return Program().LocalText(IDC_MAIL_SIGNIN);
  return kProviderNames[m_provider] ? CString(kProviderNames[m_provider])
                                    : Program().LocalText(IDS_MAIL_SIGNIN_OTHER);
}

void CMailPage::OnSignInKey() {
  HMENU menu = CreatePopupMenu();
  for (int choice = kOAuthNone; choice <= kOAuthOther; ++choice) {
    const CString name = choice == kOAuthNone     ? Program().LocalText(IDS_MAIL_SIGNIN_PASSWORD)
                         : kProviderNames[choice] ? CString(kProviderNames[choice])
                                                  : Program().LocalText(IDS_MAIL_SIGNIN_OTHER);
    AppendMenuA(menu, MF_STRING | (choice == m_provider ? MF_CHECKED : 0), static_cast<UINT_PTR>(choice + 1),
                name.c_str());
  }
  RECT key;
  ::GetWindowRect(GetDlgItem(IDC_MAIL_SIGNIN), &key);
  const int picked = static_cast<int>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                                     key.left, key.bottom, 0, m_hWnd, nullptr));
  DestroyMenu(menu);
  if (picked == 0) return;
  m_provider = picked - 1;
  // A provider's preset fills the server, its security and port.
  if (const OAuthPreset* preset = OAuthPresetFor(static_cast<OAuthProvider>(m_provider))) {
    SetDlgItemTextA(m_hWnd, IDC_MAIL_SMTP, preset->server);
    ::SendMessageA(GetDlgItem(IDC_MAIL_SECURITY), CB_SETCURSEL, static_cast<WPARAM>(preset->security), 0);
    SetDlgItemTextA(m_hWnd, IDC_MAIL_PORT, CString::Format("%d", preset->port).c_str());
  }
  if (m_provider != kOAuthNone) SetDlgItemTextA(m_hWnd, IDC_MAIL_PASSWORD, "");
  EnableLogin();
  if (m_provider != kOAuthNone) SignInNow();
}

template <typename Call>
void CMailPage::WithPanelDisabled(int focus, Call call) {
  // The library waits for the server (or the browser) while window messages flow: the panel
  // takes no clicks meanwhile, as under a modal dialog.
  HWND panel = GetAncestor(m_hWnd, GA_ROOT);
  ::EnableWindow(panel, FALSE);
  call();
  ::EnableWindow(panel, TRUE);
  ::SetForegroundWindow(panel);
  ::SetFocus(GetDlgItem(focus));
}

void CMailPage::SignInNow() {
  CLibraryBinding& mail = Program().Libraries();
  MailServerOrder server;
  if (!ServerFromFields(server)) return;
  HandOffs::HandMailServer(mail, server);
  WithPanelDisabled(IDC_MAIL_SIGNIN, [&] { mail.MailSignIn(); });
}

bool CMailPage::ServerFromFields(MailServerOrder& server) const {
  server.server = Smtp();
  if (!Port(server.port)) return false;
  server.security = Security();
  // The login goes only with a secured connection; the password is read from its field here
  // and nowhere kept but in the user's protected store (and in the order, wiped with it).
  if (server.security != kSecurityNone) {
    server.user = FieldText(IDC_MAIL_USER, kLoginBuffer);
    if (m_provider == kOAuthNone) server.password = FieldText(IDC_MAIL_PASSWORD, kLoginBuffer);
  }
  server.oauthProvider = m_provider;
  server.authorizeUrl = m_authorizeUrl;
  server.tokenUrl = m_tokenUrl;
  server.scope = m_scope;
  server.clientId = m_clientId;
  std::string secret = ProtectedValue::Load(kSecretKey, kSecretValue);
  server.clientSecret = CString(secret);
  WipeBytes(secret);
  return true;
}

void CMailPage::RunTest() {
  CLibraryBinding& mail = Program().Libraries();
  CString sender = From();
  MailServerOrder server;
  if (!ServerFromFields(server)) return;
  HandOffs::HandMailServer(mail, server);
  // With OAuth the test signs in as well (the browser opens when no token is kept).
  WithPanelDisabled(IDC_MAIL_TEST, [&] { mail.MailTestServer(sender); });
}

bool CMailPage::Store(DestinationValues& values) {
  const CProgramContext& app = Program();
  m_mailFrom = From();
  m_mailTo = To();
  m_smtp = Smtp();
  const unsigned refusal = PageRules::MailStoreCheck(m_mailTo, m_mailFrom);
  if (refusal != 0) {
    Message(app.LocalText(refusal), LoadResourceString(app.Instance(), IDS_APP_TITLE));
    return false;
  }
  if (!Port(m_port)) return false;
  m_security = Security();
  m_user = FieldText(IDC_MAIL_USER, kLoginBuffer);
  WriteText(Keys::kMailFrom, m_mailFrom.c_str());
  WriteText(Keys::kMailTo, m_mailTo.c_str());
  WriteText(Keys::kSmtp, m_smtp.c_str());
  WriteInt(Keys::kSmtpPort, m_port);
  WriteInt(Keys::kSmtpSecurity, m_security);
  WriteText(Keys::kSmtpUser, m_user.c_str());
  WriteInt(Keys::kOAuthProvider, m_provider);
  m_attachAs = AttachAs();
  WriteInt(Keys::kAttachAs, m_attachAs);
  CString password = FieldText(IDC_MAIL_PASSWORD, kLoginBuffer);
  MailPassword::Save(password);
  WipeText(password);
  StoreLists(1);
  values.mail.from = m_mailFrom;
  values.mail.to = m_mailTo;
  return ServerFromFields(values.mail.server);
}
