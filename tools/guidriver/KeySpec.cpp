// Turns a KEYS text ("abc{ENTER}{ALT+F4}") into the keyboard events SendInput replays.
#include "tools/guidriver/KeySpec.h"

namespace {

struct SNamedKey {
  const wchar_t* name;
  WORD vk;
  bool extended;
};

const SNamedKey kNamedKeys[] = {
    {L"ENTER", VK_RETURN, false}, {L"ESC", VK_ESCAPE, false},     {L"TAB", VK_TAB, false},
    {L"SPACE", VK_SPACE, false},  {L"BACKSPACE", VK_BACK, false}, {L"DELETE", VK_DELETE, true},
    {L"UP", VK_UP, true},         {L"DOWN", VK_DOWN, true},       {L"LEFT", VK_LEFT, true},
    {L"RIGHT", VK_RIGHT, true},   {L"HOME", VK_HOME, true},       {L"END", VK_END, true},
};

void AddKey(std::vector<INPUT>& events, WORD vk, bool up, bool extended = false) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
  input.ki.dwFlags = (up ? KEYEVENTF_KEYUP : 0) | (extended ? KEYEVENTF_EXTENDEDKEY : 0);
  events.push_back(input);
}

// Holds the modifiers in MODS (1 shift, 2 ctrl, 4 alt, as VkKeyScan reports them) around a key.
void AddStroke(std::vector<INPUT>& events, int mods, WORD vk, bool extended) {
  if (mods & 2) AddKey(events, VK_CONTROL, false);
  if (mods & 4) AddKey(events, VK_MENU, false);
  if (mods & 1) AddKey(events, VK_SHIFT, false);
  AddKey(events, vk, false, extended);
  AddKey(events, vk, true, extended);
  if (mods & 1) AddKey(events, VK_SHIFT, true);
  if (mods & 4) AddKey(events, VK_MENU, true);
  if (mods & 2) AddKey(events, VK_CONTROL, true);
}

void AddCharacter(std::vector<INPUT>& events, wchar_t c, int mods) {
  SHORT scan = VkKeyScanW(c);
  if (scan != -1) {
    AddStroke(events, mods | ((scan >> 8) & 7), static_cast<WORD>(scan & 0xFF), false);
    return;
  }
  // Not on the keyboard layout: typed as a character of its own.
  for (DWORD flags : {KEYEVENTF_UNICODE, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP}) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = c;
    input.ki.dwFlags = flags;
    events.push_back(input);
  }
}

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  size_t n = wcslen(prefix);
  return text.size() > n && _wcsnicmp(text.c_str(), prefix, n) == 0;
}

bool AddNamed(std::vector<INPUT>& events, std::wstring name, std::wstring& error) {
  std::wstring whole = name;
  int mods = 0;
  for (;;) {
    if (StartsWith(name, L"SHIFT+"))
      mods |= 1, name.erase(0, 6);
    else if (StartsWith(name, L"CTRL+"))
      mods |= 2, name.erase(0, 5);
    else if (StartsWith(name, L"ALT+"))
      mods |= 4, name.erase(0, 4);
    else
      break;
  }
  for (const SNamedKey& key : kNamedKeys) {
    if (_wcsicmp(name.c_str(), key.name) == 0) {
      AddStroke(events, mods, key.vk, key.extended);
      return true;
    }
  }
  if ((name[0] == L'F' || name[0] == L'f') && name.size() <= 3) {
    int number = _wtoi(name.c_str() + 1);
    if (number >= 1 && number <= 12 && name.size() == (number >= 10 ? 3u : 2u)) {
      AddStroke(events, mods, static_cast<WORD>(VK_F1 + number - 1), false);
      return true;
    }
  }
  if (name.size() == 1 && (mods != 0 || name[0] == L'{' || name[0] == L'}')) {
    AddCharacter(events, name[0], mods);
    return true;
  }
  error = L"unknown key {" + whole + L"}";
  return false;
}

}  // namespace

bool ParseKeys(const std::wstring& keys, std::vector<INPUT>& events, std::wstring& error) {
  for (size_t i = 0; i < keys.size(); ++i) {
    if (keys[i] != L'{') {
      AddCharacter(events, keys[i], 0);
      continue;
    }
    // "{}}" is the closing brace itself, so search for the end after the first character.
    size_t end = keys.find(L'}', i + 2);
    if (end == std::wstring::npos) {
      error = L"unclosed { in keys";
      return false;
    }
    if (!AddNamed(events, keys.substr(i + 1, end - i - 1), error)) return false;
    i = end;
  }
  return true;
}
