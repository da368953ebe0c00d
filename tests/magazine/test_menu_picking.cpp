// The button bar and the pickers in a real GL context: what a hover or a
// click hits (depth first, then the lower pick name), what DrawMenu does with
// it.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstring>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/swarm.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "menu/picking.h"
#include "tests/magazine/start_state.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024, Height = 768;

struct WindowPixel {
    int x, y;
};

// The window pixel showing scene point (x, y, z).
WindowPixel PixelOf(float x, float y, float z = -46.0f) {
    GLdouble model[16], projection[16], winX, winY, winZ;
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    gluProject(x, y, z, model, projection, viewport, &winX, &winY, &winZ);
    return {int(winX), int(Height - winY)};
}

WindowPixel PixelOfButton(int i) { return PixelOf(MenuButtons[i].x, MenuButtons[i].y, MenuButtons[i].z); }

WindowPixel Pointer{0, 0};

// Moves the pointer there, then the next frame's hover pick.
void PointAt(float x, float y, float z = -46.0f) {
    Pointer = PixelOf(x, y, z);
    MotionHandler(Pointer.x, Pointer.y);
    PickPendingHover();
}

void PointAtButton(int i) { PointAt(MenuButtons[i].x, MenuButtons[i].y, MenuButtons[i].z); }

void PressAtPointer(int button = GLUT_LEFT_BUTTON, int state = GLUT_DOWN) {
    MouseHandler(button, state, Pointer.x, Pointer.y);
}

int HoveredButton() {
    int found = -1;
    for (int i = 0; i < MenuButtonCount; ++i)
        if (MenuButtons[i].hovered) {
            EXPECT_EQ(found, -1) << "two buttons hovered";
            found = i;
        }
    return found;
}

class Menu : public ::testing::Test {
protected:
    static void SetUpTestSuite() { OpenTestWindow(Width, Height); }
    void SetUp() override {
        SetProjection(Width, Height);
        StartMagazineContent();
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        ExitRequested = 0;
        Swarm = SwarmStart;
        Panels = PanelStart;
        Frame.AverageFrameStep = 1.0f;
        SetMenuButtons();
    }
};

// Every kind of button: hovered alone, acted on by the next drawing of the
// bar and by that one only, its lit texture (the arrows) undone off it.
TEST_F(Menu, EveryKindOfButtonIsHoveredAndActsOncePerClick) {
    const struct {
        int32_t shown, button;
        const int32_t* state;
        int32_t expected;
    } buttons[] = {
        {Introduction, Messages, &Content.ActiveSection, Messages},
        {Introduction, FirstSongButton + 2, &SongSelection, FirstSongButton + 2},
        {Introduction, MusicOffButton, &MusicMode, MusicOff},
        {Introduction, AdvertisementsTopic, &Content.IntroTopic, AdvertisementsTopic},
        {WarezCharts, 58, &Content.WarezTopic, 58},
        {Introduction, ExitButton, &ExitRequested, 1},
        {Introduction, PageBackButton, &Content.CurrentPage, -1},
        {Introduction, PageForwardButton, &Content.CurrentPage, 1},
    };
    for (const auto& b : buttons) {
        SetUp();
        Content.ActiveSection = b.shown;
        Content.IntroTopic = b.shown == Introduction ? WelcomeTopic : NoTopic;
        int resting = MenuButtons[b.button].textureSlot;
        PointAtButton(b.button);
        EXPECT_EQ(HoveredButton(), b.button);
        int32_t before = *b.state;
        PressAtPointer();
        EXPECT_EQ(MenuButtons[b.button].clicked, 1) << b.button;
        EXPECT_EQ(*b.state, before) << b.button;
        DrawMenu();
        EXPECT_EQ(*b.state, b.expected) << b.button;
        DrawMenu();
        PickHover();
        EXPECT_EQ(*b.state, b.expected) << b.button;
        PointAt(0.0f, 0.0f);
        EXPECT_EQ(HoveredButton(), -1) << b.button;
        DrawMenu();
        EXPECT_EQ(MenuButtons[b.button].textureSlot, resting) << b.button;
    }
}

TEST_F(Menu, OnlyALeftPressPicksAndAMissLeavesAnEarlierClickToItsPass) {
    PointAtButton(MusicOffButton);
    PressAtPointer(GLUT_RIGHT_BUTTON);
    PressAtPointer(GLUT_LEFT_BUTTON, GLUT_UP);
    EXPECT_EQ(MenuButtons[MusicOffButton].clicked, 0);
    PressAtPointer();
    MenuButtons[PageForwardButton].clicked = 1;  // recorded before, not yet acted on
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);  // off every button: hits nothing
    // The miss's own pass carried out both earlier clicks instead of dropping them.
    EXPECT_EQ(MusicMode, MusicOff);
    EXPECT_EQ(Content.CurrentPage, 1);
    for (const MenuButton& button : MenuButtons)
        EXPECT_EQ(button.clicked, 0);
}

TEST_F(Menu, SectionClickDuringCrossfadeIsDroppedAndLeavesTheSwarm) {
    PointAtButton(Messages);
    PressAtPointer();
    DrawMenu();
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPush);
    Swarm.AttractorStrength = AttractorPull;
    PointAtButton(Credits);
    PressAtPointer();
    DrawMenu();
    EXPECT_EQ(Content.ActiveSection, Messages);
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPull);
}

TEST_F(Menu, HoverFindsTheNearestShownButtonThenTheLowerPickName) {
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
        PointAt(p.x, p.y);
        EXPECT_EQ(HoveredButton(), p.expected) << p.x << "," << p.y;
    }
}

// A fast mouse sends many motions per frame: they only move the pointer, and
// the frame picks once, where the pointer is now. A press picks at once, at
// its own place. Shown scaled, window pixels map into the layout, and over
// the bars nothing is hovered or clicked.
TEST_F(Menu, MotionsPickOncePerFrameAtTheLatestPlaceAndPressesAtTheirOwn) {
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
    EXPECT_EQ(PointerX, music.x);
    MenuButtons[MusicOffButton].clicked = 0;

    // A 1024 x 1024 window: the layout 128 pixels down, between two bars.
    CanvasActive = 1;
    WindowPixelWidth = WindowPixelHeight = 1024;
    MotionHandler(music.x, music.y + 128);
    PickPendingHover();
    EXPECT_EQ(HoveredButton(), MusicOffButton);
    EXPECT_EQ(PointerY, music.y);
    const WindowPixel topBar = {exit.x, 127};
    MotionHandler(topBar.x, topBar.y);
    PickPendingHover();
    EXPECT_EQ(HoveredButton(), -1);
    MouseHandler(GLUT_LEFT_BUTTON, GLUT_DOWN, topBar.x, topBar.y);
    for (const MenuButton& button : MenuButtons) EXPECT_EQ(button.clicked, 0);
    CanvasActive = 0;
}

TEST_F(Menu, RowsOutsideTheTableAreNotStored) {
    MenuButton before[MenuButtonCount];
    std::memcpy(before, MenuButtons, sizeof before);
    SetButton(-1, 1, 0, 0, -46, 50, 50, 1);
    SetButton(MenuButtonCount, 1, 0, 0, -46, 50, 50, 1);
    EXPECT_EQ(std::memcmp(before, MenuButtons, sizeof before), 0);
}

}  // namespace
