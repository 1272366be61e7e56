// Value conversions of the TWAIN conversation.
#include "scan/TwainValues.h"

#include <cstdint>
#include <cstring>

namespace TwainValues {

TW_FIX32 ToFix32(float value) {
  // Values beyond the type's range are held at its ends (converting them would be undefined);
  // a value that is no number becomes 0.
  double scaled = static_cast<double>(value) * 65536.0 + 0.5;
  if (!(scaled > INT32_MIN)) scaled = value < 0 ? INT32_MIN : 0;
  if (scaled > INT32_MAX) scaled = INT32_MAX;
  const int32_t v = static_cast<int32_t>(scaled);
  TW_FIX32 fix;
  fix.Whole = static_cast<TW_INT16>(v >> 16);
  fix.Frac = static_cast<TW_UINT16>(v & 0xFFFF);
  return fix;
}

float FromFix32(TW_FIX32 fix) {
  return static_cast<float>(fix.Whole) + static_cast<float>(fix.Frac) / 65536.0f;
}

int32_t ScaleLevel(int32_t level) { return static_cast<int32_t>(static_cast<int64_t>(level) * 1000 / 128); }

size_t ItemSize(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
      return 4;
    default:
      return 0;
  }
}

bool ReadItem(TW_UINT16 itemType, const uint8_t* bytes, size_t available, uint32_t* value) {
  const size_t size = ItemSize(itemType);
  if (size == 0 || size > available || !bytes) return false;
  uint32_t v = 0;
  for (size_t i = 0; i < size; ++i) v |= static_cast<uint32_t>(bytes[i]) << (8 * i);
  // Signed types keep their sign in the 32-bit value.
  if (itemType == TWTY_INT8) v = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(v)));
  if (itemType == TWTY_INT16) v = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(v)));
  *value = v;
  return true;
}

namespace {
uint16_t Read16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Read32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

bool ReadContainerValue(TW_UINT16 conType, const uint8_t* container, size_t size, uint32_t position,
                        uint32_t* value) {
  if (!container) return false;
  if (conType == TWON_ONEVALUE) {
    if (size < sizeof(TW_ONEVALUE)) return false;
    return ReadItem(Read16(container), container + 2, 4, value);
  }
  if (conType != TWON_ENUMERATION || size < kTwEnumerationHeader) return false;
  const TW_UINT16 itemType = Read16(container);
  const uint32_t count = Read32(container + 2);
  const uint32_t current = Read32(container + 6);
  const size_t itemSize = ItemSize(itemType);
  if (itemSize == 0) return false;
  // Only the items that really lie inside the block count, whatever NumItems claims.
  const uint64_t fitting = (size - kTwEnumerationHeader) / itemSize;
  const uint64_t items = count < fitting ? count : fitting;
  uint64_t index = position;
  if (index >= items) {
    if (current >= items) return false;
    index = current;
  }
  return ReadItem(itemType, container + kTwEnumerationHeader + index * itemSize, itemSize, value);
}

void CopyStr32(char (&field)[34], const char* text) {
  std::memset(field, 0, sizeof(field));
  if (text) std::strncpy(field, text, sizeof(field) - 1);
}

}  // namespace TwainValues
