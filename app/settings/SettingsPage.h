// CSettingsPage: what the five destination pages share. A borderless child dialog of the
// front panel painted on its own background, with painted labels and title, the paper,
// scan-mode and resolution lists filled from the profile files, and the store a scan asks for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

#include "app/ScaledBitmap.h"
#include "app/output/JobOrder.h"
#include "app/settings/CleanupChoices.h"
#include "app/settings/PageButton.h"
#include "app/settings/PageHost.h"
#include "app/settings/ResolutionTable.h"
#include "framework/Dialog.h"
#include "framework/Handles.h"

class CProgramContext;
class CProfileFile;

struct SPageIdentity {
  uint16_t destination;
  UINT dialogId;
  const char* background;
  const char* section;
  UINT titleId;
  int paperList;
  int modeList;  // 0: the page has none
  int resolutionList;
  int ownButton;  // 0: none
  UINT faceUp, faceDown, faceFocus;
  int firstControl, lastControl;  // the page's control id range
};

class CSettingsPage : public CDialog {
 public:
  static const int kTitleFontHeight = 24;
  static const int kPageFontHeight = 14;

  explicit CSettingsPage(const SPageIdentity& identity);
  ~CSettingsPage() override;

  // Creates the page as a child of the panel (hidden; the panel shows the active one); the
  // page reads the program's settings, texts and fonts through `program`.
  bool Create(IPageHost& panel, const CProgramContext& program);
  // Writes the page's values to its section and puts what the hand-off needs into `values`;
  // false (after a message) stops the scan.
  virtual bool Store(DestinationValues& values) = 0;
  // The dots per inch of the page's resolution choices; null when the page lists none.
  const CResolutionTable* Resolutions() const { return m_resolutions.get(); }
  uint16_t Destination() const { return m_identity.destination; }
  const char* Section() const { return m_identity.section; }
  // The panel moved to a monitor of `dpi` (and placed the page anew): background, faces,
  // fonts and layout at that DPI, which the page keeps from then on.
  void Rescale(UINT dpi);

 protected:
  // The program whose page this is (set by Create).
  const CProgramContext& Program() const { return *m_program; }
  struct SLabel {
    int id;
    int x;
    int y;
  };

  bool OnInitDialog() override;
  void OnOK() override {}
  void OnCancel() override {}
  void OnDestroy() override;
  bool OnPaint() override;
  void OnMouseMove(UINT flags, POINT point) override;
  bool OnCommand(WORD id, WORD code, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  // Steps of the initialisation that a page adds to.
  virtual void Prepare() {}
  virtual void LoadOwnValues() {}
  virtual void ShowOwnValues() {}
  virtual void LayoutOwn() {}
  virtual void PaintOwn(HDC dc) {}
  virtual void OnOwnButton() {}
  // Extra width of list `index` (0 paper, 1 scan mode, 2 resolution) for the language.
  virtual int ExtraListWidth(int index) const { return 0; }
  // Gap between the end of a label's text and its list.
  virtual int ListGap() const { return 4; }

  // Profile helpers on the page's own section of Quendel.ini.
  int ReadInt(const char* key, int fallback) const;
  CString ReadText(const char* key, const char* fallback, DWORD bufferSize) const;
  void WriteInt(const char* key, int value) const;
  void WriteText(const char* key, const char* value) const;
  // The list's selection, or `none` without one.
  int Selection(int listId, int none) const;
  // Writes the three list values; `resolutionNone` is the no-selection value of Resolution.
  void StoreLists(int resolutionNone) const;
  // Writes the clean-up check boxes' values (StoreLists does; a page that writes its lists
  // itself calls it).
  void StoreCleanup() const;
  // A list of fixed choices (texts by string id, in order) below the page's lists,
  // placed like them after its painted label.
  void FillChoiceList(int listId, std::initializer_list<UINT> textIds, int selection) const;
  void PlaceChoiceList(int listId, int labelId) const;

  // Text widths and heights in the page font.
  SIZE MeasureText(const CString& text) const;
  int LineHeight() const;
  // Width of the list's longest entry in the page font.
  int WidestEntry(HWND list) const;
  // Places the own button at the bottom right and the text box `boxId` to its left.
  void PlaceButtonAndBox(int boxId);
  // The sunken box of the Copy, Fax and Image pages with `text` inside.
  void DrawTextBox(HDC dc, int boxId, const CString& text) const;
  void RepaintControlArea(int id);
  void Message(const CString& text, const CString& caption) const;
  RECT ControlRect(int id) const;
  void MoveControl(int id, int x, int y, int width, int height) const;
  HFONT PageFont() const { return static_cast<HFONT>(m_pageFont.Get()); }
  // The page's DPI (its window's, until a move gives it the panel's), and a 1x length of
  // the page's layout at that DPI.
  UINT PageDpi() const;
  int Px(int length) const;

  IPageHost* m_panel = nullptr;
  const CProgramContext* m_program = nullptr;
  std::unique_ptr<CResolutionTable> m_resolutions;
  SPageIdentity m_identity;
  std::vector<SLabel> m_labels;  // painted labels, in label order
  // The clean-up check boxes the page has room for, in the order of kCleanupBoxIds, where they
  // go; a page without them leaves its section's clean-up values as they are.
  std::vector<SLabel> m_cleanupBoxes;
  // A page without room for the boxes sets this to its key's id: a key in the title strip
  // that opens the four choices as a menu of checked entries, stored as the boxes are.
  int m_cleanupKey = 0;
  uint16_t m_scanMode = 1;
  uint16_t m_resolution = 0;
  uint16_t m_paper = 0;
  CScaledBitmap m_background;
  // The background as a brush, for controls that paint their own background (check boxes).
  CGdiObject m_backgroundBrush;
  CGdiObject m_pageFont;
  CPageButton m_button;
  UINT m_dpi = 0;  // set by a move to another scale

 private:
  void LoadListValues();
  void FillLists();
  void FillResolutionList();
  void SetPageFont();
  void LoadBackground();
  void LayoutLists();
  // Moves a list and lets it open as wide as its longest entry.
  void PlaceList(int listId, int x, int y, int width) const;
  void PaintLabels(HDC dc) const;
  void PaintTitle(HDC dc) const;
  // The clean-up check boxes (CleanupBoxes.cpp).
  void ShowCleanup();
  void LayoutCleanup() const;
  void OnCleanupKey();
  CleanupChoices m_cleanup;
};

// A destination section's clean-up choices, defaults where a key is missing.
CleanupChoices ReadCleanupChoices(const CProfileFile& settings, const char* section);
