// COrvaneView: the OCR hand-off.
#include "app/OrvaneView.h"

bool COrvaneView::StartOcr() { return false; }
