// The editor stand-in's window: the page it was given, scaled to fit, until it is closed.
#include "tools/standins/EditorWindow.h"

#include "tools/standins/ImageProbe.h"

namespace {

const wchar_t kClassName[] = L"IpeStandIn";
const int kMaxWidth = 480;
const int kMaxHeight = 620;

LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      HBITMAP picture = reinterpret_cast<HBITMAP>(GetWindowLongPtrW(window, GWLP_USERDATA));
      if (picture) {
        BITMAP info;
        GetObjectW(picture, sizeof(info), &info);
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(memory, picture);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
      } else {
        RECT client;
        GetClientRect(window, &client);
        DrawTextW(dc, L"The file does not open as an image.", -1, &client,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int RunEditorWindow(HINSTANCE instance, const std::wstring& image, int show) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = EditorProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassW(&windowClass)) return 1;

  HBITMAP picture = MakeThumbnail(image, kMaxWidth, kMaxHeight);
  SIZE size = {320, 120};
  if (picture) {
    BITMAP info;
    GetObjectW(picture, sizeof(info), &info);
    size = {info.bmWidth, info.bmHeight};
  }
  const DWORD style = WS_OVERLAPPEDWINDOW;
  RECT frame = {0, 0, size.cx, size.cy};
  AdjustWindowRect(&frame, style, FALSE);
  const size_t slash = image.find_last_of(L"\\/");
  const std::wstring title = L"Ipe - " + (slash == std::wstring::npos ? image : image.substr(slash + 1));
  HWND window = CreateWindowExW(0, kClassName, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                instance, nullptr);
  if (!window) {
    if (picture) DeleteObject(picture);
    return 1;
  }
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(picture));
  ShowWindow(window, show == SW_HIDE ? SW_SHOWNORMAL : show);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (picture) DeleteObject(picture);
  return 0;
}
