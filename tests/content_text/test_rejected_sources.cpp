// Broken sources are refused with the file and line that need fixing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/content_text/content_fixture.h"

namespace {

std::string At(const ScratchText& scratch, const std::string& file, int line) {
    return scratch.Path(file) + ":" + std::to_string(line);
}

void ExpectFault(const ContentText& text, const std::string& where, const std::string& part) {
    EXPECT_TRUE(HasFault(text, where, part)) << "expected \"" << where << ": ..." << part << "...\"";
    if (!HasFault(text, where, part))
        for (const std::string& fault : text.faults) ADD_FAILURE() << "got: " << fault;
}

constexpr const char* Amiga = "charts-amiga.txt";

}  // namespace

TEST(RejectedSource, UnbrokenCopyPasses) {
    ScratchText scratch;
    EXPECT_TRUE(ReadAndCheck(scratch.directory.string()).faults.empty());
}

TEST(RejectedSource, RankingRowsMustKeepTheirLayout) {
    ScratchText scratch;
    int shortRow = scratch.FindLine(Amiga, "01.  ");
    scratch.SetLine(Amiga, shortRow, scratch.LineAt(Amiga, shortRow).erase(20, 1));
    int badTrend = scratch.FindLine(Amiga, "02.  ");
    std::string trend = scratch.LineAt(Amiga, badTrend);
    scratch.SetLine(Amiga, badTrend, trend.replace(53, 5, "(old)"));
    int noPoints = scratch.FindLine(Amiga, "03.  ");
    std::string points = scratch.LineAt(Amiga, noPoints);
    scratch.SetLine(Amiga, noPoints, points.replace(41, 5, "  1x2"));
    int rising = scratch.FindLine(Amiga, "05.  ");
    std::string risen = scratch.LineAt(Amiga, rising);
    scratch.SetLine(Amiga, rising, risen.replace(41, 5, " 9999"));

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, Amiga, shortRow), "57 characters; it must be 58");
    ExpectFault(text, At(scratch, Amiga, badTrend), "trend must be one of");
    ExpectFault(text, At(scratch, Amiga, noPoints), "points must be digits");
    ExpectFault(text, At(scratch, Amiga, rising), "points must fall");
}

TEST(RejectedSource, HeadingMustKeepItsStoredLength) {
    ScratchText scratch;
    int heading = scratch.FindLine(Amiga, "                     Best Amiga Groups");
    ASSERT_GT(heading, 0);
    scratch.SetLine(Amiga, heading, "                    Best Amiga Groups");
    int renamed = scratch.FindLine(Amiga, "                      Best Amiga Coders");
    ASSERT_GT(renamed, 0);
    scratch.SetLine(Amiga, renamed, "                      Best Amiga Hackers");

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, Amiga, heading), "37 characters with its leading blanks; it must be 38");
    ExpectFault(text, At(scratch, Amiga, renamed), "should read \"Best Amiga Coders\"");
}

TEST(RejectedSource, RunsMustHoldExactlyTheirLines) {
    ScratchText scratch;
    int welcome = scratch.FindLine("welcome.txt", "@@ run Welcome");
    scratch.EraseLine("welcome.txt", welcome + 2);
    int news = scratch.FindLine("news.txt", "@@ run News2");
    scratch.InsertLine("news.txt", news + 1, "One line too many.");
    std::filesystem::remove(scratch.Path("credits.txt"));

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, "welcome.txt", welcome), "holds 21 lines; it needs exactly 22");
    ExpectFault(text, At(scratch, "news.txt", news), "holds 23 lines; it needs exactly 22");
    bool creditsMissing = false;
    for (const std::string& fault : text.faults) creditsMissing |= fault == "run Credits is missing";
    EXPECT_TRUE(creditsMissing);
}

TEST(RejectedSource, CharactersOutsideWindows1252AreRefused) {
    ScratchText scratch;
    int arrow = scratch.FindLine("welcome.txt", "@@ run Welcome") + 1;
    scratch.SetLine("welcome.txt", arrow, "Turn the page \xE2\x86\x92");  // U+2192
    int broken = arrow + 2;
    scratch.SetLine("welcome.txt", broken, "Caf\xC3");  // a sequence cut short
    int tab = arrow + 4;
    scratch.SetLine("welcome.txt", tab, "\tindented");

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, "welcome.txt", arrow), "U+2192 at column 15 has no Windows-1252 byte");
    ExpectFault(text, At(scratch, "welcome.txt", broken), "malformed UTF-8 at column 4");
    ExpectFault(text, At(scratch, "welcome.txt", tab), "tab character");
}

TEST(RejectedSource, LinesMustFitWhereTheyAreDrawn) {
    ScratchText scratch;
    int news = scratch.FindLine("news.txt", "@@ run News1") + 3;
    scratch.SetLine("news.txt", news, std::string(84, 'x'));
    int contact = scratch.FindLine("contact.txt", "@@ run ContactInformation") + 1;
    scratch.SetLine("contact.txt", contact, std::string(52, 'y'));
    int trailing = contact + 2;
    scratch.SetLine("contact.txt", trailing, "ends in a blank ");

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, "news.txt", news), "84 characters; at most 83 fit at x 105");
    ExpectFault(text, At(scratch, "contact.txt", contact), "52 characters; at most 51 fit at x 360");
    ExpectFault(text, At(scratch, "contact.txt", trailing), "blank at the end");
}

TEST(RejectedSource, PageLayoutAreasMustStayBlank) {
    ScratchText scratch;
    int photoLine = scratch.FindLine("bonus-interview.txt", "@@ run Bonus7") + 1 + 5;
    scratch.SetLine("bonus-interview.txt", photoLine, "Text under the photo");
    int misplacedPage = scratch.FindLine("bonus-interview.txt", "@@ run Bonus7") + 3;
    scratch.InsertLine("bonus-interview.txt", misplacedPage, "@@ page");

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, "bonus-interview.txt", photoLine + 1), "the group photo covers it");
    ExpectFault(text, At(scratch, "bonus-interview.txt", misplacedPage), "page break after 2 lines");
}

TEST(RejectedSource, RunNamesAreCheckedAndGivenOnce) {
    ScratchText scratch;
    std::filesystem::copy_file(scratch.Path("welcome.txt"), scratch.Path("welcome-again.txt"));
    scratch.InsertLine("news.txt", 1, "@@ run Chart99");
    scratch.InsertLine("news.txt", 1, "@@ pagebreak");

    ContentText text = ReadAndCheck(scratch.directory.string());
    ExpectFault(text, At(scratch, "welcome.txt", 1), "run Welcome was already given at " + At(scratch, "welcome-again.txt", 1));
    ExpectFault(text, At(scratch, "news.txt", 2), "no run is called \"Chart99\"");
    ExpectFault(text, At(scratch, "news.txt", 1), "unknown directive");
}

TEST(RejectedSource, GeneratorStopsTheBuildAndWritesNothing) {
    ScratchText scratch;
    int shortRow = scratch.FindLine(Amiga, "01.  ");
    scratch.SetLine(Amiga, shortRow, scratch.LineAt(Amiga, shortRow).erase(20, 1));
    std::string output = (scratch.directory / "table.cpp").string();
    std::string command = std::string(TB_CONTENTGEN_PATH) + " " +
                          scratch.directory.string() + " " + output + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string printed;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) printed += buffer;
    int status = pclose(pipe);

    EXPECT_NE(status, 0);
    EXPECT_NE(printed.find(At(scratch, Amiga, shortRow) + ": ranking row has 57 characters"), std::string::npos)
        << printed;
    EXPECT_FALSE(std::filesystem::exists(output));
}

TEST(SourceFormat, ByteOrderMarkLineEndsAndNotesDoNotChangeTheText) {
    ScratchText scratch;
    std::string path = scratch.Path("welcome.txt");
    std::ifstream in(path);
    std::string windowsStyle = "\xEF\xBB\xBF";
    for (std::string line; std::getline(in, line);) {
        windowsStyle += line + "\r\n";
        if (line.starts_with("@@ run")) windowsStyle += "@@ # edited on another machine\r\n";
    }
    in.close();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << windowsStyle;

    ContentText edited = ReadAndCheck(scratch.directory.string());
    ContentText shipped = ReadAndCheck(ShippedTextDirectory());
    EXPECT_TRUE(edited.faults.empty());
    for (size_t i = 0; i < shipped.lines.size(); ++i) EXPECT_EQ(edited.lines[i].bytes, shipped.lines[i].bytes) << i;
}
