// CTipBitmapButton: a bitmap button that hands every message it receives to its owner's
// tooltip control before its normal processing.
#pragma once

#include "framework/BitmapButton.h"

#include "mail/AddressControls.h"

class CTipBitmapButton : public CBitmapButton {
 public:
  void SetOwner(IAddressControlsOwner* owner) { m_owner = owner; }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  IAddressControlsOwner* m_owner = nullptr;
};
