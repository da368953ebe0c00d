// Page layout: titles, body lines, chart columns, reveal alphas and the
// group photo, as the page renderer prints them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/frame.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "tests/magazine/page_recorder.h"
#include "tests/magazine/start_state.h"

namespace {

class PageLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InstallRecordingFonts(); }

    void SetUp() override {
        StartMagazineContent();
        PageTextAlpha = 1.0f;
        FrameStep = 1.0f;
    }

    static void ShowChart(int32_t section, int32_t pick) {
        ActiveSection = section;
        IntroTopic = 0;
        int32_t* topics[] = {nullptr, &AmigaTopic, &PcTopic, &C64Topic, &WarezTopic, &FunTopic};
        *topics[section] = pick;
    }
};

// The non-empty lines of a run slice, as the renderer must print them at
// x, firstY - step * i.
void ExpectBody(const PageRecord& record, float x, float firstY, float step, int runStart, int lines) {
    std::vector<PrintedText> body = TextsOf(record, Font::Courier);
    size_t next = 0;
    for (int i = 0; i < lines; ++i) {
        const char* line = ContentLines[runStart + i];
        if (line[0] == '\0')
            continue;
        ASSERT_LT(next, body.size()) << "line " << i << " missing";
        EXPECT_EQ(body[next].text, line) << "line " << i;
        EXPECT_FLOAT_EQ(body[next].x, x) << "line " << i;
        EXPECT_FLOAT_EQ(body[next].y, firstY - step * float(i)) << "line " << i;
        ++next;
    }
    EXPECT_EQ(next, body.size()) << "extra lines printed";
}

void ExpectTitle(const PageRecord& record, const std::string& title, float x) {
    std::vector<PrintedText> titles = TextsOf(record, Font::Tahoma);
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].text, title);
    EXPECT_FLOAT_EQ(titles[0].x, x);
    EXPECT_FLOAT_EQ(titles[0].y, 78.0f);
}

TEST_F(PageLayout, WelcomeIsShownWhateverThePageNumber) {
    CurrentPage = 5;
    PageRecord record = RecordPage();
    ExpectTitle(record, "Welcome", 485);
    ExpectBody(record, 110, 490, 12, WelcomeStart, WelcomeLines);
}

TEST_F(PageLayout, MessagesPage18ShowsItsSliceOfThePagedText) {
    ActiveSection = Messages;
    IntroTopic = 0;
    CurrentPage = 17;
    PageRecord record = RecordPage();
    ExpectTitle(record, "Messages - 18/20", 470);
    ExpectBody(record, 160, 530, 12, MessagesTextStart + 425, 25);
}

TEST_F(PageLayout, MessagesLastTwoPagesAreFixedPages) {
    ActiveSection = Messages;
    IntroTopic = 0;
    CurrentPage = 18;
    PageRecord record = RecordPage();
    ExpectTitle(record, "Messages - 19/20", 470);
    ExpectBody(record, 200, 540, 12, MessagesPage19Start, MessagesPage19Lines);
    CurrentPage = 19;
    record = RecordPage();
    ExpectTitle(record, "Messages - 20/20", 470);
    ExpectBody(record, 200, 470, 12, MessagesPage20Start, MessagesPage20Lines);
}

TEST_F(PageLayout, VotersPagesAreFormattedAndSliced) {
    IntroTopic = ListOfVotersTopic;
    PageRecord record = RecordPage();
    ExpectTitle(record, "List of voters - 01/09", 455);
    ExpectBody(record, 150, 510, 12, VotersTextStart, 25);  // line 24 lands at y = 222
    CurrentPage = 2;
    record = RecordPage();
    ExpectTitle(record, "List of voters - 03/09", 455);
    EXPECT_STREQ(PageTitleBuffer, "List of voters - 03/09");
    CurrentPage = 8;  // the last page holds the remaining 20 lines
    record = RecordPage();
    ExpectBody(record, 150, 510, 12, VotersTextStart + 200, 20);
}

TEST_F(PageLayout, FixedPagesOfNewsAndAdvertisementsFollowThePageIndex) {
    IntroTopic = NewsAndInformationTopic;
    CurrentPage = 1;
    PageRecord record = RecordPage();
    ExpectTitle(record, "News & information - 02/03", 450);
    ExpectBody(record, 105, 490, 12, NewsPageStart(1), NewsPageLines[1]);
    IntroTopic = AdvertisementsTopic;
    CurrentPage = 7;
    record = RecordPage();
    ExpectTitle(record, "Advertisements - 08/09", 455);
    ExpectBody(record, 320, 450, 11, AdvertisementPageStart(7), AdvertisementPageLines[7]);
}

TEST_F(PageLayout, CreditsAndContactPages) {
    ActiveSection = Credits;
    IntroTopic = 0;
    PageRecord record = RecordPage();
    ExpectTitle(record, "Credits", 500);
    ExpectBody(record, 250, 540, 12, CreditsStart, CreditsLines);
    ActiveSection = Introduction;
    IntroTopic = ContactInformationTopic;
    record = RecordPage();
    ExpectTitle(record, "Contact information", 460);
    ExpectBody(record, 360, 530, 12, ContactInformationStart, ContactInformationLines);
}

TEST_F(PageLayout, GroupPhotoOnlyOnFirstPageOfThirdBonusText) {
    IntroTopic = Bonus7Topic;
    PageTextAlpha = 0.5f;
    PageRecord record = RecordPage();
    ExpectTitle(record, "Bonus - 01/07", 470);
    ExpectBody(record, 140, 530, 12, Bonus7TextStart, BonusLinesPerPage);
    // Dark backing first, then the photo over it (GL may split each quad).
    ASSERT_FALSE(record.polygons.empty());
    EXPECT_FLOAT_EQ(record.polygons.front().red, 0.0f);
    EXPECT_FLOAT_EQ(record.polygons.back().red, 1.0f);
    for (const FilledPolygon& polygon : record.polygons)
        EXPECT_NEAR(polygon.alpha, PageTextAlpha, 1e-6);
    CurrentPage = 1;
    EXPECT_TRUE(RecordPage().polygons.empty());
    IntroTopic = Bonus3Topic;
    CurrentPage = 0;
    EXPECT_TRUE(RecordPage().polygons.empty());
}

TEST_F(PageLayout, TextFadesInOverAboutSixtySevenSteps) {
    PageTextAlpha = 0.0f;
    int frames = 0;
    while (PageTextAlpha < 1.0f && frames < 1000) {
        PageRecord record = RecordPage();
        ++frames;
        EXPECT_NEAR(TextsOf(record, Font::Tahoma)[0].alpha, PageTextAlpha, 1e-6);
    }
    EXPECT_EQ(frames, 67);
    RecordPage();
    EXPECT_GE(PageTextAlpha, 1.0f);
}

TEST_F(PageLayout, ChartHeadingIsCentredByItsStoredLength) {
    ShowChart(AmigaCharts, 16);
    const char* heading = ContentLines[ChartRunStart(16)];
    ASSERT_EQ(std::strlen(heading), 45u);
    PageRecord record = RecordPage();
    std::vector<PrintedText> courier = TextsOf(record, Font::Courier);
    ASSERT_FALSE(courier.empty());
    // Leading blanks are glyphs too: the string starts at the computed x.
    EXPECT_EQ(courier[0].text, heading);
    EXPECT_FLOAT_EQ(courier[0].x, 349.0f);
    EXPECT_FLOAT_EQ(courier[0].y, 470.0f);
    ExpectTitle(record, heading, 400);
}

TEST_F(PageLayout, ChartTitlesUseTheirOwnX) {
    const struct {
        int32_t section, pick;
        float titleX;
    } charts[] = {{AmigaCharts, 30, 380}, {AmigaCharts, 29, 390}, {PcCharts, 37, 405},
                  {PcCharts, 31, 410},    {C64Charts, 46, 410},   {WarezCharts, 56, 390},
                  {FunCharts, 77, 410},   {FunCharts, 74, 400}};
    for (const auto& chart : charts) {
        SetUp();
        ShowChart(chart.section, chart.pick);
        ExpectTitle(RecordPage(), ContentLines[ChartRunStart(chart.pick)], chart.titleX);
    }
}

TEST_F(PageLayout, WideChartSplitsItsRowsLater) {
    ShowChart(AmigaCharts, 25);
    ChartReveal = -100.0f;
    PageRecord record = RecordPage();
    std::vector<PrintedText> courier = TextsOf(record, Font::Courier);
    ASSERT_EQ(courier.size(), 21u);  // heading and two columns of ten rows
    std::string row = ContentLines[ChartRunStart(25) + ChartFirstRowOffset];
    EXPECT_EQ(courier[1].text, row.substr(0, 44));
    EXPECT_FLOAT_EQ(courier[1].x, 340.0f);
    EXPECT_FLOAT_EQ(courier[1].y, 440.0f);
    EXPECT_EQ(courier[2].text, row.substr(44, 20));
    EXPECT_FLOAT_EQ(courier[2].x, 740.0f);
    EXPECT_FLOAT_EQ(courier[20].y, 440.0f - 15.0f * 9);
}

TEST_F(PageLayout, RanksAppearFromTenUpToOne) {
    ShowChart(PcCharts, 33);
    int rank10Complete = -1, rank1Started = -1;
    for (int frame = 0; frame < 400; ++frame) {
        std::vector<PrintedText> courier = TextsOf(RecordPage(), Font::Courier);
        ASSERT_EQ(courier.size(), 21u);
        float rank1 = courier[1].alpha, rank10 = courier[19].alpha;
        EXPECT_FLOAT_EQ(courier[19].alpha, courier[20].alpha);  // both columns alike
        if (rank10Complete < 0 && rank10 >= 1.0f)
            rank10Complete = frame;
        if (rank1Started < 0 && rank1 > 0.0f)
            rank1Started = frame;
    }
    ASSERT_GE(rank10Complete, 0);
    ASSERT_GE(rank1Started, 0);
    EXPECT_LT(rank10Complete, rank1Started);
    // At 0.03 a step: the heading takes 33 1/3 steps, then each rank as long.
    EXPECT_NEAR(rank10Complete, 67, 1);
    EXPECT_NEAR(rank1Started, 333, 1);
}

TEST_F(PageLayout, ChartRevealRunsOnlyWhileAChartIsShown) {
    ShowChart(WarezCharts, 60);
    RecordPage();
    EXPECT_FLOAT_EQ(ChartReveal, ChartRevealStart - 0.03f);
    ActiveSection = Messages;
    WarezTopic = 0;
    RecordPage();
    EXPECT_FLOAT_EQ(ChartReveal, ChartRevealStart - 0.03f);
}

TEST_F(PageLayout, CancelledChartShowsHeadingAndNoticeOnly) {
    ShowChart(AmigaCharts, 24);
    ChartReveal = 11.0f;
    PageRecord record = RecordPage();
    std::vector<PrintedText> courier = TextsOf(record, Font::Courier);
    ASSERT_EQ(courier.size(), 2u);
    int run = ChartRunStart(24);
    EXPECT_EQ(courier[0].text, ContentLines[run]);
    EXPECT_FLOAT_EQ(courier[0].x, 340.0f);
    EXPECT_FLOAT_EQ(courier[0].y, 470.0f);
    EXPECT_EQ(courier[1].text, ContentLines[run + CancelledNoticeOffset]);
    EXPECT_FLOAT_EQ(courier[1].y, 440.0f);
    ExpectTitle(record, ContentLines[run], 400);
}

TEST_F(PageLayout, ShortChartShowsNotesAndLateRows) {
    ShowChart(C64Charts, 52);
    ChartReveal = 10.03f;  // the heading is fully visible, rows not yet
    PageRecord record = RecordPage();
    std::vector<PrintedText> courier = TextsOf(record, Font::Courier);
    int run = ChartRunStart(52);
    ASSERT_GE(courier.size(), 3u);
    EXPECT_EQ(courier[1].text, ContentLines[run + ShortChartFirstNote]);
    EXPECT_FLOAT_EQ(courier[1].y, 380.0f);
    EXPECT_EQ(courier[2].text, ContentLines[run + ShortChartSecondNote]);
    EXPECT_FLOAT_EQ(courier[2].y, 365.0f);
    // Three ranked rows (two columns each); the blank fourth row prints nothing.
    ASSERT_EQ(courier.size(), 3u + 6u);
    EXPECT_FLOAT_EQ(courier[3].y, 440.0f);
    EXPECT_FLOAT_EQ(courier[3].alpha, -1.0f);  // 9 - 10: not yet shown
    ChartReveal = 8.53f;
    courier = TextsOf(RecordPage(), Font::Courier);
    EXPECT_NEAR(courier[3].alpha, 0.5f, 1e-3);  // first row: 9 - 8.5
}

}  // namespace
