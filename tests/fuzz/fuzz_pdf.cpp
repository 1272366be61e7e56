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

// The table after "startxref": every object's offset starts "N 0 obj".
void CheckCrossReference(const std::string& pdf) {
  const size_t mark = pdf.rfind("startxref\n");
  FUZZ_CHECK(mark != std::string::npos);
  const size_t table = std::strtoull(pdf.c_str() + mark + 10, nullptr, 10);
  FUZZ_CHECK(table < pdf.size() && pdf.compare(table, 7, "xref\n0 ") == 0);
  char* end = nullptr;
  const unsigned long objects = std::strtoul(pdf.c_str() + table + 7, &end, 10);
  FUZZ_CHECK(objects > 1 && *end == '\n');
  const size_t entries = static_cast<size_t>(end - pdf.c_str()) + 1;
  FUZZ_CHECK(entries + objects * 20 <= mark);
  for (unsigned long number = 1; number < objects; ++number) {
    const char* entry = pdf.c_str() + entries + number * 20;
    const size_t offset = std::strtoull(entry, nullptr, 10);
    const std::string start = std::to_string(number) + " 0 obj\n";
    FUZZ_CHECK(std::memcmp(entry + 10, " 00000 n\r\n", 10) == 0);
    FUZZ_CHECK(offset < table && pdf.compare(offset, start.size(), start) == 0);
  }
}

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
