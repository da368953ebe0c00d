// The content model: what section, topic and page a pick or a page turn
// leads to, and the clamp that keeps the page inside the shown text.
#include <gtest/gtest.h>

#include <climits>

#include "content/content.h"
#include "render/primitives.h"
#include "tests/magazine/start_state.h"

namespace {

class ContentModel : public ::testing::Test {
protected:
    void SetUp() override { StartMagazineContent(); }
};

TEST_F(ContentModel, EveryPagedTextClampsAtBothEnds) {
    const struct {
        int32_t section, topic, lastPage;
    } texts[] = {{Messages, NoTopic, 19},
                 {Introduction, NewsAndInformationTopic, 2},
                 {Introduction, ListOfVotersTopic, 8},
                 {Introduction, AdvertisementsTopic, 8},
                 {Introduction, Bonus3Topic, 2},
                 {Introduction, Bonus5Topic, 4},
                 {Introduction, Bonus7Topic, 6}};
    for (const auto& t : texts) {
        Content.ActiveSection = t.section;
        Content.IntroTopic = t.topic;
        const int32_t pagesAndClamps[][2] = {
            {-5, 0}, {1, 1}, {t.lastPage, t.lastPage}, {t.lastPage + 1, t.lastPage}, {1000, t.lastPage}};
        for (const auto& [page, clamped] : pagesAndClamps) {
            Content.CurrentPage = page;
            ClampPage();
            EXPECT_EQ(Content.CurrentPage, clamped) << t.topic << " " << page;
        }
    }
}

// A held key on a single page must not wrap the page number around.
TEST_F(ContentModel, PageNumberNeverOverflows) {
    Content.CurrentPage = INT_MAX;
    TurnPage(+1);
    EXPECT_EQ(Content.CurrentPage, INT_MAX);
    Content.CurrentPage = INT_MIN;
    TurnPage(-1);
    EXPECT_EQ(Content.CurrentPage, INT_MIN);
}

TEST_F(ContentModel, SectionPickResetsTheTextAndStartsACrossfadeThatRefusesOthers) {
    Content.PageTextAlpha = 1.0f;
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
    TurnPage(+1);
    SelectSection(C64Charts);
    EXPECT_EQ(Content.ActiveSection, AmigaCharts);
    EXPECT_EQ(Content.BackgroundSection, AmigaCharts);
    EXPECT_EQ(Content.PreviousBackgroundSection, Introduction);
    EXPECT_EQ(Content.CurrentPage, 1);
    EXPECT_EQ(BackgroundFade, 0.5f);

    BackgroundFade = 1.0f;
    SelectSection(Credits);  // borrows the Introduction picture
    EXPECT_EQ(Content.PreviousBackgroundSection, AmigaCharts);
    EXPECT_EQ(Content.BackgroundSection, Introduction);
}

TEST_F(ContentModel, TopicPickCountsOnlyForTheShownSection) {
    SelectSection(PcCharts);
    BackgroundFade = 1.0f;
    // Another section's topics and names outside every range change nothing.
    for (int32_t pick : {20, 83, 14, 86, -1, 1000}) {
        SelectTopic(pick);
        for (int32_t section : {Introduction, AmigaCharts, PcCharts})
            EXPECT_EQ(ChosenTopic(section), NoTopic) << pick;
    }
    for (int32_t pick : {-1, 8})
        SelectSection(pick);
    EXPECT_EQ(Content.ActiveSection, PcCharts);
    EXPECT_EQ(BackgroundFade, 1.0f);

    Content.PageTextAlpha = 0.5f;
    Content.ChartReveal = 4.0f;
    Content.CurrentPage = 3;
    SelectTopic(33);
    EXPECT_EQ(Content.PcTopic, 33);
    EXPECT_EQ(Content.PageTextAlpha, 0.0f);
    EXPECT_EQ(Content.ChartReveal, ChartRevealStart);
    EXPECT_EQ(Content.CurrentPage, 3);  // a chart is one page: the number is left alone

    SelectSection(Introduction);
    SelectTopic(Bonus7Topic);
    Content.CurrentPage = 2;
    SelectTopic(Bonus3Topic);
    EXPECT_EQ(Content.IntroTopic, Bonus3Topic);
    EXPECT_EQ(Content.CurrentPage, 0);
}

}  // namespace
