// CJobPrintView: printing the first page of a text file in the printer's current font.
#include <cstring>

#include "app/output/JobPrintView.h"
#include "app/output/PrintRules.h"

namespace {
const int kLineText = 256;  // 255 characters and the terminator
const int kLeft = 10;
}  // namespace

void CJobPrintView::PrintText(HDC dc, CPrintInfo* info) {
  TEXTMETRICA metrics = {};
  GetTextMetricsA(dc, &metrics);
  const int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  const int linesPerPage = PrintRules::LinesPerPage(GetDeviceCaps(dc, VERTRES), lineHeight);

  if (!m_textContinues) {
    m_textFile.reset(fopen(m_job->imagePath.c_str(), "rt"));
    if (!m_textFile) {
      // Nothing to print: the job stops without a message, and without a blank sheet.
      info->m_bContinuePrinting = false;
      info->m_bAbortJob = true;
      return;
    }
  }
  if (!m_textFile) return;

  char line[kLineText];
  int index = 0;
  while (fgets(line, sizeof(line), m_textFile.get())) {
    const size_t length = PrintRules::PrintableLength(line, strlen(line));
    TabbedTextOutA(dc, kLeft, index * lineHeight, line, static_cast<int>(length), 0, nullptr, 0);
    ++index;
    if (index > linesPerPage - 1) {
      m_textContinues = true;
      break;
    }
    m_textContinues = false;
  }
  if (!m_textContinues) m_textFile.reset();
}
