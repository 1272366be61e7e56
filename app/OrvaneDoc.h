// COrvaneDoc: the empty document of the hidden frame.
#pragma once

#include "framework/FrameWnd.h"

class COrvaneDoc : public CDocument {};
