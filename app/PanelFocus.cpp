// Front-panel keyboard rules.
#include "app/PanelFocus.h"

#include "app/PanelRules.h"

using namespace Panel;

namespace PanelFocus {
namespace {
const uint16_t kOrder[] = {kImage, kCopy, kFax, kMail, kOcr, kScan, kExit, kHelp, kInfo};
const int kCount = static_cast<int>(sizeof(kOrder) / sizeof(kOrder[0]));
// Latin letters in every language, as Windows gives its own dialogs in the CJK languages.
const char kKeys[] = {'I', 'C', 'F', 'M', 'O', 'S', 'X', 'H', 'N'};
const int kDestinations = 5;

int IndexOf(uint16_t id) {
  for (int i = 0; i < kCount; ++i) {
    if (kOrder[i] == id) return i;
  }
  return -1;
}
}  // namespace

uint16_t FirstButton() { return kOrder[0]; }
uint16_t LastButton() { return kOrder[kCount - 1]; }

uint16_t Tab(uint16_t focus, bool backward, bool pageHasStops) {
  if (focus == kPageFirst || focus == kPageLast || focus == kInPage) {
    // Leaving the page: forward from its last control, back from its first.
    return backward ? LastButton() : FirstButton();
  }
  const int index = IndexOf(focus);
  if (index < 0) return FirstButton();
  if (!backward) {
    if (index + 1 < kCount) return kOrder[index + 1];
    return pageHasStops ? kPageFirst : FirstButton();
  }
  if (index > 0) return kOrder[index - 1];
  return pageHasStops ? kPageLast : LastButton();
}

uint16_t Arrow(uint16_t focus, bool backward) {
  const int index = IndexOf(focus);
  if (index < 0 || index >= kDestinations) return 0;
  return kOrder[(index + (backward ? kDestinations - 1 : 1)) % kDestinations];
}

uint16_t ButtonForAccessKey(char letter) {
  const char upper = letter >= 'a' && letter <= 'z' ? static_cast<char>(letter - 'a' + 'A') : letter;
  for (int i = 0; i < kCount; ++i) {
    if (kKeys[i] == upper) return kOrder[i];
  }
  return 0;
}

char AccessKey(uint16_t id) {
  const int index = IndexOf(id);
  return index < 0 ? '\0' : kKeys[index];
}
}  // namespace PanelFocus
