// scanhost: a stand-in for the front panel towards Capturo, for tests and the benchmark.
// It binds the library beside it, calls DcAppInitProc, routes its queue through
// DcAppProcessMsgProc, fills an AcquireRequest from its arguments, handles the three
// messages, moves each page file away and prints one line per event on stdout.
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "scan/AcquireApi.h"

namespace {
struct Bindings {
  DcAppInitProcFn init;
  DcAppSelectDSProcFn select;
  DcAppAcqProcFn acquire;
  DcAppProcessMsgProcFn process;
  DcAppTerminateDSFn terminate;
  TWAppGetDSInfoFn info;
  TWEndXferFn endXfer;
} g_lib;

struct Options {
  AcquireRequest request{};
  int cancelAt = -1;
  bool secondAcquire = false, reinit = false, endXferFirst = false, info = false, select = false;
  bool acquire = true, quietProgress = false, bench = false, terminateTwice = false;
  bool fakeDisk = false, processFirst = false, cancelDialogs = false;
  DWORD fakeClusters = 0, fakeSectors = 1, fakeBytes = 1;
  int timeoutMs = 60000;
  ULONGLONG benchBytes = 0;  // size of the page, for the plain write before it
  std::string outDir;
} g_opt;

HWND g_panel = nullptr, g_other = nullptr;
bool g_done = false;
int g_pages = 0;

// Benchmark figures.
LARGE_INTEGER g_callStart, g_pageStart, g_pageEnd, g_frequency;
SIZE_T g_callWorkingSet = 0, g_idleWorkingSet = 0, g_peakWorkingSet = 0;
bool g_pageTimed = false;

void Say(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);
}

SIZE_T WorkingSet(bool peak = false) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
  return peak ? counters.PeakWorkingSetSize : counters.WorkingSetSize;
}

// Under Wine the process is a Linux process: its peak resident size can be reset, so that the
// peak working set afterwards is the peak of the page alone.
bool ResetPeakWorkingSet() {
  HANDLE file = CreateFileA("Z:\\proc\\self\\clear_refs", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const BOOL ok = WriteFile(file, "5", 1, &written, nullptr);
  CloseHandle(file);
  return ok && written == 1;
}

std::string Escape(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p == '\n')
      out += "\\n";
    else
      out += *p;
  }
  return out;
}

// Stands in for the disk's free-space report inside Capturo.
BOOL WINAPI FakeDiskFreeSpace(LPCSTR root, LPDWORD sectors, LPDWORD bytes, LPDWORD freeClusters,
                              LPDWORD clusters) {
  Say("DISKQUERY root=%s", root ? root : "(null)");
  *sectors = g_opt.fakeSectors;
  *bytes = g_opt.fakeBytes;
  *freeClusters = g_opt.fakeClusters;
  *clusters = g_opt.fakeClusters;
  return TRUE;
}

bool PatchImport(HMODULE module, const char* dll, const char* name, void* replacement) {
  BYTE* base = reinterpret_cast<BYTE*>(module);
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name; ++imp) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + imp->Name), dll) != 0) continue;
    auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
    auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
        base + (imp->OriginalFirstThunk ? imp->OriginalFirstThunk : imp->FirstThunk));
    for (; names->u1.AddressOfData; ++names, ++thunk) {
      if (names->u1.Ordinal & IMAGE_ORDINAL_FLAG) continue;
      auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (std::strcmp(reinterpret_cast<char*>(byName->Name), name) != 0) continue;
      DWORD old = 0;
      VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), PAGE_READWRITE, &old);
      thunk->u1.Function = reinterpret_cast<DWORD_PTR>(replacement);
      VirtualProtect(&thunk->u1.Function, sizeof(thunk->u1.Function), old, &old);
      return true;
    }
  }
  return false;
}

// Message boxes of the library: reported and confirmed (the source's own dialog is left).
BOOL CALLBACK ConfirmBox(HWND window, LPARAM) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  char caption[256] = {}, body[512] = {};
  GetWindowTextA(window, caption, sizeof(caption));
  if (std::strcmp(className, "#32770") != 0 || !IsWindowVisible(window) ||
      std::strcmp(caption, "Orvane Virtual Scanner") == 0) {
    return TRUE;
  }
  // The box's text: its longest static text.
  for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    char childClass[16] = {}, text[512] = {};
    GetClassNameA(child, childClass, sizeof(childClass));
    GetWindowTextA(child, text, sizeof(text));
    if (lstrcmpiA(childClass, "Static") == 0 && std::strlen(text) > std::strlen(body))
      std::strcpy(body, text);
  }
  Say("BOX %s|%s", caption, body);
  PostMessageA(window, WM_COMMAND, g_opt.cancelDialogs ? IDCANCEL : IDOK, 0);
  return TRUE;
}

void CALLBACK BoxTimer(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), ConfirmBox, 0);
}

void FilePage(const AcquireResult& result) {
  ++g_pages;
  if (result.filePath[0]) {
    const char* ext = result.mechanism == 2 ? "bmp" : result.fileFormat == 2 ? "bmp" : "tif";
    const std::string target = g_opt.outDir + "page" + std::to_string(g_pages) + "." + ext;
    if (MoveFileExA(result.filePath, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
      Say("MOVED %s", target.c_str());
    else
      Say("MOVEFAILED %lu", GetLastError());
  }
  if (result.nativeHandle) {
    HGLOBAL dib = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(result.nativeHandle));
    const SIZE_T size = GlobalSize(dib);
    const BYTE* bits = static_cast<const BYTE*>(GlobalLock(dib));
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(bits);
    const DWORD colours =
        header->biBitCount <= 8 ? (header->biClrUsed ? header->biClrUsed : 1u << header->biBitCount) : 0;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfSize = static_cast<DWORD>(sizeof(file) + size);
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + header->biSize + 4 * colours);
    const std::string target = g_opt.outDir + "page" + std::to_string(g_pages) + ".bmp";
    HANDLE out =
        CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(out, &file, sizeof(file), &written, nullptr);
    WriteFile(out, bits, static_cast<DWORD>(size), &written, nullptr);
    CloseHandle(out);
    GlobalUnlock(dib);
    GlobalFree(dib);
    Say("NATIVE bytes=%lu saved=%s", static_cast<unsigned long>(size), target.c_str());
  }
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ACQ_RESULT) {
    QueryPerformanceCounter(&g_pageEnd);
    const SIZE_T ws = WorkingSet();
    if (ws > g_peakWorkingSet) g_peakWorkingSet = ws;
    g_done = true;
    if (!lParam) {
      Say("RESULT none");
      return 1;
    }
    const AcquireResult& r = *reinterpret_cast<const AcquireResult*>(lParam);
    Say("RESULT mech=%u format=%lu handle=%s path=%s dest=%u more=%lu", r.mechanism,
        static_cast<unsigned long>(r.fileFormat), r.nativeHandle ? "yes" : "no", r.filePath, r.destinationId,
        static_cast<unsigned long>(r.morePending));
    FilePage(r);
    return 1;
  }
  if (message == WM_ACQ_PROGRESS) {
    if (wParam == 0 && !g_pageTimed) {
      g_pageTimed = true;
      g_pageStart = g_callStart;
      g_idleWorkingSet = g_callWorkingSet;
    }
    // Sampling costs a trip to the kernel: only now and then inside the timed page.
    if (g_opt.bench && (wParam & 63) == 0) {
      const SIZE_T ws = WorkingSet();
      if (ws > g_peakWorkingSet) g_peakWorkingSet = ws;
    }
    if (!g_opt.quietProgress || wParam == 0)
      Say("PROGRESS w=%u l=%ld", static_cast<unsigned>(wParam), static_cast<long>(lParam));
    if (g_opt.cancelAt >= 0 && static_cast<int>(wParam) == g_opt.cancelAt)
      Say("CANCEL rc=%u", g_lib.endXfer());
    if (g_opt.secondAcquire && wParam == 1) {
      // A second start while the first acquisition's page comes in.
      AcquireRequest again = g_opt.request;
      Say("ACQ2 rc=%d", g_lib.acquire(&again));
    }
    return 1;
  }
  if (message == WM_ACQ_CLOSED) {
    Say("CLOSED hwnd=0x%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)));
    g_done = true;
    return 0;
  }
  if (message == WM_TIMER && wParam == 99) {
    Say("TIMEOUT");
    g_done = true;
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

bool Bind(HMODULE library) {
  struct Name {
    const char* name;
    void** slot;
  } names[] = {
      {"DcAppInitProc", reinterpret_cast<void**>(&g_lib.init)},
      {"DcAppSelectDSProc", reinterpret_cast<void**>(&g_lib.select)},
      {"DcAppAcqProc", reinterpret_cast<void**>(&g_lib.acquire)},
      {"DcAppProcessMsgProc", reinterpret_cast<void**>(&g_lib.process)},
      {"DcAppTerminateDS", reinterpret_cast<void**>(&g_lib.terminate)},
      {"TWAppGetDSInfo", reinterpret_cast<void**>(&g_lib.info)},
      {"TWEndXfer", reinterpret_cast<void**>(&g_lib.endXfer)},
  };
  for (const Name& n : names) {
    *n.slot = reinterpret_cast<void*>(GetProcAddress(library, n.name));
    if (!*n.slot) {
      Say("BIND missing %s", n.name);
      return false;
    }
  }
  return true;
}

void ParseFrame(const char* text) {
  float v[4] = {0, 0, 8.5f, 11.0f};
  std::sscanf(text, "%f,%f,%f,%f", &v[0], &v[1], &v[2], &v[3]);
  g_opt.request.frameLeft = v[0];
  g_opt.request.frameTop = v[1];
  g_opt.request.frameRight = v[2];
  g_opt.request.frameBottom = v[3];
}

void ParseArguments(int argc, char** argv) {
  AcquireRequest& r = g_opt.request;
  r.pixelType = 2;
  r.resolution = 100;
  r.destinationId = 1005;
  ParseFrame("0,0,8.5,11");
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : "0";
    auto value = [&]() {
      ++i;
      return std::atoi(next);
    };
    if (a == "--pixel")
      r.pixelType = static_cast<uint16_t>(value());
    else if (a == "--res")
      r.resolution = static_cast<uint16_t>(value());
    else if (a == "--size")
      r.sizeCode = static_cast<uint16_t>(value());
    else if (a == "--units")
      r.units = static_cast<uint16_t>(value());
    else if (a == "--brightness")
      r.brightness = value();
    else if (a == "--contrast")
      r.contrast = value();
    else if (a == "--dest")
      r.destinationId = static_cast<uint16_t>(value());
    else if (a == "--showui")
      r.showUI = value();
    else if (a == "--frame") {
      ParseFrame(next);
      ++i;
    } else if (a == "--cancel-at")
      g_opt.cancelAt = value();
    else if (a == "--second-acq")
      g_opt.secondAcquire = true;
    else if (a == "--reinit")
      g_opt.reinit = true;
    else if (a == "--endxfer-first")
      g_opt.endXferFirst = true;
    else if (a == "--info")
      g_opt.info = true;
    else if (a == "--select")
      g_opt.select = true;
    else if (a == "--no-acquire")
      g_opt.acquire = false;
    else if (a == "--process-first")
      g_opt.processFirst = true;
    else if (a == "--cancel-dialogs")
      g_opt.cancelDialogs = true;
    else if (a == "--quiet-progress")
      g_opt.quietProgress = true;
    else if (a == "--bench") {
      g_opt.bench = true;
      g_opt.quietProgress = true;
      g_opt.benchBytes = std::strtoull(next, nullptr, 10);
      ++i;
    } else if (a == "--terminate-twice")
      g_opt.terminateTwice = true;
    else if (a == "--timeout")
      g_opt.timeoutMs = value() * 1000;
    else if (a == "--out") {
      g_opt.outDir = next;
      ++i;
    } else if (a == "--free") {
      // clusters,sectors,bytes as the disk would report them
      g_opt.fakeDisk = true;
      unsigned long c = 0, s = 1, b = 1;
      std::sscanf(next, "%lu,%lu,%lu", &c, &s, &b);
      g_opt.fakeClusters = c;
      g_opt.fakeSectors = s;
      g_opt.fakeBytes = b;
      ++i;
    }
  }
}

// The same number of bytes with one plain sequential write loop, beside the page file:
// the seconds of the loop, and of the loop and the writing back to the disk.
struct PlainWrite {
  double loop = 0, toDisk = 0;
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  return static_cast<double>(to.QuadPart - from.QuadPart) / g_frequency.QuadPart;
}

PlainWrite PlainWriteSeconds(const std::string& directory, ULONGLONG bytes) {
  const std::string path = directory + "plainwrite.tmp";
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD chunk = 1 << 20;
  char* buffer = static_cast<char*>(std::calloc(chunk, 1));
  LARGE_INTEGER start, end, flushed;
  QueryPerformanceCounter(&start);
  for (ULONGLONG done = 0; done < bytes;) {
    const DWORD size = static_cast<DWORD>(bytes - done < chunk ? bytes - done : chunk);
    DWORD written = 0;
    if (!WriteFile(file, buffer, size, &written, nullptr) || written == 0) break;
    done += written;
  }
  QueryPerformanceCounter(&end);
  FlushFileBuffers(file);
  QueryPerformanceCounter(&flushed);
  CloseHandle(file);
  std::free(buffer);
  DeleteFileA(path.c_str());
  return {Seconds(start, end), Seconds(start, flushed)};
}

// Seconds to write the file at `path` back to the disk.
double FlushSeconds(const std::string& path) {
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  FlushFileBuffers(file);
  CloseHandle(file);
  QueryPerformanceCounter(&end);
  return Seconds(start, end);
}
}  // namespace

int main(int argc, char** argv) {
  QueryPerformanceFrequency(&g_frequency);
  ParseArguments(argc, argv);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string directory(self);
  directory = directory.substr(0, directory.rfind('\\') + 1);
  if (g_opt.outDir.empty()) {
    g_opt.outDir = directory + "out\\";
    CreateDirectoryA(g_opt.outDir.c_str(), nullptr);
  }
  HMODULE library = LoadLibraryA((directory + "Capturo.dll").c_str());
  if (!library) {
    Say("LOAD failed %lu", GetLastError());
    return 3;
  }
  if (!Bind(library)) return 3;
  if (g_opt.fakeDisk && !PatchImport(library, "kernel32.dll", "GetDiskFreeSpaceA",
                                     reinterpret_cast<void*>(&FakeDiskFreeSpace))) {
    Say("PATCH failed");
    return 4;
  }

  WNDCLASSA wc{};
  wc.lpfnWndProc = PanelProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ScanHostPanel";
  RegisterClassA(&wc);
  g_panel = CreateWindowA("ScanHostPanel", "scanhost panel", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                          nullptr, wc.hInstance, nullptr);
  g_other = CreateWindowA("ScanHostPanel", "scanhost other", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                          nullptr, wc.hInstance, nullptr);
  Say("PANEL hwnd=0x%lx other=0x%lx", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_panel)),
      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(g_other)));
  SetTimer(nullptr, 0, 100, BoxTimer);
  g_lib.init(g_panel);

  if (g_opt.processFirst) {
    MSG probe{};
    probe.hwnd = g_panel;
    probe.message = WM_USER + 5;
    Say("PROCESS rc=%d", g_lib.process(&probe, g_panel));
  }
  if (g_opt.endXferFirst) Say("ENDXFER rc=%u", g_lib.endXfer());
  if (g_opt.info) Say("INFO %s", Escape(g_lib.info()).c_str());
  if (g_opt.select) Say("SELECT rc=%u", g_lib.select());
  // The plain write of the benchmark runs before and after the page, so that neither one
  // alone pays for the disk's writing back of the other.
  PlainWrite plainBefore;
  if (g_opt.bench) plainBefore = PlainWriteSeconds(directory, g_opt.benchBytes);
  const bool peakReset = g_opt.bench && ResetPeakWorkingSet();
  int started = 0;
  if (g_opt.acquire) {
    AcquireRequest request = g_opt.request;
    started = g_lib.acquire(&request);
    Say("ACQ rc=%d sizeCode=%u", started, request.sizeCode);
  }
  if (started && g_opt.reinit) {
    g_lib.init(g_other);
    Say("REINIT");
  }
  if (started) {
    SetTimer(g_panel, 99, static_cast<UINT>(g_opt.timeoutMs), nullptr);
    MSG msg;
    while (!g_done && GetMessageA(&msg, nullptr, 0, 0) > 0) {
      if (g_opt.bench) g_callWorkingSet = WorkingSet();
      QueryPerformanceCounter(&g_callStart);
      if (!g_lib.process(&msg, g_panel)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
    }
  }
  Say("PAGES %d", g_pages);
  if (g_opt.bench && g_pageTimed) {
    const double transfer = Seconds(g_pageStart, g_pageEnd);
    if (peakReset && WorkingSet(true) > g_peakWorkingSet) g_peakWorkingSet = WorkingSet(true);
    Say("PEAK %s", peakReset ? "reset" : "sampled");
    // The bytes the library wrote: the moved page file's size.
    const std::string page = g_opt.outDir + "page1.bmp";
    WIN32_FILE_ATTRIBUTE_DATA data{};
    GetFileAttributesExA(page.c_str(), GetFileExInfoStandard, &data);
    const ULONGLONG bytes = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    const double flush = FlushSeconds(page);
    DeleteFileA(page.c_str());
    const PlainWrite plainAfter = PlainWriteSeconds(directory, bytes);
    Say("BENCH bytes=%llu transfer=%.3f flush=%.3f plain_before=%.3f plain_before_disk=%.3f plain_after=%.3f "
        "plain_after_disk=%.3f idle_ws=%lu peak_ws=%lu",
        bytes, transfer, flush, plainBefore.loop, plainBefore.toDisk, plainAfter.loop, plainAfter.toDisk,
        static_cast<unsigned long>(g_idleWorkingSet), static_cast<unsigned long>(g_peakWorkingSet));
  }
  g_lib.terminate();
  if (g_opt.terminateTwice) g_lib.terminate();
  if (g_opt.info && g_opt.acquire) Say("INFO %s", Escape(g_lib.info()).c_str());
  Say("END");
  return 0;
}
