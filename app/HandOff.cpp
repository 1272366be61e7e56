// The hand-off of a filed page by destination.
#include "app/HandOff.h"

#include "app/OrvaneApp.h"
#include "app/OrvaneView.h"
#include "app/PanelDlg.h"
#include "app/PanelRules.h"
#include "app/output/EditorHandOff.h"
#include "resources/orvane/resource.h"

namespace {
COrvaneView* JobView() {
  auto* frame = static_cast<CFrameWnd*>(App().m_pMainFrame);
  return frame ? static_cast<COrvaneView*>(frame->GetActiveView()) : nullptr;
}

HandOffEnd ToEditor(CPanelDlg& panel) {
  EditorHandOff::StartEditor(App().m_imagePath, panel.GetSafeHwnd());
  return HandOffEnd::kEndPanel;
}

HandOffEnd ToPrinter(int copyMode) {
  if (COrvaneView* view = JobView()) view->PrintJobImage(copyMode);
  return HandOffEnd::kEndPanel;
}

HandOffEnd ToCopier(CPanelDlg&) { return ToPrinter(1); }
HandOffEnd ToFax(CPanelDlg&) { return ToPrinter(0); }

// The mail library copies the strings; they stay the program's. Each page of a feeder batch
// goes out with the pages before it.
HandOffEnd ToMail(CPanelDlg& panel) {
  COrvaneApp& app = App();
  CLibraryBinding& mail = app.m_binding;
  CString server = panel.MailPage().Smtp();
  CString sender = panel.MailPage().From();
  CString recipient = panel.MailPage().To();
  panel.Attachments().Add(CString(panel.CurrentFile()));
  mail.SetMailSMTP(server);
  panel.MailPage().HandServerSettings(mail);
  mail.MailStartSend(sender, recipient, panel.Attachments(), app.m_pMainFrame->GetSafeHwnd());
  return HandOffEnd::kEndPanel;
}

HandOffEnd ToOcr(CPanelDlg& panel) {
  COrvaneView* view = JobView();
  if (view && view->StartOcr()) return HandOffEnd::kKeepPanel;
  COrvaneApp& app = App();
  MessageBoxA(panel.GetSafeHwnd(), app.LoadLocalString(IDS_OCR_START_FAILED).c_str(), app.m_windowTitle.c_str(),
              MB_OK | MB_ICONEXCLAMATION);
  return HandOffEnd::kEndPanel;
}

struct HandOffEntry {
  uint16_t destination;
  HandOffEnd (*handOff)(CPanelDlg& panel);
};

const HandOffEntry kHandOffs[] = {
    {Panel::kImage, ToEditor}, {Panel::kCopy, ToCopier}, {Panel::kFax, ToFax},
    {Panel::kMail, ToMail},    {Panel::kOcr, ToOcr},
};
}  // namespace

HandOffEnd HandOffPage(CPanelDlg& panel, uint16_t destination) {
  for (const HandOffEntry& entry : kHandOffs) {
    if (entry.destination == destination) return entry.handOff(panel);
  }
  return HandOffEnd::kEndPanel;
}
