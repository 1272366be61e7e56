// Phase times of a scan job for the benchmark.
#include "app/JobTimes.h"

#include <windows.h>
// psapi.h needs windows.h first.
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace JobTimes {
namespace {
LARGE_INTEGER g_start = {};

// The process's handles as the system's handle list counts them: where GetProcessHandleCount
// says nothing (Wine gives 0).
DWORD HandlesInSystemList() {
  struct Entry {
    ULONG ownerPid;
    BYTE objectType, flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  typedef LONG(WINAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
  const auto query =
      reinterpret_cast<QueryFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation"));
  if (!query) return 0;
  const ULONG kSystemHandleInformation = 16;
  std::vector<BYTE> buffer(1 << 20);
  for (int attempt = 0; attempt < 6; ++attempt) {
    ULONG needed = 0;
    const LONG status =
        query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
    if (status == 0) {
      ULONG count = 0;
      std::memcpy(&count, buffer.data(), sizeof(count));
      const Entry* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(void*));
      const size_t fit = (buffer.size() - sizeof(void*)) / sizeof(Entry);
      DWORD ours = 0;
      for (size_t i = 0; i < count && i < fit; ++i)
        ours += entries[i].ownerPid == GetCurrentProcessId() ? 1 : 0;
      return ours;
    }
    buffer.resize(buffer.size() * 2);
  }
  return 0;
}
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
  if (!GetProcessHandleCount(GetCurrentProcess(), &handles) || handles == 0) handles = HandlesInSystemList();
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
