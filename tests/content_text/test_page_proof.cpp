// The proof tool shows pages where and as the magazine draws them.
#include <gtest/gtest.h>

#include <string>

#include "content/content_lines.h"
#include "tests/content_text/content_fixture.h"
#include "tools/contentgen/page_proof.h"

namespace {

std::string Proof(int section, int topic, int page) {
    static const ContentText text = ReadAndCheck(ShippedTextDirectory());
    std::string out;
    std::string problem;
    EXPECT_TRUE(ProofPage(text, section, topic, page, out, problem)) << problem;
    return out;
}

int LineCount(const std::string& text) {
    int lines = 0;
    for (char c : text) lines += c == '\n';
    return lines;
}

constexpr int HeaderLines = 2;  // title and layout note

}  // namespace

TEST(PageProof, PagedTextsShowTheirSliceAndNumberedTitle) {
    std::string voters = Proof(0, 80, 3);
    EXPECT_NE(voters.find("Title \"List of voters - 03/09\" (Tahoma at x 455, y 78)\n"), std::string::npos);
    EXPECT_NE(voters.find("\n 510 | "), std::string::npos);
    EXPECT_NE(voters.find("\n 222 | "), std::string::npos);
    EXPECT_EQ(LineCount(Proof(0, 80, 9)), HeaderLines + 20);
    EXPECT_EQ(LineCount(Proof(0, 85, 7)), HeaderLines + 17);
    EXPECT_EQ(LineCount(Proof(6, 0, 18)), HeaderLines + MessageLinesPerPage);
}

TEST(PageProof, FixedPagesOfMessagesAndIntroductionTopics) {
    EXPECT_NE(Proof(6, 0, 20).find("\"Messages - 20/20\""), std::string::npos);
    EXPECT_EQ(LineCount(Proof(6, 0, 19)), HeaderLines + MessagesPage19Lines);
    EXPECT_NE(Proof(0, 79, 2).find("\"News & information - 02/03\""), std::string::npos);
    EXPECT_EQ(LineCount(Proof(0, 81, 3)), HeaderLines + AdvertisementPageLines[2]);
    EXPECT_NE(Proof(7, 0, 1).find("Courier from x 250"), std::string::npos);
}

TEST(PageProof, ChartColumnsSplitWhereTheyAreDrawn) {
    std::string wide = Proof(1, 25, 1);
    // The second column starts 50 characters (400 pixels) right of the first.
    size_t row = wide.find("\n 440 | 01.  ");
    ASSERT_NE(row, std::string::npos);
    std::string line = wide.substr(row + 8, wide.find('\n', row + 1) - row - 8);
    EXPECT_GT(line.size(), 50u);
    EXPECT_EQ(line.find_first_not_of(' ', 44), 50u);  // 44-character first column, then the points
    EXPECT_NE(Proof(1, 24, 1).find("\n 440 | Cancelled"), std::string::npos);
    std::string shortChart = Proof(3, 52, 1);
    EXPECT_NE(shortChart.find("\n 380 | "), std::string::npos);
    EXPECT_EQ(shortChart.find("\n 380 | 05."), std::string::npos);
}

TEST(PageProof, PagesThatDoNotExistAreNamed) {
    ContentText text = ReadAndCheck(ShippedTextDirectory());
    std::string out;
    std::string problem;
    EXPECT_FALSE(ProofPage(text, 6, 0, 21, out, problem));
    EXPECT_EQ(problem, "no such page: section 6, topic 0, page 21");
    EXPECT_FALSE(ProofPage(text, 1, 31, 1, out, problem));  // a PC chart asked for in the Amiga section
    EXPECT_FALSE(ProofPage(text, 0, 80, 0, out, problem));
    EXPECT_FALSE(ProofPage(text, 9, 0, 1, out, problem));
    EXPECT_TRUE(out.empty());
}
