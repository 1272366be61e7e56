// Platform-free rules of the image-editor hand-off: the file-name part of a path and the
// editor's command line.
#pragma once

#include "framework/String.h"

namespace EditorCommand {
// The text after the last backslash, unless that backslash is the first character (or there
// is none): then the whole path.
CString FileNamePart(const CString& path);
// A path as one argument of a command line: quoted when it holds a space (and is not quoted yet).
CString Argument(const CString& path);
// "<editor> <image>". The paths are short (8.3) forms where the volume has them; a path that
// still holds a space (a volume without short names) is quoted so it stays one argument.
CString CommandLine(const CString& editor, const CString& image);
}  // namespace EditorCommand
