// Positions in page files beyond 2 GB (a 1200 dpi colour page is larger), on both the Windows
// build and the native one.
#pragma once

#include <stdint.h>
#include <stdio.h>

// Moves to `offset` from the start; false when the file cannot go there.
inline bool SeekFileTo(FILE* file, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// The file's length, and the position back at its start; false when it cannot be told.
inline bool FileLength(FILE* file, uint64_t& length) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return false;
  const int64_t end = _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return false;
  const int64_t end = ftello(file);
#endif
  if (end < 0 || !SeekFileTo(file, 0)) return false;
  length = static_cast<uint64_t>(end);
  return true;
}
