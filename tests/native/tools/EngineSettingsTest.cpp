// The OCR engine's profile file and its choice of the recognition language.
#include "tools/ocrengine/EngineSettings.h"

#include <gtest/gtest.h>

TEST(EngineSettings, DefaultsFollowThePlatform) {
  const EngineSettings windows = EngineProfile::Read("", false);
  EXPECT_EQ(windows.tesseractPath, "tesseract.exe");
  EXPECT_EQ(windows.language, "auto");
  EXPECT_EQ(windows.timeoutSeconds, 120);
  EXPECT_EQ(EngineProfile::Read("", true).tesseractPath, "/usr/bin/tesseract");
  // Empty values and other sections leave the defaults.
  const EngineSettings empty =
      EngineProfile::Read("[Tesseract]\r\nPath=\r\nLanguage=  \r\n[Other]\r\nPath=x\r\n", true);
  EXPECT_EQ(empty.tesseractPath, "/usr/bin/tesseract");
  EXPECT_EQ(empty.language, "auto");
}

TEST(EngineSettings, ProfileValuesAsWindowsReadsThem) {
  const std::string profile =
      "; settings of the OCR engine\r\n"
      "[General]\r\nLanguage=fra\r\n"
      "[ tesseract ]\r\n"
      "  PATH = \"C:\\Program Files\\Tesseract-OCR\\tesseract.exe\" \r\n"
      "# a comment=with an equals sign\r\n"
      "language=deu+eng\r\n"
      "Language=ita\r\n"
      "Timeout=300\r\n";
  const EngineSettings settings = EngineProfile::Read(profile, false);
  EXPECT_EQ(settings.tesseractPath, "C:\\Program Files\\Tesseract-OCR\\tesseract.exe");
  EXPECT_EQ(settings.language, "deu+eng");  // the first occurrence counts
  EXPECT_EQ(settings.timeoutSeconds, 300);

  bool found = true;
  EXPECT_EQ(EngineProfile::Value(profile, "Tesseract", "Missing", &found), "");
  EXPECT_FALSE(found);
  EXPECT_EQ(EngineProfile::Value(profile, "general", "LANGUAGE", &found), "fra");
  EXPECT_TRUE(found);
  // A key above every section belongs to none; a value may hold '=' and unpaired quotes.
  EXPECT_EQ(EngineProfile::Value("Path=x\n[S]\nK=a=b\nQ=\"c\n", "S", "K"), "a=b");
  EXPECT_EQ(EngineProfile::Value("Path=x\n[S]\nK=a=b\nQ=\"c\n", "S", "Q"), "\"c");
  EXPECT_EQ(EngineProfile::Value("Path=x\n[S]\n", "", "Path"), "");
}

TEST(EngineSettings, TimeoutIsAWholePositiveNumberWithinAnHour) {
  const auto timeout = [](const char* value) {
    return EngineProfile::Read(std::string("[Tesseract]\nTimeout=") + value + "\n", false).timeoutSeconds;
  };
  EXPECT_EQ(timeout("45"), 45);
  EXPECT_EQ(timeout("0"), 120);
  EXPECT_EQ(timeout("-5"), 120);
  EXPECT_EQ(timeout("12s"), 120);
  EXPECT_EQ(timeout("abc"), 120);
  EXPECT_EQ(timeout("99999999999999999999"), 3600);
  EXPECT_EQ(timeout("86400"), 3600);
}

TEST(EngineSettings, ScannerLanguageNamesMapToRecognitionCodes) {
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("GERMAN"), "deu");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage(" german "), "deu");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("SIMPLE"), "chi_sim");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("CHINESE"), "chi_tra");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("SWEDISH"), "swe");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("ENGLISH"), "eng");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage("NULL"), "");
  EXPECT_EQ(EngineProfile::CodeForScannerLanguage(""), "");
}

TEST(EngineSettings, InstalledLanguagesFromTheList) {
  const std::string list =
      "List of available languages in \"/usr/share/tesseract-ocr/5/tessdata/\" (3):\n"
      "deu\neng\r\nosd\n\n";
  EXPECT_EQ(EngineProfile::ParseLanguageList(list), (std::vector<std::string>{"deu", "eng", "osd"}));
  EXPECT_TRUE(EngineProfile::ParseLanguageList("").empty());
  EXPECT_TRUE(EngineProfile::ParseLanguageList("Error opening data file /x/eng.traineddata\n").empty());
}

TEST(EngineSettings, LanguageFollowsTheScannerWhenInstalled) {
  const std::vector<std::string> installed = {"deu", "eng", "osd"};
  EXPECT_EQ(EngineProfile::ChooseLanguage("auto", "GERMAN", installed), "deu");
  EXPECT_EQ(EngineProfile::ChooseLanguage("AUTO", "FRENCH", installed), "eng");  // not installed
  EXPECT_EQ(EngineProfile::ChooseLanguage("", "NULL", installed), "eng");
  EXPECT_EQ(EngineProfile::ChooseLanguage("auto", "GERMAN", {}), "eng");  // list unknown
  // A language of the settings wins over the scanner's when every part is installed.
  EXPECT_EQ(EngineProfile::ChooseLanguage("deu+eng", "FRENCH", installed), "deu+eng");
  EXPECT_EQ(EngineProfile::ChooseLanguage("deu+fra", "GERMAN", installed), "eng");
  EXPECT_EQ(EngineProfile::ChooseLanguage("fra", "GERMAN", {}), "fra");
  EXPECT_EQ(EngineProfile::ChooseLanguage(" + ", "GERMAN", installed), "eng");

  // English is chosen without asking which languages are installed.
  EXPECT_FALSE(EngineProfile::NeedsLanguageList("auto", "ENGLISH"));
  EXPECT_FALSE(EngineProfile::NeedsLanguageList("", "NULL"));
  EXPECT_FALSE(EngineProfile::NeedsLanguageList("eng", "GERMAN"));
  EXPECT_TRUE(EngineProfile::NeedsLanguageList("auto", "GERMAN"));
  EXPECT_TRUE(EngineProfile::NeedsLanguageList("deu+eng", "ENGLISH"));
}
