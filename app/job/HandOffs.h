// The hand-offs of a filed page, one per destination, named by the destination table.
#pragma once

#include "app/job/Destinations.h"

namespace HandOffs {
void MakeEditorKnown(CScanJob& job);
HandOffOutcome ToEditor(CScanJob& job);
HandOffOutcome ToCopier(CScanJob& job);
HandOffOutcome ToFax(CScanJob& job);
HandOffOutcome ToMail(CScanJob& job);
HandOffOutcome GatherForPdf(CScanJob& job);
HandOffOutcome MailAsPdf(CScanJob& job);  // the batch hand-off of the gathered pages
HandOffOutcome ToOcr(CScanJob& job);
HandOffOutcome ToOcrAsPdf(CScanJob& job);
}  // namespace HandOffs
