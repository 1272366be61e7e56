// The Image destination's hand-off.
#include "app/output/EditorHandOff.h"

#include "app/JobFiles.h"
#include "app/OrvaneApp.h"
#include "app/output/EditorCommand.h"
#include "app/output/EditorRegistry.h"
#include "app/settings/PageRules.h"
#include "app/settings/SettingsKeys.h"
#include "resources/orvane/resource.h"

namespace EditorHandOff {

void MakeEditorKnown() {
  COrvaneApp& app = App();
  const CString chosen = app.Settings().ReadText(Keys::kScanSetting, Keys::kImageAp, Keys::kNull, 256).Upper();
  if (!PageRules::IsUnset(chosen)) return;
  const CString editor = EditorRegistry::DefaultEditorPath(app.m_languageId);
  app.Settings().WriteText(Keys::kScanSetting, Keys::kImageAp, editor.c_str());
  app.Settings().WriteText(Keys::kScanSetting, Keys::kFileName, EditorCommand::FileNamePart(editor).c_str());
}

bool StartEditor(const char* imagePath, HWND owner) {
  COrvaneApp& app = App();
  CString editor = app.Settings().ReadText(Keys::kScanSetting, Keys::kImageAp, Keys::kNull, 256).Upper();
  if (PageRules::IsUnset(editor)) return true;
  if (!EditorRegistry::FileExists(editor)) {
    const CString fileName = app.Settings().ReadText(Keys::kScanSetting, Keys::kFileName, Keys::kNull, 256);
    if (PageRules::IsKnownEditor(fileName)) editor = EditorRegistry::DefaultEditorPath(app.m_languageId);
  }
  const CString command = EditorCommand::CommandLine(JobFiles::ShortPath(editor), imagePath);
  if (WinExec(command.c_str(), SW_SHOW) >= 32) return true;
  MessageBoxA(owner, app.LoadLocalString(IDS_EDITOR_START_FAILED).c_str(),
              app.LoadLocalString(IDS_SCAN_DIALOG_CAPTION).c_str(), MB_OK);
  return false;
}

}  // namespace EditorHandOff
