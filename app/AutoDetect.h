// Automatic document detection: finds the documents on a colour prescan by thresholding,
// cleaning specks and thin lines, and cutting the image along empty rows and columns.
// Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "app/RectObj.h"

enum class DetectOutcome {
  kDone,      // every area found was appended (possibly none)
  kNoMemory,  // a working array could not be had; nothing was appended
  kBadImage,  // the buffer is smaller than the rows it should hold; nothing was appended
};

// Row length in bytes of a 24-bit device-independent bitmap `width` pixels wide.
size_t DetectRowBytes(uint16_t width);

// `bits`: the rows of a 24-bit bitmap, bottom-up, each padded to four bytes; `size` its byte
// count. Areas are appended to `areas` in the order found. `passCounter` is the program's one
// pass counter: it carries over from one detection to the next as the program keeps it.
DetectOutcome DetectDocumentAreas(const uint8_t* bits, size_t size, uint16_t width, uint16_t height,
                                  int& passCounter, std::vector<std::unique_ptr<CRectObj>>& areas);
