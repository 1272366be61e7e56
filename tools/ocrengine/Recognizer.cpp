// CRecognizer.
#include "tools/ocrengine/Recognizer.h"

#include <windows.h>

#include "tools/ocrengine/ArgumentQuoting.h"
#include "tools/ocrengine/PageTurn.h"
#include "tools/ocrengine/TextFile.h"
#include "tools/ocrengine/WineHost.h"

namespace {
const int kNotStarted = -1;
const int kTimedOut = -2;
// Exit code of the Unix `timeout` command when its program outlasted it.
const int kUnixTimedOut = 124;
const DWORD kKillGraceSeconds = 5;

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A program for the host system rather than for Windows: an ELF binary or a script.
bool IsNativeProgram(const std::string& windowsPath) {
  const std::string head = TextFile::Read(windowsPath, 4);
  return head ==
             "\x7f"
             "ELF" ||
         head.compare(0, 2, "#!") == 0;
}

// A fresh empty file in the temporary directory, removed with the object.
class CTempFile {
 public:
  CTempFile() {
    char directory[MAX_PATH] = {}, name[MAX_PATH] = {};
    const DWORD length = GetTempPathA(sizeof(directory), directory);
    if (length > 0 && length < sizeof(directory) && GetTempFileNameA(directory, "tbo", 0, name))
      m_path = name;
  }
  ~CTempFile() {
    if (!m_path.empty()) DeleteFileA(m_path.c_str());
  }
  CTempFile(const CTempFile&) = delete;
  CTempFile& operator=(const CTempFile&) = delete;
  const std::string& Path() const { return m_path; }

 private:
  std::string m_path;
};
}  // namespace

CRecognizer::CRecognizer(const EngineSettings& settings) : m_timeoutSeconds(settings.timeoutSeconds) {
  const std::string& path = settings.tesseractPath;
  if (WineHost::Running() && !path.empty() && path[0] == '/') {
    const std::string windowsPath = WineHost::WindowsPath(path);
    if (!windowsPath.empty() && IsFile(windowsPath)) m_program = path, m_native = true;
    return;
  }
  char found[MAX_PATH] = {};
  const DWORD length = SearchPathA(nullptr, path.c_str(), ".exe", sizeof(found), found, nullptr);
  if (length == 0 || length >= sizeof(found)) return;
  m_program = found;
  // Under Wine a native program may also be named by its Windows path.
  if (WineHost::Running() && IsNativeProgram(m_program)) {
    m_program = WineHost::UnixPath(m_program);
    m_native = !m_program.empty();
  }
}

std::vector<std::string> CRecognizer::InstalledLanguages() const {
  CTempFile list;
  if (!Found() || list.Path().empty() || Run({"--list-langs"}, list.Path()) != 0) return {};
  return EngineProfile::ParseLanguageList(TextFile::Read(list.Path(), 64 * 1024));
}

Recognition::Status CRecognizer::RunOn(const std::string& imagePath, const std::string& language,
                                       const std::string& outputBase, const std::string& config) const {
  if (!Found()) return Recognition::kNoProgram;
  std::string image = imagePath, output = outputBase;
  if (m_native) {
    image = WineHost::UnixPath(imagePath);
    output = WineHost::UnixPath(outputBase);
    if (image.empty() || output.empty()) return Recognition::kFailed;
  }
  // A page fed sideways or upside down is turned upright in its own file first, so that every
  // output (the searchable document, the word boxes and whatever is made of the page after
  // them) has it upright; when it cannot be turned, it is read the way its text runs.
  const PageOrientation orientation = Orient(image);
  bool readTurned = false;
  if (ReadTurned(orientation)) {
    CTempFile turned;
    readTurned = turned.Path().empty() || !WriteTurnedPage(imagePath, orientation.rotate, turned.Path()) ||
                 !MoveFileExA(turned.Path().c_str(), imagePath.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED);
  }
  std::vector<std::string> args = {image, output, "-l", language};
  if (readTurned) args.insert(args.end(), {"--psm", "1"});
  if (!config.empty()) args.push_back(config);
  const int code = Run(args, std::string());
  if (code == kNotStarted) return Recognition::kNoProgram;
  if (code == kTimedOut) return Recognition::kTimedOut;
  return code == 0 ? Recognition::kRecognised : Recognition::kFailed;
}

// The program's orientation detection on `image` (already in the program's own form of path);
// upright with no confidence when it finds too few characters or cannot run.
PageOrientation CRecognizer::Orient(const std::string& image) const {
  PageOrientation orientation;
  CTempFile report;
  if (report.Path().empty() || Run({image, "stdout", "--psm", "0"}, report.Path()) != 0) return orientation;
  if (!ParseOrientation(TextFile::Read(report.Path(), 4096), orientation)) return PageOrientation{};
  return orientation;
}

Recognition CRecognizer::Recognise(const std::string& imagePath, const std::string& language) const {
  Recognition result;
  // The program names its output "<base>.txt".
  CTempFile base;
  if (base.Path().empty()) return result;
  const std::string textPath = base.Path() + ".txt";
  result.status = RunOn(imagePath, language, base.Path(), std::string());
  if (result.status == Recognition::kRecognised) {
    if (IsFile(textPath))
      result.text = TextFile::Read(textPath, TextFile::kLargestText);
    else
      result.status = Recognition::kFailed;
  }
  DeleteFileA(textPath.c_str());
  return result;
}

Recognition::Status CRecognizer::SaveOutput(const std::string& imagePath, const std::string& language,
                                            const std::string& format, const std::string& targetPath) const {
  CTempFile base;
  if (base.Path().empty()) return Recognition::kFailed;
  const std::string madePath = base.Path() + "." + format;
  Recognition::Status status = RunOn(imagePath, language, base.Path(), format);
  if (status == Recognition::kRecognised) {
    if (!IsFile(madePath))
      status = Recognition::kFailed;
    else if (!MoveFileExA(madePath.c_str(), targetPath.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED))
      status = Recognition::kNotSaved;
  }
  DeleteFileA(madePath.c_str());
  return status;
}

int CRecognizer::Run(const std::vector<std::string>& args, const std::string& outputPath) const {
  return m_native ? RunNative(args, outputPath) : RunWindows(args, outputPath);
}

int CRecognizer::RunWindows(const std::vector<std::string>& args, const std::string& outputPath) const {
  std::string commandLine = QuotedArgument(m_program);
  for (const std::string& arg : args) commandLine += " " + QuotedArgument(arg);
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  const char* target = outputPath.empty() ? "NUL" : outputPath.c_str();
  HANDLE output = CreateFileA(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = output;
  startup.hStdError = output;
  PROCESS_INFORMATION info = {};
  const BOOL started = CreateProcessA(m_program.c_str(), &commandLine[0], nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
  if (!started) return kNotStarted;
  CloseHandle(info.hThread);
  int code = kTimedOut;
  if (WaitForSingleObject(info.hProcess, static_cast<DWORD>(m_timeoutSeconds) * 1000) == WAIT_OBJECT_0) {
    DWORD exitCode = 1;
    code = GetExitCodeProcess(info.hProcess, &exitCode) ? static_cast<int>(exitCode) : 1;
  } else {
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, kKillGraceSeconds * 1000);
  }
  CloseHandle(info.hProcess);
  return code;
}

int CRecognizer::RunNative(const std::vector<std::string>& args, const std::string& outputPath) const {
  std::string output = "/dev/null";
  if (!outputPath.empty()) {
    output = WineHost::UnixPath(outputPath);
    if (output.empty()) return kNotStarted;
  }
  // The shell takes its arguments as they are, so no path needs quoting: $0 is the output
  // file, $1 the time limit, the rest the program and its arguments.
  const std::string script = "limit=$1; shift; exec timeout -k " + std::to_string(kKillGraceSeconds) +
                             " \"$limit\" \"$@\" >\"$0\" 2>&1";
  std::vector<std::string> argv = {"/bin/sh", "-c", script, output, std::to_string(m_timeoutSeconds),
                                   m_program};
  argv.insert(argv.end(), args.begin(), args.end());
  const int code = WineHost::RunNative(argv);
  if (code == kUnixTimedOut) return kTimedOut;
  // The shell's "not found" and "not executable".
  if (code == 126 || code == 127 || code < 0) return kNotStarted;
  return code;
}
