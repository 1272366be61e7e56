// CFile.
#include "framework/File.h"

bool CFile::Open(const char* path, OpenMode mode) {
  DWORD access = GENERIC_READ;
  DWORD disposition = OPEN_EXISTING;
  DWORD share = FILE_SHARE_READ;
  switch (mode) {
    case kRead:
      break;
    case kWrite:
      access = GENERIC_WRITE;
      disposition = OPEN_EXISTING;
      share = 0;
      break;
    case kReadWrite:
      access = GENERIC_READ | GENERIC_WRITE;
      share = 0;
      break;
    case kCreate:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      share = 0;
      break;
  }
  m_handle.Reset(CreateFileA(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!m_handle.IsValid()) return Fail();
  m_lastError = 0;
  return true;
}

bool CFile::Read(void* buffer, DWORD size, DWORD* read) {
  DWORD got = 0;
  const BOOL ok = ReadFile(m_handle.Get(), buffer, size, &got, nullptr);
  if (read) *read = ok ? got : 0;
  return ok ? true : Fail();
}

bool CFile::Write(const void* data, DWORD size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(m_handle.Get(), bytes, size, &written, nullptr) || written == 0) return Fail();
    bytes += written;
    size -= written;
  }
  return true;
}

bool CFile::Seek(int64_t offset, DWORD origin) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return SetFilePointerEx(m_handle.Get(), distance, nullptr, origin) ? true : Fail();
}

bool CFile::SetLength(int64_t length) {
  return Seek(length) && (SetEndOfFile(m_handle.Get()) ? true : Fail());
}

int64_t CFile::GetLength() const {
  LARGE_INTEGER size;
  return GetFileSizeEx(m_handle.Get(), &size) ? size.QuadPart : -1;
}
