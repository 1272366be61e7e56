// Platform-free rules of the image-editor hand-off.
#include "app/output/EditorCommand.h"

namespace EditorCommand {
CString Argument(const CString& path) {
  if (path.Find(' ') < 0 || (path.GetLength() >= 2 && path.GetAt(0) == '"')) return path;
  return "\"" + path + "\"";
}

CString FileNamePart(const CString& path) {
  const int slash = path.ReverseFind('\\');
  return slash > 0 ? path.Mid(slash + 1) : path;
}

CString CommandLine(const CString& editor, const CString& image) {
  return Argument(editor) + " " + Argument(image);
}
}  // namespace EditorCommand
