// CProgramContext's language: choosing and loading the language library, localised strings,
// the interface font and the help command.
#include "app/HelpCommand.h"
#include "app/LanguageTable.h"
#include "app/ProgramContext.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Module.h"
#include "resources/orvane/resource.h"

namespace {
// "ＭＳ 明朝" in Shift-JIS.
const char kJapaneseFace[] = "\x82\x6c\x82\x72\x20\x96\xbe\x92\xa9";
}  // namespace

void CProgramContext::DetermineLanguage() {
  const CString dsSection =
      m_description.ReadText(Keys::kCaseInfo, Keys::kDSSectionName, Keys::kDefaultDSSection, 200);
  m_language = m_description.ReadText(dsSection, Keys::kLanguage, Keys::kNull, 256).Upper();
  HINSTANCE self = m_instance;
  m_languageId = static_cast<WORD>(
      MatchLanguage(m_language, [self](unsigned id) { return LoadResourceString(self, id); }));
}

void CProgramContext::LoadLanguageLibrary() {
  const char* file = LanguageLibraryFile(m_languageId);
  if (!file) return;
  m_languageLibrary.Reset(LoadLibraryA((m_programDir + file).c_str()));
}

CString CProgramContext::LocalText(UINT id) const {
  if (!m_languageLibrary) return LoadResourceString(m_instance, id);
  CResourceSourceScope scope(m_languageLibrary.Get());
  return LoadResourceString(Module::ResourceSource(), id);
}

HFONT CProgramContext::CreateInterfaceFont(int height) const {
  BYTE charset = ANSI_CHARSET;
  BYTE outPrecision = OUT_DEFAULT_PRECIS;
  BYTE clipPrecision = CLIP_DEFAULT_PRECIS;
  CString face = "Arial";
  switch (m_languageId) {
    case kLanguageJapanese:
      charset = SHIFTJIS_CHARSET;
      face = kJapaneseFace;
      break;
    case kLanguageSimple:
      charset = GB2312_CHARSET;
      outPrecision = OUT_TT_PRECIS;
      clipPrecision = CLIP_TT_ALWAYS;
      face = LoadResourceString(m_instance, IDS_FONT_FACE);
      break;
    case kLanguageKorean:
      charset = DEFAULT_CHARSET;
      clipPrecision = CLIP_TT_ALWAYS;
      face = LoadResourceString(m_instance, IDS_FONT_FACE);
      break;
    default:
      break;
  }
  return CreateFontA(height, 0, 0, 0, 600, FALSE, FALSE, FALSE, charset, outPrecision, clipPrecision,
                     DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, face.c_str());
}

void CProgramContext::OpenHelp() const {
  const CString appTitle = LoadResourceString(m_instance, IDS_APP_TITLE);
  const CString base = m_description.ReadText(appTitle, Keys::kHelp, Keys::kNull, 256);
  const CString helper = m_description.ReadText(appTitle, Keys::kHelper, "WinHelp", 256);
  const CString command = HelpCommandLine(base, helper, m_languageId, m_programDir, [](const CString& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  });
  WinExec(command.c_str(), SW_SHOW);
}
