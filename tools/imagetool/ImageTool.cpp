// imagetool: the imaging component from the command line, one line of output per fact.
//   info PATH                     IMAGE 1|0
//   load PATH                     LOADED width height bits xdpi ydpi
//   save SRC DST FORMAT QUALITY   SAVED (load SRC, save to DST, which may be SRC; as the scan job
//                                 does, with a bitmap file's rows read band by band while saving;
//                                 with --whole, read in whole first)
//   convert SRC OUT               CONVERTED bits, OUT a bitmap file of the 24-bit image
//   packed SRC OUT                PACKED bytes, OUT the packed bitmap block as it is
//   detect SRC [ROUNDS]           AREA x1 y1 x2 y2 per area, DETECT_MS per round
// With --stats, save also prints TIME (seconds) and MEMORY (bytes: working set before the
// load and the peak during load and save).
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/AutoDetect.h"
#include "app/output/imaging/ScanImage.h"
#include "framework/Handles.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency;
  if (!frequency.QuadPart) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

SIZE_T WorkingSet(bool peak) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

// Under Wine the peak resident size can be reset, so that the peak is the operation's own.
void ResetPeak() {
  HANDLE file = CreateFileA("Z:\\proc\\self\\clear_refs", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, "5", 1, &written, nullptr);
  CloseHandle(file);
}

bool WriteBlock(const char* path, const void* prefix, DWORD prefixBytes, const void* data, DWORD bytes) {
  CFileHandle file(
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!file) return false;
  if (prefixBytes &&
      (!WriteFile(file.Get(), prefix, prefixBytes, &written, nullptr) || written != prefixBytes))
    return false;
  return WriteFile(file.Get(), data, bytes, &written, nullptr) && written == bytes;
}

// The packed bitmap to a file: as a bitmap file (with a file header) or as it is.
bool WritePacked(CScanImage& image, const char* path, bool asBitmapFile, DWORD& bytes) {
  HGLOBAL packed = image.PackedBitmap();
  CGlobalLock lock(packed);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Get());
  if (!header) return false;
  bytes = static_cast<DWORD>(GlobalSize(packed));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfSize = sizeof(file) + bytes;
  file.bfOffBits = sizeof(file) + header->biSize + header->biClrUsed * 4;
  return WriteBlock(path, &file, asBitmapFile ? sizeof(file) : 0, header, bytes);
}

int Load(CScanImage& image, const char* path, CScanImage::Rows rows = CScanImage::Rows::kRead) {
  if (image.Load(path, rows)) return 0;
  std::printf("LOAD FAILED\n");
  return 1;
}

int Detect(const char* path, int rounds) {
  CScanImage image;
  if (Load(image, path) || !image.ConvertTo24Bits()) return 1;
  HGLOBAL packed = image.PackedBitmap();
  CGlobalLock lock(packed);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(lock.Get());
  const auto* rows = reinterpret_cast<const uint8_t*>(header) + header->biSize;
  const size_t size = GlobalSize(packed) - header->biSize;
  int counter = 0;
  std::vector<std::unique_ptr<CRectObj>> areas;
  double total = 0;
  for (int round = 0; round < rounds; ++round) {
    areas.clear();
    const double start = Now();
    const DetectOutcome outcome = DetectDocumentAreas(rows, size, static_cast<uint16_t>(image.Width()),
                                                      static_cast<uint16_t>(image.Height()), counter, areas);
    total += Now() - start;
    if (outcome != DetectOutcome::kDone) {
      std::printf("DETECT FAILED %d\n", static_cast<int>(outcome));
      return 1;
    }
  }
  for (const auto& a : areas) std::printf("AREA %d %d %d %d\n", a->x1, a->y1, a->x2, a->y2);
  std::printf("DETECT_MS %.4f\n", total * 1000 / rounds);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  bool stats = false, whole = false;
  std::vector<const char*> args;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--stats") == 0) {
      stats = true;
    } else if (std::strcmp(argv[i], "--whole") == 0) {
      whole = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: imagetool info|load|save|convert|packed|detect PATH ...\n");
    return 2;
  }
  const CScanImage::CSession imaging;
  if (!imaging.Started()) {
    std::printf("GDIPLUS FAILED\n");
    return 1;
  }
  const char* command = args[0];
  const char* path = args[1];
  int result = 2;
  CScanImage image;
  if (std::strcmp(command, "info") == 0) {
    const bool is = CScanImage::IsImageFile(path);
    std::printf("IMAGE %d\n", is ? 1 : 0);
    result = is ? 0 : 1;
  } else if (std::strcmp(command, "load") == 0) {
    result = Load(image, path);
    if (!result)
      std::printf("LOADED %d %d %d %d %d\n", image.Width(), image.Height(), image.BitsPerPixel(),
                  image.XResolution(), image.YResolution());
  } else if (std::strcmp(command, "save") == 0 && args.size() >= 5) {
    ResetPeak();
    const SIZE_T idle = WorkingSet(false);
    const double start = Now();
    result = Load(image, path, whole ? CScanImage::Rows::kRead : CScanImage::Rows::kLeaveInFile);
    const double loaded = Now();
    if (!result) {
      const bool saved = image.Save(args[2], std::atoi(args[3]), image.BitsPerPixel(), std::atoi(args[4]));
      const double done = Now();
      std::printf(saved ? "SAVED\n" : "SAVE FAILED\n");
      if (stats) {
        std::printf("TIME load=%.4f save=%.4f\n", loaded - start, done - loaded);
        std::printf("MEMORY idle=%lu peak=%lu\n", static_cast<unsigned long>(idle),
                    static_cast<unsigned long>(WorkingSet(true)));
      }
      result = saved ? 0 : 1;
    }
  } else if ((std::strcmp(command, "convert") == 0 || std::strcmp(command, "packed") == 0) &&
             args.size() >= 3) {
    const bool convert = command[0] == 'c';
    result = Load(image, path);
    DWORD bytes = 0;
    if (!result && convert && !image.ConvertTo24Bits()) {
      std::printf("CONVERT FAILED\n");
      result = 1;
    } else if (!result && !WritePacked(image, args[2], convert, bytes)) {
      std::printf("WRITE FAILED\n");
      result = 1;
    } else if (!result) {
      if (convert) {
        std::printf("CONVERTED %d\n", image.BitsPerPixel());
      } else {
        std::printf("PACKED %lu\n", static_cast<unsigned long>(bytes));
      }
    }
  } else if (std::strcmp(command, "detect") == 0) {
    result = Detect(path, args.size() >= 3 ? std::atoi(args[2]) : 1);
  }
  image.Release();
  return result;
}
