// Value conversions of the TWAIN conversation: fixed-point numbers, the 1/128 level scale,
// and reading one value out of a returned capability container with bounds checks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "scan/Twain.h"

namespace TwainValues {
// x × 65536 + 0.5, truncated toward zero to 32 bits, split into Whole and Frac. Values
// beyond -32768 .. 32767.99998 are held at those ends; NaN gives 0.
TW_FIX32 ToFix32(float value);
float FromFix32(TW_FIX32 fix);

// Brightness and contrast: 1/128 steps around 0 become TWAIN's -1000..1000 (truncating).
int32_t ScaleLevel(int32_t level);

// Reads one item of type `itemType` from `bytes` (at most `available` bytes there).
// False for types without an integer value or when the item does not fit.
bool ReadItem(TW_UINT16 itemType, const uint8_t* bytes, size_t available, uint32_t* value);

// Size in bytes of one item of an integer type; 0 for other types.
size_t ItemSize(TW_UINT16 itemType);

// The value of a container returned for a capability query. `container` holds `size` bytes.
// One-value containers give their Item; enumerations the item at `position`. When an
// enumeration holds fewer items than `position` needs, its current item is taken if that
// one exists, else there is no value. Other container types give no value.
bool ReadContainerValue(TW_UINT16 conType, const uint8_t* container, size_t size, uint32_t position,
                        uint32_t* value);

// Copies `text` into a TW_STR32 field, cut to 33 characters and always terminated.
void CopyStr32(char (&field)[34], const char* text);
}  // namespace TwainValues
