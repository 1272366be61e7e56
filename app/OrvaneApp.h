// COrvaneApp: the program's application object. It binds the two libraries while it is
// constructed, reads the start-up settings, chooses the language, keeps to one instance and
// runs the front panel modally; the program ends when the panel ends.
#pragma once

#include <windows.h>

#include <memory>

#include "app/LibraryBinding.h"
#include "app/settings/ResolutionTable.h"
#include "framework/FrameWnd.h"
#include "framework/Handles.h"
#include "framework/Profile.h"
#include "framework/WinApp.h"

class CPanelDlg;

class COrvaneApp : public CWinApp {
 public:
  static const int kDestinationCount = 5;

  COrvaneApp();
  ~COrvaneApp() override;

  bool InitInstance() override;
  int ExitInstance() override;
  bool PreTranslateMessage(MSG* msg) override;

  // Localised string: from the language library when one is loaded, else the program's own.
  CString LoadLocalString(UINT id) const;
  // The interface font of the given height for the current language.
  HFONT CreateInterfaceFont(int height) const;
  // Runs the help viewer for the current language.
  void OpenHelp() const;

  CProfileFile& Settings() { return m_settings; }
  CProfileFile& Description() { return m_description; }

  // Members of the application state, in this order.
  int m_paperCount = 0;
  CWnd* m_pMainFrame = nullptr;
  CPanelDlg* m_pPanel = nullptr;
  WORD m_activeId = 1000;
  WORD m_labelId = 1000;
  CString m_settingsPath;
  CLibraryBinding m_binding;
  CStringArray m_paperNames;
  int m_preScanDpi = 36;
  int m_preScanWidth = 306;
  int m_preScanHeight = 396;
  WORD m_languageId = 9012;
  int m_autoEntry = 1;
  CString m_language;
  std::unique_ptr<CResolutionTable> m_resolutionTables[kDestinationCount];
  CModule m_languageLibrary;
  CString m_windowTitle;
  CString m_programDir;

 private:
  void ReadStartupSettings();
  void DetermineLanguage();
  void LoadLanguageLibrary();
  void FreeLanguageLibrary();
  void ComposeTitle();
  bool ActivateOtherInstance() const;
  bool CreateHiddenFrame();

  CProfileFile m_settings;
  CProfileFile m_description;
  std::unique_ptr<CSingleDocTemplate> m_docTemplate;
};

COrvaneApp& App();
