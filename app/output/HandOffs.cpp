// The hand-offs of a filed page: to the image editor, the printer, the fax driver, the mail
// library (page by page, or gathered into one PDF) and the OCR engine. Each works from the
// job's order and the program's parts on its desk.
#include "app/output/HandOffs.h"

#include <string>
#include <vector>

#include "app/FreshName.h"
#include "app/JobFiles.h"
#include "app/LibraryBinding.h"
#include "app/OrvaneView.h"
#include "app/ProgramContext.h"
#include "app/output/EditorCommand.h"
#include "app/output/EditorHandOff.h"
#include "app/output/imaging/PdfFromPages.h"
#include "app/settings/SettingsKeys.h"
#include "resources/orvane/resource.h"

namespace HandOffs {
namespace {
const HandOffOutcome kHandedOff = {HandOffResult::kHandedOff, 0};

HandOffOutcome ToPrinter(const JobOrder& order, const HandOffDesk& desk, int copyMode) {
  if (!desk.view) return kHandedOff;
  const CProgramContext& program = desk.program;
  CPrintJob print;
  print.copyMode = copyMode;
  print.imagePath = order.page;
  print.imageFileName = EditorCommand::FileNamePart(order.page.c_str());
  print.settingsPath = program.SettingsPath();
  print.appTitle = program.OwnText(IDS_APP_TITLE);
  print.texts.cancel = program.OwnText(IDS_PRINT_CANCEL);
  print.texts.on = program.OwnText(IDS_PRINT_ON);
  print.texts.page = program.OwnText(IDS_PRINT_PAGE);
  print.texts.loading = program.OwnText(IDS_PRINT_LOADING);
  print.texts.sending = program.OwnText(IDS_PRINT_SENDING);
  print.texts.loadFailed = program.LocalText(IDS_BITMAP_LOAD_FAILED);
  print.texts.notAvailable = program.LocalText(IDS_PRINTER_NOT_AVAILABLE);
  print.texts.printFailed = program.LocalText(IDS_PRINT_FAILED);
  // The print view tells its own failures; the page stays in TEMP either way.
  desk.view->PrintJob(print);
  return kHandedOff;
}

// The mail library copies the strings; they stay the program's. The library has shown its own
// message when it returns 0 (an unreachable server, no recipient, Cancel).
HandOffOutcome SendMail(const JobOrder& order, const HandOffDesk& desk, const CStringArray& attachments) {
  CLibraryBinding& mail = desk.program.Libraries();
  CString sender = order.values.mail.from;
  CString recipient = order.values.mail.to;
  CStringArray files = attachments;
  HandMailServer(mail, order.values.mail.server);
  if (mail.MailStartSend(sender, recipient, files, desk.frame) != 0) return kHandedOff;
  return {HandOffResult::kNotHanded, IDS_MAIL_NOT_SENT};
}

HandOffOutcome StartOcr(const JobOrder& order, const HandOffDesk& desk, OcrValues::Output output) {
  const OcrOrder& engine = order.values.ocr;
  if (desk.view && !engine.programPath.IsEmpty()) {
    OcrJob ocr;
    ocr.mode = engine.programKeyId == IDS_OCR_KEY_96 ? OcrValues::kEdition96 : OcrValues::kEdition20;
    ocr.output = output;
    ocr.scanDpi = order.scanDpi;
    if (desk.program.Settings().ReadInt(Keys::kOcrSetting, Keys::kCompactQuality, 0) == 1)
      ocr.quality = CompactQuality::kFine;
    ocr.engineKey = desk.program.OwnText(engine.programKeyId);
    ocr.engineProgram = engine.programPath;
    ocr.imagePath = order.page;
    ocr.programDir = desk.program.ProgramDir();
    if (desk.view->StartOcr(ocr, desk.ocrEnd)) return {HandOffResult::kAtWork, 0};
  }
  return {HandOffResult::kNotHanded, IDS_OCR_START_FAILED};
}
}  // namespace

void MakeEditorKnown(const CProgramContext& program) {
  EditorHandOff::MakeEditorKnown(program.Settings(), program.LanguageId());
}

HandOffOutcome ToEditor(const JobOrder& order, const HandOffDesk& desk) {
  const CProgramContext& program = desk.program;
  if (EditorHandOff::StartEditor(program.Settings(), program.LanguageId(), order.page.c_str()) ==
      EditorStart::kFailed) {
    MessageBoxA(desk.owner, program.LocalText(IDS_EDITOR_START_FAILED).c_str(),
                program.LocalText(IDS_SCAN_DIALOG_CAPTION).c_str(), MB_OK);
  }
  return kHandedOff;
}

HandOffOutcome ToCopier(const JobOrder& order, const HandOffDesk& desk) { return ToPrinter(order, desk, 1); }
HandOffOutcome ToFax(const JobOrder& order, const HandOffDesk& desk) { return ToPrinter(order, desk, 0); }

// Each page of a feeder batch goes out with the pages before it.
HandOffOutcome ToMail(const JobOrder& order, const HandOffDesk& desk) {
  return SendMail(order, desk, order.pages);
}

// The page waits in the order's list for the batch hand-off.
HandOffOutcome GatherForPdf(const JobOrder&, const HandOffDesk&) { return kHandedOff; }

namespace {
// The gathered pages, in scan order, as one PDF in TEMP named after the first page, sent as
// the message's one attachment. The pages stay in TEMP beside it.
HandOffOutcome MailPagesAsPdf(const JobOrder& order, const HandOffDesk& desk, const PdfPageStyle& style) {
  const CStringArray& pages = order.pages;
  if (pages.GetSize() == 0) return kHandedOff;
  std::vector<std::string> paths;
  paths.reserve(static_cast<size_t>(pages.GetSize()));
  for (int i = 0; i < pages.GetSize(); ++i) paths.push_back(pages[i].str());
  const std::string pdf = WithExtension(paths.front(), "PDF");
  if (WritePdfFromPages(pdf, paths, order.scanDpi, JobFiles::LocalNow(), style).status !=
      PdfFromPagesResult::kOk)
    return {HandOffResult::kNotHanded, IDS_PDF_NOT_WRITTEN};
  CStringArray attachment;
  attachment.Add(CString(pdf));
  return SendMail(order, desk, attachment);
}
}  // namespace

HandOffOutcome MailAsPdf(const JobOrder& order, const HandOffDesk& desk) {
  return MailPagesAsPdf(order, desk, PdfPageStyle());
}

// Grey and colour pages as text masks over small backgrounds, of the preset in the settings.
HandOffOutcome MailAsCompactPdf(const JobOrder& order, const HandOffDesk& desk) {
  PdfPageStyle style;
  style.compact = true;
  if (desk.program.Settings().ReadInt(Keys::kMailSetting, Keys::kCompactQuality, 0) == 1)
    style.quality = CompactQuality::kFine;
  return MailPagesAsPdf(order, desk, style);
}

HandOffOutcome ToOcr(const JobOrder& order, const HandOffDesk& desk) {
  return StartOcr(order, desk, OcrValues::kRichText);
}
HandOffOutcome ToOcrAsPdf(const JobOrder& order, const HandOffDesk& desk) {
  return StartOcr(order, desk, OcrValues::kSearchablePdf);
}
// The page as scanned, made compact, with the words the engine read laid over it.
HandOffOutcome ToOcrAsCompactPdf(const JobOrder& order, const HandOffDesk& desk) {
  return StartOcr(order, desk, OcrValues::kWordBoxes);
}

void HandMailServer(const CLibraryBinding& mail, const MailServerOrder& server) {
  CString host = server.server;
  mail.SetMailSMTP(host);
  mail.SetMailSecurity(server.security, server.port);
  // The login goes only with a secured connection; the copies handed over are wiped at once.
  CString user = server.user;
  CString password = server.password;
  mail.SetMailLogin(user, password);
  WipeText(password);
  CString authorize = server.authorizeUrl, token = server.tokenUrl, scope = server.scope;
  CString client = server.clientId, secret = server.clientSecret;
  mail.SetMailOAuth(server.oauthProvider, authorize, token, scope, client, secret);
  WipeText(secret);
}
}  // namespace HandOffs
