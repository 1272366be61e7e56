// Base64 lines of attachment files: 510-byte reads, 680-character lines, padding.
#include <gtest/gtest.h>

#include "MailFakes.h"
#include "mail/Base64.h"

namespace {
std::vector<std::string> Lines(FakeEnvironment& env, const std::string& path) {
  CBase64FileReader reader(env);
  std::vector<std::string> lines;
  EXPECT_EQ(reader.Open(path.c_str()), 0);
  char line[800];
  int result;
  while ((result = reader.ReadLine(line, sizeof(line))) == CBase64FileReader::kLine) lines.push_back(line);
  EXPECT_EQ(result, CBase64FileReader::kEnd);
  EXPECT_STREQ(line, "");
  EXPECT_FALSE(reader.IsOpen());
  return lines;
}
}  // namespace

TEST(Base64, EncodesRfcVectors) {
  char out[16];
  const char* in[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* expected[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int i = 0; i < 7; ++i) {
    EncodeBase64(reinterpret_cast<const unsigned char*>(in[i]), std::strlen(in[i]), out);
    EXPECT_STREQ(out, expected[i]);
  }
}

TEST(Base64, EncodesHighBytes) {
  const unsigned char in[] = {0xFF, 0xFE, 0xFD, 0x00, 0x80};
  char out[16];
  EXPECT_EQ(EncodeBase64(in, 5, out), 8u);
  EXPECT_STREQ(out, "//79AIA=");
}

TEST(Base64, EmptyFileHasNoLines) {
  FakeEnvironment env;
  env.files["e.bin"] = "";
  EXPECT_TRUE(Lines(env, "e.bin").empty());
}

TEST(Base64, FileOf510BytesIsOneFullLine) {
  FakeEnvironment env;
  env.files["a"] = Bytes(510);
  auto lines = Lines(env, "a");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].size(), 680u);
  EXPECT_EQ(lines[0].find('='), std::string::npos);
  EXPECT_EQ(lines[0], ReferenceBase64(env.files["a"]));
}

TEST(Base64, FileOf511BytesEndsWithTwoPads) {
  FakeEnvironment env;
  env.files["a"] = Bytes(511);
  auto lines = Lines(env, "a");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 680u);
  ASSERT_EQ(lines[1].size(), 4u);
  EXPECT_EQ(lines[1].substr(2), "==");
  EXPECT_EQ(lines[0] + lines[1], ReferenceBase64(env.files["a"]));
}

TEST(Base64, FileOf512BytesEndsWithOnePad) {
  FakeEnvironment env;
  env.files["a"] = Bytes(512);
  auto lines = Lines(env, "a");
  ASSERT_EQ(lines.size(), 2u);
  ASSERT_EQ(lines[1].size(), 4u);
  EXPECT_EQ(lines[1][3], '=');
  EXPECT_NE(lines[1][2], '=');
  EXPECT_EQ(lines[0] + lines[1], ReferenceBase64(env.files["a"]));
}

TEST(Base64, ReadsAtMost510BytesAtATime) {
  FakeEnvironment env;
  env.files["big"] = Bytes(100000);
  MemoryFile::maxRead = 0;
  auto lines = Lines(env, "big");
  EXPECT_EQ(MemoryFile::maxRead, 510u);
  EXPECT_EQ(lines.size(), (100000u + 509) / 510);
  std::string all;
  for (auto& l : lines) all += l;
  EXPECT_EQ(all, ReferenceBase64(env.files["big"]));
}

TEST(Base64, SmallBufferIsRefusedWithoutReading) {
  FakeEnvironment env;
  env.files["a"] = Bytes(10);
  CBase64FileReader reader(env);
  ASSERT_EQ(reader.Open("a"), 0);
  char line[800];
  EXPECT_EQ(reader.ReadLine(line, 680), CBase64FileReader::kBufferTooSmall);
  EXPECT_EQ(reader.ReadLine(line, 681), CBase64FileReader::kLine);
  EXPECT_EQ(std::string(line), ReferenceBase64(env.files["a"]));
}

TEST(Base64, OpenReportsFailureAsOne) {
  FakeEnvironment env;
  CBase64FileReader reader(env);
  EXPECT_EQ(reader.Open("missing"), 1);
  char line[800];
  EXPECT_EQ(reader.ReadLine(line, sizeof(line)), CBase64FileReader::kEnd);
}
