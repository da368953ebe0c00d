// The button bar and the pickers in a real GL context: what a hover or a
// click hits (depth first, then the lower pick name), what DrawMenu does with
// it, and the section panels' slide and fade.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <vector>

#include "app/frame.h"
#include "app/input.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "menu/picking.h"
#include "render/primitives.h"
#include "tests/magazine/start_state.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024, Height = 768;

void StartMagazineState() {
    StartMagazineContent();
    SongSelection = FirstSongSlot;
    MusicMode = MusicOn;
    ExitRequested = 0;
    AttractorStrength = AttractorPull;
    for (int s = 0; s < PanelCount; ++s) {
        PanelSlide[s] = s == 0 ? -40.0f : -32.0f;
        PanelAlpha[s] = 0.0f;
    }
    SetMenuButtons();
}

// Moves the pointer to the window pixel showing scene point (x, y, z), as
// the passive-motion callback does.
void PointAt(float x, float y, float z) {
    GLdouble model[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble winX, winY, winZ;
    gluProject(x, y, z, model, projection, viewport, &winX, &winY, &winZ);
    MotionHandler(int(winX), int(Height - winY));
}

void PointAtButton(int i) { PointAt(MenuButtons[i].x, MenuButtons[i].y, MenuButtons[i].z); }

int HoveredButton() {
    int found = -1;
    for (int i = 0; i < MenuButtonCount; ++i)
        if (MenuButtons[i].hovered) {
            EXPECT_EQ(found, -1) << "two buttons hovered";
            found = i;
        }
    return found;
}

void ClickAtButton(int i) {
    PointAtButton(i);
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
}

class Menu : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(Width, Height); }
    void SetUp() override {
        SetProjection(Width, Height);
        StartMagazineState();
    }
};

TEST_F(Menu, ClickActsExactlyOnce) {
    ClickAtButton(PageForwardButton);
    EXPECT_EQ(MenuButtons[PageForwardButton].clicked, 1);
    EXPECT_EQ(CurrentPage, 0);  // nothing happens until the bar is drawn
    DrawMenu();
    EXPECT_EQ(CurrentPage, 1);
    EXPECT_EQ(MenuButtons[PageForwardButton].clicked, 0);
    DrawMenu();
    PickHover();  // a selection pass draws the bar too
    EXPECT_EQ(CurrentPage, 1);
}

TEST_F(Menu, ClickIsCarriedOutByTheNextSelectionPass) {
    ClickAtButton(PageBackButton);
    PointAt(0, 0, -46);
    EXPECT_EQ(CurrentPage, -1);  // the pass inside the hover pick acted on it
}

TEST_F(Menu, OnlyALeftPressPicksAndAMissLeavesAnEarlierClickToItsPass) {
    PointAtButton(MusicOffButton);
    MouseHandler(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_UP, 0, 0);
    EXPECT_EQ(MenuButtons[MusicOffButton].clicked, 0);
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    MenuButtons[PageForwardButton].clicked = 1;  // recorded before, not yet acted on
    MotionHandler(0, 0);  // the pointer leaves; a click there hits nothing
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    // The miss's own pass carried out both earlier clicks instead of dropping them.
    EXPECT_EQ(MusicMode, MusicOff);
    EXPECT_EQ(CurrentPage, 1);
    for (const MenuButton& button : MenuButtons)
        EXPECT_EQ(button.clicked, 0);
}

TEST_F(Menu, SectionClickPushesTheSwarmAndIsDroppedDuringCrossfade) {
    ClickAtButton(Messages);
    DrawMenu();
    EXPECT_EQ(ActiveSection, Messages);
    EXPECT_EQ(AttractorStrength, AttractorPush);
    AttractorStrength = AttractorPull;
    ClickAtButton(Credits);  // the cross-fade is still running
    DrawMenu();
    EXPECT_EQ(ActiveSection, Messages);
    EXPECT_EQ(AttractorStrength, AttractorPull);
}

TEST_F(Menu, SongMusicAndExitButtons) {
    ClickAtButton(FirstSongButton + 2);
    DrawMenu();
    EXPECT_EQ(SongSelection, FirstSongButton + 2);
    ClickAtButton(ExitButton);
    DrawMenu();
    EXPECT_EQ(ExitRequested, 1);
    EXPECT_EQ(PageTextAlpha, 0.0f);
}

TEST_F(Menu, OverlappingSectionButtonsPickTheNearer) {
    PointAt(-13.9f, -25.0f, -46.0f);  // buttons 1 (depth 46.0) and 2 (46.1)
    EXPECT_EQ(HoveredButton(), 1);
    PointAt(0.4f, -25.0f, -46.0f);  // buttons 3 and 4 (45.99)
    EXPECT_EQ(HoveredButton(), 4);
    PointAt(12.6f, -25.0f, -46.0f);  // buttons 4 and 5
    EXPECT_EQ(HoveredButton(), 4);
    PointAt(-8.0f, -25.0f, -46.0f);  // button 2 alone
    EXPECT_EQ(HoveredButton(), 2);
}

TEST_F(Menu, WarezGridOverlapPicksTheLowerPickName) {
    ActiveSection = WarezCharts;
    IntroTopic = 0;
    PointAt(-34.3f, 11.6f, -46.0f);  // columns 0 and 1 of the first row
    EXPECT_EQ(HoveredButton(), 55);
    PointAt(-29.7f, 4.3f, -46.0f);  // columns 1 and 2 of the last row
    EXPECT_EQ(HoveredButton(), 62);
    ClickAtButton(58);
    DrawMenu();
    EXPECT_EQ(WarezTopic, 58);
}

TEST_F(Menu, TopicsOfAHiddenSectionCannotBeHit) {
    PointAtButton(20);  // an Amiga topic while the Introduction is shown
    EXPECT_EQ(HoveredButton(), -1);
    ClickAtButton(20);
    DrawMenu();
    EXPECT_EQ(AmigaTopic, 0);
    PointAtButton(80);
    EXPECT_EQ(HoveredButton(), 80);
    ActiveSection = AmigaCharts;
    IntroTopic = 0;
    PointAtButton(20);
    EXPECT_EQ(HoveredButton(), 20);
    PointAtButton(80);
    EXPECT_EQ(HoveredButton(), -1);
}

TEST_F(Menu, SilentGapButtonIsNeverHit) {
    for (int y = 0; y < Height; y += 12)
        for (int x = 0; x < Width; x += 12) {
            MotionHandler(x, y);
            ASSERT_EQ(MenuButtons[SilentGapButton].hovered, 0) << x << "," << y;
        }
}

TEST_F(Menu, HoverClearsOffTarget) {
    PointAtButton(ExitButton);
    EXPECT_EQ(HoveredButton(), ExitButton);
    PointAt(0.0f, 0.0f, -46.0f);
    EXPECT_EQ(HoveredButton(), -1);
}

TEST_F(Menu, ArrowTexturesLightUpOnHoverAndReturn) {
    PointAtButton(PageForwardButton);
    DrawMenu();
    EXPECT_EQ(MenuButtons[PageForwardButton].textureSlot, 67);
    EXPECT_EQ(MenuButtons[PageBackButton].textureSlot, 64);
    PointAtButton(PageBackButton);
    DrawMenu();
    EXPECT_EQ(MenuButtons[PageForwardButton].textureSlot, 65);
    EXPECT_EQ(MenuButtons[PageBackButton].textureSlot, 66);
    PointAt(0.0f, 0.0f, -46.0f);
    DrawMenu();
    EXPECT_EQ(MenuButtons[PageBackButton].textureSlot, 64);
}

TEST_F(Menu, StatusButtonsAreDimmedAndHoveredTopicsLit) {
    DrawMenu();
    EXPECT_FLOAT_EQ(MenuButtons[FirstSongButton].alpha, 0.5f);
    EXPECT_FLOAT_EQ(MenuButtons[MusicOnButton].alpha, 0.5f);
    EXPECT_FLOAT_EQ(MenuButtons[Introduction].alpha, 0.5f);
    EXPECT_FLOAT_EQ(MenuButtons[MusicOffButton].alpha, 1.0f);
    EXPECT_FLOAT_EQ(MenuButtons[Messages].alpha, 1.0f);
    PointAtButton(81);
    DrawMenu();
    EXPECT_FLOAT_EQ(MenuButtons[81].alpha, 0.45f);
    ActiveSection = Messages;
    IntroTopic = 0;
    PointAtButton(ExitButton);
    DrawMenu();
    EXPECT_FLOAT_EQ(MenuButtons[ExitButton].alpha, 1.0f);
}

// The tinted bars DrawMenu draws, from a feedback-mode pass: their colours.
std::vector<float> TintedBarAlphas() {
    static GLfloat feedback[1 << 16];
    glFeedbackBuffer(1 << 16, GL_3D_COLOR, feedback);
    glRenderMode(GL_FEEDBACK);
    DrawMenu();
    int count = glRenderMode(GL_RENDER);
    std::vector<float> alphas;
    for (int i = 0; i < count;) {
        GLenum token = GLenum(feedback[i++]);
        if (token != GL_POLYGON_TOKEN) {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        int vertices = int(feedback[i++]);
        const GLfloat* v = feedback + i;
        if (v[3] < 0.9f && v[5] > 0.9f && v[6] > 0.0f)  // (0.8, 0.8, 1.0, a)
            alphas.push_back(v[6]);
        i += vertices * 7;
    }
    return alphas;
}

TEST_F(Menu, ChosenTopicBarIsFaintLightBlue) {
    PanelSlide[0] = 0.0f;
    std::vector<float> alphas = TintedBarAlphas();
    ASSERT_FALSE(alphas.empty());
    for (float alpha : alphas)
        EXPECT_FLOAT_EQ(alpha, 0.4f);
    ActiveSection = AmigaCharts;
    IntroTopic = 0;
    AmigaTopic = 22;
    alphas = TintedBarAlphas();
    ASSERT_FALSE(alphas.empty());
    for (float alpha : alphas)
        EXPECT_FLOAT_EQ(alpha, 0.4f);
}

// ---- Section panels, at AverageFrameStep 1.0 ---------------------------------

class Panels : public Menu {
protected:
    void SetUp() override {
        Menu::SetUp();
        AverageFrameStep = 1.0f;
    }
};

int StepsToSlideIn(int32_t section) {
    int steps = 0;
    while (PanelSlide[section] < 0.0f && steps < 1000) {
        SlidePanelIn(section);
        ++steps;
    }
    return steps;
}

TEST_F(Panels, ChartPanelSlidesInOver104Steps) {
    EXPECT_EQ(StepsToSlideIn(AmigaCharts), 104);
    EXPECT_EQ(PanelAlpha[AmigaCharts], 0.0f);
    SlidePanelIn(AmigaCharts);
    EXPECT_EQ(PanelAlpha[AmigaCharts], 0.75f);
}

TEST_F(Panels, IntroductionPanelSlidesInOver131Steps) {
    EXPECT_EQ(StepsToSlideIn(Introduction), 131);
}

TEST_F(Panels, RestingPanelFadesOutOver75Steps) {
    StepsToSlideIn(FunCharts);
    SlidePanelIn(FunCharts);
    int steps = 0;
    while (PanelAlpha[FunCharts] > 0.0f && steps < 1000) {
        FadePanelOut(FunCharts);
        ++steps;
    }
    EXPECT_NEAR(steps, 75, 1);
    EXPECT_GE(PanelSlide[FunCharts], 0.0f);  // reset only by the next fade step
    FadePanelOut(FunCharts);
    EXPECT_EQ(PanelSlide[FunCharts], -32.0f);
}

TEST_F(Panels, ReturnDuringFadeShowsThePanelAtRestAtOnce) {
    ActiveSection = C64Charts;
    for (int i = 0; i < 110; ++i)
        DrawSectionPanels();
    ActiveSection = Messages;
    for (int i = 0; i < 10; ++i)
        DrawSectionPanels();
    EXPECT_LT(PanelAlpha[C64Charts], 0.75f);
    ActiveSection = C64Charts;
    DrawSectionPanels();
    EXPECT_GE(PanelSlide[C64Charts], 0.0f);
    EXPECT_EQ(PanelAlpha[C64Charts], 0.75f);
}

TEST_F(Panels, LeavingAFirstSlideEarlyRestartsIt) {
    ActiveSection = PcCharts;
    for (int i = 0; i < 50; ++i)
        DrawSectionPanels();
    EXPECT_LT(PanelSlide[PcCharts], 0.0f);
    ActiveSection = Introduction;
    DrawSectionPanels();
    EXPECT_EQ(PanelSlide[PcCharts], -32.0f);
}

}  // namespace
