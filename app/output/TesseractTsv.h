// The word boxes Tesseract writes as TSV (a header row, then one row per page, block,
// paragraph, line and word: level, page, block, paragraph, line and word numbers, left, top,
// width, height, confidence, text), read into the page's lines and words. The file comes from
// another program: every row is checked, and what is not a whole line or word row is passed
// over. Platform-free.
#pragma once

#include <cstddef>
#include <string>

#include "app/output/imaging/PageText.h"

namespace TesseractTsv {
// Bounds on what is taken from one page's file.
const size_t kLargestFile = 16 * 1024 * 1024;
const size_t kMostWords = 200000;
const size_t kLongestWord = 256;  // bytes of UTF-8; a longer word is cut at a character's start
const uint32_t kLargestCoordinate = 1000000;

// The lines of the first page in `tsv`, in the file's order, each with its words; a line
// without words is left out. A word's text is its valid UTF-8 (other bytes are dropped) without
// blanks or control characters; a word left empty is dropped.
PageText Parse(const char* tsv, size_t size);
// Reads the file at `path` (at most kLargestFile bytes) into `text`; false when it cannot be
// opened, read or is larger.
bool ReadFile(const std::string& path, PageText& text);
}  // namespace TesseractTsv
