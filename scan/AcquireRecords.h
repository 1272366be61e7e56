// The records that cross between the program and the acquisition library: the request of one
// acquisition and the result of one page. Platform-free, so the request builder is testable.
#pragma once

#include <cstdint>

// Filled by the program for one acquisition; read by the library only during DcAppAcqProc.
struct AcquireRequest {
  uint16_t sizeCode;    // TWAIN supported-size code; 0: the frame fields give the area
  uint16_t pixelType;   // 0 black-and-white, 1 grey, 2 colour
  uint16_t resolution;  // dots per inch, both axes
  uint16_t units;       // TWAIN unit code of the frame (0 inches)
  int32_t brightness;   // 1/128 steps around 0
  int32_t contrast;
  float frameTop;
  float frameLeft;
  float frameRight;
  float frameBottom;
  uint16_t destinationId;
  int32_t showUI;
};

// Owned by the library; valid while WM_ACQ_RESULT is being handled.
struct AcquireResult {
  uint8_t mechanism;      // 0 native, 1 file, 2 memory
  uint32_t fileFormat;    // file mechanism: 0 TIFF, 2 BMP
  uint32_t nativeHandle;  // native mechanism: HGLOBAL of the page's DIB, owned by the receiver
  char filePath[256];
  uint16_t destinationId;
  uint32_t morePending;
};
