// Outgoing texts gathered into socket-sized writes: pieces are appended until a write is due,
// then the socket takes what it can from the front. Memory stays at about one write plus one
// piece however much is sent. Platform-free.
#pragma once

#include <cstddef>
#include <string>

class COutgoingBuffer {
 public:
  // Tens of kilobytes (about one segment on loopback): few enough writes that their cost
  // vanishes beside the copying, small enough that memory stays flat and a Cancel is not held
  // up behind much unsent data. Measured under Wine, 64 KB writes sent a 20 MB file
  // measurably faster than 32 KB ones; larger ones gained little.
  static const size_t kWriteSize = 64 * 1024;

  explicit COutgoingBuffer(size_t writeSize = kWriteSize) : m_writeSize(writeSize) {}

  void Append(const char* bytes, size_t count);
  // Enough is gathered for one socket-sized write.
  bool WriteDue() const { return Size() >= m_writeSize; }
  bool IsEmpty() const { return Size() == 0; }
  // The bytes not yet taken by the socket, oldest first. Valid until the next Append.
  const char* Data() const { return m_bytes.data() + m_start; }
  size_t Size() const { return m_bytes.size() - m_start; }
  // The socket took `count` bytes from the front; more than Size() takes them all.
  void Consume(size_t count);
  void Clear();
  // Bytes held in memory, taken ones included.
  size_t Capacity() const { return m_bytes.capacity(); }

 private:
  std::string m_bytes;
  size_t m_start = 0;  // bytes at the front already taken
  size_t m_writeSize;
};
