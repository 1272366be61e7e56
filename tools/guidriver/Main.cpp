// guidriver: drives and inspects windows for the Wine tests (guidriver COMMAND [SELECTOR] ...,
// or guidriver serve: one command per line on stdin).
#include <windows.h>

#include "tools/guidriver/Args.h"
#include "tools/guidriver/Dispatch.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Serve.h"

int wmain(int argc, wchar_t** argv) {
  // Coordinates, rectangles and screenshots in real pixels at any display scale: on Windows a
  // driver unaware of the scale sees a scaled program's windows in shrunk coordinates (Wine 8
  // does not, with or without this call).
  // (Looked up: the build's headers predate the call.)
  using AwareFn = BOOL(WINAPI*)();
  const auto aware = reinterpret_cast<AwareFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")));
  if (aware) aware();
  if (argc == 2 && std::wstring(argv[1]) == L"serve") return Serve();
  CArgs args;
  std::wstring error;
  if (!args.Parse(argc - 1, argv + 1, error)) return Fail(error);
  return RunCommand(args);
}
