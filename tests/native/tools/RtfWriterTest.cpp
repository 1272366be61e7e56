// The OCR engine's RTF: escapes, characters beyond ASCII, lines and paragraphs.
#include "tools/ocrengine/RtfWriter.h"

#include <gtest/gtest.h>

namespace {
// The document's body: what follows the header's "\fs22 " up to the closing brace.
std::string Body(const std::string& rtf) {
  const std::string start = "\\fs22 ";
  const size_t from = rtf.find(start);
  const size_t to = rtf.rfind('}');
  if (from == std::string::npos || to == std::string::npos || to < from) return "<malformed>";
  return rtf.substr(from + start.size(), to - from - start.size());
}

// Braces outside escapes balance, so a reader finds the document's end where it is.
bool BracesBalance(const std::string& rtf) {
  int depth = 0;
  for (size_t i = 0; i < rtf.size(); ++i) {
    if (rtf[i] == '\\')
      ++i;
    else if (rtf[i] == '{')
      ++depth;
    else if (rtf[i] == '}' && --depth < 0)
      return false;
  }
  return depth == 0;
}
}  // namespace

TEST(RtfWriter, DocumentIsWesternRtfWithOneFont) {
  const std::string rtf = RtfWriter::FromText("Hello");
  EXPECT_EQ(rtf.rfind("{\\rtf1\\ansi\\ansicpg1252", 0), 0u);
  EXPECT_NE(rtf.find("\\uc1"), std::string::npos);  // one fallback character after each \u
  EXPECT_EQ(Body(rtf), "Hello\\par\r\n");
  EXPECT_TRUE(BracesBalance(rtf));
}

TEST(RtfWriter, BackslashAndBracesAreEscaped) {
  const std::string rtf = RtfWriter::FromText("a\\b {c} }{ \\par");
  EXPECT_EQ(Body(rtf), "a\\\\b \\{c\\} \\}\\{ \\\\par\\par\r\n");
  EXPECT_TRUE(BracesBalance(rtf));
  // A lone closing brace in the text must not end the document early.
  EXPECT_TRUE(BracesBalance(RtfWriter::FromText("}}}")));
}

TEST(RtfWriter, NonAsciiCharacters) {
  // Western code page characters as \'hh, including those at 0x80..0x9F.
  EXPECT_EQ(Body(RtfWriter::FromText("Gr\xC3\xBC\xC3\x9F"
                                     "e \xE2\x82\xAC 5")),
            "Gr\\'fc\\'dfe \\'80 5\\par\r\n");
  EXPECT_EQ(Body(RtfWriter::FromText("\xE2\x80\x9Cq\xE2\x80\x9D")), "\\'93q\\'94\\par\r\n");
  // Others as signed 16-bit \uN with one fallback character.
  EXPECT_EQ(Body(RtfWriter::FromText("\xCE\xB1\xE6\x97\xA5")), "\\u945?\\u26085?\\par\r\n");
  EXPECT_EQ(Body(RtfWriter::FromText("\xEF\xAC\x81")), "\\u-1279?\\par\r\n");  // U+FB01, above 0x7FFF
  // Beyond the basic plane: a surrogate pair (U+1F600).
  EXPECT_EQ(Body(RtfWriter::FromText("\xF0\x9F\x98\x80")), "\\u-10179?\\u-8704?\\par\r\n");
}

TEST(RtfWriter, InvalidUtf8BecomesReplacementCharacters) {
  // A stray continuation byte, a truncated sequence at the end, an overlong slash, a surrogate.
  EXPECT_EQ(Body(RtfWriter::FromText("a\x80"
                                     "b\xC3")),
            "a\\u-3?b\\u-3?\\par\r\n");
  EXPECT_EQ(Body(RtfWriter::FromText("\xC0\xAF")), "\\u-3?\\u-3?\\par\r\n");
  EXPECT_EQ(Body(RtfWriter::FromText("\xED\xA0\x80x")), "\\u-3?\\u-3?\\u-3?x\\par\r\n");
  // A truncated sequence does not swallow the ASCII that follows it.
  EXPECT_EQ(Body(RtfWriter::FromText("\xE2\x82"
                                     "ab")),
            "\\u-3?\\u-3?ab\\par\r\n");
}

TEST(RtfWriter, LinesAndParagraphsAreKept) {
  const std::string text = "\n\nFirst line\nsecond line  \n\n\n\nNext paragraph\r\n \t\r\nLast\tword\n\f";
  EXPECT_EQ(Body(RtfWriter::FromText(text)),
            "First line\\line second line\\par\r\n"
            "Next paragraph\\par\r\n"
            "Last\\tab word\\par\r\n");
  // Control characters carry nothing; the form feed the recogniser ends a page with is gone.
  EXPECT_EQ(Body(RtfWriter::FromText("a\x01\x1b"
                                     "b\x7f\f")),
            "ab\\par\r\n");
}

TEST(RtfWriter, TextWithoutWordsIsEmpty) {
  EXPECT_FALSE(RtfWriter::HasText(""));
  EXPECT_FALSE(RtfWriter::HasText(" \r\n\t\f\n \xC2\xA0 \xEF\xBB\xBF"));
  EXPECT_TRUE(RtfWriter::HasText("\n\f x"));
  EXPECT_TRUE(RtfWriter::HasText("\xC3\xA9"));
  EXPECT_EQ(Body(RtfWriter::FromText("\n \n\f")), "");
}
