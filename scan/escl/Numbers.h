// Bounded reading of the decimal numbers in a network scanner's documents and headers.
#pragma once

#include <string>

// The largest resolution and length (1/300 inch) taken from a scanner: beyond what any
// document needs, small enough that products of two stay within 32 bits.
const int kMaxResolution = 9600;
const int kMaxLength = 1000000;

// A whole number of at most nine digits, white space around it allowed; false otherwise.
inline bool ParseCount(const std::string& text, int* value) {
  size_t i = 0, end = text.size();
  while (i < end && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  while (end > i &&
         (text[end - 1] == ' ' || text[end - 1] == '\t' || text[end - 1] == '\r' || text[end - 1] == '\n'))
    --end;
  if (i == end || end - i > 9) return false;
  int n = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
  }
  *value = n;
  return true;
}
