// Quoting of the recognition program's arguments by the rules its C runtime reads them with.
#include "tools/ocrengine/ArgumentQuoting.h"

#include <gtest/gtest.h>

TEST(ArgumentQuoting, BackslashesAreDoubledOnlyBeforeAQuote) {
  EXPECT_EQ(QuotedArgument("deu+eng"), "\"deu+eng\"");
  EXPECT_EQ(QuotedArgument("C:\\Orvane\\TEMP\\P1234567.TIF"), "\"C:\\Orvane\\TEMP\\P1234567.TIF\"");
  EXPECT_EQ(QuotedArgument(""), "\"\"");
  // A quote inside: \" (read back as the quote itself, not the end of the argument).
  EXPECT_EQ(QuotedArgument("a\"b"), "\"a\\\"b\"");
  // Backslashes before a quote: each doubled, then \" (before, "a\" read as a\ and ended there).
  EXPECT_EQ(QuotedArgument("a\\\"b"), "\"a\\\\\\\"b\"");
  // A folder's final backslash would escape the closing quote: doubled.
  EXPECT_EQ(QuotedArgument("C:\\out dir\\"), "\"C:\\out dir\\\\\"");
  EXPECT_EQ(QuotedArgument("\\\\server\\share"), "\"\\\\server\\share\"");
}
