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
        {.file = Amiga, .anchor = "03.  ", .column = 41, .count = 5, .text = "  1x2", .fault = "points must be digits"},
        {.file = Amiga, .anchor = "05.  ", .column = 41, .count = 5, .text = " 9999", .fault = "points must fall"},
        {.file = Amiga, .anchor = "                     Best Amiga Groups", .count = 1,
         .fault = "37 characters with its leading blanks; it must be 38"},
        {.file = Amiga, .anchor = "                      Best Amiga Coders", .column = 33, .text = "Hackers",
         .fault = "should read \"Best Amiga Coders\""},
        {.file = "welcome.txt", .anchor = "@@ run Welcome", .line = 2, .edit = Edit::Erase, .atRun = true,
         .fault = "holds 21 lines; it needs exactly 22"},
        {.file = "news.txt", .anchor = "@@ run News2", .line = 1, .edit = Edit::Insert, .text = "One line too many.",
         .atRun = true, .fault = "holds 23 lines; it needs exactly 22"},
        {.file = "welcome.txt", .anchor = "@@ run Welcome", .line = 1, .text = "Turn the page \xE2\x86\x92",
         .fault = "U+2192 at column 15 has no Windows-1252 byte"},
        {.file = "welcome.txt", .anchor = "@@ run Welcome", .line = 3, .text = "Caf\xC3",  // cut short
         .fault = "malformed UTF-8 at column 4"},
        {.file = "welcome.txt", .anchor = "@@ run Welcome", .line = 5, .text = "\tindented", .fault = "tab character"},
        {.file = "news.txt", .anchor = "@@ run News1", .line = 3, .text = std::string(84, 'x'),
         .fault = "84 characters; at most 83 fit at x 105"},
        {.file = "contact.txt", .anchor = "@@ run ContactInformation", .line = 1, .text = std::string(52, 'y'),
         .fault = "52 characters; at most 51 fit at x 360"},
        {.file = "contact.txt", .anchor = "@@ run ContactInformation", .line = 3, .text = "ends in a blank ",
         .fault = "blank at the end"},
        {.file = "bonus-interview.txt", .anchor = "@@ run Bonus7", .line = 6, .text = "Text under the photo",
         .fault = "the group photo covers it"},
        {.file = "bonus-interview.txt", .anchor = "@@ run Bonus7", .line = 3, .edit = Edit::Insert, .text = "@@ page",
         .fault = "page break after 2 lines"},
        {.file = "news.txt", .anchor = "", .edit = Edit::Insert, .text = "@@ run Chart99",
         .fault = "no run is called \"Chart99\""},
        {.file = "news.txt", .anchor = "", .edit = Edit::Insert, .text = "@@ pagebreak", .fault = "unknown directive"},
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

TEST(RejectedSource, RunsMissingOrGivenTwiceAreNamed) {
    ScratchText scratch;
    fs::remove(scratch.Path("credits.txt"));
    fs::copy_file(scratch.Path("welcome.txt"), scratch.Path("welcome-again.txt"));
    const ContentText text = ReadAndCheck(scratch.directory.string());
    EXPECT_NE(std::find(text.faults.begin(), text.faults.end(), "run Credits is missing"), text.faults.end());
    ExpectFault(text, scratch.At("welcome.txt", 1),
                "run Welcome was already given at " + scratch.At("welcome-again.txt", 1));
}

TEST(RejectedSource, GeneratorStopsTheBuildAndWritesNothing) {
    ScratchText scratch;
    std::ofstream(scratch.Path("broken.txt")) << "@@ pagebreak\n";
    const std::string output = scratch.Path("table.cpp");
    const std::string command = std::string(TB_CONTENTGEN_PATH) + " " + scratch.directory.string() + " " + output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) printed += buffer;
    EXPECT_NE(pclose(pipe), 0);
    EXPECT_NE(printed.find(scratch.At("broken.txt", 1) + ": unknown directive"), std::string::npos) << printed;
    EXPECT_FALSE(fs::exists(output));
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
