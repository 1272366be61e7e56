// What a network scanner says it can do (its ScannerCapabilities document): per input
// source the area, colour modes, page formats and resolutions. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "scan/escl/XmlReader.h"

enum ColourModeBits : unsigned { kModeBlackWhite = 1, kModeGrey = 2, kModeColour = 4 };
enum FormatBits : unsigned { kFormatJpeg = 1, kFormatPng = 2 };

// One input source (the glass or the feeder). Lengths are in 1/300 inch.
struct InputCaps {
  bool present = false;
  int minWidth = 0, maxWidth = 0, minHeight = 0, maxHeight = 0;
  unsigned modes = 0;                             // ColourModeBits
  unsigned formats = 0;                           // FormatBits
  std::vector<int> resolutions;                   // discrete values, both axes alike, ascending
  int rangeMin = 0, rangeMax = 0, rangeStep = 0;  // a resolution range, when one is given
};

// A level control (brightness, contrast) the scanner offers; absent when max <= min.
struct LevelCaps {
  int min = 0, max = 0, normal = 0, step = 1;
  bool Present() const { return max > min; }
};

struct ScannerCaps {
  std::string makeAndModel;
  std::string version;  // of the protocol, "2.0" say
  std::string uuid;
  InputCaps platen;
  InputCaps feeder;
  LevelCaps brightness, contrast;
};

// False when the document is not a scanner's capabilities or names no input source.
bool ParseCapabilities(const XmlElement& root, ScannerCaps* caps);

// The resolution to scan `wanted` at: the least one offered that is at least as fine (the
// page is then scaled down to `wanted`), else the finest offered; 0 if none.
int ScanResolution(const InputCaps& input, int wanted);
bool OffersResolution(const InputCaps& input, int resolution);
