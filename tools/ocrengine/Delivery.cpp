// Delivery of the recognised text.
#include "tools/ocrengine/Delivery.h"

#include "tools/ocrengine/TextFile.h"

namespace {
const char kRichTextFormat[] = "Rich Text Format";
const WORD kPasteCommand = 0xE125;
// The asking program may show a message of its own while it handles the paste.
const UINT kPasteTimeoutMs = 120 * 1000;
const int kClipboardAttempts = 20;
const DWORD kClipboardRetryMs = 50;

// A hidden window of our own: the clipboard needs an owner for the data to be set.
class COwnerWindow {
 public:
  COwnerWindow()
      : m_wnd(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
  ~COwnerWindow() {
    if (m_wnd) DestroyWindow(m_wnd);
  }
  COwnerWindow(const COwnerWindow&) = delete;
  COwnerWindow& operator=(const COwnerWindow&) = delete;
  HWND Get() const { return m_wnd; }

 private:
  HWND m_wnd;
};

bool PutOnClipboard(HWND owner, const std::string& rtf) {
  bool opened = false;
  for (int attempt = 0; attempt < kClipboardAttempts && !opened; ++attempt) {
    opened = OpenClipboard(owner) != FALSE;
    if (!opened) Sleep(kClipboardRetryMs);
  }
  if (!opened) return false;
  EmptyClipboard();
  bool placed = false;
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, rtf.size() + 1)) {
    if (void* data = GlobalLock(memory)) {
      CopyMemory(data, rtf.data(), rtf.size());
      GlobalUnlock(memory);
      placed = SetClipboardData(RegisterClipboardFormatA(kRichTextFormat), memory) != nullptr;
    }
    // Once placed, the block belongs to the clipboard.
    if (!placed) GlobalFree(memory);
  }
  CloseClipboard();
  return placed;
}
}  // namespace

namespace Delivery {
bool SaveFile(const std::string& path, const std::string& rtf) { return TextFile::Write(path, rtf); }

bool Paste(HWND target, const std::string& rtf) {
  if (!IsWindow(target)) return false;
  COwnerWindow owner;
  if (!owner.Get() || !PutOnClipboard(owner.Get(), rtf)) return false;
  DWORD_PTR result = 0;
  if (SendMessageTimeoutA(target, WM_COMMAND, MAKEWPARAM(kPasteCommand, 0), 0, SMTO_NORMAL, kPasteTimeoutMs,
                          &result)) {
    return true;
  }
  // A program still busy with the paste has it; only a window that went did not.
  return IsWindow(target) != FALSE;
}
}  // namespace Delivery
