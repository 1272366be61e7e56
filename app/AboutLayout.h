// Geometry of the information box and its button. Platform-free.
#pragma once

struct AboutBoxSize {
  int width;
  int height;
};

struct ButtonRect {
  int x, y, width, height;
};

// Width: half the display text's width (integer division), times three; height: three times
// the background bitmap's height.
AboutBoxSize AboutBoxSizeFor(int textWidth, int backgroundHeight);

// The OK button: twice the text's width, its height plus two margins (m = twice the
// dialog-frame height), centred, one margin above the bottom of the client area.
ButtonRect AboutButtonRect(int clientWidth, int clientHeight, int textCx, int textCy, int dialogFrameHeight);
