// Fuzz target: the OCR engine's inputs. Its profile text (any bytes), the recognition
// program's language list, the scanner's language name, the arguments it passes on, and the
// recognised text (any bytes, valid UTF-8 or not) that becomes the RTF document. Properties:
// the settings are within their limits, a language is always chosen, every
// argument comes back whole from the command line, and the RTF is plain ASCII with balanced
// groups and text exactly when the recognised text has some.
#include <string>
#include <vector>

#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/WindowsArgs.h"
#include "tools/ocrengine/ArgumentQuoting.h"
#include "tools/ocrengine/EngineSettings.h"
#include "tools/ocrengine/RtfWriter.h"

namespace {
void CheckRtf(const std::string& text) {
  const std::string rtf = RtfWriter::FromText(text);
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(rtf[i]);
    FUZZ_CHECK(c < 0x80 && (c >= 0x20 || c == '\r' || c == '\n'));
    if (c == '\\') {
      ++i;  // the escaped character or the control word's first letter
      continue;
    }
    if (c == '{') ++depth;
    if (c == '}') --depth;
    FUZZ_CHECK(depth >= 0);
  }
  FUZZ_CHECK(depth == 0);
  FUZZ_CHECK(RtfWriter::HasText(text) == (rtf.find("\\par\r\n") != std::string::npos));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  const std::string profile = in.Text();
  const EngineSettings settings = EngineProfile::Read(profile, in.Bool());
  FUZZ_CHECK(!settings.tesseractPath.empty() && !settings.language.empty());
  FUZZ_CHECK(settings.timeoutSeconds >= 1 &&
             settings.timeoutSeconds <= EngineProfile::kLongestTimeoutSeconds);

  const std::vector<std::string> installed = EngineProfile::ParseLanguageList(in.Text());
  const std::string scanner = in.Text(64);
  EngineProfile::NeedsLanguageList(settings.language, scanner);
  const std::string language = EngineProfile::ChooseLanguage(settings.language, scanner, installed);
  FUZZ_CHECK(!language.empty());

  // The recognition program's command line: program, image, output base, "-l", language.
  const std::string image = in.Text(300);
  const std::vector<std::string> args = {image, in.Text(300), "-l", language};
  std::string line = QuotedArgument("C:\\Program Files\\Tesseract-OCR\\tesseract.exe");
  for (const std::string& arg : args) line += " " + QuotedArgument(arg);
  if (line.find('\0') == std::string::npos) {
    const std::vector<std::string> parsed = SplitWindowsCommandLine(line);
    FUZZ_CHECK(parsed.size() == args.size() + 1);
    for (size_t i = 0; i < args.size(); ++i) FUZZ_CHECK(parsed[i + 1] == args[i]);
  }

  CheckRtf(in.Rest());
  return 0;
}
