// CPanelAccessible: IAccessible for the painted buttons (simple elements of the client).
#include "app/PanelAccessible.h"

#include <vector>

#include "app/PanelFocus.h"
#include "app/PanelRules.h"

namespace {
const long kChildCount = Panel::kButtonCount;

// Child 1 to 9 in the tab order; 0 for CHILDID_SELF or anything else.
uint16_t ButtonOf(const VARIANT& child) {
  if (child.vt != VT_I4 || child.lVal < 1 || child.lVal > kChildCount) return 0;
  return static_cast<uint16_t>(Panel::kFirstButton + child.lVal - 1);
}
bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }
long ChildOf(uint16_t id) { return Panel::IsButton(id) ? id - Panel::kFirstButton + 1 : CHILDID_SELF; }

BSTR Wide(const char* text, UINT codePage = CP_ACP) {
  const int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  if (length <= 0) return nullptr;
  std::vector<wchar_t> wide(static_cast<size_t>(length));
  MultiByteToWideChar(codePage, 0, text, -1, wide.data(), length);
  return SysAllocString(wide.data());
}
}  // namespace

class CPanelAccessible final : public IAccessible {
 public:
  explicit CPanelAccessible(IAccessibleButtons& buttons) : m_buttons(&buttons) {}
  void Disconnect() { m_buttons = nullptr; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, IID_IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&m_references));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }
  // IDispatch: no type information; clients use the IAccessible methods.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!m_buttons) return RPC_E_DISCONNECTED;
    return AccessibleObjectFromWindow(m_buttons->ButtonsWindow(), static_cast<DWORD>(OBJID_WINDOW),
                                      IID_IDispatch, reinterpret_cast<void**>(parent));
  }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    *count = kChildCount;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    // The buttons are simple elements: no object of their own.
    return ButtonOf(child) ? S_FALSE : E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    if (!name) return E_POINTER;
    *name = nullptr;
    if (!m_buttons) return RPC_E_DISCONNECTED;
    if (const uint16_t id = ButtonOf(child)) {
      *name = Wide(m_buttons->ButtonName(id).c_str());
    } else if (IsSelf(child)) {
      char title[256] = {};
      GetWindowTextA(m_buttons->ButtonsWindow(), title, sizeof(title));
      *name = Wide(title);
    } else {
      return E_INVALIDARG;
    }
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return Nothing(child, value);
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return Nothing(child, text);
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    if (!role) return E_POINTER;
    VariantInit(role);
    if (!ButtonOf(child) && !IsSelf(child)) return E_INVALIDARG;
    role->vt = VT_I4;
    role->lVal = ButtonOf(child) ? ROLE_SYSTEM_PUSHBUTTON : ROLE_SYSTEM_CLIENT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    if (!state) return E_POINTER;
    VariantInit(state);
    if (!m_buttons) return RPC_E_DISCONNECTED;
    const uint16_t id = ButtonOf(child);
    if (!id && !IsSelf(child)) return E_INVALIDARG;
    long flags = STATE_SYSTEM_FOCUSABLE;
    if (id) {
      if (Panel::IsDestination(id)) flags |= STATE_SYSTEM_SELECTABLE;
      if (id == m_buttons->SelectedButton()) flags |= STATE_SYSTEM_SELECTED;
      if (id == m_buttons->FocusedButton()) flags |= STATE_SYSTEM_FOCUSED;
      if (!m_buttons->ButtonAvailable(id)) flags = STATE_SYSTEM_UNAVAILABLE;
    }
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return Nothing(child, text); }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    if (file) *file = nullptr;
    if (topic) *topic = 0;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    const uint16_t id = ButtonOf(child);
    if (!id) return IsSelf(child) ? S_FALSE : E_INVALIDARG;
    const CString text = CString::Format("Alt+%c", PanelFocus::AccessKey(id));
    *shortcut = Wide(text.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    if (!m_buttons) return RPC_E_DISCONNECTED;
    const uint16_t id = m_buttons->FocusedButton();
    if (!id) return S_FALSE;
    focus->vt = VT_I4;
    focus->lVal = ChildOf(id);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    if (!m_buttons) return RPC_E_DISCONNECTED;
    selection->vt = VT_I4;
    selection->lVal = ChildOf(m_buttons->SelectedButton());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    if (!action) return E_POINTER;
    *action = nullptr;
    if (!ButtonOf(child)) return IsSelf(child) ? S_FALSE : E_INVALIDARG;
    *action = SysAllocString(L"Press");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT) override { return DISP_E_MEMBERNOTFOUND; }
  HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height, VARIANT child) override {
    if (!x || !y || !width || !height) return E_POINTER;
    if (!m_buttons) return RPC_E_DISCONNECTED;
    RECT r = {};
    if (const uint16_t id = ButtonOf(child)) {
      r = m_buttons->ButtonArea(id);
    } else if (IsSelf(child)) {
      GetClientRect(m_buttons->ButtonsWindow(), &r);
    } else {
      return E_INVALIDARG;
    }
    MapWindowPoints(m_buttons->ButtonsWindow(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    *x = r.left;
    *y = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    if (!end) return E_POINTER;
    VariantInit(end);
    long child = start.vt == VT_I4 ? start.lVal : -1;
    switch (direction) {
      case NAVDIR_FIRSTCHILD:
        child = IsSelf(start) ? 1 : -1;
        break;
      case NAVDIR_LASTCHILD:
        child = IsSelf(start) ? kChildCount : -1;
        break;
      case NAVDIR_NEXT:
        child = ButtonOf(start) && child < kChildCount ? child + 1 : -1;
        break;
      case NAVDIR_PREVIOUS:
        child = ButtonOf(start) && child > 1 ? child - 1 : -1;
        break;
      default:
        child = -1;
        break;
    }
    if (child < 0) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = child;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* hit) override {
    if (!hit) return E_POINTER;
    VariantInit(hit);
    if (!m_buttons) return RPC_E_DISCONNECTED;
    POINT point = {x, y};
    ScreenToClient(m_buttons->ButtonsWindow(), &point);
    RECT client = {};
    GetClientRect(m_buttons->ButtonsWindow(), &client);
    if (!PtInRect(&client, point)) return S_FALSE;
    hit->vt = VT_I4;
    hit->lVal = CHILDID_SELF;
    for (uint16_t id = Panel::kFirstButton; id <= Panel::kLastButton; ++id) {
      const RECT r = m_buttons->ButtonArea(id);
      if (PtInRect(&r, point)) hit->lVal = ChildOf(id);
    }
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    if (!m_buttons) return RPC_E_DISCONNECTED;
    const uint16_t id = ButtonOf(child);
    if (!id) return IsSelf(child) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG;
    if (!m_buttons->ButtonAvailable(id)) return E_FAIL;
    // As a click: the panel takes a button's command from any tool.
    PostMessageA(m_buttons->ButtonsWindow(), WM_COMMAND, id, 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  ~CPanelAccessible() = default;
  static HRESULT Nothing(const VARIANT& child, BSTR* text) {
    if (!text) return E_POINTER;
    *text = nullptr;
    return ButtonOf(child) || IsSelf(child) ? S_FALSE : E_INVALIDARG;
  }

  IAccessibleButtons* m_buttons;
  LONG m_references = 1;
};

CPanelAccess::~CPanelAccess() { Disconnect(); }

bool CPanelAccess::Answer(IAccessibleButtons& buttons, WPARAM wParam, LPARAM lParam, LRESULT& answer) {
  if (static_cast<LONG>(lParam) != static_cast<LONG>(OBJID_CLIENT)) return false;
  if (!m_object) m_object = new CPanelAccessible(buttons);
  answer = LresultFromObject(IID_IAccessible, wParam, m_object);
  return true;
}

void CPanelAccess::FocusMoved(HWND panel, uint16_t id) {
  if (Panel::IsButton(id)) NotifyWinEvent(EVENT_OBJECT_FOCUS, panel, OBJID_CLIENT, ChildOf(id));
}

void CPanelAccess::Disconnect() {
  if (!m_object) return;
  m_object->Disconnect();
  m_object->Release();
  m_object = nullptr;
}
