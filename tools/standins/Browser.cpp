// browser.exe: the system browser of the sign-in tests, registered for "https" in the test
// prefix. It follows the authorize address it is given like a browser whose user consents: the
// authorization server of the tests answers with its redirect to the program's loopback
// listener (or with a page, when it waits for a user who never comes), and the stand-in goes
// there and reads the page the listener answers. Every step goes to browser.log beside it
// (visit, redirect, page); with ORVANE_BROWSER_SHOW_MS set it shows the last page's title and
// text in a window for that long (for screenshots).
#include <windows.h>

#include <shellapi.h>
#include <winhttp.h>

#include <string>

#include "tools/standins/LogFile.h"

namespace {
struct Page {
  DWORD status = 0;
  std::wstring location;
  std::string body;
};

std::wstring g_title, g_text;

std::wstring FromUtf8(const std::string& text) {
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  if (length > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

// The text between `open` and `close` in `html`.
std::wstring Between(const std::string& html, const char* open, const char* close) {
  const size_t start = html.find(open);
  if (start == std::string::npos) return std::wstring();
  const size_t from = start + strlen(open);
  const size_t end = html.find(close, from);
  return FromUtf8(html.substr(from, end == std::string::npos ? std::string::npos : end - from));
}

bool Fetch(const std::wstring& url, Page* page) {
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return false;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  HINTERNET session = WinHttpOpen(L"browser stand-in", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0);
  HINTERNET connect = session ? WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
  HINTERNET request =
      connect ? WinHttpOpenRequest(connect, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                   WINHTTP_DEFAULT_ACCEPT_TYPES,
                                   parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0)
              : nullptr;
  bool ok = false;
  if (request) {
    // Redirects are followed by hand, as a browser does across schemes.
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof(disable));
    if (WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
      DWORD size = sizeof(page->status);
      WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &page->status, &size, WINHTTP_NO_HEADER_INDEX);
      wchar_t location[4096] = {};
      size = sizeof(location);
      if (WinHttpQueryHeaders(request, WINHTTP_QUERY_LOCATION, WINHTTP_HEADER_NAME_BY_INDEX, location, &size,
                              WINHTTP_NO_HEADER_INDEX)) {
        page->location = location;
      }
      char buffer[4096];
      DWORD got = 0;
      while (WinHttpReadData(request, buffer, sizeof(buffer), &got) && got > 0)
        page->body.append(buffer, got);
      ok = true;
    }
  }
  if (request) WinHttpCloseHandle(request);
  if (connect) WinHttpCloseHandle(connect);
  if (session) WinHttpCloseHandle(session);
  return ok;
}

LRESULT CALLBACK PageProc(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(wnd, &paint);
    RECT area;
    GetClientRect(wnd, &area);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    HFONT heading = CreateFontW(-28, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HFONT body = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HGDIOBJ old = SelectObject(dc, heading);
    SetBkMode(dc, TRANSPARENT);
    RECT line = {40, 40, area.right - 40, 90};
    DrawTextW(dc, g_title.c_str(), -1, &line, DT_LEFT | DT_SINGLELINE);
    SelectObject(dc, body);
    line = {40, 110, area.right - 40, area.bottom - 20};
    DrawTextW(dc, g_text.c_str(), -1, &line, DT_LEFT | DT_WORDBREAK);
    SelectObject(dc, old);
    DeleteObject(heading);
    DeleteObject(body);
    EndPaint(wnd, &paint);
    return 0;
  }
  if (message == WM_TIMER || message == WM_CLOSE) {
    DestroyWindow(wnd);
    return 0;
  }
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(wnd, message, wParam, lParam);
}

void Show(HINSTANCE instance, DWORD ms) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = PageProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.lpszClassName = L"BrowserStandIn";
  RegisterClassW(&wc);
  HWND wnd = CreateWindowExW(0, wc.lpszClassName, g_title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60,
                             640, 260, nullptr, nullptr, instance, nullptr);
  SetTimer(wnd, 1, ms, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command, int) {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(command, &count);
  std::wstring url = args && count > 0 && command[0] ? args[0] : L"";
  const std::wstring log = FileBesideProgram(L"browser.log");
  AppendLogLine(log, L"visit\t" + Printable(url));
  // The authorization server answers with a redirect (consent or refusal), at most a few.
  for (int hop = 0; hop < 5 && !url.empty(); ++hop) {
    Page page;
    if (!Fetch(url, &page)) {
      AppendLogLine(log, L"failed\t" + std::to_wstring(GetLastError()));
      return 1;
    }
    if (page.status >= 300 && page.status < 400 && !page.location.empty()) {
      AppendLogLine(log, L"redirect\t" + Printable(page.location));
      url = page.location;
      continue;
    }
    g_title = Between(page.body, "<title>", "</title>");
    g_text = Between(page.body, "<p>", "</p>");
    AppendLogLine(log, L"page\t" + std::to_wstring(page.status) + L"\t" + Printable(g_title) + L"\t" +
                           Printable(g_text));
    break;
  }
  wchar_t show[32] = {};
  if (GetEnvironmentVariableW(L"ORVANE_BROWSER_SHOW_MS", show, 32) > 0) Show(instance, _wtoi(show));
  return 0;
}
