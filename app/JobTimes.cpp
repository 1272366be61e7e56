// Phase times of a scan job for the benchmark.
#include "app/JobTimes.h"

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <cstdio>

namespace JobTimes {
namespace {
LARGE_INTEGER g_start = {};
char g_path[MAX_PATH] = {};
bool g_enabled = false;
}  // namespace

void Start() {
  const DWORD length = GetEnvironmentVariableA("ORVANE_JOB_TIMES", g_path, sizeof(g_path));
  g_enabled = length > 0 && length < sizeof(g_path);
  if (g_enabled) QueryPerformanceCounter(&g_start);
}

void Mark(const char* phase) {
  if (!g_enabled) return;
  LARGE_INTEGER now = {}, frequency = {};
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  const double seconds =
      static_cast<double>(now.QuadPart - g_start.QuadPart) / static_cast<double>(frequency.QuadPart);
  PROCESS_MEMORY_COUNTERS memory = {};
  memory.cb = sizeof(memory);
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  DWORD handles = 0;
  GetProcessHandleCount(GetCurrentProcess(), &handles);
  const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  FILE* file = std::fopen(g_path, "a");
  if (!file) return;
  std::fprintf(file, "%s %.6f ws=%lu peak=%lu handles=%lu gdi=%lu user=%lu\n", phase, seconds,
               static_cast<unsigned long>(memory.WorkingSetSize / 1024),
               static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024),
               static_cast<unsigned long>(handles), static_cast<unsigned long>(gdi),
               static_cast<unsigned long>(user));
  std::fclose(file);
}
}  // namespace JobTimes
