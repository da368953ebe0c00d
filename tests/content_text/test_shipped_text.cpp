// The text shipped with the issue, as the generator reads it and as the
// program holds it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "content/content_lines.h"
#include "tests/content_text/content_fixture.h"
#include "tools/contentgen/content_runs.h"

namespace {

const ContentText& Shipped() {
    static const ContentText text = ReadAndCheck(ShippedTextDirectory());
    return text;
}

int LinesOnLastPage(int runLines, int perPage, int pages) {
    int first = std::min(perPage * (pages - 1), runLines);
    return std::min(perPage * pages, runLines) - first;
}

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

TEST(ShippedText, EveryLineFitsWhereItIsDrawn) {
    for (int r = 0; r < RunCount(); ++r) {
        const RunLayout& run = RunAt(r);
        if (run.kind == RunKind::Chart) continue;  // fixed layout, checked below
        for (int i = run.start; i < run.start + run.lines; ++i)
            EXPECT_LE(static_cast<int>(std::strlen(ContentLines[i])), run.maxWidth) << run.name << " line " << i;
    }
}

TEST(ShippedText, ChartsKeepTheirHeadingsAndRowLayout) {
    for (int pick = FirstChartPick; pick <= LastChartPick; ++pick) {
        int start = ChartRunStart(pick);
        EXPECT_EQ(static_cast<int>(std::strlen(ContentLines[start])), ChartHeadingFor(pick).storedLength) << pick;
        EXPECT_EQ(ContentLines[start + 1], EmptyLine) << pick;
        if (IsCancelledChart(pick)) {
            EXPECT_GT(std::strlen(ContentLines[start + CancelledNoticeOffset]), 0u) << pick;
            continue;
        }
        int rows = pick == ShortChartPick ? ShortChartRows - 1 : ChartRankCount;
        for (int k = 0; k < rows; ++k) {
            const char* row = ContentLines[start + ChartFirstRowOffset + k];
            ASSERT_EQ(std::strlen(row), static_cast<size_t>(RankingRowLength)) << pick << " rank " << k + 1;
            // The second display column starts with the points: the split at
            // the column width never cuts a number in two.
            std::string second(row + ChartSplitWidth(pick));
            size_t digit = second.find_first_not_of(' ');
            EXPECT_TRUE(second[digit] >= '0' && second[digit] <= '9') << pick << " rank " << k + 1;
        }
    }
}

TEST(ShippedText, ShortChartHasThreeRowsAndTwoNotes) {
    int start = ChartRunStart(ShortChartPick);
    EXPECT_EQ(ContentLines[start + ChartFirstRowOffset + 3], EmptyLine);
    EXPECT_EQ(std::strlen(ContentLines[start + ShortChartFirstNote]), static_cast<size_t>(ShortChartNoteLength));
    EXPECT_EQ(std::strlen(ContentLines[start + ShortChartSecondNote]), static_cast<size_t>(ShortChartNoteLength));
    for (int i = ShortChartSecondNote + 1; i < ChartRunLines; ++i) EXPECT_EQ(ContentLines[start + i], EmptyLine);
}

TEST(ShippedText, PageLayoutLeavesRoomWhereThePagesNeedIt) {
    for (int i = GroupPhotoFirstLine; i <= GroupPhotoLastLine; ++i)
        EXPECT_EQ(ContentLines[Bonus7TextStart + i], EmptyLine) << "group photo line " << i;
    EXPECT_NE(ContentLines[Bonus7TextStart], EmptyLine);  // the page opens with text above the photo
    for (int i = 5 * BonusLinesPerPage; i < Bonus5TextLines; ++i)
        EXPECT_EQ(ContentLines[Bonus5TextStart + i], EmptyLine) << "never shown line " << i;
}

TEST(ShippedText, LastPagesHoldTheirLineCounts) {
    EXPECT_EQ(LinesOnLastPage(VotersTextLines, MessageLinesPerPage, 9), 20);
    EXPECT_EQ(LinesOnLastPage(Bonus3TextLines, BonusLinesPerPage, 3), 20);
    EXPECT_EQ(LinesOnLastPage(Bonus5TextLines, BonusLinesPerPage, 5), 24);
    EXPECT_EQ(LinesOnLastPage(Bonus7TextLines, BonusLinesPerPage, 7), 17);
    EXPECT_EQ(LinesOnLastPage(MessagesTextLines, MessageLinesPerPage, 18), 25);
}
