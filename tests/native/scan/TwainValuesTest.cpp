// Fixed-point conversion, the level scale and bounded reads of capability containers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "scan/TwainValues.h"

using namespace TwainValues;

TEST(Fix32, PositiveValues) {
  TW_FIX32 f = ToFix32(1.5f);
  EXPECT_EQ(f.Whole, 1);
  EXPECT_EQ(f.Frac, 0x8000);
  f = ToFix32(8.5f);
  EXPECT_EQ(f.Whole, 8);
  EXPECT_EQ(f.Frac, 0x8000);
  f = ToFix32(0.0f);
  EXPECT_EQ(f.Whole, 0);
  EXPECT_EQ(f.Frac, 0);
  f = ToFix32(11.0f);
  EXPECT_EQ(f.Whole, 11);
  EXPECT_EQ(f.Frac, 0);
}

TEST(Fix32, NegativeValuesTruncateTowardZero) {
  // -1.25 × 65536 + 0.5 = -81919.5, truncated to -81919 = 0xFFFEC001.
  const TW_FIX32 f = ToFix32(-1.25f);
  EXPECT_EQ(f.Whole, -2);
  EXPECT_EQ(f.Frac, 0xC001);
}

TEST(Fix32, RoundTrip) {
  for (float v : {0.25f, 3.14159f, 11.69f, 8.27f, 100.0f}) {
    EXPECT_NEAR(FromFix32(ToFix32(v)), v, 1.0 / 65536);
  }
}

TEST(Fix32, ValuesBeyondTheTypeAreHeldAtItsEnds) {
  // 32768 inches (a size entry of 3276800) and more would not fit 32 bits once scaled.
  for (float v : {32768.0f, 1e9f, INFINITY}) {
    const TW_FIX32 f = ToFix32(v);
    EXPECT_EQ(f.Whole, 32767) << v;
    EXPECT_EQ(f.Frac, 0xFFFF) << v;
  }
  for (float v : {-32769.0f, -1e9f, -INFINITY}) EXPECT_EQ(ToFix32(v).Whole, -32768) << v;
  EXPECT_EQ(ToFix32(NAN).Whole, 0);
  EXPECT_EQ(ToFix32(NAN).Frac, 0);
  EXPECT_EQ(ToFix32(32767.5f).Whole, 32767);
  EXPECT_EQ(ToFix32(32767.5f).Frac, 0x8000);
}

TEST(ScaleLevel, SteppedIn128ths) {
  EXPECT_EQ(ScaleLevel(128), 1000);
  EXPECT_EQ(ScaleLevel(-128), -1000);
  EXPECT_EQ(ScaleLevel(-1), -7);
  EXPECT_EQ(ScaleLevel(127), 992);
  EXPECT_EQ(ScaleLevel(0), 0);
}

TEST(ReadItem, ByType) {
  const uint8_t bytes[4] = {0xFE, 0xFF, 0x12, 0x34};
  uint32_t v = 0;
  ASSERT_TRUE(ReadItem(TWTY_UINT8, bytes, 4, &v));
  EXPECT_EQ(v, 0xFEu);
  ASSERT_TRUE(ReadItem(TWTY_INT16, bytes, 4, &v));
  EXPECT_EQ(static_cast<int32_t>(v), -2);
  ASSERT_TRUE(ReadItem(TWTY_UINT16, bytes, 4, &v));
  EXPECT_EQ(v, 0xFFFEu);
  ASSERT_TRUE(ReadItem(TWTY_UINT32, bytes, 4, &v));
  EXPECT_EQ(v, 0x3412FFFEu);
  EXPECT_FALSE(ReadItem(TWTY_FIX32, bytes, 4, &v));
  EXPECT_FALSE(ReadItem(TWTY_UINT32, bytes, 3, &v));
}

namespace {
std::vector<uint8_t> OneValue(TW_UINT16 type, uint32_t item) {
  std::vector<uint8_t> c(6);
  c[0] = static_cast<uint8_t>(type);
  c[1] = static_cast<uint8_t>(type >> 8);
  for (int i = 0; i < 4; ++i) c[2 + i] = static_cast<uint8_t>(item >> (8 * i));
  return c;
}

std::vector<uint8_t> Enumeration(TW_UINT16 type, uint32_t claimed, uint32_t current,
                                 const std::vector<uint16_t>& items) {
  std::vector<uint8_t> c(kTwEnumerationHeader + 2 * items.size());
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) c[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  c[0] = static_cast<uint8_t>(type);
  put32(2, claimed);
  put32(6, current);
  put32(10, 0);
  for (size_t i = 0; i < items.size(); ++i) {
    c[kTwEnumerationHeader + 2 * i] = static_cast<uint8_t>(items[i]);
    c[kTwEnumerationHeader + 2 * i + 1] = static_cast<uint8_t>(items[i] >> 8);
  }
  return c;
}
}  // namespace

TEST(ContainerValue, OneValue) {
  const auto c = OneValue(TWTY_UINT16, 2);
  uint32_t v = 9;
  ASSERT_TRUE(ReadContainerValue(TWON_ONEVALUE, c.data(), c.size(), 2, &v));
  EXPECT_EQ(v, 2u);
  EXPECT_FALSE(ReadContainerValue(TWON_ONEVALUE, c.data(), 5, 0, &v));
}

TEST(ContainerValue, EnumerationAtFixedPosition) {
  const auto c = Enumeration(TWTY_UINT16, 3, 0, {0, 1, 2});
  uint32_t v = 0;
  ASSERT_TRUE(ReadContainerValue(TWON_ENUMERATION, c.data(), c.size(), 2, &v));
  EXPECT_EQ(v, 2u);
  ASSERT_TRUE(ReadContainerValue(TWON_ENUMERATION, c.data(), c.size(), 0, &v));
  EXPECT_EQ(v, 0u);
}

TEST(ContainerValue, ShortEnumerationTakesCurrentItem) {
  const auto c = Enumeration(TWTY_UINT16, 2, 1, {0, 1});
  uint32_t v = 7;
  ASSERT_TRUE(ReadContainerValue(TWON_ENUMERATION, c.data(), c.size(), 2, &v));
  EXPECT_EQ(v, 1u);
}

TEST(ContainerValue, EnumerationClaimingMoreThanItsBlockIsNotReadPastItsEnd) {
  // NumItems says 3, but the block holds two items; the current index 5 is out of range too.
  const auto c = Enumeration(TWTY_UINT16, 3, 5, {4, 5});
  uint32_t v = 7;
  EXPECT_FALSE(ReadContainerValue(TWON_ENUMERATION, c.data(), c.size(), 2, &v));
  EXPECT_EQ(v, 7u);
}

TEST(ContainerValue, EmptyEnumerationAndOtherTypesGiveNoValue) {
  const auto empty = Enumeration(TWTY_UINT16, 0, 0, {});
  uint32_t v = 7;
  EXPECT_FALSE(ReadContainerValue(TWON_ENUMERATION, empty.data(), empty.size(), 0, &v));
  const auto c = OneValue(TWTY_UINT16, 2);
  EXPECT_FALSE(ReadContainerValue(TWON_RANGE, c.data(), c.size(), 0, &v));
  EXPECT_FALSE(ReadContainerValue(TWON_ENUMERATION, c.data(), c.size(), 0, &v));
  EXPECT_EQ(v, 7u);
}

TEST(Str32, CutsAt33Characters) {
  char field[34];
  CopyStr32(field, "0123456789012345678901234567890123456789");
  EXPECT_EQ(std::strlen(field), 33u);
  CopyStr32(field, "Orvane");
  EXPECT_STREQ(field, "Orvane");
}
