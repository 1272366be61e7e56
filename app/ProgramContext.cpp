// CProgramContext: the start-up settings, the paper list and the window title.
#include "app/ProgramContext.h"

#include "app/WindowTitle.h"
#include "app/settings/PaperNames.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

CProgramContext::CProgramContext(HINSTANCE instance, CLibraryBinding& libraries)
    : m_instance(instance), m_libraries(libraries) {
  m_programDir = Module::Directory(instance, 500);
  m_settingsPath = m_programDir + Keys::kSettingsFileName;
  m_settings.SetPath(m_settingsPath);
  ReadStartupSettings();
  DetermineLanguage();
  LoadLanguageLibrary();
  ComposeTitle();
}

void CProgramContext::ReadStartupSettings() {
  m_description.SetPath(m_settings.ReadText(Keys::kScanSetting, Keys::kPath, "", 500));
  m_paperCount = m_description.ReadInt(Keys::kSupportSize, Keys::kCount, 0);
  m_autoEntry = m_settings.ReadInt(Keys::kScanSetting, Keys::kAuto, 1);
  const CString paperNames =
      m_paperCount >= 1 ? m_description.ReadText(Keys::kSupportSize, Keys::kPaperName, "", 512) : CString();
  m_paperNames = BuildPaperNameList(m_paperCount, paperNames, m_autoEntry);

  const CString dsSection = m_description.ReadText(Keys::kCaseInfo, Keys::kDSSectionName, "", 500);
  m_prescan.dpi = m_description.ReadInt(dsSection, Keys::kPreScanDpi, 36);
  m_prescan.width = m_description.ReadInt(dsSection, Keys::kPreScanWidth, 306);
  m_prescan.height = m_description.ReadInt(dsSection, Keys::kPreScanHeight, 396);
}

void CProgramContext::ComposeTitle() {
  const CString appTitle = OwnText(IDS_APP_TITLE);
  const CString dsSection = m_description.ReadText(Keys::kCaseInfo, Keys::kDSSectionName, "", 60);
  const CString brand = m_description.ReadText(dsSection, Keys::kBrand, "", 60);
  const CString model = m_description.ReadText(appTitle, Keys::kModel, Keys::kNull, 60);
  const CString package = m_description.ReadText(appTitle, Keys::kPackage, Keys::kNull, 60);
  m_windowTitle = ComposeWindowTitle(brand, model, package, appTitle);
}

CString CProgramContext::OwnText(UINT id) const { return LoadResourceString(m_instance, id); }
