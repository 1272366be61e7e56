// The panel's hover/press state machine and its button-face rules, driven like the panel.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/PanelRules.h"
#include "app/PointerLogic.h"

using namespace Panel;

namespace {

// Plays the panel: paints faces through the real face rules, so that the tests can look at
// which face each destination shows, and clicks destinations like the panel does.
class CFakePanel : public IPointerSink {
 public:
  CFakePanel() : logic(*this) {
    for (uint16_t id = kFirstButton; id <= kLastButton; ++id) {
      const ButtonPosition p = PositionOf(id);
      logic.SetButtonRect(id, CPanelRect{p.x, p.y, p.x + 60, p.y + 50});
      face[id - kFirstButton] = id == active ? kFacePressed : kFaceNormal;
    }
  }
  void DrawButton(uint16_t id, int state) override {
    FaceDraw draws[2];
    const int n = FacesForDraw(id, state, active, draws);
    for (int i = 0; i < n; ++i) face[draws[i].id - kFirstButton] = draws[i].face;
  }
  void CapturePointer() override { captured = true; }
  void ReleasePointer() override { captured = false; }
  void SetLabel(uint16_t id) override { label = id; }
  uint16_t ActiveDestination() const override { return active; }
  bool Release(uint16_t id) override {
    clicks.push_back(id);
    if (refuse) {
      logic.CancelPress();
      DrawButton(id, kStateNormal);
      return false;
    }
    if (IsDestination(id)) {
      active = id;
      shownPage = id;
    }
    return true;
  }

  ButtonFace Face(uint16_t id) const { return face[id - kFirstButton]; }
  // A point well inside button `id`.
  static void Inside(uint16_t id, int& x, int& y) {
    x = PositionOf(id).x + 10;
    y = PositionOf(id).y + 10;
  }
  void MoveOnto(uint16_t id) {
    int x, y;
    Inside(id, x, y);
    logic.MouseMove(x, y);
  }
  void PressOn(uint16_t id) {
    int x, y;
    Inside(id, x, y);
    logic.ButtonDown(x, y);
  }
  void ReleaseOn(uint16_t id) {
    int x, y;
    Inside(id, x, y);
    logic.ButtonUp(x, y);
  }

  CPointerLogic logic;
  uint16_t active = kImage;
  uint16_t shownPage = kImage;
  uint16_t label = kImage;
  bool captured = false;
  bool refuse = false;
  std::vector<uint16_t> clicks;
  ButtonFace face[kButtonCount];
};

const int kOutsideX = 300, kOutsideY = 380;

}  // namespace

TEST(PanelPointer, PressLeaveComeBackReleaseMakesTheDestinationActive) {
  CFakePanel panel;
  panel.MoveOnto(kCopy);
  EXPECT_EQ(panel.Face(kCopy), kFaceHover);
  EXPECT_EQ(panel.label, kCopy);
  panel.PressOn(kCopy);
  EXPECT_EQ(panel.Face(kCopy), kFacePressed);
  EXPECT_EQ(panel.Face(kImage), kFaceNormal) << "only one destination looks pressed";

  panel.logic.MouseMove(kOutsideX, kOutsideY);
  EXPECT_EQ(panel.Face(kCopy), kFaceNormal);
  EXPECT_EQ(panel.Face(kImage), kFacePressed);
  EXPECT_TRUE(panel.captured) << "the capture stays while the button is held";
  EXPECT_EQ(panel.label, kImage);

  panel.MoveOnto(kCopy);
  EXPECT_EQ(panel.Face(kCopy), kFacePressed);
  EXPECT_EQ(panel.Face(kImage), kFaceNormal);

  panel.ReleaseOn(kCopy);
  EXPECT_EQ(panel.active, kCopy);
  EXPECT_EQ(panel.shownPage, kCopy);
  EXPECT_EQ(panel.Face(kCopy), kFacePressed);
  EXPECT_EQ(panel.Face(kImage), kFaceNormal);
  EXPECT_FALSE(panel.captured);
  EXPECT_EQ(panel.logic.PressedId(), 0);
  EXPECT_FALSE(panel.logic.IsButtonDown());
}

TEST(PanelPointer, ReleaseOutsideOrOverAnotherButtonDoesNothing) {
  CFakePanel panel;
  panel.MoveOnto(kCopy);
  panel.PressOn(kCopy);
  panel.logic.MouseMove(kOutsideX, kOutsideY);
  panel.logic.ButtonUp(kOutsideX, kOutsideY);
  EXPECT_TRUE(panel.clicks.empty());
  EXPECT_EQ(panel.active, kImage);
  EXPECT_EQ(panel.Face(kImage), kFacePressed);
  EXPECT_EQ(panel.Face(kCopy), kFaceNormal);
  EXPECT_FALSE(panel.captured);

  panel.MoveOnto(kFax);
  panel.PressOn(kFax);
  panel.MoveOnto(kMail);
  EXPECT_EQ(panel.Face(kFax), kFaceNormal);
  EXPECT_EQ(panel.Face(kMail), kFaceHover);
  panel.ReleaseOn(kMail);
  EXPECT_TRUE(panel.clicks.empty());
  EXPECT_EQ(panel.active, kImage);
  EXPECT_EQ(panel.logic.PressedId(), 0);
}

TEST(PanelPointer, HoverOverTheActiveDestinationOnlyChangesTheLabel) {
  CFakePanel panel;
  panel.MoveOnto(kImage);
  EXPECT_EQ(panel.Face(kImage), kFacePressed);
  EXPECT_EQ(panel.label, kImage);
  panel.MoveOnto(kScan);
  EXPECT_EQ(panel.Face(kScan), kFaceHover);
  EXPECT_EQ(panel.Face(kImage), kFacePressed);
  EXPECT_EQ(panel.label, kScan);
  panel.logic.MouseMove(kOutsideX, kOutsideY);
  EXPECT_EQ(panel.Face(kScan), kFaceNormal);
  EXPECT_FALSE(panel.captured) << "the capture goes with the pointer when no button is held";
  EXPECT_FALSE(panel.logic.IsMouseInside());
}

TEST(PanelPointer, RightHandButtonsClickAndShowTheirReleasedFace) {
  CFakePanel panel;
  panel.MoveOnto(kInfo);
  panel.PressOn(kInfo);
  EXPECT_EQ(panel.Face(kInfo), kFacePressed);
  panel.ReleaseOn(kInfo);
  ASSERT_EQ(panel.clicks.size(), 1u);
  EXPECT_EQ(panel.clicks[0], kInfo);
  EXPECT_EQ(panel.Face(kInfo), kFaceHover);
  EXPECT_EQ(panel.active, kImage);
}

TEST(PanelPointer, RefusedReleaseLeavesTheButtonNormalAndNothingHeld) {
  CFakePanel panel;
  panel.refuse = true;
  panel.MoveOnto(kOcr);
  panel.PressOn(kOcr);
  panel.ReleaseOn(kOcr);
  EXPECT_EQ(panel.Face(kOcr), kFaceNormal);
  EXPECT_EQ(panel.Face(kImage), kFacePressed);
  EXPECT_EQ(panel.active, kImage);
  EXPECT_FALSE(panel.captured);
  EXPECT_FALSE(panel.logic.IsButtonDown());
}

TEST(PanelPointer, RepaintRestoresTheHotFace) {
  CFakePanel panel;
  panel.MoveOnto(kHelp);
  panel.face[kHelp - kFirstButton] = kFaceNormal;  // a full repaint draws every face normal
  panel.logic.RepaintHot();
  EXPECT_EQ(panel.Face(kHelp), kFaceHover);
  panel.PressOn(kHelp);
  panel.face[kHelp - kFirstButton] = kFaceNormal;
  panel.logic.RepaintHot();
  EXPECT_EQ(panel.Face(kHelp), kFacePressed);
}

TEST(PanelRules, LabelStringsFollowTheButtonAndTheActiveDestination) {
  EXPECT_EQ(TitleStringId(kMail), 1037u);
  EXPECT_EQ(DescriptionStringId(kMail, kImage), 1055u);
  EXPECT_EQ(TitleStringId(kScan), 1039u);
  EXPECT_EQ(DescriptionStringId(kScan, kImage), 1067u);
  EXPECT_EQ(DescriptionStringId(kScan, kFax), 1069u);
  EXPECT_EQ(DescriptionStringId(kScan, kOcr), 1071u);
  EXPECT_EQ(TitleStringId(kPrinterButton), 2015u);
  EXPECT_EQ(DescriptionStringId(kPrinterButton, kCopy), 1073u);
  EXPECT_EQ(DescriptionStringId(kFaxSettingButton, kFax), 1074u);
  EXPECT_EQ(DescriptionStringId(kEditMailButton, kMail), 1075u);
  EXPECT_EQ(DescriptionStringId(kBrowserButton, kImage), 1072u);
  EXPECT_EQ(TitleStringId(kInfo), 1042u);
  EXPECT_EQ(DescriptionStringId(kInfo, kImage), 1060u);
}

TEST(PanelRules, StoredActiveIdOutsideTheDestinationsSelectsImage) {
  EXPECT_EQ(ActiveFromStored(1003), kMail);
  EXPECT_EQ(ActiveFromStored(1004), kOcr);
  EXPECT_EQ(ActiveFromStored(1005), kImage);
  EXPECT_EQ(ActiveFromStored(999), kImage);
  EXPECT_EQ(ActiveFromStored(-1), kImage);
}

TEST(PanelRules, FacesOfEachDraw) {
  FaceDraw d[2];
  ASSERT_EQ(FacesForDraw(kScan, kStatePressed, kFax, d), 1);
  EXPECT_EQ(d[0].face, kFacePressed);
  EXPECT_EQ(FacesForDraw(kFax, kStateNormal, kFax, d), 0);
  EXPECT_EQ(FacesForDraw(2015, kStateHover, kFax, d), 0);
  EXPECT_STREQ(FaceBitmapName(kOcr, kFaceHover), "OCRF");
  EXPECT_STREQ(FaceBitmapName(kInfo, kFacePressed), "INFOD");
  EXPECT_EQ(FaceBitmapName(999, kFaceNormal), nullptr);
}
