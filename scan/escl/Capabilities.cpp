// The capabilities document read into ScannerCaps.
#include "scan/escl/Capabilities.h"

#include <algorithm>
#include <cstdlib>

#include "scan/escl/Numbers.h"

namespace {
int Number(const XmlElement& parent, const char* name) {
  int value = 0;
  return ParseCount(parent.ChildText(name), &value) ? value : 0;
}

void ReadResolutions(const XmlElement& supported, InputCaps& input) {
  if (const XmlElement* discrete = supported.Child("DiscreteResolutions")) {
    for (const XmlElement& item : discrete->children) {
      if (item.name != "DiscreteResolution") continue;
      const int x = Number(item, "XResolution");
      const int y = item.Child("YResolution") ? Number(item, "YResolution") : x;
      // The page file has one resolution for both axes.
      if (x > 0 && x == y && x <= kMaxResolution) input.resolutions.push_back(x);
    }
  }
  if (const XmlElement* range = supported.Child("ResolutionRange")) {
    const XmlElement* x = range->Child("XResolutionRange");
    const XmlElement& r = x ? *x : *range;
    const int low = Number(r, "Min"), high = Number(r, "Max"), step = Number(r, "Step");
    if (low > 0 && high >= low && high <= kMaxResolution) {
      input.rangeMin = low;
      input.rangeMax = high;
      input.rangeStep = step > 0 ? step : 1;
    }
  }
}

void ReadProfile(const XmlElement& profile, InputCaps& input) {
  if (const XmlElement* modes = profile.Child("ColorModes")) {
    for (const XmlElement& mode : modes->children) {
      if (mode.name != "ColorMode") continue;
      if (mode.text == "BlackAndWhite1") input.modes |= kModeBlackWhite;
      if (mode.text == "Grayscale8") input.modes |= kModeGrey;
      if (mode.text == "RGB24") input.modes |= kModeColour;
    }
  }
  if (const XmlElement* formats = profile.Child("DocumentFormats")) {
    for (const XmlElement& format : formats->children) {
      if (format.name != "DocumentFormat" && format.name != "DocumentFormatExt") continue;
      if (format.text == "image/jpeg") input.formats |= kFormatJpeg;
      if (format.text == "image/png") input.formats |= kFormatPng;
    }
  }
  for (const XmlElement& item : profile.children)
    if (item.name == "SupportedResolutions") ReadResolutions(item, input);
}

void ReadInput(const XmlElement& caps, InputCaps& input) {
  input.present = true;
  input.minWidth = std::min(Number(caps, "MinWidth"), kMaxLength);
  input.maxWidth = std::min(Number(caps, "MaxWidth"), kMaxLength);
  input.minHeight = std::min(Number(caps, "MinHeight"), kMaxLength);
  input.maxHeight = std::min(Number(caps, "MaxHeight"), kMaxLength);
  if (const XmlElement* profiles = caps.Child("SettingProfiles")) {
    for (const XmlElement& profile : profiles->children)
      if (profile.name == "SettingProfile") ReadProfile(profile, input);
  }
  std::sort(input.resolutions.begin(), input.resolutions.end());
  input.resolutions.erase(std::unique(input.resolutions.begin(), input.resolutions.end()),
                          input.resolutions.end());
  // A source without an area, a mode, a format or a resolution cannot be scanned from.
  if (input.maxWidth <= 0 || input.maxHeight <= 0 || input.modes == 0 || input.formats == 0 ||
      (input.resolutions.empty() && input.rangeMax == 0)) {
    input = InputCaps();
  }
  input.minWidth = std::min(input.minWidth, input.maxWidth);
  input.minHeight = std::min(input.minHeight, input.maxHeight);
}

LevelCaps ReadLevel(const XmlElement* support) {
  LevelCaps level;
  if (!support) return level;
  level.min = Number(*support, "Min");
  level.max = Number(*support, "Max");
  level.normal = std::min(std::max(Number(*support, "Normal"), level.min), level.max);
  level.step = std::max(1, Number(*support, "Step"));
  return level;
}
}  // namespace

bool ParseCapabilities(const XmlElement& root, ScannerCaps* caps) {
  *caps = ScannerCaps();
  if (root.name != "ScannerCapabilities") return false;
  caps->makeAndModel = root.ChildText("MakeAndModel");
  caps->version = root.ChildText("Version");
  caps->uuid = root.ChildText("UUID");
  if (const XmlElement* platen = root.Find({"Platen", "PlatenInputCaps"})) ReadInput(*platen, caps->platen);
  if (const XmlElement* adf = root.Child("Adf")) {
    if (const XmlElement* simplex = adf->Child("AdfSimplexInputCaps")) ReadInput(*simplex, caps->feeder);
  }
  caps->brightness = ReadLevel(root.Child("BrightnessSupport"));
  caps->contrast = ReadLevel(root.Child("ContrastSupport"));
  return caps->platen.present || caps->feeder.present;
}

bool OffersResolution(const InputCaps& input, int resolution) {
  if (std::find(input.resolutions.begin(), input.resolutions.end(), resolution) != input.resolutions.end())
    return true;
  return input.rangeMax > 0 && resolution >= input.rangeMin && resolution <= input.rangeMax &&
         (resolution - input.rangeMin) % input.rangeStep == 0;
}

int ScanResolution(const InputCaps& input, int wanted) {
  int atLeast = 0, finest = 0;
  auto consider = [&](int candidate) {
    if (candidate <= 0) return;
    finest = std::max(finest, candidate);
    if (candidate >= wanted && (atLeast == 0 || candidate < atLeast)) atLeast = candidate;
  };
  for (int r : input.resolutions) consider(r);
  if (input.rangeMax > 0) {
    const int top = input.rangeMin + (input.rangeMax - input.rangeMin) / input.rangeStep * input.rangeStep;
    consider(top);
    if (wanted > input.rangeMin && wanted <= top) {
      // The first step of the range at or above `wanted`.
      consider(input.rangeMin +
               (wanted - input.rangeMin + input.rangeStep - 1) / input.rangeStep * input.rangeStep);
    } else if (wanted <= input.rangeMin) {
      consider(input.rangeMin);
    }
  }
  return atLeast ? atLeast : finest;
}
