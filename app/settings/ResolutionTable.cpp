// CResolutionTable.
#include "app/settings/ResolutionTable.h"

void CResolutionTable::Build(const CStringArray& tokens,
                             const std::function<int(const CString&)>& dpiOfToken) {
  m_dpi.clear();
  m_dpi.reserve(static_cast<size_t>(tokens.GetSize()));
  for (const CString& token : tokens) m_dpi.push_back(dpiOfToken(token));
}

int CResolutionTable::DpiAt(int index) const {
  if (index < 0 || index >= GetSize()) return kDefaultDpi;
  return m_dpi[static_cast<size_t>(index)];
}
