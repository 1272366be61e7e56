// The hand-offs of a filed page, one per destination, named by the destination table; and the
// mail server handed to the mail library (for a send, or the Mail page's Test).
#pragma once

#include "app/output/JobOrder.h"

class CLibraryBinding;

namespace HandOffs {
void MakeEditorKnown(const CProgramContext& program);
HandOffOutcome ToEditor(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome ToCopier(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome ToFax(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome ToMail(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome GatherForPdf(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome MailAsPdf(const JobOrder& order, const HandOffDesk& desk);         // the batch hand-off
HandOffOutcome MailAsCompactPdf(const JobOrder& order, const HandOffDesk& desk);  // likewise
HandOffOutcome ToOcr(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome ToOcrAsPdf(const JobOrder& order, const HandOffDesk& desk);
HandOffOutcome ToOcrAsCompactPdf(const JobOrder& order, const HandOffDesk& desk);

// The server, its security and port and the login, for the mail library's next send or test.
void HandMailServer(const CLibraryBinding& mail, const MailServerOrder& server);
}  // namespace HandOffs
