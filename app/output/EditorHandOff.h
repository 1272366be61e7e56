// The Image destination's hand-off: the editor made known before an Image scan and started on
// the filed page afterwards; and the start of the Japanese edition's OCR application.
#pragma once

#include <windows.h>

class CProfileFile;

enum class EditorStart { kStarted, kNoEditor, kFailed };
enum class SelvoraStart { kStarted, kMissing, kFailed };

namespace EditorHandOff {
// With no editor chosen, the registered default editor (by `languageId`) becomes the chosen one
// (ImageAp and FileName of the Image settings).
void MakeEditorKnown(const CProfileFile& settings, WORD languageId);
// Starts the chosen editor on `imagePath`; kNoEditor when none is chosen or registered.
EditorStart StartEditor(const CProfileFile& settings, WORD languageId, const char* imagePath);
// Starts Selvora.exe by its registered path, quoted when it holds a space (so that no other
// program starts from a prefix of it).
SelvoraStart StartSelvora();
}  // namespace EditorHandOff
