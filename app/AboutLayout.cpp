// Information box geometry.
#include "app/AboutLayout.h"

AboutBoxSize AboutBoxSizeFor(int textWidth, int backgroundHeight) {
  return AboutBoxSize{textWidth / 2 * 3, 3 * backgroundHeight};
}

ButtonRect AboutButtonRect(int clientWidth, int clientHeight, int textCx, int textCy, int dialogFrameHeight) {
  const int margin = 2 * dialogFrameHeight;
  const int height = textCy + 2 * margin;
  return ButtonRect{(clientWidth - 2 * textCx) / 2, clientHeight - height - margin, 2 * textCx, height};
}
