// Every page of the issue drawn by the page renderer with the real fonts: the
// text must end where the layout promises (before the Introduction's panel
// at x 780, inside the 1024-pixel screen elsewhere).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <string>
#include <vector>

#include "app/frame.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024;
constexpr int Height = 768;
constexpr int PanelLeft = 780;   // the Introduction's panel covers x >= 780
constexpr int ScreenEdge = Width - 8;
constexpr int BodyTop = 100;     // rows from the top holding body text
constexpr int BodyBottom = 660;  // (the title sits lower, at y 78 from the bottom)

void ShowPage(int32_t section, int32_t topic, int32_t page) {
    Content = ContentStart;
    Content.ActiveSection = section;
    int32_t* topics[] = {&Content.IntroTopic, &Content.AmigaTopic, &Content.PcTopic, &Content.C64Topic, &Content.WarezTopic, &Content.FunTopic};
    if (section <= FunCharts) *topics[section] = topic;
    Content.CurrentPage = page;
    Content.PageTextAlpha = 1.0f;
    Content.ChartReveal = -100.0f;  // every rank fully revealed
    Frame.FrameStep = 1.0f;
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

}  // namespace

TEST(ContentPages, EveryPageShowsTextAndEndsWhereItsLayoutPromises) {
    OpenTestWindow(Width, Height);
    CreateCourierFont();
    CreateTahomaFont();
    struct Shown {
        int32_t section, topic, pages, rightEdge;
    };
    std::vector<Shown> shown;
    for (int32_t topic = WelcomeTopic; topic <= Bonus7Topic; ++topic)
        shown.push_back({Introduction, topic, PageCountOfIntroTopic(topic), PanelLeft});
    for (int32_t pick = FirstChartPick; pick <= LastChartPick; ++pick)
        shown.push_back({SectionOfTopic(pick), pick, 1, ScreenEdge});
    shown.push_back({Messages, 0, MessagesPageCount, ScreenEdge});
    shown.push_back({Credits, 0, 1, ScreenEdge});
    for (const Shown& s : shown) {
        for (int32_t page = 0; page < s.pages; ++page) {
            ShowPage(s.section, s.topic, page);
            const std::string name = "section " + std::to_string(s.section) + " topic " + std::to_string(s.topic) +
                                     " page " + std::to_string(page + 1);
            EXPECT_GT(LitPixelsFrom(0), 0) << name << " is empty";
            EXPECT_EQ(LitPixelsFrom(s.rightEdge), 0) << name;
        }
    }

}
