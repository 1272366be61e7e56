// Free space of a disk: the one look-up the program and its libraries make before they write
// a page, and the 64-bit product it is made of (platform-free).
#pragma once

#include <cstdint>

#include "framework/String.h"

// Free space as the disk reports it: clusters x sectors per cluster x bytes per sector,
// multiplied in 64 bits (the product exceeds 32 bits on today's disks).
inline uint64_t FreeDiskBytes(uint32_t clusters, uint32_t sectorsPerCluster, uint32_t bytesPerSector) {
  return static_cast<uint64_t>(clusters) * sectorsPerCluster * bytesPerSector;
}

// Free bytes of the drive that holds `path` (a folder or a file on a drive letter or a UNC
// share); false when it cannot be told.
bool FreeDiskSpace(const char* path, uint64_t& bytes);
// The root of the drive that holds `path` ("T:\", "\\server\share\"), as a message names the
// disk; the path itself when it has no drive.
CString DiskRoot(const char* path);
// A byte count as the user reads it ("1.55 MB"), in the user's number format.
CString ByteSizeText(uint64_t bytes);
