// CRecognizer: runs the recognition program (Tesseract) of the engine's settings on an image
// and reads back its text: a Windows program as a child process, or under Wine a native one.
#pragma once

#include <string>
#include <vector>

#include "tools/ocrengine/EngineSettings.h"
#include "tools/ocrengine/Orientation.h"

struct Recognition {
  enum Status { kRecognised, kNoProgram, kFailed, kTimedOut, kNotSaved };
  Status status = kFailed;
  std::string text;  // UTF-8
};

class CRecognizer {
 public:
  explicit CRecognizer(const EngineSettings& settings);

  // Whether the recognition program exists.
  bool Found() const { return !m_program.empty(); }
  // The languages it has installed; empty when it cannot tell.
  std::vector<std::string> InstalledLanguages() const;
  Recognition Recognise(const std::string& imagePath, const std::string& language) const;
  // One of the program's own outputs of the image, saved at `targetPath` (kNotSaved when it
  // cannot be put there); no text is read back. `format` is its configuration and the file's
  // extension: "pdf" (the page with its text laid invisibly over it) or "tsv" (every word
  // read, with its box, line by line).
  Recognition::Status SaveOutput(const std::string& imagePath, const std::string& language,
                                 const std::string& format, const std::string& targetPath) const;

 private:
  // Runs the program with `args`, its output going to `outputPath` (or nowhere); its exit
  // code, -1 when it could not be started, -2 when it outlasted the timeout.
  int Run(const std::vector<std::string>& args, const std::string& outputPath) const;
  // Recognises the image into files named `outputBase` + the extension of `config`'s output
  // ("txt" without one); the status of the run.
  Recognition::Status RunOn(const std::string& imagePath, const std::string& language,
                            const std::string& outputBase, const std::string& config) const;
  PageOrientation Orient(const std::string& image) const;
  int RunWindows(const std::vector<std::string>& args, const std::string& outputPath) const;
  int RunNative(const std::vector<std::string>& args, const std::string& outputPath) const;

  std::string m_program;  // Windows path, or the Unix path of a native program
  bool m_native = false;
  int m_timeoutSeconds;
};
