// CListBox.
#include "framework/ListBox.h"

CString CListBox::GetText(int index) const {
  const LRESULT length = SendMessage(LB_GETTEXTLEN, index);
  if (length == LB_ERR || length <= 0) return CString();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  const LRESULT got = SendMessage(LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
  return got == LB_ERR ? CString() : CString(buffer.data(), static_cast<size_t>(got));
}

std::vector<int> CListBox::GetSelItems() const {
  const int count = GetSelCount();
  if (count <= 0) return {};
  std::vector<int> items(static_cast<size_t>(count));
  const LRESULT got = SendMessage(LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(items.data()));
  items.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
  return items;
}
