// Where the library writes each page for the program: the TEMP folder beside the library, the
// one the program files its pages in. A standard user may write there (the setup program
// grants it), unlike the program folder itself, where a user who may add files could also
// plant a library that the program would load, or the root of C:.
#pragma once

#include "framework/String.h"

namespace PageFolder {
// "<library folder>\TEMP\" (made when missing), or the library's own folder, ending in a
// backslash, when TEMP can be neither found nor made.
CString Path();
}  // namespace PageFolder
