// The choice of scanner (see ScannerChoiceDlg.h).
#include "scan/escl/ScannerChoiceDlg.h"

#include <cctype>

#include "framework/Module.h"
#include "resources/capturo/resource.h"
#include "scan/escl/ScannerProbe.h"

namespace {
const UINT WM_SEARCH_ANSWER = WM_APP + 28;
const UINT_PTR kSearchTimer = 1;
const DWORD kCheckMs = 8000;

bool SameText(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}
}  // namespace

CScannerChoiceDlg::CScannerChoiceDlg(HWND owner, LibraryVoice voice, uint16_t (*selectTwain)())
    : CDialog(IDD_CHOOSE_SCANNER, owner), m_voice(voice), m_selectTwain(selectTwain) {}

bool CScannerChoiceDlg::PreTranslateMessage(MSG* msg) {
  return GetSafeHwnd() && IsDialogMessageA(GetSafeHwnd(), msg) != FALSE;
}

bool CScannerChoiceDlg::OnInitDialog() {
  MessagePump::SetFilter(this);
  SetWindowText(m_voice.text(IDS_CHOOSE_CAPTION).c_str());
  const struct {
    int control;
    UINT text;
  } labels[] = {{IDC_CHOOSE_ADDRESS_LABEL, IDS_CHOOSE_ADDRESS},
                {IDC_CHOOSE_ADD, IDS_CHOOSE_ADD},
                {IDC_CHOOSE_TWAIN, IDS_CHOOSE_TWAIN_SOURCES},
                {IDOK, IDS_CHOOSE_OK},
                {IDCANCEL, IDS_CHOOSE_CANCEL}};
  for (const auto& label : labels)
    SetDlgItemTextA(GetSafeHwnd(), label.control, m_voice.text(label.text).c_str());
  // The system's interface font carries every language's script.
  const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  for (HWND child = GetWindow(GetSafeHwnd(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  Entry twain;
  twain.twain = true;
  m_entries.push_back(twain);
  const NetworkChoice current = NetworkChoiceFile::Read(NetworkChoiceFile::Settings());
  int select = 0;
  if (current.Network()) {
    Entry chosen;
    chosen.choice = current;
    chosen.checked = true;
    m_entries.push_back(chosen);
    select = 1;
  }
  Refresh(select);
  if (m_search.Start(GetSafeHwnd(), WM_SEARCH_ANSWER)) {
    Status(m_voice.text(IDS_CHOOSE_SEARCHING));
    SetTimer(kSearchTimer, 1000);
  } else {
    Status(m_voice.text(IDS_CHOOSE_NONE));
  }
  return true;
}

int CScannerChoiceDlg::Selected() const {
  const LRESULT index = SendDlgItemMessageA(GetSafeHwnd(), IDC_CHOOSE_LIST, LB_GETCURSEL, 0, 0);
  return index >= 0 && static_cast<size_t>(index) < m_entries.size() ? static_cast<int>(index) : 0;
}

void CScannerChoiceDlg::Refresh(int select) {
  const HWND list = GetDlgItem(IDC_CHOOSE_LIST);
  ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (const Entry& entry : m_entries) {
    CString line;
    if (entry.twain) {
      line = m_voice.text(IDS_CHOOSE_TWAIN_ENTRY);
    } else {
      ScannerUrl url;
      ParseScannerAddress(entry.choice.url, &url);
      const std::string name = entry.choice.name.empty() ? url.host : entry.choice.name;
      line = CString::Format(m_voice.text(IDS_CHOOSE_NETWORK_ENTRY).c_str(), name.c_str(),
                             entry.choice.url.c_str());
    }
    ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  ::SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

// One entry per scanner: by its uuid, else by its address. `trustAnew` drops a pinned
// certificate (the user added the scanner again by hand).
int CScannerChoiceDlg::Merge(const Entry& entry, bool trustAnew) {
  for (size_t i = 1; i < m_entries.size(); ++i) {
    Entry& have = m_entries[i];
    const bool same = (!entry.choice.uuid.empty() && SameText(have.choice.uuid, entry.choice.uuid)) ||
                      SameText(have.choice.url, entry.choice.url);
    if (!same) continue;
    const bool moved = !SameText(have.choice.url, entry.choice.url);
    const std::string pin = have.choice.certificate;
    have.choice.url = entry.choice.url;
    if (!entry.choice.name.empty()) have.choice.name = entry.choice.name;
    if (!entry.choice.uuid.empty()) have.choice.uuid = entry.choice.uuid;
    have.choice.certificate = trustAnew ? entry.choice.certificate : pin;
    have.checked = entry.checked || (have.checked && !moved);
    return static_cast<int>(i);
  }
  m_entries.push_back(entry);
  return static_cast<int>(m_entries.size() - 1);
}

bool CScannerChoiceDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
  if (message != WM_SEARCH_ANSWER) return false;
  result = 0;
  if (!m_search.Read()) return true;
  const int selected = Selected();
  const std::string keep = m_entries[selected].choice.url;
  for (const FoundScanner& found : m_search.Found().Scanners()) {
    Entry entry;
    entry.choice.url = found.url.Text();
    entry.choice.name = found.name;
    entry.choice.uuid = found.uuid;
    Merge(entry, false);
  }
  // The selection stays on the scanner it was on (its address may have just changed).
  int select = selected;
  for (size_t i = 1; i < m_entries.size() && selected > 0; ++i)
    if (m_entries[i].choice.url == keep) select = static_cast<int>(i);
  Refresh(select);
  return true;
}

void CScannerChoiceDlg::OnTimer(UINT_PTR id) {
  if (id != kSearchTimer) return;
  if (++m_ticks < kSearchSeconds) {
    m_search.Ask();  // answers may be lost; the open questions go out again too
    return;
  }
  KillTimer(kSearchTimer);
  m_search.Read();
  const size_t found = m_search.Found().Scanners().size();
  m_search.Stop();
  Status(found ? CString::Format(m_voice.text(IDS_CHOOSE_FOUND).c_str(), static_cast<int>(found))
               : m_voice.text(IDS_CHOOSE_NONE));
}

void CScannerChoiceDlg::OnDestroy() {
  MessagePump::SetFilter(nullptr);
  KillTimer(kSearchTimer);
  m_search.Stop();
}

bool CScannerChoiceDlg::OnCommand(WORD id, WORD code, HWND control) {
  if (m_working) return true;  // a check is under way: its wait runs this dialog's messages
  switch (id) {
    case IDC_CHOOSE_ADD:
      AddByAddress();
      return true;
    case IDC_CHOOSE_TWAIN:
      if (m_selectTwain && m_selectTwain() == 0) Refresh(0);
      return true;
    case IDC_CHOOSE_LIST:
      if (code == LBN_DBLCLK) OnOK();
      return true;
    default:
      return CDialog::OnCommand(id, code, control);
  }
}

void CScannerChoiceDlg::AddByAddress() {
  char typed[1024] = "";
  GetDlgItemTextA(GetSafeHwnd(), IDC_CHOOSE_ADDRESS, typed, sizeof(typed));
  ScannerUrl url;
  if (!ParseScannerAddress(typed, &url)) {
    MessageBoxA(GetSafeHwnd(), m_voice.text(IDS_CHOOSE_BAD_ADDRESS).c_str(),
                m_voice.text(IDS_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  Entry entry;
  entry.choice.url = url.Text();
  if (!Check(entry)) return;
  Refresh(Merge(entry, true));
  SetDlgItemTextA(GetSafeHwnd(), IDC_CHOOSE_ADDRESS, "");
}

// Asks the scanner for its capabilities: it must answer as a scanner before it is taken. Its
// name and uuid come with the answer, and for https the certificate that is pinned.
bool CScannerChoiceDlg::Check(Entry& entry) {
  ScannerUrl url;
  ParseScannerAddress(entry.choice.url, &url);
  Status(CString::Format(m_voice.text(IDS_CHOOSE_CHECKING).c_str(), entry.choice.url.c_str()));
  Busy(true);
  CScannerHttp http;
  ScannerCaps caps;
  const ProbeResult result = http.Open(url, entry.choice.certificate)
                                 ? ProbeScanner(http, this, kCheckMs, &caps)
                                 : ProbeResult::kUnreachable;
  Busy(false);
  Status("");
  if (result != ProbeResult::kOk) {
    const CString text =
        CString::Format(m_voice.text(ProbeMessage(result)).c_str(), entry.choice.url.c_str());
    MessageBoxA(GetSafeHwnd(), text.c_str(), m_voice.text(IDS_CAPTION).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  entry.checked = true;
  if (entry.choice.name.empty()) entry.choice.name = caps.makeAndModel.empty() ? url.host : caps.makeAndModel;
  if (entry.choice.uuid.empty()) entry.choice.uuid = caps.uuid;
  if (url.https) entry.choice.certificate = http.SeenCertificate();
  return true;
}

void CScannerChoiceDlg::Busy(bool busy) {
  m_working = busy;
  for (int control : {IDC_CHOOSE_LIST, IDC_CHOOSE_ADDRESS, IDC_CHOOSE_ADD, IDC_CHOOSE_TWAIN, IDOK})
    ::EnableWindow(GetDlgItem(control), !busy);
}

void CScannerChoiceDlg::Status(const CString& text) {
  SetDlgItemTextA(GetSafeHwnd(), IDC_CHOOSE_STATUS, text.c_str());
}

void CScannerChoiceDlg::OnOK() {
  if (m_working) return;
  Entry& entry = m_entries[Selected()];
  if (!entry.twain && !entry.checked && !Check(entry)) return;
  NetworkChoiceFile::Write(NetworkChoiceFile::Settings(), entry.twain ? NetworkChoice() : entry.choice);
  EndDialog(IDOK);
}
