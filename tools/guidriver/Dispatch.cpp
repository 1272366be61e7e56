// The driver's command table.
#include "tools/guidriver/Dispatch.h"

#include "tools/guidriver/Commands.h"
#include "tools/guidriver/Output.h"

namespace {

struct SCommand {
  const wchar_t* name;
  int (*run)(const CArgs&);
};

const SCommand kCommands[] = {
    {L"list", CmdList},     {L"wait", CmdWait},   {L"texts", CmdTexts}, {L"press", CmdPress},
    {L"move", CmdMove},     {L"click", CmdClick}, {L"down", CmdDown},   {L"up", CmdUp},
    {L"keys", CmdKeys},     {L"shot", CmdShot},   {L"pixel", CmdPixel}, {L"menu", CmdMenu},
    {L"close", CmdClose},   {L"send", CmdSend},   {L"post", CmdPost},   {L"foreground", CmdForeground},
    {L"access", CmdAccess},
};

}  // namespace

int RunCommand(const CArgs& args) {
  for (const SCommand& command : kCommands)
    if (args.Command() == command.name) return command.run(args);
  return Fail(L"unknown command " + args.Command());
}
