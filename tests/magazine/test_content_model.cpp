// The content model: what section, topic and page a pick or a page turn
// leads to, and the clamp that keeps the page inside the shown text.
#include <gtest/gtest.h>

#include <climits>

#include "content/content.h"
#include "render/primitives.h"
#include "tests/magazine/start_state.h"

namespace {

// A section pick followed by the 101 frames of its background cross-fade.
void PickSectionAndSettle(int32_t section) {
    SelectSection(section);
    BackgroundFade = 1.0f;
}

void PressRight(int times) {
    for (int i = 0; i < times; ++i) {
        TurnPage(+1);
        ClampPage();
    }
}

class ContentModel : public ::testing::Test {
protected:
    void SetUp() override { StartMagazineContent(); }
};

TEST_F(ContentModel, StartsOnWelcomePage) {
    ClampPage();
    EXPECT_EQ(ActiveSection, Introduction);
    EXPECT_EQ(IntroTopic, WelcomeTopic);
    EXPECT_EQ(CurrentPage, 0);
}

TEST_F(ContentModel, MessagesShowFirstPageAtOnceAndClampAtBothEnds) {
    PickSectionAndSettle(Messages);
    ClampPage();
    EXPECT_EQ(ActiveSection, Messages);
    EXPECT_EQ(CurrentPage, 0);
    TurnPage(-1);
    ClampPage();
    EXPECT_EQ(CurrentPage, 0);
    PressRight(19);
    EXPECT_EQ(CurrentPage, 19);  // "Messages - 20/20"
    PressRight(5);
    EXPECT_EQ(CurrentPage, 19);
}

TEST_F(ContentModel, SectionPickResetsEverythingAndStartsCrossfade) {
    PageTextAlpha = 1.0f;
    ChartReveal = -3.0f;
    SelectSection(AmigaCharts);
    EXPECT_EQ(ActiveSection, AmigaCharts);
    EXPECT_EQ(IntroTopic, 0);
    EXPECT_EQ(AmigaTopic, 0);
    EXPECT_EQ(PageTextAlpha, 0.0f);
    EXPECT_EQ(ChartReveal, ChartRevealStart);
    EXPECT_EQ(BackgroundFade, 0.0f);
    EXPECT_EQ(PreviousBackgroundSection, 0);
    EXPECT_EQ(BackgroundSection, AmigaCharts);
}

TEST_F(ContentModel, ChartSectionShowsNothingUntilOwnTopicPicked) {
    PickSectionAndSettle(PcCharts);
    EXPECT_EQ(PcTopic, 0);
    SelectTopic(20);  // an Amiga chart: not the shown section
    EXPECT_EQ(AmigaTopic, 0);
    EXPECT_EQ(PcTopic, 0);
    SelectTopic(80);  // an Introduction topic
    EXPECT_EQ(IntroTopic, 0);
    PageTextAlpha = 0.5f;
    ChartReveal = 4.0f;
    CurrentPage = 3;
    SelectTopic(33);
    EXPECT_EQ(PcTopic, 33);
    EXPECT_EQ(PageTextAlpha, 0.0f);
    EXPECT_EQ(ChartReveal, ChartRevealStart);
    EXPECT_EQ(CurrentPage, 3);  // charts have one page and leave it alone
}

TEST_F(ContentModel, SectionPickDuringCrossfadeIsIgnoredEntirely) {
    PickSectionAndSettle(WarezCharts);
    SelectTopic(60);
    SelectSection(Messages);  // starts a cross-fade
    BackgroundFade = 0.5f;
    TurnPage(+1);
    SelectSection(C64Charts);
    EXPECT_EQ(ActiveSection, Messages);
    EXPECT_EQ(BackgroundSection, Messages);
    EXPECT_EQ(PreviousBackgroundSection, WarezCharts);
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_EQ(BackgroundFade, 0.5f);
}

TEST_F(ContentModel, CreditsBorrowTheIntroductionBackground) {
    PickSectionAndSettle(FunCharts);
    SelectSection(Credits);
    EXPECT_EQ(ActiveSection, Credits);
    EXPECT_EQ(PreviousBackgroundSection, FunCharts);
    EXPECT_EQ(BackgroundSection, 0);
}

TEST_F(ContentModel, IntroductionTopicPickResetsThePage) {
    SelectTopic(Bonus7Topic);
    PressRight(2);
    EXPECT_EQ(CurrentPage, 2);  // page 3
    SelectTopic(Bonus3Topic);
    ClampPage();
    EXPECT_EQ(IntroTopic, Bonus3Topic);
    EXPECT_EQ(CurrentPage, 0);
}

TEST_F(ContentModel, EachIntroductionTopicClampsToItsPageCount) {
    const struct {
        int32_t topic, lastPage;
    } topics[] = {{NewsAndInformationTopic, 2}, {ListOfVotersTopic, 8}, {AdvertisementsTopic, 8},
                  {Bonus3Topic, 2},             {Bonus5Topic, 4},       {Bonus7Topic, 6}};
    for (const auto& t : topics) {
        SelectTopic(t.topic);
        PressRight(30);
        EXPECT_EQ(CurrentPage, t.lastPage) << t.topic;
        TurnPage(-40);
        ClampPage();
        EXPECT_EQ(CurrentPage, 0) << t.topic;
    }
}

TEST_F(ContentModel, SinglePagesDriftWithoutVisibleEffect) {
    PressRight(7);
    EXPECT_EQ(CurrentPage, 7);  // Welcome: not clamped
    SelectTopic(NewsAndInformationTopic);
    ClampPage();
    EXPECT_EQ(CurrentPage, 0);
    PickSectionAndSettle(Credits);
    TurnPage(-3);
    ClampPage();
    EXPECT_EQ(CurrentPage, -3);
}

TEST_F(ContentModel, PageNumberNeverOverflows) {
    CurrentPage = INT_MAX;
    TurnPage(+1);
    EXPECT_EQ(CurrentPage, INT_MAX);
    CurrentPage = INT_MIN;
    TurnPage(-1);
    EXPECT_EQ(CurrentPage, INT_MIN);
}

TEST_F(ContentModel, ReselectingTheShownSectionAfterCrossfadeClearsItsTopic) {
    SelectSection(Introduction);
    EXPECT_EQ(IntroTopic, 0);
    EXPECT_EQ(BackgroundFade, 0.0f);
}

}  // namespace
