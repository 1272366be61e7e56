// The OCR hand-off's registry values per edition, command lines and clipboard blocks.
#include "app/output/OcrValues.h"

#include <gtest/gtest.h>

using OcrValues::RegistryValue;

namespace {
std::vector<std::string> Names(const std::vector<RegistryValue>& values) {
  std::vector<std::string> names;
  for (const RegistryValue& value : values) names.push_back(value.name);
  return names;
}

const RegistryValue& Find(const std::vector<RegistryValue>& values, const char* name) {
  for (const RegistryValue& value : values) {
    if (value.name == name) return value;
  }
  static const RegistryValue missing = {"<missing>", RegistryValue::kDelete, 0xFFFFFFFF, "<missing>"};
  return missing;
}
}  // namespace

TEST(OcrValues, Edition20IsPreparedToSaveTheTextItself) {
  const std::string file = "C:\\Orvane\\DATA\\P8194045.doc";
  const auto values = OcrValues::StartValues(OcrValues::kEdition20, file, false, 0x1234ABCD);
  EXPECT_EQ(Names(values),
            (std::vector<std::string>{"UseScanner", "SkipStartDialog", "AutoFileName", "DefaultWpformat",
                                      "Paste", "Faceless", "ApplicationWnd", "PdfFileName"}));
  EXPECT_TRUE(Find(values, "PdfFileName").bytes.empty());
  EXPECT_EQ(Find(values, "UseScanner").number, 0u);
  EXPECT_EQ(Find(values, "SkipStartDialog").number, 1u);
  const RegistryValue& name = Find(values, "AutoFileName");
  EXPECT_EQ(name.kind, RegistryValue::kText);
  ASSERT_EQ(name.bytes.size(), 257u);
  EXPECT_EQ(name.bytes.substr(0, file.size()), file);
  EXPECT_EQ(name.bytes.find_first_not_of('\0', file.size()), std::string::npos);
  const RegistryValue& format = Find(values, "DefaultWpformat");
  ASSERT_EQ(format.bytes.size(), 256u);
  EXPECT_EQ(std::string(format.bytes.c_str()), "Word 6.0 (*.rtf)");
  EXPECT_EQ(Find(values, "Paste").number, 1u);
  EXPECT_EQ(Find(values, "Faceless").number, 1u);
  EXPECT_EQ(Find(values, "ApplicationWnd").number, 0x1234ABCDu);
  for (const char* number : {"UseScanner", "SkipStartDialog", "Paste", "Faceless", "ApplicationWnd"}) {
    EXPECT_EQ(Find(values, number).kind, RegistryValue::kNumber) << number;
  }
}

TEST(OcrValues, Edition96IsOnlyToldToPaste) {
  const auto values = OcrValues::StartValues(OcrValues::kEdition96, "C:\\D\\P1.doc", false, 77);
  EXPECT_EQ(Names(values), (std::vector<std::string>{"DefaultWpformat", "Paste", "Faceless", "ApplicationWnd",
                                                     "PdfFileName"}));
  EXPECT_EQ(Find(values, "ApplicationWnd").number, 77u);
  EXPECT_EQ(Names(OcrValues::EndValues(OcrValues::kEdition96)),
            (std::vector<std::string>{"Paste", "Faceless", "ApplicationWnd", "PdfFileName"}));
}

// A searchable PDF is named to either edition; the 2.0 edition gets no text file to write.
TEST(OcrValues, APdfJobNamesThePdf) {
  const std::string pdf = "C:\\Orvane\\DATA\\P8194045.pdf";
  for (auto mode : {OcrValues::kEdition20, OcrValues::kEdition96}) {
    const auto values = OcrValues::StartValues(mode, pdf, true, 5);
    const RegistryValue& name = Find(values, "PdfFileName");
    ASSERT_EQ(name.bytes.size(), 257u);
    EXPECT_EQ(std::string(name.bytes.c_str()), pdf);
    if (mode == OcrValues::kEdition20) {
      EXPECT_TRUE(Find(values, "AutoFileName").bytes.empty());
    }
  }
}

TEST(OcrValues, EndValuesUndoTheJob) {
  const auto values = OcrValues::EndValues(OcrValues::kEdition20);
  EXPECT_EQ(Names(values), (std::vector<std::string>{"SkipStartDialog", "AutoFileName", "Paste", "Faceless",
                                                     "ApplicationWnd", "PdfFileName"}));
  EXPECT_TRUE(Find(values, "PdfFileName").bytes.empty());
  EXPECT_EQ(Find(values, "SkipStartDialog").kind, RegistryValue::kDelete);
  EXPECT_EQ(Find(values, "AutoFileName").kind, RegistryValue::kText);
  EXPECT_TRUE(Find(values, "AutoFileName").bytes.empty());  // an empty string without data
  for (const char* number : {"Paste", "Faceless", "ApplicationWnd"}) {
    EXPECT_EQ(Find(values, number).kind, RegistryValue::kNumber) << number;
    EXPECT_EQ(Find(values, number).number, 0u) << number;
  }
}

TEST(OcrValues, OverlongTextFileIsCutToItsField) {
  const std::string longPath(400, 'x');
  const auto values = OcrValues::StartValues(OcrValues::kEdition20, longPath, false, 1);
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
