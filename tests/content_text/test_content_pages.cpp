// Every page of the issue drawn by the page renderer with the real fonts: the
// text must end where the layout promises (before the Introduction's panel
// at x 780, inside the 1024-pixel screen elsewhere).
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frame.h"
#include "content/content.h"
#include "content/content_lines.h"
#include "content/page.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

// Lit pixels of the body rows, 100 to 660 from the top (the title sits
// lower, at y 78 from the bottom), from column left to the right edge.
static int LitPixelsFrom(int left) {
    std::vector<unsigned char> rgb(size_t(1024 - left) * 560 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(left, 768 - 660, 1024 - left, 560, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return int(std::count_if(rgb.begin(), rgb.end(), [](unsigned char c) { return c > 40; }));
}

TEST(ContentPages, EveryPageShowsTextAndEndsWhereItsLayoutPromises) {
    OpenTestWindow(1024, 768);
    CreateCourierFont();
    CreateTahomaFont();
    const int panelLeft = 780, screenEdge = 1024 - 8;
    struct Shown {
        int32_t section, topic, pages, rightEdge;
    };
    std::vector<Shown> shown = {{Messages, 0, MessagesPageCount, screenEdge}, {Credits, 0, 1, screenEdge}};
    for (int32_t topic = WelcomeTopic; topic <= Bonus7Topic; ++topic)
        shown.push_back({Introduction, topic, PageCountOfIntroTopic(topic), panelLeft});
    for (int32_t pick = FirstChartPick; pick <= LastChartPick; ++pick)
        shown.push_back({SectionOfTopic(pick), pick, 1, screenEdge});
    for (const Shown& s : shown) {
        for (int32_t page = 0; page < s.pages; ++page) {
            SCOPED_TRACE("section " + std::to_string(s.section) + " topic " + std::to_string(s.topic) + " page " +
                         std::to_string(page + 1));
            Content = ContentStart;
            Content.ActiveSection = s.section;
            int32_t* topics[] = {&Content.IntroTopic, &Content.AmigaTopic, &Content.PcTopic,
                                 &Content.C64Topic,   &Content.WarezTopic, &Content.FunTopic};
            if (s.section <= FunCharts) *topics[s.section] = s.topic;
            Content.CurrentPage = page;
            Content.PageTextAlpha = 1.0f;
            Content.ChartReveal = -100.0f;  // every rank fully revealed
            Frame.FrameStep = 1.0f;
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            DrawPage();
            glFinish();
            EXPECT_GT(LitPixelsFrom(0), 0) << "the page is empty";
            EXPECT_EQ(LitPixelsFrom(s.rightEdge), 0);
        }
    }
}
