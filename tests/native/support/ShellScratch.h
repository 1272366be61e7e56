// What the tests that judge our files with outside programs (qpdf, poppler, Tesseract, jbig2dec)
// share: a command's output with its errors, and a scratch folder removed at the end.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <string>

namespace test_support {

// The command's standard output and error together: the judges write their warnings to the latter.
inline std::string Shell(const std::string& command) {
  std::string output;
  if (FILE* pipe = popen((command + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof(buffer), pipe)) > 0;) output.append(buffer, n);
    pclose(pipe);
  }
  return output;
}

class ScratchDir {
 public:
  ScratchDir() {
    char name[] = "/tmp/orvanetestXXXXXX";
    if (const char* made = mkdtemp(name)) m_path = made;
  }
  ~ScratchDir() {
    if (!m_path.empty()) Shell("rm -rf " + m_path);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

}  // namespace test_support
