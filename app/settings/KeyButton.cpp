// DrawKeyButton.
#include "app/settings/KeyButton.h"

#include "framework/Handles.h"

namespace {
// The key colours of the panel's art (top and bottom of the face, the focus glow).
const COLORREF kKeyTop = RGB(104, 112, 124);
const COLORREF kKeyBottom = RGB(72, 78, 89);
const COLORREF kGlow = RGB(92, 200, 255);
const int kRadius = 8;

COLORREF Mix(COLORREF a, COLORREF b, int at, int span, int darkenPercent) {
  auto channel = [&](int x, int y) {
    const int mixed = span > 0 ? x + (y - x) * at / span : x;
    return mixed * (100 - darkenPercent) / 100;
  };
  return RGB(channel(GetRValue(a), GetRValue(b)), channel(GetGValue(a), GetGValue(b)),
             channel(GetBValue(a), GetBValue(b)));
}
}  // namespace

void DrawKeyButton(const DRAWITEMSTRUCT& item, HFONT font, const CString& text) {
  HDC dc = item.hDC;
  const RECT r = item.rcItem;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  const int height = r.bottom - r.top;
  {
    // The face: a vertical gradient inside the rounded outline (darker and reversed when pressed).
    CGdiObject outline(CreateRoundRectRgn(r.left + 1, r.top + 1, r.right, r.bottom, kRadius, kRadius));
    SelectClipRgn(dc, static_cast<HRGN>(outline.Get()));
    for (int y = 0; y < height; ++y) {
      const COLORREF colour =
          pressed ? Mix(kKeyBottom, kKeyTop, y, height, 22) : Mix(kKeyTop, kKeyBottom, y, height, 0);
      CGdiObject pen(CreatePen(PS_SOLID, 1, colour));
      CSelectObject select(dc, pen.Get());
      MoveToEx(dc, r.left, r.top + y, nullptr);
      LineTo(dc, r.right, r.top + y);
    }
    SelectClipRgn(dc, nullptr);
  }
  {
    CGdiObject rim(CreatePen(PS_SOLID, 1, (item.itemState & ODS_FOCUS) ? kGlow : RGB(30, 36, 46)));
    CSelectObject pen(dc, rim.Get());
    CSelectObject brush(dc, GetStockObject(NULL_BRUSH));
    RoundRect(dc, r.left + 1, r.top + 1, r.right, r.bottom, kRadius, kRadius);
  }
  CSelectObject select(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, disabled ? RGB(150, 156, 166) : RGB(255, 255, 255));
  RECT inside = r;
  if (pressed) OffsetRect(&inside, 1, 1);
  DrawTextA(dc, text.c_str(), text.GetLength(), &inside,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}
