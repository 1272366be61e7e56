// Hands the recognised text, as RTF, to whoever asked for it: into a file, or onto the
// clipboard as "Rich Text Format" followed by the Paste command to the asking window.
#pragma once

#include <windows.h>

#include <string>

namespace Delivery {
bool SaveFile(const std::string& path, const std::string& rtf);
// False when the clipboard could not be filled or the window is gone.
bool Paste(HWND target, const std::string& rtf);
}  // namespace Delivery
