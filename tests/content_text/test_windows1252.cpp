// UTF-8 sources become the one-byte glyph codes of the fonts, and back.
#include <gtest/gtest.h>

#include <string>

#include "tools/contentgen/content_source.h"
#include "tools/contentgen/cp1252.h"
#include "tools/contentgen/table_writer.h"

namespace {

std::string Convert(const std::string& utf8) {
    std::string out;
    std::string problem;
    EXPECT_TRUE(ConvertUtf8ToWindows1252(utf8, out, problem)) << problem;
    return out;
}

std::string Refusal(const std::string& utf8) {
    std::string out;
    std::string problem;
    EXPECT_FALSE(ConvertUtf8ToWindows1252(utf8, out, problem)) << utf8;
    return problem;
}

}  // namespace

TEST(Windows1252, LatinLettersAndTheHighBlockMapToOneByteEach) {
    EXPECT_EQ(Convert("Sk\xC3\xA4rg\xC3\xA5rd"), "Sk\xE4rg\xE5rd");
    EXPECT_EQ(Convert("\xE2\x82\xAC 5"), "\x80 5");               // euro sign
    EXPECT_EQ(Convert("\xE2\x80\x94\xE2\x80\x9C\xE2\x80\x9D"), "\x97\x93\x94");  // dash and quotes
    EXPECT_EQ(Convert("\xC5\xBD\xC5\xBE\xC3\xBF\xC5\xB8"), "\x8E\x9E\xFF\x9F");  // Z, z, y and Y with marks
    EXPECT_EQ(Convert(""), "");
}

TEST(Windows1252, CharactersWithoutAByteAreRefused) {
    EXPECT_EQ(Refusal("ok \xE2\x86\x92"), "character U+2192 at column 4 has no Windows-1252 byte");
    EXPECT_EQ(Refusal("\xC2\x81"), "character U+0081 at column 1 has no Windows-1252 byte");  // a hole of 0x80..0x9F
    EXPECT_EQ(Refusal("\xF0\x9F\x8E\xB5"), "character U+1F3B5 at column 1 has no Windows-1252 byte");
}

TEST(Windows1252, MalformedUtf8IsRefused) {
    EXPECT_EQ(Refusal("a\xC0\xAF"), "malformed UTF-8 at column 2");      // overlong '/'
    EXPECT_EQ(Refusal("\xED\xA0\x80"), "malformed UTF-8 at column 1");   // surrogate
    EXPECT_EQ(Refusal("ab\xE2\x82"), "malformed UTF-8 at column 3");     // cut short
    EXPECT_EQ(Refusal("\x80"), "malformed UTF-8 at column 1");           // stray continuation
    EXPECT_EQ(Refusal("\xF4\x90\x80\x80"), "malformed UTF-8 at column 1");  // beyond U+10FFFF
}

TEST(Windows1252, ProofsConvertBackToUtf8) {
    EXPECT_EQ(ConvertWindows1252ToUtf8("Sk\xE4rg\xE5rd \x80\x97"), "Sk\xC3\xA4rg\xC3\xA5rd \xE2\x82\xAC\xE2\x80\x94");
    EXPECT_EQ(ConvertWindows1252ToUtf8("\x81"), "?");
}

TEST(ContentTableSource, LiteralsEscapeWhatCWouldMisread) {
    ContentText text;
    StartContentText(text);
    text.lines[0].bytes = "say \"hi\" \\ ok?? \xE9t\xE9";
    std::string source = ContentTableSource(text);
    EXPECT_NE(source.find(R"("say \"hi\" \\ ok\077\077 \351t\351",)"), std::string::npos);
    EXPECT_NE(source.find("    EmptyLine,\n"), std::string::npos);
    EXPECT_NE(source.find("// Chart15\n"), std::string::npos);
}
