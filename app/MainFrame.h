// CMainFrame: the hidden main frame; it owns the view and is the owner window of the mail
// library's dialogs.
#pragma once

#include "framework/FrameWnd.h"

class CMainFrame : public CFrameWnd {};
