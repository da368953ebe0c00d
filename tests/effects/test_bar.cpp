// The button bar and the section panels through the recording primitives:
// what each kind of button draws, with which alpha, place and blend function,
// and how many frames the panels take.
#include <gtest/gtest.h>

#include "app/frame.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "menu/button_slots.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "render/primitives.h"
#include "tests/effects/draw_recorder.h"

namespace {

class BarTest : public ::testing::Test {
protected:
    void SetUp() override {
        Content = ContentStart;
        Panels = PanelStart;
        Swarm = SwarmStart;
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        BackgroundFade = 1.0f;
        Frame.AverageFrameStep = 1.0f;
        SetMenuButtons();
    }
};

struct Expected {
    QuadKind kind;
    float alpha, x;
    GLenum destination = GL_ONE;
    int32_t slot = -1;  // -1: the slot is not looked at
};

constexpr QuadKind Textured = QuadKind::Textured, Tinted = QuadKind::Tinted, Blank = QuadKind::Blank;
constexpr GLenum CutOut = GL_ONE_MINUS_SRC_COLOR;

// The slides are mid-way, so a bar that travels with its panel shows it.
TEST_F(BarTest, EachKindOfButtonDrawsItsOwnLook) {
    const struct Row {
        const char* what;
        int32_t shown, chosen, pick;
        bool hovered, clicked;
        std::vector<Expected> quads;
    } rows[] = {
        {"shown section dimmed", Introduction, WelcomeTopic, 0, false, false, {{Textured, 0.5f, -30.0f}}},
        {"other section", Introduction, WelcomeTopic, 7, false, false, {{Textured, 1.0f, 31.5f}}},
        {"playing song dimmed", Introduction, WelcomeTopic, 8, false, false, {{Textured, 0.5f, -39.6f}}},
        {"chosen intro topic", Introduction, WelcomeTopic, 78, false, false, {{Tinted, 0.4f, 50.0f}}},
        {"bare hit area", Introduction, WelcomeTopic, 79, false, false, {{Tinted, 0.0f, 40.0f}}},
        {"hidden section's topic", Introduction, WelcomeTopic, 15, false, false, {}},
        {"chosen chart", AmigaCharts, 20, 20, false, false, {{Tinted, 0.4f, -32.0f}}},
        {"Introduction again", Introduction, NoTopic, 0, false, false,
         {{Tinted, 0.035f, -20.0f}, {Textured, 0.5f, -30.0f}}},
        {"no chart chosen", AmigaCharts, NoTopic, 0, false, false, {{Textured, 1.0f, -30.0f}}},
        {"hovered section", Introduction, WelcomeTopic, 3, true, false,
         {{Textured, 1.0f, -2.5f}, {Blank, 1.0f, -2.5f}, {Textured, 1.0f, -2.5f, CutOut}}},
        {"hovered, clicked section", Introduction, WelcomeTopic, 6, true, true,
         {{Textured, 1.0f, 23.5f}, {Blank, 1.0f, 23.5f}, {Textured, 0.1f, 23.5f, CutOut}}},
        {"hovered song", Introduction, WelcomeTopic, 9, true, false,
         {{Textured, 1.0f, -36.8f}, {Blank, 1.0f, -36.8f}, {Textured, 1.0f, -36.8f, CutOut}}},
        {"hovered topic", AmigaCharts, NoTopic, 20, true, false, {{Tinted, 0.0f, -32.0f}, {Tinted, 0.45f, -42.0f}}},
        {"hovered arrow", AmigaCharts, NoTopic, 88, true, false,
         {{Textured, 1.0f, 19.0f, GL_ONE, ArrowRightHighSlot}, {Textured, 0.45f, 19.0f, GL_ONE, ArrowRightHighSlot}}},
        {"hovered arrow, Messages", Messages, NoTopic, 88, true, false,
         {{Textured, 1.0f, 19.0f}, {Textured, 1.0f, 19.0f}}},
        {"arrow", Messages, NoTopic, 87, false, false, {{Textured, 1.0f, -19.0f, GL_ONE, ArrowLeftSlot}}},
    };
    for (const Row& row : rows) {
        SetUp();
        Panels.PanelSlide[Introduction] = -10.0f;
        Panels.PanelSlide[AmigaCharts] = -10.0f;
        Content.ActiveSection = row.shown;
        Content.IntroTopic = NoTopic;
        SelectTopic(row.chosen);
        MenuButtons[row.pick].hovered = row.hovered;
        MenuButtons[row.pick].clicked = row.clicked;
        ClearDrawn();
        Drawn.destination = GL_ZERO;  // DrawMenu sets the standing blend function itself
        DrawMenu();
        std::vector<RecordedQuad> quads;
        for (const RecordedQuad& quad : Drawn.quads)
            if (quad.name == GLuint(row.pick)) quads.push_back(quad);
        ASSERT_EQ(quads.size(), row.quads.size()) << row.what;
        for (size_t k = 0; k < quads.size(); ++k) {
            const Expected& expected = row.quads[k];
            EXPECT_EQ(quads[k].kind, expected.kind) << row.what << " " << k;
            EXPECT_FLOAT_EQ(quads[k].alpha, expected.alpha) << row.what << " " << k;
            EXPECT_FLOAT_EQ(quads[k].x, expected.x) << row.what << " " << k;
            EXPECT_EQ(quads[k].destination, expected.destination) << row.what << " " << k;
            if (expected.slot >= 0) {
                EXPECT_EQ(quads[k].slot, expected.slot) << row.what;
            }
        }
        EXPECT_EQ(Drawn.destination, GLenum(GL_ONE)) << row.what;
        EXPECT_EQ(MenuButtons[row.pick].clicked, 0) << row.what;
    }
}

// At one frame step per 1/75 s a chart panel slides in within 104 frames,
// the Introduction's (a longer way) within 131, and a fade takes 75.
TEST_F(BarTest, PanelsTakeTheirFrames) {
    for (const auto& row : {std::pair{Introduction, 131}, {AmigaCharts, 104}, {FunCharts, 104}}) {
        Panels = PanelStart;
        Content.ActiveSection = row.first;
        int frames = 0;
        for (; Panels.PanelSlide[row.first] < 0.0f && frames < 1000; ++frames) DrawSectionPanels();
        EXPECT_EQ(frames, row.second) << row.first;
    }
    DrawSectionPanels();  // at rest
    EXPECT_EQ(Panels.PanelAlpha[FunCharts], 0.75f);
    Content.ActiveSection = Messages;
    for (int frame = 1; frame <= 75; ++frame) DrawSectionPanels();
    EXPECT_NEAR(Panels.PanelAlpha[FunCharts], 0.0f, 1e-5f);  // float steps leave a trace above 0
}

// One coming back mid-fade rests at once; one faded out, or left before its
// slide ended, slides in anew next time.
TEST_F(BarTest, PanelsRestOrSlideAnewWhenShownAgain) {
    Content.ActiveSection = C64Charts;
    for (int frame = 0; frame < 110; ++frame) DrawSectionPanels();
    Content.ActiveSection = Messages;
    for (int frame = 0; frame < 10; ++frame) DrawSectionPanels();
    Content.ActiveSection = C64Charts;
    DrawSectionPanels();
    EXPECT_EQ(Panels.PanelAlpha[C64Charts], 0.75f);
    EXPECT_GE(Panels.PanelSlide[C64Charts], 0.0f);

    Content.ActiveSection = PcCharts;
    for (int frame = 0; frame < 50; ++frame) DrawSectionPanels();
    Content.ActiveSection = Introduction;
    for (int frame = 0; frame < 80; ++frame) DrawSectionPanels();
    EXPECT_EQ(Panels.PanelSlide[C64Charts], PanelStart.PanelSlide[C64Charts]);
    EXPECT_EQ(Panels.PanelSlide[PcCharts], PanelStart.PanelSlide[PcCharts]);
}

}  // namespace
