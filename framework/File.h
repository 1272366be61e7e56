// CFile: a file handle with bool-returning reads, writes and seeks. Closed on destruction.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Handles.h"

class CFile {
 public:
  enum OpenMode { kRead, kWrite, kReadWrite, kCreate };

  CFile() = default;
  bool Open(const char* path, OpenMode mode);
  void Close() {
    m_handle.Reset();
    m_lastError = 0;
  }
  bool IsOpen() const { return m_handle.IsValid(); }
  HANDLE Handle() const { return m_handle.Get(); }

  // Reads up to `size` bytes; `read` receives the count (0 at the end of the file).
  bool Read(void* buffer, DWORD size, DWORD* read);
  // Writes all `size` bytes or fails.
  bool Write(const void* data, DWORD size);
  bool Seek(int64_t offset, DWORD origin = FILE_BEGIN);
  bool SetLength(int64_t length);
  int64_t GetLength() const;
  DWORD LastError() const { return m_lastError; }

 private:
  bool Fail() {
    m_lastError = GetLastError();
    return false;
  }

  CFileHandle m_handle;
  DWORD m_lastError = 0;
};
