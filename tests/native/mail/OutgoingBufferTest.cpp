// Gathered socket writes: every byte once and in order whatever the socket takes, writes of
// the gathered size, and memory that does not grow with the length of the message.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "mail/OutgoingBuffer.h"

namespace {
// A socket that takes a scripted number of bytes per attempt (0 = would block).
struct TakingSocket {
  std::string wire;
  std::vector<size_t> writes;  // bytes offered per attempt
  size_t Take(COutgoingBuffer& buffer, size_t most) {
    writes.push_back(buffer.Size());
    const size_t taken = std::min(most, buffer.Size());
    wire.append(buffer.Data(), taken);
    buffer.Consume(taken);
    return taken;
  }
  // Writes until the buffer is empty, as the socket's flush does.
  void Drain(COutgoingBuffer& buffer, std::mt19937& random, size_t most) {
    while (!buffer.IsEmpty()) Take(buffer, std::uniform_int_distribution<size_t>(0, most)(random));
  }
};

std::string Line(size_t n, char c) { return std::string(n, c) + "\r\n"; }

// Sends `lines` base64-sized lines through a buffer; returns its largest capacity.
size_t PeakCapacity(size_t lines) {
  COutgoingBuffer buffer;
  TakingSocket socket;
  std::mt19937 random(7);
  size_t peak = 0;
  const std::string line = Line(680, 'Q');
  for (size_t i = 0; i < lines; ++i) {
    buffer.Append(line.data(), line.size());
    if (buffer.WriteDue()) socket.Drain(buffer, random, 20000);
    peak = std::max(peak, buffer.Capacity());
  }
  return peak;
}
}  // namespace

TEST(OutgoingBuffer, EveryByteGoesOutOnceAndInOrderWhateverTheSocketTakes) {
  std::mt19937 random(12);
  for (size_t writeSize : {1u, 700u, 4096u, 32768u}) {
    COutgoingBuffer buffer(writeSize);
    TakingSocket socket;
    std::string sent;
    for (int i = 0; i < 3000; ++i) {
      // Pieces of every size the writer produces: short header lines, body pieces, base64 lines.
      const size_t length = std::uniform_int_distribution<size_t>(1, 2050)(random);
      std::string piece(length, static_cast<char>('a' + i % 26));
      piece[length / 2] = '\0';  // binary-safe
      sent += piece;
      buffer.Append(piece.data(), piece.size());
      if (buffer.WriteDue()) {
        // Partial takes, would-block attempts and new pieces interleave.
        socket.Take(buffer, std::uniform_int_distribution<size_t>(0, 3 * writeSize)(random));
        if (i % 3 == 0) socket.Drain(buffer, random, writeSize + 1024);
      }
    }
    socket.Drain(buffer, random, 5000);  // before the reply wait
    EXPECT_EQ(socket.wire, sent) << writeSize;
  }
}

TEST(OutgoingBuffer, WritesAreGatheredToTheWriteSize) {
  COutgoingBuffer buffer(32 * 1024);
  TakingSocket socket;
  const std::string line = Line(680, 'L');
  size_t lines = 0;
  for (; lines < 100; ++lines) {
    buffer.Append(line.data(), line.size());
    if (buffer.WriteDue()) {
      while (!buffer.IsEmpty()) socket.Take(buffer, SIZE_MAX);
    }
  }
  // 100 lines of 682 bytes: two writes of 49 lines (33418 bytes) while gathering.
  ASSERT_EQ(socket.writes.size(), 2u);
  EXPECT_EQ(socket.writes[0], 49u * 682u);
  EXPECT_EQ(socket.writes[1], 49u * 682u);
  EXPECT_EQ(buffer.Size(), 2u * 682u);
  EXPECT_FALSE(buffer.WriteDue());
  EXPECT_FALSE(buffer.IsEmpty());
}

TEST(OutgoingBuffer, PartialTakeLeavesTheRestInFrontOfNewPieces) {
  COutgoingBuffer buffer(8);
  buffer.Append("HELO a\r\n", 8);
  ASSERT_TRUE(buffer.WriteDue());
  buffer.Consume(3);
  EXPECT_EQ(std::string(buffer.Data(), buffer.Size()), "O a\r\n");
  EXPECT_FALSE(buffer.WriteDue());
  buffer.Append("QUIT\r\n", 6);
  EXPECT_EQ(std::string(buffer.Data(), buffer.Size()), "O a\r\nQUIT\r\n");
  buffer.Consume(1000);  // more than held: all taken
  EXPECT_TRUE(buffer.IsEmpty());
  buffer.Append("x", 1);
  buffer.Clear();
  EXPECT_TRUE(buffer.IsEmpty());
  EXPECT_EQ(buffer.Size(), 0u);
}

TEST(OutgoingBuffer, MemoryIsTheSameForAThreeKilobyteAndATwentyMegabyteMessage) {
  const size_t small = PeakCapacity(5);                       // about 3 KB of base64
  const size_t large = PeakCapacity(20 * 1024 * 1024 / 510);  // a 20 MB file
  // One write and one piece, at most doubled by the string's growth.
  const size_t bound = 2u * (COutgoingBuffer::kWriteSize + 682u);
  EXPECT_LE(small, bound);
  EXPECT_LE(large, bound);
}
