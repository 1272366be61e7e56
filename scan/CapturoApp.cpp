// The acquisition library's application object and its start-up.
#include "scan/CapturoApp.h"

#include "framework/Module.h"
#include "framework/Profile.h"
#include "resources/capturo/resource.h"

namespace {
// Language libraries of the names 3000 to 3010, in that order.
const char* const kLanguageFiles[] = {"Scan_lc.dll", "Scan_lg.dll",  "Scan_lf.dll", "Scan_li.dll",
                                      "Scan_ls.dll", "Scan_ld.dll",  "Scan_lj.dll", "Scan_lk.dll",
                                      "Scan_lp.dll", "Scan_lda.dll", "Scan_lsw.dll"};
static_assert(sizeof(kLanguageFiles) / sizeof(kLanguageFiles[0]) ==
                  IDS_LANGUAGE_LAST - IDS_LANGUAGE_FIRST + 1,
              "one library per language name");
}  // namespace

CCapturoApp::CCapturoApp() { LoadLanguageLibrary(); }

CCapturoApp::~CCapturoApp() {
  // Our own strings again before the language library goes.
  Module::SetResourceSource(nullptr);
  m_language.Reset();
}

void CCapturoApp::LoadLanguageLibrary() {
  const CProfileFile settings(Module::Directory(Module::Instance()) + "Quendel.ini");
  const CProfileFile scanner(settings.ReadText("Scan Setting", "Path", "", 500));
  if (scanner.Path().IsEmpty()) return;
  const CString section = scanner.ReadText("CaseInfo", "DSSectionName", "", 500);
  if (section.IsEmpty()) return;
  const CString language = scanner.ReadText(section.c_str(), "Language", "", 256).Upper();
  if (language.IsEmpty()) return;
  for (UINT id = IDS_LANGUAGE_FIRST; id <= IDS_LANGUAGE_LAST; ++id) {
    if (LoadResourceString(Module::Instance(), id).Upper() != language) continue;
    // By plain file name: the platform's library search finds it.
    m_language.Reset(LoadLibraryA(kLanguageFiles[id - IDS_LANGUAGE_FIRST]));
    if (m_language) Module::SetResourceSource(m_language.Get());
    return;
  }
}
