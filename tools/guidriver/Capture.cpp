// Screen reading commands: shot (BMP of a window as on screen) and pixel.
#include "tools/guidriver/Commands.h"

#include "framework/Handles.h"
#include "tools/guidriver/BmpFile.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"

namespace {

// Larger captures are refused rather than risking an overflowing buffer size.
constexpr int kMaxSide = 16384;

RECT ScreenRect(HWND wnd, bool client) {
  RECT r;
  if (!client) {
    GetWindowRect(wnd, &r);
    return r;
  }
  GetClientRect(wnd, &r);
  MapWindowPoints(wnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace

int CmdShot(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  if (args.Positionals().size() != 1) return Fail(L"expected FILE.bmp");
  RECT r = ScreenRect(top, args.Flag(L"--client"));
  int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return Fail(L"window " + HwndText(top) + L" has no area to capture");

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, so row 0 is the top of the window
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  CClientDC screen(nullptr);
  void* bits = nullptr;
  CGdiObject bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  CMemoryDC memory(screen.Get());
  if (!bitmap || !bits || !memory.Get()) return Fail(L"cannot make a bitmap for the capture");
  {
    CSelectObject select(memory.Get(), bitmap.Get());
    if (!BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY | CAPTUREBLT))
      return Fail(L"BitBlt from the screen failed");
  }
  GdiFlush();
  if (!WriteBmp24(args.Positionals()[0], width, height, static_cast<const BYTE*>(bits)))
    return Fail(L"cannot write " + args.Positionals()[0]);
  return 0;
}

int CmdPixel(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  POINT client;
  if (!ParsePoint(args, client)) return Fail(L"expected X Y client coordinates");
  const auto& pos = args.Positionals();
  CClientDC dc(top);
  COLORREF color = dc.Get() ? GetPixel(dc.Get(), client.x, client.y) : CLR_INVALID;
  if (color == CLR_INVALID)
    return Fail(L"pixel " + pos[0] + L"," + pos[1] + L" of " + HwndText(top) + L" is not visible");
  wchar_t text[8];
  swprintf(text, 8, L"%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
  PrintLine(text);
  return 0;
}
