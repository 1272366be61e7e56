// Fuzz target: a page file of a job made into a PDF, as the Mail hand-off does it, with the
// pages as filed and made compact (the page read again for each pass). The input is the page
// file (a JPEG or a bitmap file, or anything else), put into a file of its own and given
// twice, as a two-page batch. Properties: a page refused leaves no PDF behind; a PDF
// written has its header, two pages, a cross-reference table whose every entry points at its
// object and a trailer that points at the table; a JPEG page is carried byte for byte.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/output/imaging/PdfFromPages.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/PdfChecks.h"

namespace {

std::string WorkPath(const char* suffix) {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder && *folder ? folder : "/tmp") + "/orvane-fuzz-pdf-" + std::to_string(getpid()) +
         suffix;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

void CheckPdf(const std::string& page, const std::string& output, const uint8_t* data, size_t size,
              bool compact) {
  LocalTime created;
  created.year = 2024;
  created.month = created.day = 1;
  PdfPageStyle style;
  style.compact = compact;
  const PdfFromPagesResult result = WritePdfFromPages(output, {page, page}, 300, created, style);
  if (result.status != PdfFromPagesResult::kOk) {
    FUZZ_CHECK(!FileExists(output));
    return;
  }
  const std::string pdf = ReadWhole(output);
  FUZZ_CHECK(pdf.compare(0, 9, "%PDF-1.4\n") == 0);
  FUZZ_CHECK(pdf.size() >= 6 && pdf.compare(pdf.size() - 6, 6, "%%EOF\n") == 0);
  FUZZ_CHECK(pdf.find("/Count 2 >>") != std::string::npos);
  CheckCrossReference(pdf);
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
    const char* bytes = reinterpret_cast<const char*>(data);
    FUZZ_CHECK(std::search(pdf.begin(), pdf.end(), bytes, bytes + size) != pdf.end());
  }
  std::remove(output.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page = WorkPath(".page"), output = WorkPath(".pdf");
  {
    std::ofstream out(page, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  for (const bool compact : {false, true}) CheckPdf(page, output, data, size, compact);
  std::remove(page.c_str());
  return 0;
}
