// What the OCR engine needs of Wine when it runs there: telling that it does, turning paths
// between the Windows and the Unix form, and running a native program to its end. (Wine's
// CreateProcess starts a native program but hands back a handle that is signalled at once,
// so neither its end nor its exit code could be waited for.)
#pragma once

#include <string>
#include <vector>

namespace WineHost {
bool Running();
// The Unix form of an existing Windows path; empty when there is none.
std::string UnixPath(const std::string& windowsPath);
// The Windows form of a Unix path; empty when there is none.
std::string WindowsPath(const std::string& unixPath);
// Runs argv[0] with `argv` (searched on the Unix PATH) and waits for its end. Its exit code,
// or -1 when it could not be started.
int RunNative(const std::vector<std::string>& argv);
}  // namespace WineHost
