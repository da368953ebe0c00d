// Broken sources are refused with the file and line that need fixing, and
// the generator then writes nothing.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "content/page_layout.h"
#include "tests/content_text/content_fixture.h"

namespace {

namespace fs = std::filesystem;

// A fresh copy of the shipped sources that a case breaks on purpose.
struct ScratchText {
    fs::path directory = fs::temp_directory_path() / ("tb_content_text_" + std::to_string(getpid()));
    ScratchText() {
        fs::remove_all(directory);
        fs::copy(ShippedTextDirectory(), directory);
    }
    ~ScratchText() { fs::remove_all(directory); }
    std::string Path(const std::string& file) const { return (directory / file).string(); }
    std::string At(const std::string& file, int line) const { return Path(file) + ":" + std::to_string(line); }
};

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream file(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);) lines.push_back(line);
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    std::ofstream file(path, std::ios::trunc);
    for (const std::string& line : lines) file << line << '\n';
}

void ExpectFault(const ContentText& text, const std::string& where, const std::string& part) {
    for (const std::string& fault : text.faults)
        if (fault.starts_with(where + ": ") && fault.find(part) != std::string::npos) return;
    ADD_FAILURE() << "expected \"" << where << ": ..." << part << "...\"";
    for (const std::string& fault : text.faults) ADD_FAILURE() << "got: " << fault;
}

enum class Edit { Replace, Insert, Erase };

// A chart run for a small source: heading, blank line, a row per name with
// falling points and the given trends (one of "n+-0" a rank), empty ranks.
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

constexpr const char* SmallCast =
    "@@ cast\n"
    "group Alpha | amiga\n"
    "group Beta | amiga\n"
    "person Ann | Alpha | code\n"
    "person Bob | Beta 1999-2002, Alpha | music\n"
    "prod Blue | Alpha | amiga\n";

constexpr const char* Amiga = "charts-amiga.txt";

}  // namespace

TEST(RejectedSource, EachBrokenLineIsNamedWithWhatIsWrong) {
    const struct {
        const char* file;
        const char* anchor;  // the first line starting with this; "" for line 1
        int line = 0;        // the edited line, counted from the anchor
        Edit edit = Edit::Replace;
        size_t column = 0, count = std::string::npos;  // what Replace replaces
        std::string text = {};
        bool atRun = false;  // the fault names the anchor, not the edited line
        const char* fault;
    } rows[] = {
        {.file = Amiga, .anchor = "01.  ", .column = 20, .count = 1, .fault = "57 characters; it must be 58"},
        {.file = Amiga, .anchor = "02.  ", .column = 53, .count = 5, .text = "(old)", .fault = "trend must be one of"},
        {.file = Amiga, .anchor = "05.  ", .column = 41, .count = 5, .text = " 9999", .fault = "points must fall"},
        {.file = Amiga, .anchor = "                     Best Amiga Groups", .text = std::string(49, 'H'),
         .fault = "49 characters with its leading blanks; at most 48"},
        {.file = Amiga, .anchor = "@@ run Chart15", .line = 4, .edit = Edit::Erase, .atRun = true,
         .fault = "holds 11 lines; a chart holds 12"},
        {.file = "advertisements.txt", .anchor = "@@ run Advertisement1", .line = 1, .edit = Edit::Insert,
         .text = "One line too many.", .atRun = true, .fault = "holds 34 lines; at most 33 fit"},
        {.file = "news.txt", .anchor = "@@ run News1", .line = 3, .text = std::string(84, 'x'),
         .fault = "84 characters; at most 83 fit at x 105"},
        {.file = "bonus-interview.txt", .anchor = "@@ run Bonus7", .line = 6, .text = "Text under the photo",
         .fault = "the group photo covers it"},
        {.file = "bonus-interview.txt", .anchor = "@@ run Bonus7", .line = 3, .edit = Edit::Insert, .text = "@@ page",
         .fault = "page break after 2 lines"},
        {.file = "news.txt", .anchor = "", .edit = Edit::Insert, .text = "@@ run Chart99",
         .fault = "no run is called \"Chart99\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " after \"" + row.anchor + "\": " + row.fault);
        ScratchText scratch;
        std::vector<std::string> lines = ReadLines(scratch.Path(row.file));
        size_t anchor = 0;
        while (anchor < lines.size() && !lines[anchor].starts_with(row.anchor)) ++anchor;
        ASSERT_LT(anchor, lines.size());
        const size_t edited = anchor + row.line;
        if (row.edit == Edit::Replace) lines.at(edited).replace(row.column, row.count, row.text);
        if (row.edit == Edit::Insert) lines.insert(lines.begin() + edited, row.text);
        if (row.edit == Edit::Erase) lines.erase(lines.begin() + edited);
        WriteLines(scratch.Path(row.file), lines);
        ExpectFault(ReadAndCheck(scratch.directory.string()), scratch.At(row.file, (row.atRun ? anchor : edited) + 1),
                    row.fault);
    }
}

// Each case is one small source besides the cast; the fault must name its
// file and line (the runs it leaves out are missing, which is beside the point).
TEST(RejectedSource, EveryPageIsHeldToTheCast) {
    const std::vector<std::string> ab(10, "Alpha"), mixed = {"Alpha", "Beta", "Alpha", "Beta", "Alpha",
                                                               "Beta",  "Alpha", "Beta", "Alpha", "Beta"};
    const struct {
        std::string source;
        std::string where;  // file:line, the file being "case.txt"
        const char* fault;
    } rows[] = {
        {"@@ run Messages\nZed / Alpha to all:\n", "case.txt:2", "handle \"Zed\" is not in the cast"},
        {"@@ run Messages\nsee Ann / Beta at the party\n", "case.txt:2", "does not give \"Ann\" to \"Beta\""},
        {"@@ run Messages\nNobody to all:\n", "case.txt:2", "sender \"Nobody\" is not in the cast"},
        {"@@ run News1\n@@ members Alpha 3\n", "case.txt:2", "the text gives Alpha 3 members, the cast 2"},
        {"@@ run Voters\nVoters\n\nAnn/Alpha  Zed/Alpha\n@@ run News1\n@@ members Alpha 2\n", "case.txt:4",
         "\"Zed\" is not one of the 2 members"},
        {ChartSource(46, "@@ chart c64 groups", {"Alpha"}, "n"), "case.txt:5", "\"Alpha\" is not on c64"},
        {ChartSource(17, "@@ chart amiga people", {"Bob / Beta"}, "n"), "case.txt:5", "not give \"Bob\" to \"Beta\" now"},
        {ChartSource(22, "@@ chart amiga prods", {"Blue by Beta"}, "n"), "case.txt:5",
         "the cast gives \"Blue\" to \"Alpha\""},
        {ChartSource(22, "", {"Blue by Alpha"}, "n"), "case.txt:2", "needs \"@@ chart PLATFORM KIND\""},
        {ChartSource(15, "@@ chart amiga groups", mixed, "0+-0n-+0-n") +
             ChartSource(16, "@@ chart amiga groups", mixed, "+-0n-+0-n0"),
         "case.txt:17", "the same groups hold 10 of the places of Chart15"},
        {ChartSource(15, "@@ chart amiga groups", ab, "0+-0n-+0-n") +
             ChartSource(22, "@@ chart amiga prods", std::vector<std::string>(10, "Blue by Alpha"), "0+-0n-+0-n") +
             ChartSource(46, "@@ chart scene groups", ab, "0+-0n-+0-n"),
         "case.txt:31", "the same trends from rank 1 to 10 as Chart15 and Chart22"},
        {"@@ cast\nperson Cy | Delta | code\n", "case.txt:2", "group \"Delta\" is not in the cast"},
        {"@@ run Welcome\n@@ run Welcome\n", "case.txt:2", "run Welcome was already given at"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        fs::path directory = fs::temp_directory_path() / ("tb_cast_case_" + std::to_string(getpid()));
        fs::create_directories(directory);
        std::ofstream(directory / "cast.txt") << SmallCast;
        std::ofstream(directory / "case.txt") << row.source;
        ExpectFault(ReadAndCheck(directory.string()), (directory / row.where).string(), row.fault);
        fs::remove_all(directory);
    }
}

TEST(RejectedSource, GeneratorStopsTheBuildAndWritesNothing) {
    ScratchText scratch;
    std::ofstream(scratch.Path("broken.txt")) << "@@ pagebreak\n";
    const std::string output = scratch.Path("table.cpp"), header = scratch.Path("table.h");
    const std::string command =
        std::string(TB_CONTENTGEN_PATH) + " " + scratch.directory.string() + " " + output + " " + header;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) printed += buffer;
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(printed.find(scratch.At("broken.txt", 1) + ": unknown directive"), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists(output) || fs::exists(header));
}

// An editor on another machine may save with a byte order mark, CRLF line
// ends and notes of their own: the text reads the same.
TEST(SourceFormat, ByteOrderMarkLineEndsAndNotesDoNotChangeTheText) {
    ScratchText scratch;
    std::string windowsStyle = "\xEF\xBB\xBF";
    for (const std::string& line : ReadLines(scratch.Path("welcome.txt"))) {
        windowsStyle += line + "\r\n";
        if (line.starts_with("@@ run")) windowsStyle += "@@ # edited on another machine\r\n";
    }
    std::ofstream(scratch.Path("welcome.txt"), std::ios::binary | std::ios::trunc) << windowsStyle;

    const ContentText edited = ReadAndCheck(scratch.directory.string());
    const ContentText shipped = ReadAndCheck(ShippedTextDirectory());
    EXPECT_TRUE(edited.faults.empty());
    for (size_t i = 0; i < shipped.lines.size(); ++i) EXPECT_EQ(edited.lines[i].bytes, shipped.lines[i].bytes) << i;
}
