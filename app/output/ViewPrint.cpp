// COrvaneView: printing of Copy and Fax pages.
#include "app/OrvaneView.h"

void COrvaneView::PrintJobImage(int copyMode) {}
