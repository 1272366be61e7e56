// Fuzz target: what the program builds from the settings file and the scanner description
// file, whose values anyone can edit. The first byte picks the rule: the scan request (paper
// names and sizes, resolution tables, levels, the prescan, the second pass over a found area),
// the help and hand-off command lines with the language rules, or the placement of a printed
// page. Properties: frames are finite inches that TWAIN's fixed-point numbers carry,
// resolutions fit its 16-bit value, every command line splits back into the program and the
// file it names, and a page placed for printing lies on the page at a usable size.
#include <cmath>
#include <string>
#include <vector>

#include "app/HelpCommand.h"
#include "app/LanguageTable.h"
#include "app/ScanRequest.h"
#include "app/WindowTitle.h"
#include "app/output/EditorCommand.h"
#include "app/output/OcrValues.h"
#include "app/output/PrintGeometry.h"
#include "app/output/PrintRules.h"
#include "app/settings/PaperNames.h"
#include "app/settings/ResolutionTable.h"
#include "app/settings/TokenList.h"
#include "scan/TwainValues.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/WindowsArgs.h"

namespace {
const char* const kLanguageNames[] = {"CHINESE",  "GERMAN", "FRENCH", "ITALIAN",    "SPANISH", "DUTCH",
                                      "JAPANESE", "SIMPLE", "KOREAN", "PORTUGUESE", "DANISH",  "SWEDISH"};

int SmallOrAny(CFuzzInput& in, uint32_t most) {
  return in.Bool() ? static_cast<int>(in.Range(0, most)) : in.I32();
}

std::string Joined(const CStringArray& tokens) {
  std::string joined;
  for (int i = 0; i < tokens.GetSize(); ++i) joined += (i ? " " : "") + tokens[i].str();
  return joined;
}

void CheckRequest(const AcquireRequest& r) {
  for (float edge : {r.frameLeft, r.frameTop, r.frameRight, r.frameBottom}) {
    FUZZ_CHECK(std::isfinite(edge) && edge >= 0 && edge < 32768);
    TwainValues::ToFix32(edge);  // as the acquisition library sends it
  }
  FUZZ_CHECK(r.frameLeft <= r.frameRight && r.frameTop <= r.frameBottom);
  FUZZ_CHECK(r.resolution >= 1 && r.resolution <= 32767);
  FUZZ_CHECK(r.brightness >= -128 && r.brightness <= 128 && r.contrast >= -128 && r.contrast <= 128);
}

void ScanRequest(CFuzzInput& in) {
  ScanRequestInput input;
  input.destinationId = in.U16();
  input.settings.scanMode = SmallOrAny(in, 3);
  input.settings.documentSize = SmallOrAny(in, 8);
  input.settings.resolution = SmallOrAny(in, 8);
  input.settings.brightness = SmallOrAny(in, 5);
  input.settings.contrast = SmallOrAny(in, 5);

  const CString paperValue = in.Text(200);
  const CStringArray papers = BuildPaperNameList(SmallOrAny(in, 9), paperValue, in.Byte());
  const CStringArray tokens = SplitTokens(paperValue);
  const std::string& value = paperValue.str();
  FUZZ_CHECK(Joined(tokens) ==
             (!value.empty() && value.back() == ' ' ? value.substr(0, value.size() - 1) : value));
  const int paper = PaperIndex(input.settings.documentSize, papers.GetSize());
  FUZZ_CHECK(paper == 0 || paper < papers.GetSize());
  input.paperSize = in.Text(60);
  input.firstPaperSize = in.Text(60);

  CResolutionTable table;
  table.Build(SplitTokens(in.Text(100)), [&](const CString&) { return SmallOrAny(in, 1300); });
  table.DpiAt(input.settings.resolution);
  if (in.Bool()) input.resolutions = &table;
  input.prescan.dpi = SmallOrAny(in, 400);
  input.prescan.width = SmallOrAny(in, 5000);
  input.prescan.height = SmallOrAny(in, 5000);

  bool autoSize = false;
  const AcquireRequest request = BuildScanRequest(input, autoSize);
  CheckRequest(request);
  // A resolution the table holds is asked for as it stands, never wrapped into another one.
  const int index = input.settings.resolution;
  const int dpi = !input.resolutions                      ? CResolutionTable::kDefaultDpi
                  : index >= 0 && index < table.GetSize() ? table.DpiAt(index)
                                                          : table.DpiAt(0);
  if (!autoSize)
    FUZZ_CHECK(request.resolution == (dpi >= 1 && dpi <= 32767 ? dpi : CResolutionTable::kDefaultDpi));
  // The second pass, over an area the detection found on the prescan (16-bit coordinates).
  CRectObj area;
  area.x1 = in.U16();
  area.y1 = in.U16();
  area.x2 = in.U16();
  area.y2 = in.U16();
  const bool found = in.Bool();
  CheckRequest(BuildSecondPass(input, found ? &area : nullptr, autoSize));
  FUZZ_CHECK(!autoSize);
}

// The command line splits into exactly `program` and `file`.
void CheckCommandLine(const std::string& line, const std::string& program, const std::string& file) {
  const std::vector<std::string> args = SplitWindowsCommandLine(line);
  FUZZ_CHECK(args.size() == 2 && args[0] == program && args[1] == file);
}

void CommandLines(CFuzzInput& in) {
  const CString base = in.Text(100);
  const CString helper = in.Text(100);
  const unsigned language = in.Bool() ? in.Range(kLanguageFirst - 2, kLanguageNone + 2) : in.U32();
  const CString dir = in.Text(200) + "\\";
  const uint8_t present = in.Byte();
  const CString own = dir + HelpFileName(base, helper, language);
  const CString english = dir + HelpFileName(base, helper, kLanguageNone);
  const auto exists = [&](const CString& path) {
    return (path == own && present & 1) || (path == english && present & 2);
  };
  const CString command = HelpCommandLine(base, helper, language, dir, exists);
  if (PlausibleWindowsName(base.str() + helper.str() + dir.str())) {
    const CString viewer = IsUnsetValue(helper) ? CString("WINHELP") : helper.Upper();
    const CString file = present & 1 ? own : present & 2 ? english : HelpFileName(base, helper, language);
    CheckCommandLine(command.str(), viewer.str(), file.str());
  }

  const unsigned matched =
      MatchLanguage(in.Text(20), [](unsigned id) { return kLanguageNames[id - kLanguageFirst]; });
  FUZZ_CHECK(matched == kLanguageNone || (matched >= kLanguageFirst && matched <= kLanguageLast));
  FUZZ_CHECK((LanguageLibraryFile(language) != nullptr) ==
             (language >= kLanguageFirst && language <= kLanguageLast));
  FUZZ_CHECK(HelpSuffix(language)[0] == '_');

  // The editor's and the OCR engine's command lines name a program and an image file.
  const std::string program = in.Text(200), image = in.Text(200);
  const bool files = PlausibleWindowsName(program + image) && !program.empty() && !image.empty() &&
                     program.back() != '\\' && image.back() != '\\';
  const std::string editorLine = EditorCommand::CommandLine(program, image).str();
  const std::string engineLine = OcrValues::EngineCommandLine(program, image);
  if (files) {
    CheckCommandLine(editorLine, program, image);
    CheckCommandLine(engineLine, program, image);
    CheckCommandLine(OcrValues::WordPadCommandLine(image), "write.exe", image);
  }
  EditorCommand::FileNamePart(image);
}

int64_t ReferenceMulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  const __int128 product = static_cast<__int128>(number) * numerator;
  __int128 magnitude = (product < 0 ? -product : product);
  const __int128 divisor = denominator < 0 ? -static_cast<__int128>(denominator) : denominator;
  magnitude = (magnitude + divisor / 2) / divisor;
  if (magnitude > INT32_MAX) return -1;
  return (product < 0) != (denominator < 0) ? -static_cast<int64_t>(magnitude)
                                            : static_cast<int64_t>(magnitude);
}

void Printing(CFuzzInput& in) {
  ImageMetrics image;
  image.width = SmallOrAny(in, 20000);
  image.height = SmallOrAny(in, 20000);
  image.xResolution = SmallOrAny(in, 1200);
  image.yResolution = SmallOrAny(in, 1200);
  PrinterMetrics printer;
  printer.horzRes = SmallOrAny(in, 10000);
  printer.vertRes = SmallOrAny(in, 10000);
  printer.logPixelsX = SmallOrAny(in, 1200);
  printer.logPixelsY = SmallOrAny(in, 1200);
  CopyOptions options;
  options.scaling = SmallOrAny(in, 1000);
  options.centerVertical = in.Bool();
  options.centerHorizontal = in.Bool();
  image = WithPrinterResolution(image, printer);

  PrintPlacement placement;
  if (PlaceCopy(image, printer, options, &placement)) {
    FUZZ_CHECK(placement.right > 0 && placement.bottom > 0 && placement.scale >= 1);
    FUZZ_CHECK(placement.originX >= 0 && placement.originY >= 0);
    FUZZ_CHECK(placement.originX <= printer.horzRes && placement.originY <= printer.vertRes);
  }
  if (PlaceFax(image, printer, &placement)) FUZZ_CHECK(placement.right > 0 && placement.bottom > 0);

  const int number = in.I32(), numerator = in.I32(), denominator = in.I32();
  FUZZ_CHECK(MulDivRounded(number, numerator, denominator) ==
             ReferenceMulDiv(number, numerator, denominator));

  const short copies = PrintRules::CopiesForPrinter(in.I32());
  FUZZ_CHECK(copies >= 1 && copies <= 9999);
  const int pageHeight = in.I32(), lineHeight = in.I32();
  FUZZ_CHECK(PrintRules::LinesPerPage(pageHeight, lineHeight) >= 0);
  const CString device = in.Text(100);
  PrintRules::DeviceValue(PrintRules::DeviceName(device), in.Text(100));
  FillPlaceholder(device, in.Text(50));
  PrintRules::IsTextExtension(PrintRules::Extension(in.Text(50)));
  const std::string line = in.Text(300);
  FUZZ_CHECK(PrintRules::PrintableLength(line.c_str(), line.size()) <= line.size());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CFuzzInput in(data, size);
  switch (in.Range(0, 2)) {
    case 0:
      ScanRequest(in);
      break;
    case 1:
      CommandLines(in);
      break;
    default:
      Printing(in);
      break;
  }
  return 0;
}
