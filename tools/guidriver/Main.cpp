// guidriver: drives and inspects windows for the Wine tests (guidriver COMMAND [SELECTOR] ...,
// or guidriver serve: one command per line on stdin).
#include "tools/guidriver/Args.h"
#include "tools/guidriver/Dispatch.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Serve.h"

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wstring(argv[1]) == L"serve") return Serve();
  CArgs args;
  std::wstring error;
  if (!args.Parse(argc - 1, argv + 1, error)) return Fail(error);
  return RunCommand(args);
}
