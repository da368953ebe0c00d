// Page layout: which text the page renderer prints for a section, topic and
// page, how a chart appears, and the group photo.
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        Content.PageTextAlpha = 1.0f;
        Frame.FrameStep = 1.0f;
    }
};

void ShowChart(int32_t pick) {
    Content.ActiveSection = SectionOfTopic(pick);
    Content.IntroTopic = NoTopic;
    int32_t* topics[] = {nullptr, &Content.AmigaTopic, &Content.PcTopic, &Content.C64Topic, &Content.WarezTopic, &Content.FunTopic};
    *topics[Content.ActiveSection] = pick;
}

std::vector<std::string> Strings(const std::vector<PrintedText>& texts) {
    std::vector<std::string> strings;
    for (const PrintedText& text : texts)
        strings.push_back(text.text);
    return strings;
}

// Paged texts show one slice of their run; a short last slice, or a page
// past the end, shows fewer lines or none rather than the next run, and a
// set of fixed pages shows its last.
TEST_F(PageLayout, EachPageShowsItsTitleAndItsSliceOfText) {
    const struct {
        int32_t section, topic, page;
        const char* title;
        int runStart, lines;
    } pages[] = {
        {Introduction, WelcomeTopic, 5, "Welcome", WelcomeStart, WelcomeLines},
        {Messages, NoTopic, 17, "Messages - 18/20", MessagesTextStart + 425, 25},
        {Messages, NoTopic, 18, "Messages - 19/20", MessagesPage19Start, MessagesPage19Lines},
        {Messages, NoTopic, 19, "Messages - 20/20", MessagesPage20Start, MessagesPage20Lines},
        {Introduction, ListOfVotersTopic, -2, "List of voters - 01/09", VotersTextStart, 25},
        {Introduction, ListOfVotersTopic, 8, "List of voters - 09/09", VotersTextStart + 200, 20},
        {Introduction, ListOfVotersTopic, 9, "List of voters - 10/09", VotersTextStart, 0},
        {Introduction, NewsAndInformationTopic, 1, "News & information - 02/03", NewsPageStart(1), NewsPageLines[1]},
        {Introduction, AdvertisementsTopic, 12, "Advertisements - 09/09", AdvertisementPageStart(8),
         AdvertisementPageLines[8]},
        {Credits, NoTopic, 0, "Credits", CreditsStart, CreditsLines},
    };
    for (const auto& p : pages) {
        Content.ActiveSection = p.section;
        Content.IntroTopic = p.topic;
        Content.CurrentPage = p.page;
        PageRecord record = RecordPage();
        EXPECT_EQ(Strings(record.tahoma), std::vector<std::string>{p.title});
        std::vector<std::string> lines;
        for (int i = 0; i < p.lines; ++i)
            if (ContentLines[p.runStart + i][0] != '\0')  // a blank line prints no glyph
                lines.push_back(ContentLines[p.runStart + i]);
        EXPECT_EQ(Strings(record.courier), lines) << p.title;
        for (size_t i = 1; i < record.courier.size(); ++i)
            EXPECT_LT(record.courier[i].y, record.courier[i - 1].y) << p.title << " line " << i;
    }
}

TEST_F(PageLayout, GroupPhotoFadesInWithTheFirstPageOfTheThirdBonusText) {
    Content.IntroTopic = Bonus7Topic;
    Content.PageTextAlpha = 0.5f;
    PageRecord record = RecordPage();
    EXPECT_NEAR(record.tahoma[0].alpha, Content.PageTextAlpha, 1e-6);
    // Dark backing first, then the photo over it (GL may split each quad).
    ASSERT_FALSE(record.polygons.empty());
    EXPECT_FLOAT_EQ(record.polygons.front().red, 0.0f);
    EXPECT_FLOAT_EQ(record.polygons.back().red, 1.0f);
    for (const FilledPolygon& polygon : record.polygons)
        EXPECT_NEAR(polygon.alpha, Content.PageTextAlpha, 1e-6);
    Content.CurrentPage = 1;
    EXPECT_TRUE(RecordPage().polygons.empty());
    Content.IntroTopic = Bonus3Topic;
    Content.CurrentPage = 0;
    EXPECT_TRUE(RecordPage().polygons.empty());
}

// Every page of the layout prints its title at its own x on the title line
// and its body at its own x.
TEST_F(PageLayout, EachPageStartsItsTitleAndBodyAtItsOwnX) {
    const struct {
        int32_t section, topic, page;
        float titleX, bodyX;
    } pages[] = {
        {Messages, NoTopic, 0, 470, 160}, {Messages, NoTopic, 18, 470, 200}, {Messages, NoTopic, 19, 470, 200},
        {Credits, NoTopic, 0, 500, 250}, {Introduction, WelcomeTopic, 0, 485, 110},
        {Introduction, ContactInformationTopic, 0, 460, 360}, {Introduction, ListOfVotersTopic, 2, 455, 150},
        {Introduction, Bonus3Topic, 0, 470, 200}, {Introduction, Bonus5Topic, 0, 470, 140},
        {Introduction, Bonus7Topic, 1, 470, 140}, {Introduction, NewsAndInformationTopic, 0, 450, 105},
        {Introduction, NewsAndInformationTopic, 1, 450, 105}, {Introduction, NewsAndInformationTopic, 2, 450, 105},
        {Introduction, AdvertisementsTopic, 0, 455, 200}, {Introduction, AdvertisementsTopic, 1, 455, 200},
        {Introduction, AdvertisementsTopic, 2, 455, 200}, {Introduction, AdvertisementsTopic, 3, 455, 200},
        {Introduction, AdvertisementsTopic, 4, 455, 360}, {Introduction, AdvertisementsTopic, 5, 455, 200},
        {Introduction, AdvertisementsTopic, 6, 455, 200}, {Introduction, AdvertisementsTopic, 7, 455, 320},
        {Introduction, AdvertisementsTopic, 8, 455, 180},
    };
    for (const auto& p : pages) {
        Content.ActiveSection = p.section;
        Content.IntroTopic = p.topic;
        Content.CurrentPage = p.page;
        const PageRecord record = RecordPage();
        ASSERT_EQ(record.tahoma.size(), 1u);
        EXPECT_EQ(record.tahoma[0].x, p.titleX) << record.tahoma[0].text;
        EXPECT_EQ(record.tahoma[0].y, 78.0f) << record.tahoma[0].text;
        ASSERT_FALSE(record.courier.empty()) << record.tahoma[0].text;
        for (const PrintedText& line : record.courier) EXPECT_EQ(line.x, p.bodyX) << record.tahoma[0].text;
    }
    Content.IntroTopic = ListOfVotersTopic;
    Content.CurrentPage = 0;
    const PageRecord voters = RecordPage();
    EXPECT_EQ(voters.courier.front().y, 510.0f);
    EXPECT_EQ(voters.courier.back().y, 222.0f);
}

// A chart's title sits at the x of its group; its heading is centred by its
// length (38 characters at 370, 45 at 349), a cancelled chart's is not.
TEST_F(PageLayout, ChartTitlesAndHeadingsStartAtTheirX) {
    const struct {
        int32_t pick;
        float titleX, headingX;
    } charts[] = {
        {15, 400, 370}, {16, 400, 349}, {29, 390, -1}, {30, 380, -1}, {37, 405, -1},
        {31, 410, -1}, {77, 410, -1}, {55, 390, -1}, {24, 400, 340},
    };
    for (const auto& c : charts) {
        SetUp();
        ShowChart(c.pick);
        const PageRecord record = RecordPage();
        ASSERT_EQ(record.tahoma.size(), 1u) << c.pick;
        EXPECT_EQ(record.tahoma[0].x, c.titleX) << c.pick;
        if (c.headingX >= 0) {
            EXPECT_EQ(record.courier[0].x, c.headingX) << c.pick;
        }
        for (size_t k = 1; k < record.courier.size(); ++k)
            EXPECT_TRUE(record.courier[k].x == 340.0f || record.courier[k].x == 740.0f) << c.pick;
    }
}

// A chart is its heading and ten ranks in two columns; the ranks appear
// from the tenth up to the first, both columns of a rank alike.
TEST_F(PageLayout, ChartRanksAppearFromTheTenthUp) {
    ShowChart(25);  // a wide chart: its first column is 44 characters
    Content.ChartReveal = 5.0f;
    std::vector<PrintedText> courier = RecordPage().courier;
    ASSERT_EQ(courier.size(), 21u);
    const int run = ChartRunStart(25);
    EXPECT_EQ(courier[0].text, ContentLines[run]);  // leading blanks included
    std::string row = ContentLines[run + ChartFirstRowOffset];
    EXPECT_EQ(courier[1].text, row.substr(0, 44));
    EXPECT_EQ(courier[2].text, row.substr(44, 20));
    for (size_t rank = 1; rank < 10; ++rank) {
        EXPECT_EQ(courier[2 * rank + 1].alpha, courier[2 * rank + 2].alpha) << rank;
        EXPECT_GT(courier[2 * rank + 1].alpha, courier[2 * rank - 1].alpha) << rank;
    }
    EXPECT_LE(courier[1].alpha, 0.0f);
    EXPECT_GE(courier[19].alpha, 1.0f);
}

// A cancelled chart holds a notice instead of ranks; chart 52 three ranks, a
// blank one and two notes. Neither prints a rank it lacks or reads past its run.
TEST_F(PageLayout, ChartsWithFewerRanksPrintOnlyWhatTheyHold) {
    ShowChart(24);
    Content.ChartReveal = 0.0f;
    int run = ChartRunStart(24);
    PageRecord record = RecordPage();
    EXPECT_EQ(Strings(record.courier),
              (std::vector<std::string>{ContentLines[run], ContentLines[run + CancelledNoticeOffset]}));
    EXPECT_EQ(Strings(record.tahoma), std::vector<std::string>{ContentLines[run]});

    SetUp();
    ShowChart(52);
    Content.ChartReveal = 8.53f;
    std::vector<PrintedText> courier = RecordPage().courier;
    ASSERT_EQ(courier.size(), 3u + 6u);
    run = ChartRunStart(52);
    EXPECT_EQ(courier[1].text, ContentLines[run + ShortChartFirstNote]);
    EXPECT_EQ(courier[2].text, ContentLines[run + ShortChartSecondNote]);
    for (int rank = 0; rank < 3; ++rank)
        EXPECT_EQ(courier[3 + 2 * rank].text + courier[4 + 2 * rank].text,
                  ContentLines[run + ChartFirstRowOffset + rank]);
    EXPECT_NEAR(courier[3].alpha, 0.5f, 1e-3);  // seven steps behind a full chart's first rank
}

}  // namespace
