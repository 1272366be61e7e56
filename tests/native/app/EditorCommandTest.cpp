// The image editor's command line and the file-name part of its path.
#include "app/output/EditorCommand.h"

#include <gtest/gtest.h>

TEST(EditorCommand, ShortPathsStayBareLongOnesAreQuoted) {
  EXPECT_EQ(EditorCommand::CommandLine("C:\\PROGRA~1\\IPE\\IPE.EXE", "C:\\ORVANE\\TEMP\\P8194045.JPG").str(),
            "C:\\PROGRA~1\\IPE\\IPE.EXE C:\\ORVANE\\TEMP\\P8194045.JPG");
  // A volume without short names gives the long path back: it must stay one argument.
  EXPECT_EQ(EditorCommand::CommandLine("D:\\Program Files\\Ipe\\Ipe.exe", "D:\\My Scans\\TEMP\\P1.JPG").str(),
            "\"D:\\Program Files\\Ipe\\Ipe.exe\" \"D:\\My Scans\\TEMP\\P1.JPG\"");
  EXPECT_EQ(EditorCommand::CommandLine("\"C:\\A B\\e.exe\"", "x").str(), "\"C:\\A B\\e.exe\" x");
}

TEST(EditorCommand, FileNamePartNeedsABackslashAfterTheFirstCharacter) {
  EXPECT_EQ(EditorCommand::FileNamePart("C:\\Tools\\Ipe.exe").str(), "Ipe.exe");
  EXPECT_EQ(EditorCommand::FileNamePart("\\Ipe.exe").str(), "\\Ipe.exe");
  EXPECT_EQ(EditorCommand::FileNamePart("Ipe.exe").str(), "Ipe.exe");
  EXPECT_EQ(EditorCommand::FileNamePart("").str(), "");
}
