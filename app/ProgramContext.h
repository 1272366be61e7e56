// CProgramContext: what the program learns at start-up, built once and then passed by
// reference to whoever needs it: its folders and settings files, the scanner's paper list and
// prescan, the interface language and its library, the window title and the bound libraries.
// Its texts, the interface font and the help command are made from it.
#pragma once

#include <windows.h>

#include "app/ScanRequest.h"
#include "framework/Handles.h"
#include "framework/Profile.h"
#include "framework/String.h"

class CLibraryBinding;

class CProgramContext {
 public:
  // Reads the settings file beside the program and the scanner description file it names,
  // chooses the language, loads its library and composes the window title.
  CProgramContext(HINSTANCE instance, CLibraryBinding& libraries);
  CProgramContext(const CProgramContext&) = delete;
  CProgramContext& operator=(const CProgramContext&) = delete;

  HINSTANCE Instance() const { return m_instance; }
  CLibraryBinding& Libraries() const { return m_libraries; }
  // The program's folder, ending in a backslash; the job's pages go to its TEMP.
  const CString& ProgramDir() const { return m_programDir; }
  CString TempDir() const { return m_programDir + "TEMP"; }
  const CString& SettingsPath() const { return m_settingsPath; }
  const CProfileFile& Settings() const { return m_settings; }
  const CProfileFile& Description() const { return m_description; }
  const CString& WindowTitle() const { return m_windowTitle; }

  // The paper list of the settings pages: the scanner's names, then "Auto" when it is offered.
  const CStringArray& PaperNames() const { return m_paperNames; }
  int PaperCount() const { return m_paperCount; }
  bool AutoEntry() const { return m_autoEntry != 0; }
  const PrescanGeometry& Prescan() const { return m_prescan; }

  // The scanner's language (its section name in the profile files) and its id (9000 to 9011,
  // 9012 for none).
  const CString& Language() const { return m_language; }
  WORD LanguageId() const { return m_languageId; }
  bool HasLanguageLibrary() const { return m_languageLibrary.IsValid(); }

  // Localised string: from the language library when one is loaded, else the program's own.
  CString LocalText(UINT id) const;
  // A string of the program's own table (status texts, registry names, its title).
  CString OwnText(UINT id) const;
  // The interface font of the given height for the language.
  HFONT CreateInterfaceFont(int height) const;
  // Runs the help viewer for the language.
  void OpenHelp() const;

 private:
  void ReadStartupSettings();
  void DetermineLanguage();
  void LoadLanguageLibrary();
  void ComposeTitle();

  HINSTANCE m_instance;
  CLibraryBinding& m_libraries;
  CString m_programDir;
  CString m_settingsPath;
  CProfileFile m_settings;
  CProfileFile m_description;
  CStringArray m_paperNames;
  int m_paperCount = 0;
  int m_autoEntry = 1;
  PrescanGeometry m_prescan;
  CString m_language;
  WORD m_languageId = 9012;
  CModule m_languageLibrary;
  CString m_windowTitle;
};
