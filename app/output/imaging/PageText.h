// The words read on a page, line by line, each with its box in the page's pixels (from the top
// left), as a PDF page lays them invisibly over its picture so that they can be found and
// copied. Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PageBox {
  uint32_t x = 0, y = 0, width = 0, height = 0;
};

struct PageWord {
  PageBox box;
  std::string text;  // UTF-8, no blanks
};

struct PageLine {
  PageBox box;  // the line's height is the size its words are set in
  std::vector<PageWord> words;
};

using PageText = std::vector<PageLine>;
