// The end of a fuzz run whose property check failed.
#include <cstdio>
#include <cstdlib>

#include "tests/fuzz/FuzzInput.h"

void FuzzFailure(const char* file, int line, const char* condition) {
  std::fprintf(stderr, "%s:%d: property broken: %s\n", file, line, condition);
  std::abort();
}
