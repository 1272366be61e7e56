// CScene: what lies on the glass, row by row: one document as it has always been (upright,
// CPageModel itself), or documents turned at an angle, upside down, or several side by side.
// A turned document is drawn from its own upright rows (a CPageModel of the document alone at
// the scan's resolution), kept in a ring of the rows its angle needs. Platform-free.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tools/vscanner/PageModel.h"

class CScene {
 public:
  CScene(const std::vector<DocumentPlacement>& documents, const ScanWindow& window);
  void SetLevels(int32_t brightness, int32_t contrast);
  // Writes row `y` (0 = top) as width × 3 bytes of red, green, blue.
  void RenderRow(int32_t y, uint8_t* rgb);

 private:
  struct Turned {
    DocumentPlacement placement;
    std::unique_ptr<CPageModel> upright;  // the document alone, its top-left corner at 0, 0
    int32_t width = 0, height = 0;        // its upright pixels
    std::vector<uint8_t> ring;            // rows of `upright`, row r at r % rows
    std::vector<int32_t> held;            // which row each slot holds (-1: none)
    int32_t rows = 0;
  };
  const uint8_t* UprightRow(Turned& doc, int32_t row);
  void DrawTurned(Turned& doc, double glassY, uint8_t* rgb);

  ScanWindow m_window;
  std::unique_ptr<CPageModel> m_single;  // one upright document: drawn as always
  std::vector<Turned> m_turned;
  uint8_t m_levels[256];
  bool m_identityLevels = true;
};
