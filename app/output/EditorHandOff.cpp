// The Image destination's hand-off, and the start of Selvora.exe.
#include "app/output/EditorHandOff.h"

#include "app/JobFiles.h"
#include "app/output/EditorCommand.h"
#include "app/output/EditorRegistry.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "framework/Process.h"
#include "framework/Profile.h"

namespace EditorHandOff {

void MakeEditorKnown(const CProfileFile& settings, WORD languageId) {
  const CString chosen = settings.ReadText(Keys::kScanSetting, Keys::kImageAp, Keys::kNull, 256).Upper();
  if (!PageRules::IsUnset(chosen)) return;
  const CString editor = EditorRegistry::DefaultEditorPath(languageId);
  settings.WriteText(Keys::kScanSetting, Keys::kImageAp, editor.c_str());
  settings.WriteText(Keys::kScanSetting, Keys::kFileName, EditorCommand::FileNamePart(editor).c_str());
}

EditorStart StartEditor(const CProfileFile& settings, WORD languageId, const char* imagePath) {
  CString editor = settings.ReadText(Keys::kScanSetting, Keys::kImageAp, Keys::kNull, 256).Upper();
  if (PageRules::IsUnset(editor)) return EditorStart::kNoEditor;
  if (!EditorRegistry::FileExists(editor)) {
    const CString fileName = settings.ReadText(Keys::kScanSetting, Keys::kFileName, Keys::kNull, 256);
    if (PageRules::IsKnownEditor(fileName)) editor = EditorRegistry::DefaultEditorPath(languageId);
  }
  const CString command = EditorCommand::CommandLine(JobFiles::ShortPath(editor), imagePath);
  // Not WinExec: it waits until the editor is idle (up to 30 s, for every page of a batch), and
  // under Wine each call leaves a handle behind in the program.
  return StartProcess(command, SW_SHOW).IsValid() ? EditorStart::kStarted : EditorStart::kFailed;
}

SelvoraStart StartSelvora() {
  const CString path = EditorRegistry::SelvoraPath();
  if (path.IsEmpty()) return SelvoraStart::kMissing;
  return StartProcess(EditorCommand::Argument(path), SW_SHOWNORMAL).IsValid() ? SelvoraStart::kStarted
                                                                              : SelvoraStart::kFailed;
}

}  // namespace EditorHandOff
