// CResolutionTable: dots per inch of each SupportRes token of one destination, in token
// order. Platform-free; the settings pages build it from the profile.
#pragma once

#include <functional>
#include <vector>

#include "framework/String.h"

class CResolutionTable {
 public:
  static const int kDefaultDpi = 100;

  // `dpiOfToken` reads the destination's integer key named by the token (default 100).
  void Build(const CStringArray& tokens, const std::function<int(const CString&)>& dpiOfToken);
  int GetSize() const { return static_cast<int>(m_dpi.size()); }
  // Dots per inch at `index`; kDefaultDpi for an index outside the table.
  int DpiAt(int index) const;

 private:
  std::vector<int> m_dpi;
};
