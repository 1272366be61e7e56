// What every PDF the writer made must hold, checked by the fuzz targets that write one: the
// cross-reference table after "startxref", whose every entry points at its object.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/fuzz/FuzzInput.h"

inline void CheckCrossReference(const std::string& pdf) {
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
