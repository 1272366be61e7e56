// The OCR hand-off's registry values per edition, command lines and clipboard blocks.
#include "app/output/OcrValues.h"

#include <gtest/gtest.h>

using OcrValues::RegistryValue;

namespace {
// A value as the engine reads it: its name, and "n:<number>", "t:<text>" (the field's text,
// its size checked apart), "t:" for a text without data, or "-" (deleted).
std::vector<std::string> Described(const std::vector<RegistryValue>& values) {
  std::vector<std::string> described;
  for (const RegistryValue& value : values) {
    std::string what;
    switch (value.kind) {
      case RegistryValue::kNumber:
        what = "n:" + std::to_string(value.number);
        break;
      case RegistryValue::kText:
        what = "t:" + std::string(value.bytes.c_str());
        break;
      case RegistryValue::kDelete:
        what = "-";
        break;
    }
    described.push_back(value.name + "=" + what);
  }
  return described;
}

const RegistryValue& Find(const std::vector<RegistryValue>& values, const char* name) {
  for (const RegistryValue& value : values) {
    if (value.name == name) return value;
  }
  static const RegistryValue missing = {"<missing>", RegistryValue::kDelete, 0xFFFFFFFF, "<missing>"};
  return missing;
}

using Values = std::vector<std::string>;
}  // namespace

// Every value each edition is given at the start and the end of a job, in the order written:
// the 2.0 edition saves the text itself (not scanning, no start dialog); the 96 edition is
// only told to paste; a PDF job names the PDF, a word-box job the boxes' file, and neither
// gives the 2.0 edition a text file.
TEST(OcrValues, EachEditionGetsItsValuesAndTheEndUndoesThem) {
  const std::string file = "C:\\Orvane\\DATA\\P8194045.doc";
  const std::string pdf = "C:\\Orvane\\DATA\\P8194045.pdf";
  const auto start20 = OcrValues::StartValues(OcrValues::kEdition20, file, OcrValues::kRichText, 0x1234ABCD);
  EXPECT_EQ(Described(start20), (Values{"UseScanner=n:0", "SkipStartDialog=n:1", "AutoFileName=t:" + file,
                                        "DefaultWpformat=t:Word 6.0 (*.rtf)", "Paste=n:1", "Faceless=n:1",
                                        "ApplicationWnd=n:305441741", "PdfFileName=t:", "TsvFileName=-"}));
  EXPECT_EQ(Described(OcrValues::StartValues(OcrValues::kEdition96, file, OcrValues::kRichText, 77)),
            (Values{"DefaultWpformat=t:Word 6.0 (*.rtf)", "Paste=n:1", "Faceless=n:1", "ApplicationWnd=n:77",
                    "PdfFileName=t:", "TsvFileName=-"}));
  EXPECT_EQ(Described(OcrValues::StartValues(OcrValues::kEdition20, pdf, OcrValues::kSearchablePdf, 5)),
            (Values{"UseScanner=n:0", "SkipStartDialog=n:1",
                    "AutoFileName=t:", "DefaultWpformat=t:Word 6.0 (*.rtf)", "Paste=n:1", "Faceless=n:1",
                    "ApplicationWnd=n:5", "PdfFileName=t:" + pdf, "TsvFileName=-"}));
  EXPECT_EQ(
      Find(OcrValues::StartValues(OcrValues::kEdition96, pdf, OcrValues::kSearchablePdf, 5), "PdfFileName")
          .bytes.c_str(),
      pdf);
  // A job that lays the words over its own page asks for the word boxes alone.
  const std::string tsv = "C:\\Orvane\\TEMP\\P8194045.TSV";
  EXPECT_EQ(Described(OcrValues::StartValues(OcrValues::kEdition20, tsv, OcrValues::kWordBoxes, 5)),
            (Values{"UseScanner=n:0", "SkipStartDialog=n:1",
                    "AutoFileName=t:", "DefaultWpformat=t:Word 6.0 (*.rtf)", "Paste=n:1", "Faceless=n:1",
                    "ApplicationWnd=n:5", "PdfFileName=t:", "TsvFileName=t:" + tsv}));
  EXPECT_EQ(Described(OcrValues::EndValues(OcrValues::kEdition20)),
            (Values{"SkipStartDialog=-", "AutoFileName=t:", "Paste=n:0", "Faceless=n:0", "ApplicationWnd=n:0",
                    "PdfFileName=t:", "TsvFileName=-"}));
  EXPECT_EQ(Described(OcrValues::EndValues(OcrValues::kEdition96)),
            (Values{"Paste=n:0", "Faceless=n:0", "ApplicationWnd=n:0", "PdfFileName=t:", "TsvFileName=-"}));

  // The engine reads its text fields whole: 257 bytes for file names, 256 for the format, zero
  // after the text; an emptied field carries no data at all.
  const RegistryValue& name = Find(start20, "AutoFileName");
  ASSERT_EQ(name.bytes.size(), 257u);
  EXPECT_EQ(name.bytes.find_first_not_of('\0', file.size()), std::string::npos);
  EXPECT_EQ(Find(start20, "DefaultWpformat").bytes.size(), 256u);
  EXPECT_EQ(
      Find(OcrValues::StartValues(OcrValues::kEdition96, pdf, OcrValues::kSearchablePdf, 5), "PdfFileName")
          .bytes.size(),
      257u);
  EXPECT_TRUE(Find(OcrValues::EndValues(OcrValues::kEdition20), "AutoFileName").bytes.empty());
  EXPECT_TRUE(Find(start20, "PdfFileName").bytes.empty());
}

TEST(OcrValues, OverlongTextFileIsCutToItsField) {
  const std::string longPath(400, 'x');
  const auto values = OcrValues::StartValues(OcrValues::kEdition20, longPath, OcrValues::kRichText, 1);
  const RegistryValue& name = Find(values, "AutoFileName");
  ASSERT_EQ(name.bytes.size(), 257u);
  EXPECT_EQ(name.bytes.substr(0, 256), longPath.substr(0, 256));
  EXPECT_EQ(name.bytes[256], '\0');
}

TEST(OcrValues, CommandLines) {
  EXPECT_EQ(OcrValues::EngineCommandLine("C:\\TB\\bin\\tb.exe", "C:\\ORVANE\\TEMP\\P8194045.TIF"),
            "C:\\TB\\bin\\tb.exe C:\\ORVANE\\TEMP\\P8194045.TIF");
  // A path with a space could otherwise start "C:\Program.exe".
  EXPECT_EQ(OcrValues::EngineCommandLine("C:\\Program Files\\TB\\bin\\tb96.exe", "C:\\My Scans\\P1.TIF"),
            "\"C:\\Program Files\\TB\\bin\\tb96.exe\" \"C:\\My Scans\\P1.TIF\"");
  EXPECT_EQ(OcrValues::WordPadCommandLine("C:\\ORVANE\\DATA\\P8194045.DOC"),
            "write.exe C:\\ORVANE\\DATA\\P8194045.DOC");
  EXPECT_EQ(OcrValues::WordPadCommandLine("C:\\Long Name\\P1.doc"), "write.exe \"C:\\Long Name\\P1.doc\"");
}

TEST(OcrValues, ClipboardBlocks) {
  const char block[] = "{\\rtf1 text}\0\0garbage";
  EXPECT_EQ(OcrValues::RichTextLength(block, sizeof(block)), 12u);
  // A block without a terminator is taken as long as it is, never further.
  EXPECT_EQ(OcrValues::RichTextLength(block, 5), 5u);
  EXPECT_EQ(OcrValues::RichTextLength(nullptr, 5), 0u);

  const std::string list = OcrValues::FileNameList("C:\\D\\P1.doc");
  EXPECT_EQ(list.size(), 11u + 2u);
  EXPECT_EQ(list, std::string("C:\\D\\P1.doc\0\0", 13));
}
