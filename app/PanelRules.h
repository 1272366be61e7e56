// Platform-free rules of the front panel: button ids, which faces a button draw paints, which
// strings the label strip shows, and which destination a stored Active_ID selects.
#pragma once

#include <cstdint>

namespace Panel {

constexpr uint16_t kImage = 1000;
constexpr uint16_t kCopy = 1001;
constexpr uint16_t kFax = 1002;
constexpr uint16_t kMail = 1003;
constexpr uint16_t kOcr = 1004;
constexpr uint16_t kScan = 1005;
constexpr uint16_t kExit = 1006;
constexpr uint16_t kHelp = 1007;
constexpr uint16_t kInfo = 1008;
constexpr uint16_t kFirstButton = kImage;
constexpr uint16_t kLastButton = kInfo;
constexpr int kButtonCount = kLastButton - kFirstButton + 1;

// The settings pages' own buttons, which also name themselves in the label strip.
constexpr uint16_t kPrinterButton = 2015;
constexpr uint16_t kFaxSettingButton = 4007;
constexpr uint16_t kEditMailButton = 5013;
constexpr uint16_t kBrowserButton = 6004;

constexpr uint16_t kJapanese = 9006;

// States a button draw takes.
enum ButtonState { kStateHover = 0, kStateNormal = 1, kStatePressed = 2, kStateReleased = 3 };
// The three faces (bitmaps) each button has.
enum ButtonFace { kFaceNormal = 0, kFaceHover = 1, kFacePressed = 2 };

struct FaceDraw {
  uint16_t id;
  ButtonFace face;
};

bool IsButton(uint16_t id);
bool IsDestination(uint16_t id);
bool IsPageButton(uint16_t id);

// The faces that drawing button `id` in `state` paints, in order, while `active` is the
// active destination: the active destination always keeps its pressed face, and a pressed
// destination shows the active one normal so that only one destination looks pressed.
// Returns how many entries of `out` were filled (0 to 2).
int FacesForDraw(uint16_t id, int state, uint16_t active, FaceDraw out[2]);

// Resource name of a button's face bitmap ("IMAGE", "IMAGEF", "IMAGED", ...); nullptr for
// an id that is not a panel button.
const char* FaceBitmapName(uint16_t id, ButtonFace face);

// String ids of the label strip's title and description lines for label id `label`.
unsigned TitleStringId(uint16_t label);
unsigned DescriptionStringId(uint16_t label, uint16_t active);

// A stored Active_ID outside the five destinations selects Image.
uint16_t ActiveFromStored(int stored);

// Panel client position of a placeholder, in pixels.
struct ButtonPosition {
  int x;
  int y;
};
ButtonPosition PositionOf(uint16_t id);

}  // namespace Panel
