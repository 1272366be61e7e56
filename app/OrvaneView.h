// COrvaneView: the view of the hidden frame; its timers serve the OCR hand-off.
#pragma once

#include "framework/FrameWnd.h"

class COrvaneView : public CView {};
