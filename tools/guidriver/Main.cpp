// guidriver: drives and inspects windows for the Wine tests (guidriver COMMAND [SELECTOR] ...).
#include "tools/guidriver/Args.h"
#include "tools/guidriver/Dispatch.h"
#include "tools/guidriver/Output.h"

int wmain(int argc, wchar_t** argv) {
  CArgs args;
  std::wstring error;
  if (!args.Parse(argc - 1, argv + 1, error)) return Fail(error);
  return RunCommand(args);
}
