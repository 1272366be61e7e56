// CBitmapButton: an owner-drawn push button painted from up to four bitmaps (normal,
// pressed, focused, disabled) loaded from the module's resource source. The dialog hands its
// WM_DRAWITEM for the button to DrawItem.
#pragma once

#include "framework/Handles.h"
#include "framework/SubclassWnd.h"

class CBitmapButton : public CSubclassWnd {
 public:
  // Loads the faces by id from the current resource source; 0 leaves a face out. False when
  // the normal face cannot be loaded. Above 96 `dpi` a face n comes from the art set of the
  // scale ("BMPn_150", "BMPn_200"), shrunk by area between sets.
  bool LoadBitmaps(UINT normal, UINT pressed = 0, UINT focused = 0, UINT disabled = 0, UINT dpi = 96);
  // Sizes the button to its normal face.
  void SizeToContent() const;
  // Paints the face for the state in `item`; true when `item` is this button's.
  bool DrawItem(const DRAWITEMSTRUCT* item) const;

 private:
  CGdiObject m_normal, m_pressed, m_focused, m_disabled;
};
