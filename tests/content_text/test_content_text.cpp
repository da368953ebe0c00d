// The text sources: the shipped ones pass every check and are what the
// program holds (so the table's literals escape them right); broken sources
// are refused naming file and line; UTF-8 becomes the fonts' Windows-1252
// bytes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content/content_lines.h"
#include "content/page_layout.h"
#include "tools/contentgen/content_source.h"
#include "tools/contentgen/cp1252.h"

namespace {

namespace fs = std::filesystem;

ContentText ReadAndCheck(const std::string& directory) {
    ContentText text;
    StartContentText(text);
    ReadContentDirectory(text, directory);
    CheckContentText(text);
    return text;
}

TEST(ShippedText, PassesEveryCheckAndIsWhatTheProgramHolds) {
    const char* source = std::getenv("TB_SOURCE_DIR");
    const ContentText shipped = ReadAndCheck(std::string(source ? source : ".") + "/content/text");
    for (const std::string& fault : shipped.faults) ADD_FAILURE() << fault;
    for (int i = 0; i < ContentLineCount; ++i) {
        const std::string& expected = shipped.lines[i].bytes;
        ASSERT_NE(ContentLines[i], nullptr) << "line " << i;
        if (expected.empty())
            EXPECT_EQ(ContentLines[i], EmptyLine) << "blank line " << i << " must share EmptyLine";
        else
            EXPECT_EQ(std::string(ContentLines[i]), expected) << "line " << i;
    }
}

// A chart run: heading, blank line, a row per name with falling points and
// the given trends (one of "n+-0" a rank), empty ranks.
std::string ChartSource(int pick, const char* claim, const std::vector<std::string>& names, const char* trends) {
    std::string run = "@@ run Chart" + std::to_string(pick) + "\n" + claim + (*claim ? "\n" : "") + "Heading\n\n";
    for (size_t rank = 0; rank < ChartRankCount; ++rank) {
        const char t = rank < names.size() ? trends[rank] : ' ';
        const char* trend = t == 'n' ? "(new)" : t == '+' ? "( + )" : t == '-' ? "( - )" : "( 0 )";
        char row[80];
        if (rank < names.size())
            std::snprintf(row, sizeof row, "%02zu.  %-36s%5d p.    %s\n", rank + 1, names[rank].c_str(),
                          int(200 - 10 * rank), trend);
        else
            std::snprintf(row, sizeof row, "%02zu.%55s\n", rank + 1, "");
        run += row;
    }
    return run;
}

std::string Lines(int count, const std::string& line) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += line + "\n";
    return lines;
}

std::string Edited(std::string source, const std::string& from, const std::string& to) {
    return source.replace(source.find(from), from.size(), to);
}

constexpr const char* SmallCast =
    "@@ cast\n"
    "group Alpha | amiga\n"
    "group Beta | amiga\n"
    "person Ann | Alpha | code\n"
    "person Bob | Beta 1999-2002, Alpha | music\n"
    "prod Blue | Alpha | amiga\n";

fs::path CaseDirectory() { return fs::temp_directory_path() / ("tb_content_case_" + std::to_string(getpid())); }

// A source read and checked as "case.txt" beside the small cast.
ContentText CheckCase(const std::string& source) {
    fs::create_directories(CaseDirectory());
    std::ofstream(CaseDirectory() / "cast.txt") << SmallCast;
    std::ofstream(CaseDirectory() / "case.txt", std::ios::binary) << source;
    ContentText text = ReadAndCheck(CaseDirectory().string());
    fs::remove_all(CaseDirectory());
    return text;
}

// The fault must name the line (the runs a case leaves out are missing,
// which is beside the point).
TEST(RejectedSource, EachBrokenLineIsNamedWithWhatIsWrong) {
    const std::vector<std::string> ab(10, "Alpha"), mixed = {"Alpha", "Beta", "Alpha", "Beta", "Alpha",
                                                               "Beta",  "Alpha", "Beta", "Alpha", "Beta"};
    const std::string alpha = ChartSource(15, "@@ chart amiga groups", {"Alpha", "Beta"}, "n+");
    const struct { std::string source; int line; const char* fault; } rows[] = {
        {Edited(alpha, "01.  ", "01. "), 5, "57 characters; it must be 58"},
        {Edited(alpha, "(new)", "(old)"), 5, "trend must be one of"},
        {Edited(alpha, "  190 p.", " 9999 p."), 6, "points must fall"},
        {Edited(alpha, "Heading", std::string(49, 'H')), 3, "49 characters with its leading blanks; at most 48"},
        {Edited(alpha, "10." + std::string(55, ' ') + "\n", ""), 1, "holds 11 lines; a chart holds 12"},
        {"@@ run Advertisement1\n" + Lines(34, "x"), 1, "holds 34 lines; at most 33 fit"},
        {"@@ run News1\n" + Lines(1, std::string(84, 'x')), 2, "84 characters; at most 83 fit at x 105"},
        {"@@ run Bonus7\n" + Lines(5, "") + Lines(1, "Text under the photo") + Lines(18, ""), 7,
         "the group photo covers it"},
        {"@@ run Bonus7\nA\nB\n@@ page\n", 4, "page break after 2 lines"},
        {"@@ run Chart99\n", 1, "no run is called \"Chart99\""},
        {"@@ run Welcome\n@@ run Welcome\n", 2, "run Welcome was already given at"},
        {"@@ run Messages\nZed / Alpha to all:\n", 2, "handle \"Zed\" is not in the cast"},
        {"@@ run Messages\nsee Ann / Beta at the party\n", 2, "does not give \"Ann\" to \"Beta\""},
        {"@@ run Messages\nNobody to all:\n", 2, "sender \"Nobody\" is not in the cast"},
        {"@@ run News1\n@@ members Alpha 3\n", 2, "the text gives Alpha 3 members, the cast 2"},
        {"@@ run Voters\nVoters\n\nAnn/Alpha  Zed/Alpha\n@@ run News1\n@@ members Alpha 2\n", 4,
         "\"Zed\" is not one of the 2 members"},
        {ChartSource(46, "@@ chart c64 groups", {"Alpha"}, "n"), 5, "\"Alpha\" is not on c64"},
        {ChartSource(17, "@@ chart amiga people", {"Bob / Beta"}, "n"), 5, "not give \"Bob\" to \"Beta\" now"},
        {ChartSource(22, "@@ chart amiga prods", {"Blue by Beta"}, "n"), 5, "the cast gives \"Blue\" to \"Alpha\""},
        {ChartSource(22, "", {"Blue by Alpha"}, "n"), 2, "needs \"@@ chart PLATFORM KIND\""},
        {ChartSource(15, "@@ chart amiga groups", mixed, "0+-0n-+0-n") +
             ChartSource(16, "@@ chart amiga groups", mixed, "+-0n-+0-n0"),
         17, "the same groups hold 10 of the places of Chart15"},
        {ChartSource(15, "@@ chart amiga groups", ab, "0+-0n-+0-n") +
             ChartSource(22, "@@ chart amiga prods", std::vector<std::string>(10, "Blue by Alpha"), "0+-0n-+0-n") +
             ChartSource(46, "@@ chart scene groups", ab, "0+-0n-+0-n"),
         31, "the same trends from rank 1 to 10 as Chart15 and Chart22"},
        {"@@ cast\nperson Cy | Delta | code\n", 2, "group \"Delta\" is not in the cast"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        const std::string where = (CaseDirectory() / "case.txt").string() + ":" + std::to_string(row.line) + ": ";
        const ContentText text = CheckCase(row.source);
        EXPECT_TRUE(std::any_of(text.faults.begin(), text.faults.end(), [&](const std::string& fault) {
            return fault.starts_with(where) && fault.find(row.fault) != std::string::npos;
        })) << "expected \"" << where << "..." << row.fault << "...\"";
    }
}

// An editor on another machine may save with a byte order mark, CRLF line
// ends and notes of their own: the text reads the same.
TEST(SourceFormat, ByteOrderMarkLineEndsAndNotesDoNotChangeTheText) {
    const ContentText plain = CheckCase("@@ run Welcome\nHello from Sk\xC3\xA4rg\xC3\xA5rd\n\nBye\n");
    const ContentText edited = CheckCase("\xEF\xBB\xBF@@ run Welcome\r\n@@ # edited elsewhere\r\n"
                                         "Hello from Sk\xC3\xA4rg\xC3\xA5rd\r\n\r\nBye\r\n");
    EXPECT_EQ(edited.faults.size(), plain.faults.size());
    for (size_t i = 0; i < plain.lines.size(); ++i) EXPECT_EQ(edited.lines[i].bytes, plain.lines[i].bytes) << i;
}

// The edges of the 0x80..0x9F block, its holes, the top byte, and every way
// UTF-8 can be malformed.
TEST(Windows1252, EdgesHolesAndMalformedUtf8) {
    const struct { const char *utf8, *bytes, *problem; } rows[] = {
        {"", "", ""},
        {"\xE2\x82\xAC 5 Sk\xC3\xA4rg\xC3\xA5rd", "\x80 5 Sk\xE4rg\xE5rd", ""},  // euro sign first
        {"\xC5\xB8\xC3\xBF", "\x9F\xFF", ""},                                    // the last of each block
        {"\xC2\x81", "", "character U+0081 at column 1 has no Windows-1252 byte"},
        {"a\xC0\xAF", "", "malformed UTF-8 at column 2"},         // overlong '/'
        {"\xED\xA0\x80", "", "malformed UTF-8 at column 1"},      // surrogate
        {"ab\xE2\x82", "", "malformed UTF-8 at column 3"},        // cut short
        {"\x80", "", "malformed UTF-8 at column 1"},              // stray continuation
        {"\xF4\x90\x80\x80", "", "malformed UTF-8 at column 1"},  // beyond U+10FFFF
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.problem);
        std::string out, problem;
        EXPECT_EQ(ConvertUtf8ToWindows1252(row.utf8, out, problem), !*row.problem);
        EXPECT_EQ(problem, row.problem);
        if (*row.problem) continue;
        EXPECT_EQ(out, row.bytes);
        EXPECT_EQ(ConvertWindows1252ToUtf8(out), row.utf8);
    }
    EXPECT_EQ(ConvertWindows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "?????");
}

}  // namespace
