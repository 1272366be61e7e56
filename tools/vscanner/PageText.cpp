// page_text: prints the text lines of the virtual scanner's page (page 1 of 1), one a line,
// for the OCR tests and benchmark to compare recognised text against.
#include <cstdio>

#include "tools/vscanner/PageModel.h"

int main() {
  ScanWindow window;
  window.width = 1;
  window.height = 1;
  const CPageModel model(DocumentPlacement{}, window);
  for (const std::string& line : model.Lines()) std::printf("%s\n", line.c_str());
  return 0;
}
