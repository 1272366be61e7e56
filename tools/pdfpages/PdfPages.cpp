// pdfpages: one PDF from page files through the program's PDF writer, for the tests and the
// benchmark; built for Windows and natively.
//   pdfpages [--dpi N] [--compact | --compact-fine] [--words TSV] OUT PAGE...
// (--words: Tesseract's word boxes of the first page, laid invisibly over it)
// prints "WRITTEN bytes seconds" (the writer's own time), "CPU seconds" (the process's
// processor time so far), or "FAILED status page" and exits 1.
// On Linux it also prints "PEAK_KB n", the process's peak resident size (VmHWM: unlike the
// resource usage's maximum, it does not carry the parent's size over from before the exec).
#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/output/TesseractTsv.h"
#include "app/output/imaging/PdfFromPages.h"

int main(int argc, char** argv) {
  int dpi = 0, first = 1;
  PdfPageStyle style;
  std::vector<PageText> texts(1);
  for (; first < argc && std::strncmp(argv[first], "--", 2) == 0; ++first) {
    if (std::strcmp(argv[first], "--dpi") == 0 && first + 1 < argc) {
      dpi = std::atoi(argv[++first]);
    } else if (std::strcmp(argv[first], "--compact") == 0) {
      style.compact = true;
    } else if (std::strcmp(argv[first], "--compact-fine") == 0) {
      style.compact = true;
      style.quality = CompactQuality::kFine;
    } else if (std::strcmp(argv[first], "--words") == 0 && first + 1 < argc) {
      if (!TesseractTsv::ReadFile(argv[++first], texts[0])) {
        std::fprintf(stderr, "pdfpages: cannot read %s\n", argv[first]);
        return 2;
      }
      style.texts = &texts;
    } else {
      break;
    }
  }
  if (argc - first < 2) {
    std::fprintf(stderr,
                 "usage: pdfpages [--dpi N] [--compact | --compact-fine] [--words TSV] OUT PAGE...\n");
    return 2;
  }
  const std::vector<std::string> pages(argv + first + 1, argv + argc);
  const auto start = std::chrono::steady_clock::now();
  const PdfFromPagesResult result = WritePdfFromPages(argv[first], pages, dpi, LocalTime(), style);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  if (result.status != PdfFromPagesResult::kOk) {
    std::printf("FAILED %d %zu\n", static_cast<int>(result.status), result.page);
    return 1;
  }
  FILE* written = std::fopen(argv[first], "rb");
  long bytes = -1;
  if (written && std::fseek(written, 0, SEEK_END) == 0) bytes = std::ftell(written);
  if (written) std::fclose(written);
  std::printf("WRITTEN %ld %.6f\n", bytes, seconds.count());
#ifdef _WIN32
  FILETIME created, ended, kernel, user;
  if (GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) {
    const auto ticks = [](const FILETIME& t) {
      return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    };
    std::printf("CPU %.6f\n", static_cast<double>(ticks(kernel) + ticks(user)) / 1e7);
  }
#else
  std::printf("CPU %.6f\n", static_cast<double>(std::clock()) / CLOCKS_PER_SEC);
#endif
#ifdef __linux__
  if (FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    long peak = -1;
    while (std::fgets(line, sizeof(line), status))
      if (std::sscanf(line, "VmHWM: %ld", &peak) == 1) break;
    std::fclose(status);
    std::printf("PEAK_KB %ld\n", peak);
  }
#endif
  return 0;
}
