// Every page of the issue drawn by the page renderer with the real fonts:
// the text must end where the layout promises (before the Introduction's
// panel at x 780, inside the 1024-pixel screen elsewhere). A few pages are
// saved as pictures for proof-reading by eye.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/frame.h"
#include "content/content.h"
#include "content/page.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024;
constexpr int Height = 768;
constexpr int PanelLeft = 780;       // the Introduction's panel covers x >= 780
constexpr int BodyTop = 100;         // rows from the top holding body text
constexpr int BodyBottom = 660;      // (the title sits lower, at y 78 from the bottom)

void ShowPage(int32_t section, int32_t topic, int32_t page) {
    ActiveSection = section;
    IntroTopic = AmigaTopic = PcTopic = C64Topic = WarezTopic = FunTopic = 0;
    int32_t* topics[] = {&IntroTopic, &AmigaTopic, &PcTopic, &C64Topic, &WarezTopic, &FunTopic};
    if (section <= FunCharts) *topics[section] = topic;
    CurrentPage = page;
    PageTextAlpha = 1.0f;
    ChartReveal = -100.0f;  // every rank fully revealed
    FrameStep = 1.0f;
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    DrawPage();
    glFinish();
}

// Lit pixels in the body rows from column left to the right edge.
int LitPixelsFrom(int left) {
    std::vector<unsigned char> rgb(size_t(Width - left) * (BodyBottom - BodyTop) * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, Height - BodyBottom, Width - left, BodyBottom - BodyTop, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int lit = 0;
    for (unsigned char channel : rgb) lit += channel > 40;
    return lit;
}

int LitPixelsAnywhere() { return LitPixelsFrom(0); }

void Save(const std::string& name) {
    std::filesystem::create_directories(TB_CONTENT_SCREENS_DIR);
    SaveBackBufferPng((std::string(TB_CONTENT_SCREENS_DIR) + "/" + name + ".png").c_str(), Width, Height);
}

class ContentPages : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(Width, Height);
        CreateCourierFont();
        CreateTahomaFont();
    }
};

struct IntroTopicPages {
    int32_t topic;
    int32_t pages;
};
constexpr IntroTopicPages IntroPages[] = {
    {WelcomeTopic, 1}, {NewsAndInformationTopic, 3}, {ListOfVotersTopic, 9}, {AdvertisementsTopic, 9},
    {ContactInformationTopic, 1}, {Bonus3Topic, 3}, {Bonus5Topic, 5}, {Bonus7Topic, 7},
};

}  // namespace

TEST_F(ContentPages, IntroductionPagesEndBeforeThePanel) {
    for (const IntroTopicPages& intro : IntroPages) {
        for (int32_t page = 0; page < intro.pages; ++page) {
            ShowPage(Introduction, intro.topic, page);
            EXPECT_GT(LitPixelsAnywhere(), 0) << "topic " << intro.topic << " page " << page + 1 << " is empty";
            EXPECT_EQ(LitPixelsFrom(PanelLeft), 0) << "topic " << intro.topic << " page " << page + 1;
        }
    }
    ShowPage(Introduction, AdvertisementsTopic, 0);
    Save("advertisements-01");
    ShowPage(Introduction, Bonus7Topic, 0);
    Save("bonus7-01");
}

TEST_F(ContentPages, MessagesAndCreditsStayOnTheScreen) {
    for (int32_t page = 0; page < MessagesPageCount; ++page) {
        ShowPage(Messages, 0, page);
        EXPECT_GT(LitPixelsAnywhere(), 0) << "messages page " << page + 1;
        EXPECT_EQ(LitPixelsFrom(Width - 8), 0) << "messages page " << page + 1;
    }
    ShowPage(Messages, 0, 4);
    Save("messages-05");
    ShowPage(Credits, 0, 0);
    EXPECT_EQ(LitPixelsFrom(Width - 8), 0);
    Save("credits");
}

TEST_F(ContentPages, ChartsStayOnTheScreen) {
    constexpr int32_t FirstPick[] = {15, 31, 46, 55, 74};
    constexpr int32_t LastPick[] = {30, 45, 54, 73, 77};
    for (int32_t section = AmigaCharts; section <= FunCharts; ++section) {
        for (int32_t pick = FirstPick[section - 1]; pick <= LastPick[section - 1]; ++pick) {
            ShowPage(section, pick, 0);
            EXPECT_GT(LitPixelsAnywhere(), 0) << "chart " << pick;
            EXPECT_EQ(LitPixelsFrom(Width - 8), 0) << "chart " << pick;
        }
    }
    ShowPage(AmigaCharts, 25, 0);
    Save("chart-25");
    ShowPage(C64Charts, 52, 0);
    Save("chart-52");
}
