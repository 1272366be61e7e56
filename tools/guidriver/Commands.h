// The driver's commands; each prints its results and returns the exit code (0, or 1 on failure).
#pragma once

#include "tools/guidriver/Args.h"

int CmdList(const CArgs& args);
int CmdWait(const CArgs& args);
int CmdTexts(const CArgs& args);
int CmdPress(const CArgs& args);
int CmdMove(const CArgs& args);
int CmdClick(const CArgs& args);
int CmdDown(const CArgs& args);
int CmdUp(const CArgs& args);
int CmdKeys(const CArgs& args);
int CmdShot(const CArgs& args);
int CmdPixel(const CArgs& args);
int CmdMenu(const CArgs& args);
int CmdClose(const CArgs& args);
int CmdSend(const CArgs& args);
int CmdPost(const CArgs& args);
int CmdForeground(const CArgs& args);
int CmdAccess(const CArgs& args);
