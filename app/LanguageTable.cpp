// Language table.
#include "app/LanguageTable.h"

namespace {
struct LanguageEntry {
  const char* library;
  const char* helpSuffix;
};

// Indexed by id - kLanguageFirst.
const LanguageEntry kLanguages[] = {
    {"dsk_lc.dll", "_c"}, {"dsk_lg.dll", "_g"}, {"dsk_lf.dll", "_f"},   {"dsk_li.dll", "_i"},
    {"dsk_ls.dll", "_s"}, {"dsk_ld.dll", "_d"}, {"dsk_lj.dll", "_j"},   {"dsk_lm.dll", "_m"},
    {"dsk_lk.dll", "_k"}, {"dsk_lp.dll", "_p"}, {"dsk_lda.dll", "_da"}, {"dsk_lsw.dll", "_sw"},
};
static_assert(sizeof(kLanguages) / sizeof(kLanguages[0]) == kLanguageLast - kLanguageFirst + 1,
              "one entry per language id");

const LanguageEntry* Find(unsigned languageId) {
  if (languageId < kLanguageFirst || languageId > kLanguageLast) return nullptr;
  return &kLanguages[languageId - kLanguageFirst];
}
}  // namespace

const char* LanguageLibraryFile(unsigned languageId) {
  const LanguageEntry* entry = Find(languageId);
  return entry ? entry->library : nullptr;
}

const char* HelpSuffix(unsigned languageId) {
  const LanguageEntry* entry = Find(languageId);
  return entry ? entry->helpSuffix : "_e";
}

unsigned MatchLanguage(const CString& languageValue, const std::function<CString(unsigned)>& nameOfId) {
  const CString wanted = languageValue.Upper();
  for (unsigned id = kLanguageFirst; id <= kLanguageLast; ++id) {
    if (nameOfId(id).Upper() == wanted) return id;
  }
  return kLanguageNone;
}
