// The content model (what a pick or a page turn leads to) and the page layout
// (which text the renderer prints for it, and where), with the two print
// operations replaced at link time by ones that record each string.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "resources/fonts.h"
#include "tests/magazine/start_state.h"
#include "tests/support/gl_harness.h"

struct PrintedText {
    float x, y;
    std::string text;
    float alpha;  // of the current colour
};
static std::vector<PrintedText> Tahoma, Courier;

static void Record(std::vector<PrintedText>& texts, float x, float y, const char* text) {
    if (!text || !*text) return;  // empty text prints nothing
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    texts.push_back({x, y, text, colour[3]});
}

void PrintTahoma(float x, float y, const char* text) { Record(Tahoma, x, y, text); }
void PrintCourier(float x, float y, const char* text) { Record(Courier, x, y, text); }

namespace {

class PageLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(1024, 768); }
    void SetUp() override {
        StartMagazineContent();
        Content.PageTextAlpha = 1.0f;
        Frame.FrameStep = 1.0f;
    }
};

void Draw() {
    Tahoma.clear();
    Courier.clear();
    DrawPage();
}

void ShowPage(int32_t section, int32_t topic, int32_t page) {
    Content.ActiveSection = section;
    Content.IntroTopic = topic;
    Content.CurrentPage = page;
    Draw();
}

void ShowChart(int32_t pick) {
    SelectSection(SectionOfTopic(pick));
    SelectTopic(pick);
    Draw();
}

std::vector<std::string> Strings(const std::vector<PrintedText>& texts) {
    std::vector<std::string> strings;
    for (const PrintedText& text : texts) strings.push_back(text.text);
    return strings;
}

TEST_F(PageLayout, PagesClampAtBothEndsOfEveryPagedTextAndNeverOverflow) {
    const struct {
        int32_t section, topic, lastPage;
    } texts[] = {{Messages, NoTopic, 19},           {Introduction, NewsAndInformationTopic, 2},
                 {Introduction, ListOfVotersTopic, 8}, {Introduction, AdvertisementsTopic, 8},
                 {Introduction, Bonus3Topic, 2},    {Introduction, Bonus5Topic, 4},
                 {Introduction, Bonus7Topic, 6}};
    for (const auto& t : texts) {
        Content.ActiveSection = t.section;
        Content.IntroTopic = t.topic;
        for (const auto& [page, clamped] :
             {std::pair{-5, 0}, {1, 1}, {t.lastPage, t.lastPage}, {t.lastPage + 1, t.lastPage}, {1000, t.lastPage}}) {
            Content.CurrentPage = page;
            ClampPage();
            EXPECT_EQ(Content.CurrentPage, clamped) << t.topic << " " << page;
        }
    }
    // A held key on a single page must not wrap the page number around.
    for (const auto& [page, delta] : {std::pair{INT_MAX, +1}, {INT_MIN, -1}}) {
        Content.CurrentPage = page;
        TurnPage(delta);
        EXPECT_EQ(Content.CurrentPage, page);
    }
}

TEST_F(PageLayout, SectionPickResetsTheTextAndStartsACrossfadeThatRefusesOthers) {
    Content.ChartReveal = -3.0f;
    Content.CurrentPage = 4;
    SelectSection(AmigaCharts);
    EXPECT_EQ(Content.ActiveSection, AmigaCharts);
    EXPECT_EQ(Content.IntroTopic, NoTopic);
    EXPECT_EQ(Content.CurrentPage, 0);
    EXPECT_EQ(Content.PageTextAlpha, 0.0f);
    EXPECT_EQ(Content.ChartReveal, ChartRevealStart);
    EXPECT_EQ(BackgroundFade, 0.0f);
    EXPECT_EQ(Content.PreviousBackgroundSection, Introduction);
    EXPECT_EQ(Content.BackgroundSection, AmigaCharts);
    BackgroundFade = 0.5f;
    SelectSection(C64Charts);
    EXPECT_EQ(Content.ActiveSection, AmigaCharts);
    EXPECT_EQ(Content.BackgroundSection, AmigaCharts);
    EXPECT_EQ(BackgroundFade, 0.5f);
    BackgroundFade = 1.0f;
    for (int32_t pick : {-1, 8}) SelectSection(pick);
    EXPECT_EQ(BackgroundFade, 1.0f);
    SelectSection(Credits);  // borrows the Introduction picture
    EXPECT_EQ(Content.PreviousBackgroundSection, AmigaCharts);
    EXPECT_EQ(Content.BackgroundSection, Introduction);
}

// Every page prints its title and its body at its own x. A paged text shows a
// slice of its run; a short last slice or a page past the end shows fewer
// lines or none rather than the next run; fixed pages show their last.
TEST_F(PageLayout, EachPageShowsItsTitleAndItsSliceOfTextAtItsX) {
    const struct {
        int32_t section, topic, page;
        float titleX, bodyX;
        const char* title = nullptr;  // and its slice of text, where given
        int runStart = 0, lines = 0;
    } pages[] = {
        {Credits, NoTopic, 0, 500, 250, "Credits", CreditsStart, CreditsLines},
        {Messages, NoTopic, 17, 470, 160, "Messages - 18/20", MessagesTextStart + 425, 25},
        {Messages, NoTopic, 18, 470, 200, "Messages - 19/20", MessagesPage19Start, MessagesPage19Lines},
        {Messages, NoTopic, 19, 470, 200, "Messages - 20/20", MessagesPage20Start, MessagesPage20Lines},
        {Introduction, WelcomeTopic, 5, 485, 110, "Welcome", WelcomeStart, WelcomeLines},
        {Introduction, ContactInformationTopic, 0, 460, 360},
        {Introduction, ListOfVotersTopic, -2, 455, 150, "List of voters - 01/09", VotersTextStart, 25},
        {Introduction, ListOfVotersTopic, 8, 455, 150, "List of voters - 09/09", VotersTextStart + 200, 20},
        {Introduction, ListOfVotersTopic, 9, 455, 150, "List of voters - 10/09", VotersTextStart, 0},
        {Introduction, Bonus3Topic, 0, 470, 200}, {Introduction, Bonus5Topic, 0, 470, 140},
        {Introduction, Bonus7Topic, 1, 470, 140}, {Introduction, NewsAndInformationTopic, 0, 450, 105},
        {Introduction, NewsAndInformationTopic, 1, 450, 105, "News & information - 02/03", NewsPageStart(1),
         NewsPageLines[1]},
        {Introduction, NewsAndInformationTopic, 2, 450, 105}, {Introduction, AdvertisementsTopic, 0, 455, 200},
        {Introduction, AdvertisementsTopic, 1, 455, 200}, {Introduction, AdvertisementsTopic, 2, 455, 200},
        {Introduction, AdvertisementsTopic, 3, 455, 200}, {Introduction, AdvertisementsTopic, 4, 455, 360},
        {Introduction, AdvertisementsTopic, 5, 455, 200}, {Introduction, AdvertisementsTopic, 6, 455, 200},
        {Introduction, AdvertisementsTopic, 7, 455, 320},
        {Introduction, AdvertisementsTopic, 12, 455, 180, "Advertisements - 09/09", AdvertisementPageStart(8),
         AdvertisementPageLines[8]},
    };
    for (const auto& p : pages) {
        SCOPED_TRACE(testing::Message() << p.section << " " << p.topic << " page " << p.page);
        ShowPage(p.section, p.topic, p.page);
        ASSERT_EQ(Tahoma.size(), 1u);
        EXPECT_EQ(Tahoma[0].x, p.titleX);
        EXPECT_EQ(Tahoma[0].y, 78.0f);
        for (const PrintedText& line : Courier) EXPECT_EQ(line.x, p.bodyX);
        for (size_t i = 1; i < Courier.size(); ++i) EXPECT_LT(Courier[i].y, Courier[i - 1].y) << i;
        if (!p.title) {
            EXPECT_FALSE(Courier.empty());
            continue;
        }
        EXPECT_EQ(Tahoma[0].text, p.title);
        std::vector<std::string> lines;
        for (int i = 0; i < p.lines; ++i)
            if (ContentLines[p.runStart + i][0] != '\0') lines.push_back(ContentLines[p.runStart + i]);
        EXPECT_EQ(Strings(Courier), lines);
    }
    ShowPage(Introduction, ListOfVotersTopic, 0);
    EXPECT_EQ(Courier.front().y, 510.0f);
    EXPECT_EQ(Courier.back().y, 222.0f);
}

// A chart's title sits at the x of its group; its heading is centred by its
// length (38 characters at 370, 45 at 349), a cancelled chart's is not.
TEST_F(PageLayout, ChartTitlesAndHeadingsStartAtTheirX) {
    const struct {
        int32_t pick;
        float titleX, headingX;
    } charts[] = {
        {15, 400, 370}, {16, 400, 349}, {29, 390, -1}, {30, 380, -1}, {37, 405, -1},
        {31, 410, -1},  {77, 410, -1},  {55, 390, -1}, {24, 400, 340},
    };
    for (const auto& c : charts) {
        SCOPED_TRACE(c.pick);
        SetUp();
        ShowChart(c.pick);
        ASSERT_EQ(Tahoma.size(), 1u);
        EXPECT_EQ(Tahoma[0].x, c.titleX);
        EXPECT_TRUE(c.headingX < 0 || Courier[0].x == c.headingX) << Courier[0].x;
        for (size_t k = 1; k < Courier.size(); ++k) EXPECT_TRUE(Courier[k].x == 340.0f || Courier[k].x == 740.0f);
        for (size_t k = 3; k + 1 < Courier.size(); k += 2) {  // ranks appear from the tenth up, columns alike
            EXPECT_GT(Courier[k].alpha, Courier[k - 2].alpha) << k;
            EXPECT_EQ(Courier[k].alpha, Courier[k + 1].alpha) << k;
        }
    }
}

// A cancelled chart holds a notice instead of ranks; chart 52 three ranks, a
// blank one and two notes. Neither prints a rank it lacks or reads past its run.
TEST_F(PageLayout, ChartsWithFewerRanksPrintOnlyWhatTheyHold) {
    ShowChart(24);
    int run = ChartRunStart(24);
    EXPECT_EQ(Strings(Courier),
              (std::vector<std::string>{ContentLines[run], ContentLines[run + CancelledNoticeOffset]}));
    EXPECT_EQ(Strings(Tahoma), std::vector<std::string>{ContentLines[run]});

    SetUp();
    ShowChart(52);
    Content.ChartReveal = 8.53f;
    Draw();
    ASSERT_EQ(Courier.size(), 3u + 6u);
    run = ChartRunStart(52);
    EXPECT_EQ(Courier[1].text, ContentLines[run + ShortChartFirstNote]);
    EXPECT_EQ(Courier[2].text, ContentLines[run + ShortChartSecondNote]);
    for (int rank = 0; rank < 3; ++rank)
        EXPECT_EQ(Courier[3 + 2 * rank].text + Courier[4 + 2 * rank].text,
                  ContentLines[run + ChartFirstRowOffset + rank]);
    EXPECT_NEAR(Courier[3].alpha, 0.5f, 1e-3);  // seven steps behind a full chart's first rank
}

}  // namespace
