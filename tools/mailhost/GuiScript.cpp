// GuiScript: plays dialog actions from a timer inside the library's message loops.
#include "tools/mailhost/GuiScript.h"

#include <commctrl.h>

#include <cstdio>
#include <deque>

namespace {
const UINT kTickMs = 30;
const DWORD kActionTimeoutMs = 30000;

struct State {
  std::deque<std::vector<std::string>> actions;
  UINT_PTR timer = 0;
  HWND current = nullptr;  // the dialog the actions address
  DWORD actionStart = 0;
  int boxesSeen = 0;
  int boxesTaken = 0;
  bool inTick = false;
};
State g;

std::string WindowText(HWND wnd) {
  char text[2048] = {};
  GetWindowTextA(wnd, text, sizeof(text));
  return text;
}

// A text on one log line: CR and LF written as the script's <CR> and <LF>.
std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) line += c == '\r' ? "<CR>" : c == '\n' ? "<LF>" : std::string(1, c);
  return line;
}

std::string ClassOf(HWND wnd) {
  char name[64] = {};
  GetClassNameA(wnd, name, sizeof(name));
  return name;
}

struct Finder {
  std::string title;
  bool messageBox = false;
  HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND wnd, LPARAM param) {
  auto* finder = reinterpret_cast<Finder*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(wnd, &process);
  if (process != GetCurrentProcessId() || !IsWindowVisible(wnd)) return TRUE;
  if (ClassOf(wnd) != "#32770") return TRUE;
  const bool isBox = GetDlgItem(wnd, 0xFFFF) != nullptr && GetDlgItem(wnd, IDOK) && !GetDlgItem(wnd, 1019) &&
                     !GetDlgItem(wnd, 1006) && !GetDlgItem(wnd, 2003);
  if (finder->messageBox ? isBox : (!isBox && WindowText(wnd) == finder->title)) {
    finder->found = wnd;
    return FALSE;
  }
  return TRUE;
}

HWND FindDialog(const std::string& title) {
  Finder finder{title, false, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&finder));
  return finder.found;
}

HWND FindMessageBox() {
  Finder finder{"", true, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&finder));
  return finder.found;
}

std::string Join(const std::vector<std::string>& words) {
  std::string all;
  for (const auto& w : words) all += (all.empty() ? "" : " ") + w;
  return all;
}

std::string ListItems(HWND list) {
  std::string items;
  const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[1024] = {};
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    const bool selected = SendMessageA(list, LB_GETSEL, i, 0) > 0;
    items += (i ? "|" : "") + std::string(selected ? "*" : "") + text;
  }
  return items;
}

std::string ToolTips(HWND dialog) {
  std::string tips;
  HWND tip = nullptr;
  while ((tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) != nullptr) {
    if (GetWindow(tip, GW_OWNER) != dialog) continue;
    const int count = static_cast<int>(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char text[256] = {};
      TTTOOLINFOA info = {};
      info.cbSize = TTTOOLINFOA_V2_SIZE;
      info.lpszText = text;
      SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&info));
      tips += (tips.empty() ? "" : "|") + std::to_string(GetDlgCtrlID(reinterpret_cast<HWND>(info.uId))) +
              "=" + text;
    }
  }
  return tips;
}

// The text of the tooltip of `dialog` that is showing, or empty.
std::string ShownTip(HWND dialog) {
  HWND tip = nullptr;
  while ((tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) != nullptr) {
    if (GetWindow(tip, GW_OWNER) != dialog || !IsWindowVisible(tip)) continue;
    char text[256] = {};
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.lpszText = text;
    if (SendMessageA(tip, TTM_GETCURRENTTOOLA, 0, reinterpret_cast<LPARAM>(&info))) return text;
  }
  return "";
}

UINT KeyCode(const std::string& name) {
  if (name == "RETURN") return VK_RETURN;
  if (name == "ESCAPE") return VK_ESCAPE;
  if (name == "DELETE") return VK_DELETE;
  return 0;
}

// Runs the front action; false when it must wait for a later tick.
bool Perform(const std::vector<std::string>& a) {
  const std::string& verb = a[0];
  auto item = [&](size_t at) { return GetDlgItem(g.current, std::stoi(a.at(at))); };
  if (verb == "wait") {
    HWND wnd = FindDialog(a.at(1));
    if (!wnd) return false;
    g.current = wnd;
    GuiScript::Log("window " + a[1]);
    return true;
  }
  if (verb == "msgbox") {
    if (g.boxesTaken >= g.boxesSeen) return false;
    ++g.boxesTaken;
    return true;
  }
  if (verb == "pause") {
    // Lets the call run on for the given milliseconds before the next action.
    return GetTickCount() - g.actionStart >= static_cast<DWORD>(std::stoul(a.at(1)));
  }
  if (verb == "waitgone") {
    return FindDialog(a.at(1)) == nullptr;
  }
  if (!g.current || !IsWindow(g.current)) {
    GuiScript::Log("no window for " + Join(a));
    return true;
  }
  if (verb == "tipshown") {
    const std::string tip = ShownTip(g.current);
    if (tip.empty()) return false;
    GuiScript::Log("tip: " + tip);
    return true;
  }
  if (verb == "waittext") {
    return WindowText(item(1)).rfind(a.at(2), 0) == 0;
  }
  if (verb == "waitmoved") {
    // Until the progress bar has left its start: part of a file has gone out.
    return SendMessageA(item(1), PBM_GETPOS, 0, 0) > 0;
  }
  if (verb == "set") {
    SetWindowTextA(item(1), a.size() > 2 ? a[2].c_str() : "");
  } else if (verb == "click") {
    HWND button = item(1);
    if (!IsWindowEnabled(button)) {
      GuiScript::Log("click " + a[1] + ": disabled");
    } else {
      PostMessageA(g.current, WM_COMMAND, MAKEWPARAM(std::stoi(a[1]), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      GuiScript::Log("clicked " + a[1] + " at=" + GuiScript::FormatMs(GuiScript::NowMs()));
    }
  } else if (verb == "key") {
    HWND control = item(1);
    SetFocus(control);
    PostMessageA(control, WM_KEYDOWN, KeyCode(a.at(2)), 1);
    PostMessageA(control, WM_KEYUP, KeyCode(a.at(2)), 0xC0000001);
  } else if (verb == "select") {
    HWND list = item(1);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (size_t i = 2; i < a.size(); ++i) {
      if (a[i] == "all")
        SendMessageA(list, LB_SETSEL, TRUE, -1);
      else
        SendMessageA(list, LB_SETSEL, TRUE, std::stoi(a[i]));
    }
  } else if (verb == "hover") {
    // The pointer goes to the control's middle; the move reaches the control, or the dialog
    // when the control is disabled (as real input would).
    HWND control = item(1);
    RECT r = {};
    GetWindowRect(control, &r);
    POINT at = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    SetCursorPos(at.x, at.y);
    HWND target = IsWindowEnabled(control) ? control : g.current;
    POINT local = at;
    ScreenToClient(target, &local);
    PostMessageA(target, WM_MOUSEMOVE, 0, MAKELPARAM(local.x, local.y));
  } else if (verb == "dblclk") {
    PostMessageA(g.current, WM_COMMAND, MAKEWPARAM(std::stoi(a[1]), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(item(1)));
  } else if (verb == "list") {
    GuiScript::Log("list " + a[1] + ": " + ListItems(item(1)));
  } else if (verb == "enabled") {
    GuiScript::Log("enabled " + a[1] + ": " + (IsWindowEnabled(item(1)) ? "1" : "0"));
  } else if (verb == "visible") {
    GuiScript::Log("visible " + a[1] + ": " + (IsWindowVisible(item(1)) ? "1" : "0"));
  } else if (verb == "text") {
    GuiScript::Log("text " + a[1] + ": " + WindowText(item(1)));
  } else if (verb == "pos") {
    HWND bar = item(1);
    GuiScript::Log("pos " + a[1] + ": " + std::to_string(SendMessageA(bar, PBM_GETPOS, 0, 0)) + "/" +
                   std::to_string(SendMessageA(bar, PBM_GETRANGE, FALSE, 0)));
  } else if (verb == "caption") {
    GuiScript::Log("caption: " + WindowText(g.current));
  } else if (verb == "size") {
    RECT r = {};
    GetWindowRect(item(1), &r);
    GuiScript::Log("size " + a[1] + ": " + std::to_string(r.right - r.left) + "x" +
                   std::to_string(r.bottom - r.top));
  } else if (verb == "tooltips") {
    GuiScript::Log("tooltips: " + ToolTips(g.current));
  } else if (verb == "style") {
    const LONG style = GetWindowLongA(g.current, GWL_STYLE);
    GuiScript::Log(std::string("sysmenu: ") + ((style & WS_SYSMENU) ? "1" : "0") +
                   " topmost: " + ((GetWindowLongA(g.current, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "1" : "0"));
  } else {
    GuiScript::Log("unknown action " + Join(a));
  }
  return true;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (g.inTick) return;
  g.inTick = true;
  // Every message box is logged and closed with OK as soon as it shows.
  if (HWND box = FindMessageBox()) {
    GuiScript::Log("msgbox " + WindowText(box) + ": " + OneLine(WindowText(GetDlgItem(box, 0xFFFF))));
    ++g.boxesSeen;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    g.inTick = false;
    return;
  }
  // Actions run back to back until one has to wait; one that posts input ends the tick, so
  // that its messages are handled before the next action looks.
  while (!g.actions.empty()) {
    if (g.actionStart == 0) g.actionStart = GetTickCount();
    const std::string verb = g.actions.front()[0];
    if (Perform(g.actions.front())) {
      g.actions.pop_front();
      g.actionStart = 0;
      if (verb == "click" || verb == "key" || verb == "dblclk" || verb == "set" || verb == "hover") break;
    } else {
      if (GetTickCount() - g.actionStart > kActionTimeoutMs) {
        GuiScript::Log("timeout " + Join(g.actions.front()));
        g.actions.pop_front();
        g.actionStart = 0;
      }
      break;
    }
  }
  g.inTick = false;
}
}  // namespace

namespace GuiScript {
void Queue(const std::vector<std::string>& words) {
  if (!words.empty()) g.actions.push_back(words);
}

void Start() {
  if (!g.timer) g.timer = SetTimer(nullptr, 0, kTickMs, Tick);
}

void Poll() { Tick(nullptr, 0, 0, 0); }

void Stop() {
  for (const auto& a : g.actions) Log("unused " + Join(a));
  g.actions.clear();
  g.actionStart = 0;
  g.current = nullptr;
}

double NowMs() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string FormatMs(double ms) {
  char text[32];
  std::snprintf(text, sizeof(text), "%.1f", ms);
  return text;
}

void Log(const std::string& line) {
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}
}  // namespace GuiScript
