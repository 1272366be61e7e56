// The accessibility probe: what a screen reader gets of a window through Active Accessibility.
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <vector>

#include "tools/guidriver/Commands.h"
#include "tools/guidriver/Output.h"
#include "tools/guidriver/Selector.h"

namespace {

struct SStateName {
  long bit;
  const wchar_t* name;
};
const SStateName kStates[] = {
    {STATE_SYSTEM_UNAVAILABLE, L"unavailable"}, {STATE_SYSTEM_SELECTED, L"selected"},
    {STATE_SYSTEM_FOCUSED, L"focused"},         {STATE_SYSTEM_PRESSED, L"pressed"},
    {STATE_SYSTEM_INVISIBLE, L"invisible"},     {STATE_SYSTEM_FOCUSABLE, L"focusable"},
    {STATE_SYSTEM_SELECTABLE, L"selectable"},
};

// Releases a COM interface when it goes.
template <typename T>
class CComRef {
 public:
  CComRef() = default;
  ~CComRef() {
    if (m_p) m_p->Release();
  }
  CComRef(const CComRef&) = delete;
  CComRef& operator=(const CComRef&) = delete;
  T** Out() { return &m_p; }
  T* operator->() const { return m_p; }
  T* Get() const { return m_p; }

 private:
  T* m_p = nullptr;
};

std::wstring Take(BSTR text) {
  std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return result;
}

std::wstring States(long flags) {
  std::wstring text;
  for (const SStateName& state : kStates) {
    if (!(flags & state.bit)) continue;
    if (!text.empty()) text += L",";
    text += state.name;
  }
  return text.empty() ? L"normal" : text;
}

// "<name>\t<role>\t<states>\t<shortcut>" of one element.
std::wstring Describe(IAccessible* object, const VARIANT& child) {
  BSTR name = nullptr;
  object->get_accName(child, &name);
  VARIANT role;
  VariantInit(&role);
  object->get_accRole(child, &role);
  VARIANT state;
  VariantInit(&state);
  object->get_accState(child, &state);
  BSTR shortcut = nullptr;
  object->get_accKeyboardShortcut(child, &shortcut);
  std::wstring line = Field(Take(name)) + L"\t" + std::to_wstring(role.vt == VT_I4 ? role.lVal : -1) + L"\t" +
                      (state.vt == VT_I4 ? States(state.lVal) : L"?") + L"\t" + Field(Take(shortcut));
  VariantClear(&role);
  VariantClear(&state);
  return line;
}

VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  return self;
}

}  // namespace

// access SELECTOR [--windows]: the client object of the window ("self"), each of its children
// ("child <n>") and, with --windows, the window object of each visible child window
// ("window <hwnd>", its client object): name, role number, states and keyboard shortcut, tab-separated.
int CmdAccess(const CArgs& args) {
  HWND top = nullptr;
  if (int rc = SelectWindow(args, top)) return rc;
  const HRESULT started = CoInitialize(nullptr);
  int rc = 0;
  {
    CComRef<IAccessible> client;
    if (FAILED(AccessibleObjectFromWindow(top, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(client.Out()))) ||
        !client.Get()) {
      rc = Fail(L"no accessible object for " + HwndText(top));
    } else {
      PrintLine(L"self\t" + Describe(client.Get(), Self()));
      long count = 0;
      client->get_accChildCount(&count);
      std::vector<VARIANT> children(static_cast<size_t>(count > 0 ? count : 0));
      long obtained = 0;
      if (count > 0 && SUCCEEDED(AccessibleChildren(client.Get(), 0, count, children.data(), &obtained))) {
        for (long i = 0; i < obtained; ++i) {
          VARIANT& child = children[static_cast<size_t>(i)];
          if (child.vt == VT_I4) {
            PrintLine(L"child\t" + std::to_wstring(child.lVal) + L"\t" + Describe(client.Get(), child));
          } else if (child.vt == VT_DISPATCH && child.pdispVal) {
            CComRef<IAccessible> object;
            if (SUCCEEDED(
                    child.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(object.Out()))))
              PrintLine(L"child\tobject\t" + Describe(object.Get(), Self()));
          }
          VariantClear(&child);
        }
      }
    }
    if (rc == 0 && args.Flag(L"--windows")) {
      for (HWND child = GetWindow(top, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        CComRef<IAccessible> window;
        if (SUCCEEDED(AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                 reinterpret_cast<void**>(window.Out()))) &&
            window.Get())
          PrintLine(L"window\t" + HwndText(child) + L"\t" + Describe(window.Get(), Self()));
      }
    }
  }
  if (SUCCEEDED(started)) CoUninitialize();
  return rc;
}
