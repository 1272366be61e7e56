// The received side of the mail socket: complete lines waiting to be read (oldest first,
// each with its LF or CR LF) and the bytes after the last LF waiting for the rest of their
// line. Platform-free.
#pragma once

#include <cstddef>
#include <deque>

#include "framework/String.h"

class CLineQueue {
 public:
  // Splits `count` received bytes at each LF; a segment without LF waits in the partial line.
  void SplitLines(const char* bytes, size_t count);
  bool HasLine() const { return !m_lines.empty(); }
  size_t LineCount() const { return m_lines.size(); }
  // Removes and returns the oldest line; empty when none is waiting.
  CString PopLine();
  const CString& PartialLine() const { return m_partial; }
  // Forgets the waiting lines and the partial line.
  void Clear();

 private:
  std::deque<CString> m_lines;
  CString m_partial;
};
