// The OCR engine (tb.exe, or tb96.exe for the 96 edition): started with the path of a scanned
// page, it recognises the page's text with Tesseract and delivers it as RTF the way the
// values under its registry key ask: saved to "AutoFileName" (2.0 edition), or pasted into
// the window in "ApplicationWnd" (96 edition, or 2.0 without a file name). Without either it
// saves the text beside the image. "Faceless" 1 keeps it without any window of its own.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/ocrengine/Delivery.h"
#include "tools/ocrengine/EngineExit.h"
#include "tools/ocrengine/EngineSettings.h"
#include "tools/ocrengine/HandoffValues.h"
#include "tools/ocrengine/Recognizer.h"
#include "tools/ocrengine/RtfWriter.h"
#include "tools/ocrengine/ScannerLanguage.h"
#include "tools/ocrengine/TextFile.h"
#include "tools/ocrengine/WineHost.h"

namespace {
const size_t kLargestProfile = 64 * 1024;
const char kTitle[] = "OCR engine";

// The command line after the program's own name: the image path, quotes removed.
std::string ImagePathArgument() {
  const char* line = GetCommandLineA();
  if (*line == '"') {
    const char* close = strchr(line + 1, '"');
    line = close ? close + 1 : line + strlen(line);
  } else {
    while (*line && *line != ' ' && *line != '\t') ++line;
  }
  std::string rest(line);
  const size_t first = rest.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  rest = rest.substr(first, rest.find_last_not_of(" \t") - first + 1);
  if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"') rest = rest.substr(1, rest.size() - 2);
  return rest;
}

// The profile beside the program: its own name with ".ini".
std::string ProfilePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return std::string();
  std::string profile(path, length);
  const size_t dot = profile.find_last_of('.');
  if (dot != std::string::npos && dot > profile.find_last_of('\\')) profile.resize(dot);
  return profile + ".ini";
}

std::string BesideImage(const std::string& imagePath) {
  std::string path = imagePath;
  const size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && dot > path.find_last_of("\\/")) path.resize(dot);
  return path + ".rtf";
}

class CEngine {
 public:
  CEngine() : m_values(ReadHandoffValues()) {}

  int Run() {
    const std::string image = ImagePathArgument();
    if (image.empty()) return Fail(kExitNoImage, "Start the engine with the path of an image.");
    const EngineSettings settings =
        EngineProfile::Read(TextFile::Read(ProfilePath(), kLargestProfile), WineHost::Running());
    CRecognizer recognizer(settings);
    if (!recognizer.Found())
      return Fail(kExitNoRecogniser, "Tesseract was not found: " + settings.tesseractPath);
    const std::string scannerLanguage = FindScannerLanguage(m_values.applicationWnd, image);
    const std::vector<std::string> installed =
        EngineProfile::NeedsLanguageList(settings.language, scannerLanguage) ? recognizer.InstalledLanguages()
                                                                             : std::vector<std::string>();
    const std::string language = EngineProfile::ChooseLanguage(settings.language, scannerLanguage, installed);
    if (!m_values.pdfFileName.empty())
      return Save(recognizer, image, language, "pdf", m_values.pdfFileName, "The searchable PDF", settings);
    if (!m_values.tsvFileName.empty())
      return Save(recognizer, image, language, "tsv", m_values.tsvFileName, "The word boxes", settings);
    const Recognition recognition = recognizer.Recognise(image, language);
    if (recognition.status != Recognition::kRecognised) return Failed(recognition.status, image, settings);
    // A page without text is delivered as nothing: the asking program tells its user.
    if (!RtfWriter::HasText(recognition.text)) return kExitDone;
    return Deliver(image, RtfWriter::FromText(recognition.text));
  }

 private:
  int Failed(Recognition::Status status, const std::string& image, const EngineSettings& settings) {
    if (status == Recognition::kNoProgram)
      return Fail(kExitNoRecogniser, "Tesseract could not be started: " + settings.tesseractPath);
    if (status == Recognition::kTimedOut)
      return Fail(kExitRecognitionFailed, "Tesseract took too long on " + image);
    return Fail(kExitRecognitionFailed, "Tesseract could not read " + image);
  }

  int Save(const CRecognizer& recognizer, const std::string& image, const std::string& language,
           const std::string& format, const std::string& target, const std::string& what,
           const EngineSettings& settings) {
    const Recognition::Status made = recognizer.SaveOutput(image, language, format, target);
    if (made == Recognition::kNotSaved)
      return Fail(kExitDeliveryFailed, what + " could not be saved to " + target);
    return made == Recognition::kRecognised ? kExitDone : Failed(made, image, settings);
  }

  int Deliver(const std::string& image, const std::string& rtf) {
    if (IsEdition20() && !m_values.autoFileName.empty()) {
      if (Delivery::SaveFile(m_values.autoFileName, rtf)) return kExitDone;
      return Fail(kExitDeliveryFailed, "The text could not be saved to " + m_values.autoFileName);
    }
    if (m_values.paste && m_values.applicationWnd) {
      if (Delivery::Paste(m_values.applicationWnd, rtf)) return kExitDone;
      return Fail(kExitDeliveryFailed, "The text could not be pasted into the asking program.");
    }
    const std::string path = BesideImage(image);
    if (!Delivery::SaveFile(path, rtf))
      return Fail(kExitDeliveryFailed, "The text could not be saved to " + path);
    Tell("The text was saved to " + path, MB_ICONINFORMATION);
    return kExitDone;
  }

  int Fail(int code, const std::string& message) {
    Tell(message, MB_ICONERROR);
    return code;
  }

  void Tell(const std::string& message, UINT icon) const {
    if (!m_values.faceless) MessageBoxA(nullptr, message.c_str(), kTitle, MB_OK | icon);
  }

  HandoffValues m_values;
};
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return CEngine().Run(); }
