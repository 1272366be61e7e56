// The Image destination's hand-off: the editor made known before an Image scan, and started on
// the filed page afterwards.
#pragma once

#include <windows.h>

namespace EditorHandOff {
// With no editor chosen, the registered default editor becomes the chosen one (ImageAp and
// FileName of the Image settings).
void MakeEditorKnown();
// Starts the chosen editor on `imagePath`; a failed start is reported in a message box owned by
// `owner`. Returns false when an editor should have started and did not.
bool StartEditor(const char* imagePath, HWND owner);
}  // namespace EditorHandOff
