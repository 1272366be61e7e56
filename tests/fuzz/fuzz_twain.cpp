// Fuzz target: values that cross the TWAIN interface. Capability containers as a source
// returns them (any type, any count, any block size), fixed-point frame values from any float,
// brightness levels, identity texts and the source's version text behind the information
// text. Properties: nothing is read outside the block, a fixed-point value comes back within
// one step of its number when that fits the type, and the information text has its lines.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "scan/InfoText.h"
#include "scan/TwainValues.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);

  const float number = in.Float();
  const TW_FIX32 fix = TwainValues::ToFix32(number);
  const float back = TwainValues::FromFix32(fix);
  if (std::isfinite(number) && number > -32768.0f && number < 32767.0f)
    FUZZ_CHECK(std::fabs(back - number) <= 1.0f / 32768 + std::fabs(number) * 1e-6f);
  else if (std::isnan(number))
    FUZZ_CHECK(back == 0.0f);
  else
    FUZZ_CHECK((back < 0) == (number < 0) && std::fabs(back) >= 32767.0f);

  const int32_t level = in.I32();
  const int32_t scaled = TwainValues::ScaleLevel(level);
  if (level >= -128 && level <= 128) FUZZ_CHECK(scaled >= -1000 && scaled <= 1000);

  char field[34];
  const std::string identity = in.Text(200);
  TwainValues::CopyStr32(field, identity.c_str());
  FUZZ_CHECK(field[33] == '\0' && std::string(field) == identity.substr(0, 33));

  InfoWords words{"Ready", "Not ready", "Installed", "Not installed"};
  const std::string family = in.Text(64);
  const std::string version = in.Text(200);
  const std::string text = BuildSourceInfoText(family.c_str(), version.c_str(), words);
  FUZZ_CHECK(std::count(text.begin(), text.end(), '\n') >=
             4 + std::count(family.begin(), family.end(), '\n'));

  const TW_UINT16 conType = static_cast<TW_UINT16>(in.Range(TWON_ARRAY - 1, TWON_RANGE + 1));
  const uint32_t position = in.Range(0, 20);
  const std::string block = in.Rest();
  std::unique_ptr<uint8_t[]> container(new uint8_t[block.size() ? block.size() : 1]);
  std::copy(block.begin(), block.end(), container.get());
  uint32_t value = 0;
  TwainValues::ReadContainerValue(conType, block.empty() ? nullptr : container.get(), block.size(), position,
                                  &value);
  if (block.size() >= 2) {
    const TW_UINT16 itemType = static_cast<TW_UINT16>(container[0] | container[1] << 8);
    TwainValues::ReadItem(itemType, container.get() + 2, block.size() - 2, &value);
  }
  return 0;
}
