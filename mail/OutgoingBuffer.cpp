// COutgoingBuffer.
#include "mail/OutgoingBuffer.h"

void COutgoingBuffer::Append(const char* bytes, size_t count) {
  // What a partial write left over moves to the front before the buffer grows, so the
  // taken bytes never accumulate.
  if (m_start > 0) {
    m_bytes.erase(0, m_start);
    m_start = 0;
  }
  m_bytes.append(bytes, count);
}

void COutgoingBuffer::Consume(size_t count) {
  if (count >= Size()) {
    Clear();
    return;
  }
  m_start += count;
}

void COutgoingBuffer::Clear() {
  m_bytes.clear();  // keeps the capacity: the next message reuses it
  m_start = 0;
}
