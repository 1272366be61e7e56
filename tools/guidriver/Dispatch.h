// Runs one driver command by its name, for the driver's own command line and for programs that
// run driver commands in-process (one Wine process for many commands).
#pragma once

#include "tools/guidriver/Args.h"

// The command's exit code; 1 after a message for an unknown command.
int RunCommand(const CArgs& args);
