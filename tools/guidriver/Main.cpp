// guidriver: drives and inspects windows for the Wine tests (guidriver COMMAND [SELECTOR] ...).
#include "tools/guidriver/Args.h"
#include "tools/guidriver/Commands.h"
#include "tools/guidriver/Output.h"

namespace {

struct SCommand {
  const wchar_t* name;
  int (*run)(const CArgs&);
};

const SCommand kCommands[] = {
    {L"list", CmdList},   {L"wait", CmdWait},   {L"texts", CmdTexts}, {L"press", CmdPress},
    {L"move", CmdMove},   {L"click", CmdClick}, {L"down", CmdDown},   {L"up", CmdUp},
    {L"keys", CmdKeys},   {L"shot", CmdShot},   {L"pixel", CmdPixel}, {L"menu", CmdMenu},
    {L"close", CmdClose}, {L"send", CmdSend},   {L"post", CmdPost},   {L"foreground", CmdForeground},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CArgs args;
  std::wstring error;
  if (!args.Parse(argc - 1, argv + 1, error)) return Fail(error);
  for (const SCommand& command : kCommands)
    if (args.Command() == command.name) return command.run(args);
  return Fail(L"unknown command " + args.Command());
}
