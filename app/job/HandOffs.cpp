// The hand-offs of a filed page: to the image editor, the printer, the fax driver, the mail
// library (page by page, or gathered into one PDF) and the OCR engine. Each takes what it
// needs from the job.
#include "app/job/HandOffs.h"

#include <string>
#include <vector>

#include "app/FreshName.h"
#include "app/JobFiles.h"
#include "app/LibraryBinding.h"
#include "app/OrvaneView.h"
#include "app/PanelDlg.h"
#include "app/job/ScanJob.h"
#include "app/output/EditorCommand.h"
#include "app/output/EditorHandOff.h"
#include "app/output/imaging/PdfFromPages.h"
#include "resources/orvane/resource.h"

namespace HandOffs {
namespace {
const HandOffOutcome kHandedOff = {HandOffResult::kHandedOff, 0};

HandOffOutcome ToPrinter(CScanJob& job, int copyMode) {
  COrvaneView* view = job.View();
  if (!view) return kHandedOff;
  CPrintJob print;
  print.copyMode = copyMode;
  print.imagePath = job.PagePath();
  print.imageFileName = EditorCommand::FileNamePart(job.PagePath());
  print.settingsPath = job.SettingsPath();
  print.appTitle = job.OwnText(IDS_APP_TITLE);
  print.texts.cancel = job.OwnText(IDS_PRINT_CANCEL);
  print.texts.on = job.OwnText(IDS_PRINT_ON);
  print.texts.page = job.OwnText(IDS_PRINT_PAGE);
  print.texts.loading = job.OwnText(IDS_PRINT_LOADING);
  print.texts.sending = job.OwnText(IDS_PRINT_SENDING);
  print.texts.loadFailed = job.LocalText(IDS_BITMAP_LOAD_FAILED);
  print.texts.notAvailable = job.LocalText(IDS_PRINTER_NOT_AVAILABLE);
  print.texts.printFailed = job.LocalText(IDS_PRINT_FAILED);
  // The print view tells its own failures; the page stays in TEMP either way.
  view->PrintJob(print);
  return kHandedOff;
}
}  // namespace

void MakeEditorKnown(CScanJob& job) { EditorHandOff::MakeEditorKnown(job.Settings(), job.LanguageId()); }

HandOffOutcome ToEditor(CScanJob& job) {
  if (EditorHandOff::StartEditor(job.Settings(), job.LanguageId(), job.PagePath()) == EditorStart::kFailed) {
    MessageBoxA(job.Panel().GetSafeHwnd(), job.LocalText(IDS_EDITOR_START_FAILED).c_str(),
                job.LocalText(IDS_SCAN_DIALOG_CAPTION).c_str(), MB_OK);
  }
  return kHandedOff;
}

HandOffOutcome ToCopier(CScanJob& job) { return ToPrinter(job, 1); }
HandOffOutcome ToFax(CScanJob& job) { return ToPrinter(job, 0); }

namespace {
// The mail library copies the strings; they stay the program's. The library has shown its own
// message when it returns 0 (an unreachable server, no recipient, Cancel).
HandOffOutcome SendMail(CScanJob& job, CStringArray& attachments) {
  CLibraryBinding& mail = job.Libraries();
  CMailPage& page = job.Panel().MailPage();
  CString sender = page.From();
  CString recipient = page.To();
  page.HandServerSettings(mail);
  if (mail.MailStartSend(sender, recipient, attachments, job.MainFrame()) != 0) return kHandedOff;
  return {HandOffResult::kNotHanded, IDS_MAIL_NOT_SENT};
}

HandOffOutcome StartOcr(CScanJob& job, bool searchablePdf) {
  const COcrPage& page = job.Panel().OcrPage();
  COrvaneView* view = job.View();
  if (view && !page.ProgramPath().IsEmpty()) {
    OcrJob ocr;
    ocr.mode = page.ProgramKeyId() == IDS_OCR_KEY_96 ? OcrValues::kEdition96 : OcrValues::kEdition20;
    ocr.searchablePdf = searchablePdf;
    ocr.engineKey = job.OwnText(page.ProgramKeyId());
    ocr.engineProgram = page.ProgramPath();
    ocr.imagePath = job.PagePath();
    ocr.programDir = job.ProgramDir();
    if (view->StartOcr(ocr, job)) return {HandOffResult::kAtWork, 0};
  }
  return {HandOffResult::kNotHanded, IDS_OCR_START_FAILED};
}

}  // namespace

// Each page of a feeder batch goes out with the pages before it.
HandOffOutcome ToMail(CScanJob& job) {
  job.Attachments().Add(CString(job.PagePath()));
  return SendMail(job, job.Attachments());
}

HandOffOutcome GatherForPdf(CScanJob& job) {
  job.Attachments().Add(CString(job.PagePath()));
  return kHandedOff;
}

// The gathered pages, in scan order, as one PDF in TEMP named after the first page, sent as
// the message's one attachment. The pages stay in TEMP beside it.
HandOffOutcome MailAsPdf(CScanJob& job) {
  const CStringArray& pages = job.Attachments();
  if (pages.GetSize() == 0) return kHandedOff;
  std::vector<std::string> paths;
  for (int i = 0; i < pages.GetSize(); ++i) paths.push_back(pages[i].str());
  const std::string pdf = WithExtension(paths.front(), "PDF");
  if (WritePdfFromPages(pdf, paths, job.ScanDpi(), JobFiles::LocalNow()).status != PdfFromPagesResult::kOk)
    return {HandOffResult::kNotHanded, IDS_PDF_NOT_WRITTEN};
  CStringArray attachment;
  attachment.Add(CString(pdf));
  return SendMail(job, attachment);
}

HandOffOutcome ToOcr(CScanJob& job) { return StartOcr(job, false); }
HandOffOutcome ToOcrAsPdf(CScanJob& job) { return StartOcr(job, true); }
}  // namespace HandOffs
