// UTF-8 sources become the one-byte glyph codes of the fonts, and proofs turn
// them back; the table source writes them as C literals.
#include <gtest/gtest.h>

#include <string>

#include "tools/contentgen/content_source.h"
#include "tools/contentgen/cp1252.h"
#include "tools/contentgen/table_writer.h"

TEST(Windows1252, EachCharacterBecomesOneByteAndConvertsBack) {
    const struct {
        std::string utf8, bytes;
    } rows[] = {
        {"", ""},
        {"Sk\xC3\xA4rg\xC3\xA5rd", "Sk\xE4rg\xE5rd"},
        {"\xE2\x82\xAC 5", "\x80 5"},                                   // euro sign
        {"\xE2\x80\x94\xE2\x80\x9C\xE2\x80\x9D", "\x97\x93\x94"},       // dash and quotes
        {"\xC5\xBD\xC5\xBE\xC3\xBF\xC5\xB8", "\x8E\x9E\xFF\x9F"},       // Z, z, y and Y with marks
    };
    for (const auto& row : rows) {
        std::string out;
        std::string problem;
        ASSERT_TRUE(ConvertUtf8ToWindows1252(row.utf8, out, problem)) << problem;
        EXPECT_EQ(out, row.bytes);
        EXPECT_EQ(ConvertWindows1252ToUtf8(out), row.utf8);
    }
    EXPECT_EQ(ConvertWindows1252ToUtf8("\x81"), "?");  // a hole of 0x80..0x9F
}

TEST(Windows1252, CharactersWithoutAByteAndMalformedUtf8AreRefused) {
    const struct {
        const char* utf8;
        const char* problem;
    } rows[] = {
        {"\xC2\x81", "character U+0081 at column 1 has no Windows-1252 byte"},  // a hole of 0x80..0x9F
        {"\xF0\x9F\x8E\xB5", "character U+1F3B5 at column 1 has no Windows-1252 byte"},
        {"a\xC0\xAF", "malformed UTF-8 at column 2"},         // overlong '/'
        {"\xED\xA0\x80", "malformed UTF-8 at column 1"},      // surrogate
        {"ab\xE2\x82", "malformed UTF-8 at column 3"},        // cut short
        {"\x80", "malformed UTF-8 at column 1"},              // stray continuation
        {"\xF4\x90\x80\x80", "malformed UTF-8 at column 1"},  // beyond U+10FFFF
    };
    for (const auto& row : rows) {
        std::string out;
        std::string problem;
        EXPECT_FALSE(ConvertUtf8ToWindows1252(row.utf8, out, problem)) << row.problem;
        EXPECT_EQ(problem, row.problem);
    }
}

TEST(ContentTableSource, LiteralsEscapeWhatCWouldMisread) {
    ContentText text;
    StartContentText(text);
    CheckContentText(text);  // every run missing: the charts keep their empty places
    text.lines[0].bytes = "say \"hi\" \\ ok?? \xE9t\xE9";
    std::string source = ContentTableSource(text);
    EXPECT_NE(source.find(R"("say \"hi\" \\ ok\077\077 \351t\351",)"), std::string::npos);
    EXPECT_NE(source.find("    EmptyLine,\n"), std::string::npos);
    EXPECT_NE(source.find("// Chart15\n"), std::string::npos);
}
