// The text shipped with the issue: it passes the generator's checks, the
// program holds exactly it, and the proof tool shows its pages where and as
// the magazine draws them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "content/content_lines.h"
#include "tests/content_text/content_fixture.h"
#include "tools/contentgen/page_proof.h"

namespace {

const ContentText& Shipped() {
    static const ContentText text = ReadAndCheck(ShippedTextDirectory());
    return text;
}

std::string Proof(int section, int topic, int page) {
    std::string out;
    std::string problem;
    EXPECT_TRUE(ProofPage(Shipped(), section, topic, page, out, problem)) << problem;
    return out;
}

constexpr int HeaderLines = 2;  // title and layout note

}  // namespace

TEST(ShippedText, PassesEveryCheckOfTheGenerator) {
    for (const std::string& fault : Shipped().faults) ADD_FAILURE() << fault;
}

TEST(ShippedText, BuiltTableHoldsExactlyTheSources) {
    for (int i = 0; i < ContentLineCount; ++i) {
        const std::string& expected = Shipped().lines[i].bytes;
        ASSERT_NE(ContentLines[i], nullptr) << "line " << i;
        if (expected.empty())
            EXPECT_EQ(ContentLines[i], EmptyLine) << "blank line " << i << " must share EmptyLine";
        else
            EXPECT_EQ(std::string(ContentLines[i]), expected) << "line " << i;
    }
}

// Sections 0..7, topic pick names, pages from 1; lines counts the title and
// layout note and every drawn line.
TEST(PageProof, PagesShowTheirSliceTitleAndPlace) {
    const struct {
        int section, topic, page;
        std::string shows;
        int lines = 0;
    } rows[] = {
        {0, 80, 3, "Title \"List of voters - 03/09\" (Tahoma at x 455, y 78)\n"},
        {0, 80, 9, "", HeaderLines + 20},  // last pages hold the rest
        {6, 0, 19, "", HeaderLines + MessagesPage19Lines},
        {6, 0, 20, "\"Messages - 20/20\""},
        {7, 0, 1, "Courier from x 250"},
        {1, 24, 1, "\n 440 | Cancelled"},
    };
    for (const auto& row : rows) {
        const std::string proof = Proof(row.section, row.topic, row.page);
        EXPECT_NE(proof.find(row.shows), std::string::npos) << row.topic << " page " << row.page << ":\n" << proof;
        if (row.lines) {
            EXPECT_EQ(std::count(proof.begin(), proof.end(), '\n'), row.lines) << row.topic << " page " << row.page;
        }
    }
}

TEST(PageProof, ChartColumnsSplitWhereTheyAreDrawn) {
    std::string wide = Proof(1, 25, 1);
    // The second column starts 50 characters (400 pixels) right of the first.
    size_t row = wide.find("\n 440 | 01.  ");
    ASSERT_NE(row, std::string::npos);
    std::string line = wide.substr(row + 8, wide.find('\n', row + 1) - row - 8);
    EXPECT_GT(line.size(), 50u);
    EXPECT_EQ(line.find_first_not_of(' ', 44), 50u);  // 44-character first column, then the points
}

TEST(PageProof, PagesThatDoNotExistAreNamed) {
    std::string out;
    std::string problem;
    EXPECT_FALSE(ProofPage(Shipped(), 6, 0, 21, out, problem));
    EXPECT_EQ(problem, "no such page: section 6, topic 0, page 21");
    EXPECT_FALSE(ProofPage(Shipped(), 1, 31, 1, out, problem));  // a PC chart asked for in the Amiga section
    EXPECT_TRUE(out.empty());
}
