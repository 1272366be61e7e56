// Tesseract's TSV word boxes.
#include "app/output/TesseractTsv.h"

#include <cstdio>
#include <vector>

namespace TesseractTsv {
namespace {
const int kLineLevel = 4;
const int kWordLevel = 5;
const size_t kFields = 12;
const size_t kTextField = 11;

struct Field {
  const char* data;
  size_t size;
};

// A whole unsigned number of at most kLargestCoordinate; false for anything else.
bool Number(const Field& field, uint32_t& value) {
  if (field.size == 0 || field.size > 7) return false;
  uint32_t parsed = 0;
  for (size_t i = 0; i < field.size; ++i) {
    const char c = field.data[i];
    if (c < '0' || c > '9') return false;
    parsed = parsed * 10 + static_cast<uint32_t>(c - '0');
  }
  if (parsed > kLargestCoordinate) return false;
  value = parsed;
  return true;
}

// The next character of valid UTF-8 at `text[i]` (its length in `length`), or -1 with length 1
// for a byte that does not start one.
int32_t NextCharacter(const char* text, size_t size, size_t i, size_t& length) {
  const uint8_t lead = static_cast<uint8_t>(text[i]);
  length = 1;
  if (lead < 0x80) return lead;
  size_t extra = 0;
  int32_t value = 0, least = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, value = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, value = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, value = lead & 0x07, least = 0x10000;
  } else {
    return -1;
  }
  if (extra > size - i - 1) return -1;
  for (size_t k = 1; k <= extra; ++k) {
    const uint8_t next = static_cast<uint8_t>(text[i + k]);
    if ((next & 0xC0) != 0x80) return -1;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
  length = extra + 1;
  return value;
}

bool IsBlankOrControl(int32_t c) {
  return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || (c >= 0x2000 && c <= 0x200B) || c == 0x2028 ||
         c == 0x2029 || c == 0x3000 || c == 0xFEFF;
}

// The word's text as it is kept: valid characters that are not blanks, within kLongestWord.
std::string CleanWord(const Field& field) {
  std::string word;
  for (size_t i = 0; i < field.size;) {
    size_t length = 1;
    const int32_t c = NextCharacter(field.data, field.size, i, length);
    if (c >= 0 && !IsBlankOrControl(c)) {
      if (word.size() + length > kLongestWord) break;
      word.append(field.data + i, length);
    }
    i += length;
  }
  return word;
}

PageBox Union(const PageBox& a, const PageBox& b) {
  if (a.width == 0 || a.height == 0) return b;
  const uint32_t left = a.x < b.x ? a.x : b.x, top = a.y < b.y ? a.y : b.y;
  const uint32_t right = a.x + a.width > b.x + b.width ? a.x + a.width : b.x + b.width;
  const uint32_t bottom = a.y + a.height > b.y + b.height ? a.y + a.height : b.y + b.height;
  return {left, top, right - left, bottom - top};
}

// The row's fields, split at tabs (a carriage return before the line's end dropped).
std::vector<Field> SplitRow(const char* row, size_t size) {
  if (size > 0 && row[size - 1] == '\r') --size;
  std::vector<Field> fields;
  size_t start = 0;
  for (size_t i = 0; i <= size && fields.size() < kFields; ++i) {
    if (i == size || row[i] == '\t') {
      fields.push_back({row + start, i - start});
      start = i + 1;
    }
  }
  return fields;
}
}  // namespace

PageText Parse(const char* tsv, size_t size) {
  PageText lines;
  if (!tsv) return lines;
  size_t words = 0;
  uint32_t page = 0;
  uint32_t lineId[3] = {0, 0, 0};  // block, paragraph and line of the line being filled
  bool lineOpen = false;
  for (size_t start = 0; start < size && words < kMostWords;) {
    size_t end = start;
    while (end < size && tsv[end] != '\n') ++end;
    const std::vector<Field> fields = SplitRow(tsv + start, end - start);
    start = end + 1;
    uint32_t numbers[10];
    if (fields.size() < kTextField) continue;
    bool whole = true;
    for (size_t i = 0; i < 10 && whole; ++i) whole = Number(fields[i], numbers[i]);
    if (!whole || numbers[1] == 0) continue;  // the header, or a damaged row
    if (page == 0) page = numbers[1];
    if (numbers[1] != page) break;
    const PageBox box = {numbers[6], numbers[7], numbers[8], numbers[9]};
    const bool sameLine =
        lineOpen && numbers[2] == lineId[0] && numbers[3] == lineId[1] && numbers[4] == lineId[2];
    if (numbers[0] == kLineLevel) {
      lines.push_back({box, {}});
      lineOpen = true;
    } else if (numbers[0] == kWordLevel && fields.size() == kFields) {
      if (box.width == 0 || box.height == 0) continue;
      std::string text = CleanWord(fields[kTextField]);
      if (text.empty()) continue;
      // A word without its line row starts a line of its own box.
      if (!sameLine) {
        lines.push_back({box, {}});
        lineOpen = true;
      }
      PageLine& line = lines.back();
      line.words.push_back({box, std::move(text)});
      if (line.box.width == 0 || line.box.height == 0) line.box = Union(line.box, box);
      ++words;
    } else {
      continue;
    }
    lineId[0] = numbers[2], lineId[1] = numbers[3], lineId[2] = numbers[4];
  }
  PageText kept;
  for (PageLine& line : lines) {
    if (!line.words.empty()) kept.push_back(std::move(line));
  }
  return kept;
}

bool ReadFile(const std::string& path, PageText& text) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  std::vector<char> data(kLargestFile + 1);
  const size_t got = std::fread(data.data(), 1, data.size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed || got > kLargestFile) return false;
  text = Parse(data.data(), got);
  return true;
}
}  // namespace TesseractTsv
