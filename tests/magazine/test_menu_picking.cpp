// Input in a real GL context: what a hover or a click hits (depth first, then
// the lower pick name) and when; the keys; the termination and crash signals.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "menu/menu.h"
#include "menu/picking.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

struct WindowPixel {
    int x, y;
};

WindowPixel PixelOf(float x, float y, float z = -46.0f) {
    GLdouble model[16], projection[16], winX, winY, winZ;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, projection, viewport, &winX, &winY, &winZ);
    return {int(winX), int(768 - winY)};
}

WindowPixel PixelOfButton(int i) { return PixelOf(MenuButtons[i].x, MenuButtons[i].y, MenuButtons[i].z); }

int HoveredButton() {
    int found = -1;
    for (int i = 0; i < MenuButtonCount; ++i)
        if (MenuButtons[i].hovered) {
            EXPECT_EQ(found, -1) << "two buttons hovered";
            found = i;
        }
    return found;
}

bool AnyClicked() {
    for (const MenuButton& button : MenuButtons)
        if (button.clicked) return true;
    return false;
}

class Input : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(1024, 768);
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void SetUp() override {
        SetProjection(1024, 768);
        Content = ContentStart;
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        SetMenuButtons();
    }
};

TEST_F(Input, HoverFindsTheNearestShownButtonThenTheLowerPickName) {
    const struct {
        int32_t shown;
        float x, y;
        int expected;
    } points[] = {
        {Introduction, -13.9f, -25.0f, 1},  // 1 lies over 2
        {Introduction, 0.4f, -25.0f, 4},    // 4 lies over 3
        {Introduction, 12.6f, -25.0f, 4},   // and over 5
        {Introduction, -8.0f, -25.0f, 2},
        {WarezCharts, -34.3f, 11.6f, 55},   // grid columns of equal depth
        {WarezCharts, -29.7f, 4.3f, 62},
        {Introduction, -32.0f, 4.9f, -1},   // Amiga topic 20 under a hidden panel
        {AmigaCharts, -32.0f, 4.9f, 20},
        {AmigaCharts, 40.0f, 3.0f, -1},     // Introduction topic 80, hidden
    };
    for (const auto& p : points) {
        Content.ActiveSection = p.shown;
        Content.IntroTopic = NoTopic;
        const WindowPixel pixel = PixelOf(p.x, p.y);
        MotionHandler(pixel.x, pixel.y);
        PickPendingHover();
        EXPECT_EQ(HoveredButton(), p.expected) << p.x << "," << p.y;
    }
}

// Only a left press picks. A press that hits nothing still runs its pass,
// which carries out clicks recorded before instead of dropping them.
TEST_F(Input, OnlyALeftPressPicksAndAMissLeavesAnEarlierClickToItsPass) {
    const WindowPixel music = PixelOfButton(MusicOffButton);
    MouseHandler(GLUT_RIGHT_BUTTON, GLUT_DOWN, music.x, music.y);
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_UP, music.x, music.y);
    EXPECT_FALSE(AnyClicked());
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, music.x, music.y);
    EXPECT_EQ(MenuButtons[MusicOffButton].clicked, 1);
    EXPECT_EQ(MusicMode, MusicOn);  // acted on by the next DrawMenu only
    MenuButtons[PageForwardButton].clicked = 1;
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);  // off every button
    EXPECT_EQ(MusicMode, MusicOff);
    EXPECT_EQ(Content.CurrentPage, 1);
    EXPECT_FALSE(AnyClicked());
}

// Motions only move the pointer; the frame picks once, where the pointer is
// now. A press picks at once, at its own place.
TEST_F(Input, MotionsPickOncePerFrameAtTheLatestPlaceAndPressesAtTheirOwn) {
    const WindowPixel music = PixelOfButton(MusicOffButton), exit = PixelOfButton(ExitButton);
    MotionHandler(music.x, music.y);
    MotionHandler(exit.x, exit.y);
    EXPECT_EQ(HoveredButton(), -1);
    PickPendingHover();
    EXPECT_EQ(HoveredButton(), ExitButton);
    MenuButtons[ExitButton].hovered = 0;
    PickPendingHover();  // no motion since: no pick
    EXPECT_EQ(HoveredButton(), -1);

    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, music.x, music.y);
    EXPECT_EQ(MenuButtons[MusicOffButton].clicked, 1);
    MenuButtons[MusicOffButton].clicked = 0;
    // Shown scaled in a 1024 x 1024 window, the layout lies 128 pixels down
    // between two bars: a press over the bar hits nothing.
    CanvasActive = 1;
    WindowPixelWidth = WindowPixelHeight = 1024;
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, exit.x, 127);
    EXPECT_FALSE(AnyClicked());
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, music.x, music.y + 128);
    EXPECT_EQ(MenuButtons[MusicOffButton].clicked, 1);
    CanvasActive = 0;
}

TEST_F(Input, SkipKeysWaitForTheIntroAndRemoveItsStream) {
    EnterTempWorkDir();
    FILE* file = std::fopen("data/TB15Intro.mp3", "wb");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    for (int state : {LoadingFadeIn, Loading, LoadingFadeOut}) {
        Frame.SceneState = state;
        KeyboardHandler(' ', 0, 0);
        KeyboardHandler(27, 0, 0);
        EXPECT_EQ(Frame.SceneState, state);
    }
    EXPECT_EQ(access("data/TB15Intro.mp3", F_OK), 0);
    Frame.SceneState = Intro;
    KeyboardHandler(27, 0, 0);
    EXPECT_EQ(Frame.SceneState, Magazine);
    EXPECT_NE(access("data/TB15Intro.mp3", F_OK), 0);
    LeaveTempWorkDir();
}

// A termination signal is carried out on the GLUT thread, where game mode can
// be left; a crash cannot wait and restores the display in its handler. Either
// way the process dies of the very signal it got.
void MarkDisplayRestored() { write(2, "display restored\n", 17); }

TEST_F(Input, SignalsRestoreTheDisplayAndEndTheProcessWithTheSameSignal) {
    EXPECT_EXIT(
        {
            InstallExitGuards();
            std::raise(SIGTERM);
            std::fputs("carried on to the main loop\n", stderr);
            for (int round = 0; round < 200; ++round) {
                glutMainLoopEvent();
                usleep(5000);
            }
            std::exit(3);  // the signal was lost
        },
        testing::KilledBySignal(SIGTERM), "carried on to the main loop");
    for (int signal : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE})
        EXPECT_EXIT(
            {
                InstallCrashGuards(MarkDisplayRestored);
                std::raise(signal);
                std::exit(3);
            },
            testing::KilledBySignal(signal), "display restored")
            << strsignal(signal);
}

}  // namespace
