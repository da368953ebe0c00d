// The intro, the noise flicker, the logo carousel, the swarm, the button bar
// and its panels, checked by what a frame drew. The recording stand-ins below
// replace render/primitives.cpp, render/crossfade.cpp and audio/audio.cpp:
// the linker takes them first and never pulls those files out of the library.
// Code that needs a function only those define fails to link (duplicate
// symbols) until the stand-in grows it.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "app/frame.h"
#include "app/intro.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "content/content.h"
#include "effects/intro_noise.h"
#include "effects/logo_carousel.h"
#include "effects/swarm.h"
#include "menu/button_slots.h"
#include "menu/menu.h"
#include "menu/panels.h"
#include "render/primitives.h"

namespace {

enum class QuadKind { Textured, Tinted, Blank, OverlayRotated, ScreenZoom, ScreenBound };

struct RecordedQuad {
    QuadKind kind;
    int32_t slot;  // -1 for the blank and the bound-texture quad
    float halfWidth, x, y;
    float alpha;         // of the tint, or of the current colour for full-window quads
    float u, v;          // insets of the zoomed full-window picture
    GLenum destination;  // of the blend function it was drawn with
    GLuint name;         // the selection name loaded last
};

// The program's standing GL state, then what was drawn over it.
struct DrawRecord {
    std::vector<RecordedQuad> quads;
    std::vector<size_t> batches;  // vertices of each glBegin .. glEnd
    float alpha = 1.0f;  // of the current colour
    bool blend = true, depthTest = false;
    GLenum destination = GL_ONE;
    GLuint name = 0;
    int spectrumReads = 0;
};

DrawRecord Drawn;
uint32_t FakeStreamPosition = 0;  // in bytes, as the intro clock reads it
int IntroStreamStarts = 0;        // over the whole process
constexpr int32_t AnySlot = -2;

std::vector<RecordedQuad> QuadsOf(QuadKind kind, int32_t slot = AnySlot) {
    std::vector<RecordedQuad> result;
    for (const RecordedQuad& quad : Drawn.quads)
        if (quad.kind == kind && (slot == AnySlot || quad.slot == slot)) result.push_back(quad);
    return result;
}

// A blended primitive leaves blending off and the depth test on.
void Record(QuadKind kind, int32_t slot, int32_t blend, float halfWidth, float x, float y, float alpha,
            float u = 0.0f, float v = 0.0f) {
    Drawn.quads.push_back({kind, slot, halfWidth, x, y, alpha, u, v, Drawn.destination, Drawn.name});
    if (!blend) return;
    Drawn.blend = false;
    Drawn.depthTest = true;
}

void SetCapability(GLenum capability, bool on) {
    if (capability == GL_BLEND) Drawn.blend = on;
    if (capability == GL_DEPTH_TEST) Drawn.depthTest = on;
}

}  // namespace

// ---- render/primitives.h
float BackgroundFade = 1.0f;

void DrawTexturedQuad(int32_t slot, int32_t blend, float halfWidth, float, float x, float y, float, float alpha) {
    Record(QuadKind::Textured, slot, blend, halfWidth, x, y, alpha);
}

void DrawTintedQuad(int32_t slot, int32_t blend, float halfWidth, float, float x, float y, float, float, float,
                    float, float alpha) {
    Record(QuadKind::Tinted, slot, blend, halfWidth, x, y, alpha);
}

void DrawBlankQuad(int32_t blend, float halfWidth, float, float x, float y, float, float alpha) {
    Record(QuadKind::Blank, -1, blend, halfWidth, x, y, alpha);
}

void DrawOverlayImageRotated(int32_t slot, int32_t blend, float halfWidth, float, float x, float y, float alpha,
                             float) {
    Record(QuadKind::OverlayRotated, slot, blend, halfWidth, x, y, alpha);
}

void DrawScreenZoom(int32_t slot, float u, float v) {
    Record(QuadKind::ScreenZoom, slot, 0, WindowWidth / 2.0f, 0.0f, 0.0f, Drawn.alpha, u, v);
}

void DrawScreenBoundTexture() { Record(QuadKind::ScreenBound, -1, 0, WindowWidth / 2.0f, 0.0f, 0.0f, Drawn.alpha); }

// ---- audio/audio.h, the intro stream only (the state comes from audio_state.cpp)
void StartIntroStream() { ++IntroStreamStarts; }
void IntroAudioFrame() { ++Drawn.spectrumReads; }
void ReadIntroClock() { Audio.IntroClock = FakeStreamPosition / 1000; }

// ---- OpenGL, as far as these use it: vertices are counted, matrices and
// texture coordinates not followed.
extern "C" {

void glEnable(GLenum capability) { SetCapability(capability, true); }
void glDisable(GLenum capability) { SetCapability(capability, false); }
void glBlendFunc(GLenum, GLenum destination) { Drawn.destination = destination; }
void glLoadName(GLuint name) { Drawn.name = name; }
void glBindTexture(GLenum, GLuint) {}
void glColor4f(GLfloat, GLfloat, GLfloat, GLfloat alpha) { Drawn.alpha = alpha; }
void glColor3f(GLfloat, GLfloat, GLfloat) { Drawn.alpha = 1.0f; }
void glPushMatrix() {}
void glPopMatrix() {}
void glMatrixMode(GLenum) {}
void glLineWidth(GLfloat) {}
void glTexCoord2f(GLfloat, GLfloat) {}
void glLoadIdentity() {}
void glRotatef(GLfloat, GLfloat, GLfloat, GLfloat) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}

void glBegin(GLenum) { Drawn.batches.push_back(0); }
void glVertex3f(GLfloat, GLfloat, GLfloat) {
    if (!Drawn.batches.empty()) ++Drawn.batches.back();
}
void glEnd() {}

}  // extern "C"


namespace {

// Every module drawn here back at its start, the frame at one step.
class Drawing : public ::testing::Test {
protected:
    void SetUp() override {
        Timeline = TimelineStart;
        Frame = FrameStart;
        Frame.FrameStep = Frame.AverageFrameStep = 1.0f;
        Frame.SceneState = Intro;
        Audio.IntroClock = 0;
        FakeStreamPosition = 0;
        WindowWidth = 1024;
        WindowHeight = 768;
        NoisePhase = 0.0f;
        std::fill(std::begin(Spectrum), std::end(Spectrum), 0.0f);
        Carousel = CarouselStart;
        Swarm = SwarmStart;
        Content = ContentStart;
        BackgroundFade = 1.0f;
        Panels = PanelStart;
        SongSelection = FirstSongSlot;
        MusicMode = MusicOn;
        SetMenuButtons();
        Drawn = DrawRecord{};
    }
};
class IntroTest : public Drawing {};
class EffectsTest : public Drawing {};
class BarTest : public Drawing {};

constexpr int32_t DateSlot = 69, FirstTitleSlot = 71;

size_t Count(int32_t slot) { return QuadsOf(QuadKind::Textured, slot).size(); }

// Every interval is open at both ends, so each boundary and its neighbours
// are listed. The large picture fades to black after 9200.
TEST_F(IntroTest, EachBoundaryOfTheChoreography) {
    const struct {
        uint32_t clock;
        size_t dates, zooms, overlays, titles[3];
    } rows[] = {
        {750, 0, 0, 0, {}},         {751, 1, 0, 0, {}},         {2900, 1, 0, 0, {}},        {2901, 2, 0, 0, {}},
        {2910, 2, 0, 0, {}},        {2915, 2, 1, 0, {}},        {2920, 2, 0, 0, {}},        {2925, 2, 1, 0, {}},
        {2940, 2, 0, 0, {}},        {2949, 2, 1, 0, {}},        {2950, 1, 0, 0, {}},        {2951, 1, 1, 0, {}},
        {3150, 1, 1, 0, {}},        {3151, 3, 1, 0, {}},        {4300, 3, 1, 0, {}},        {4301, 3, 2, 1, {2, 0, 0}},
        {4349, 3, 2, 1, {2, 0, 0}}, {4350, 3, 1, 0, {2, 0, 0}}, {5849, 3, 1, 0, {2, 0, 0}}, {5850, 3, 1, 0, {1, 1, 0}},
        {5851, 3, 2, 0, {1, 1, 0}}, {5900, 3, 1, 0, {1, 1, 0}}, {6649, 3, 1, 0, {1, 1, 0}}, {6650, 3, 1, 0, {0, 1, 1}},
        {8199, 3, 1, 0, {0, 1, 1}}, {8200, 3, 1, 0, {0, 0, 1}}, {9200, 3, 1, 0, {0, 0, 1}}, {9201, 3, 1, 0, {0, 0, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.clock);
        SetUp();
        Audio.IntroClock = row.clock;
        DrawIntroTimeline();
        EXPECT_EQ(Count(DateSlot), row.dates);
        const auto zooms = QuadsOf(QuadKind::ScreenZoom);
        EXPECT_EQ(zooms.size(), row.zooms);
        EXPECT_EQ(!zooms.empty() && zooms[0].alpha < 1.0f, row.clock > 9200);
        EXPECT_EQ(QuadsOf(QuadKind::ScreenBound).size(), row.overlays);
        for (int title = 0; title < 3; ++title) EXPECT_EQ(Count(FirstTitleSlot + title), row.titles[title]) << title;
        EXPECT_TRUE(Drawn.quads.empty() || (!Drawn.blend && Drawn.depthTest));
    }
}

// A very slow frame steps far past each target: the picture never opens past
// its edges, no title is drawn mirrored or shrunk below its width.
TEST_F(IntroTest, LongFramesStopAtTheirTargets) {
    Frame.FrameStep = 100.0f;
    Audio.IntroClock = 3000;
    DrawIntroTimeline();
    EXPECT_EQ(QuadsOf(QuadKind::ScreenZoom)[0].u, 0.0f);
    EXPECT_EQ(QuadsOf(QuadKind::ScreenZoom)[0].v, 0.0f);
    for (const auto& [clock, step, title] : {std::tuple{5000u, 25.0f, 0}, {6000u, 100.0f, 1}, {7000u, 100.0f, 2}}) {
        SetUp();
        Frame.FrameStep = step;
        Audio.IntroClock = clock;
        DrawIntroTimeline();
        const auto quads = QuadsOf(QuadKind::Textured, FirstTitleSlot + title);
        ASSERT_FALSE(quads.empty()) << clock;
        EXPECT_FLOAT_EQ(quads[0].halfWidth, 51.2f) << clock;
    }
}

// The stream starts once per process. The clock is read at the end of a frame:
// the timeline and the switch to the magazine see the frame before's value.
TEST_F(IntroTest, FrameDriverStartsTheStreamOnceAndSeesTheClockOfTheFrameBefore) {
    for (int frame = 0; frame < 50; ++frame) IntroFrame();  // stalled: only the noise
    EXPECT_EQ(IntroStreamStarts, 1);
    EXPECT_EQ(Drawn.spectrumReads, 50);
    EXPECT_EQ(QuadsOf(QuadKind::OverlayRotated).size(), 50u);
    EXPECT_EQ(Drawn.quads.size(), 50u);

    FakeStreamPosition = 751000;
    IntroFrame();
    EXPECT_EQ(Count(DateSlot), 0u);
    IntroFrame();
    EXPECT_EQ(Count(DateSlot), 1u);

    Audio.IntroClock = 10700;
    FakeStreamPosition = 10701000;
    IntroFrame();
    EXPECT_EQ(Frame.SceneState, Intro);
    IntroFrame();
    EXPECT_EQ(Frame.SceneState, Magazine);
    EXPECT_FLOAT_EQ(Frame.IntroEndFade, 0.99f);  // the flicker fades from 8000 on
}

// Six pictures over the whole window; past the last the cycle restarts at
// the first, not at the remainder. A mean of 1 in the ten lowest bins gives
// half opacity, whatever the bins above them hold.
TEST_F(EffectsTest, NoiseCyclesItsPicturesOverTheWindowWithTheBass) {
    const struct {
        float phase, step;
        int32_t slot;  // 0: no picture
        float next;
    } rows[] = {{0.0f, 1.0f, 74, 0.35f}, {0.99f, 1.0f, 74, 1.34f}, {5.99f, 1.0f, 79, 0.0f},
                {6.0f, 1.0f, 0, 0.0f},   {5.9f, 10.0f, 79, 0.0f},   {5.8f, 0.2f / 0.35f, 79, 6.0f}};
    std::fill(std::begin(Spectrum), std::begin(Spectrum) + 10, 1.0f);
    std::fill(std::begin(Spectrum) + 10, std::end(Spectrum), 100.0f);
    for (const auto& row : rows) {
        NoisePhase = row.phase;
        Frame.FrameStep = row.step;
        Drawn = DrawRecord{};
        DrawIntroNoise(1.0f);
        const RecordedQuad quad = Drawn.quads.size() == 1 ? Drawn.quads[0] : RecordedQuad{};
        EXPECT_FLOAT_EQ(NoisePhase, row.next) << row.phase;
        EXPECT_EQ(quad.slot, row.slot) << row.phase;
        EXPECT_TRUE(!row.slot || (quad.kind == QuadKind::OverlayRotated && quad.halfWidth == 512 && quad.y == 384));
        EXPECT_TRUE(!row.slot || quad.alpha == 0.5f) << quad.alpha;
    }
}

// A logo a long frame took below zero and a short one handed over restarts at
// zero, or on its next turn it would be skipped; a huge step never stalls.
TEST_F(EffectsTest, FramesOfAnyLengthGiveEachLogoItsWholeTurn) {
    Carousel.LogoPhase = 1;
    Carousel.LogoLevel[1] = -0.008f;  // one step of 1.6 past zero
    Carousel.LogoDirection[1] = -1;
    Frame.FrameStep = 0.3f;
    DrawLogoCarousel();
    ASSERT_EQ(Carousel.LogoPhase, 2);
    EXPECT_GE(Carousel.LogoLevel[1], 0.0f);
    Carousel.LogoPhase = 1;  // its next turn
    DrawLogoCarousel();
    EXPECT_EQ(Carousel.LogoPhase, 1) << "skipped";
    Carousel = CarouselStart;
    Frame.FrameStep = 150.0f;
    for (int frame = 0; frame < 12; ++frame) DrawLogoCarousel();
    EXPECT_NE(Carousel.LogoPhase, 3);
}

// The only particle, at (x, y) at rest, newly born.
Particle& PlaceParticle(float x, float y) {
    Swarm.ParticleCount = 0;
    SpawnParticle(0);
    Particle& p = ParticlePool[0];
    p.x = x;
    p.y = y;
    p.vx = p.vy = 0.0;
    return p;
}

TEST_F(EffectsTest, SwarmCountStaysBetweenZeroAndCapacity) {
    RetireParticle();
    SpawnParticle(-1);
    SpawnParticle(ParticleCapacity);  // no such record: nothing changes
    EXPECT_EQ(Swarm.ParticleCount, 0);
    for (int frame = 1; frame <= 900; ++frame) {
        DrawParticleSwarm(true);
        ASSERT_EQ(Swarm.ParticleCount, std::min(frame, int(ParticleCapacity))) << frame;
    }
    SpawnParticle(0);
    EXPECT_EQ(Swarm.ParticleCount, ParticleCapacity);
}

// On the attractor a particle stays put, drawn every frame, without a division
// by zero; 200 float steps of 0.005 leave life a hair above 0 at frame 200.
TEST_F(EffectsTest, ParticleOnTheAttractorStaysAndIsRebornInPlaceAfter200Frames) {
    Particle& p = PlaceParticle(0.0f, 0.0f);
    int rebornAt = 0;
    for (int frame = 1; frame <= 210 && !rebornAt; ++frame) {
        Drawn = DrawRecord{};
        DrawParticleSwarm(false);
        ASSERT_EQ(Drawn.batches, (std::vector<size_t>{6, 6})) << frame;
        if (p.life == 1.0f)
            rebornAt = frame;
        else
            ASSERT_TRUE(p.x == 0.0f && p.y == 0.0f) << frame;  // not NaN either
    }
    EXPECT_EQ(rebornAt, 201);
    EXPECT_EQ(Swarm.ParticleCount, 1);
}

TEST_F(EffectsTest, ForceIsCappedBothWaysAndScaledByFrameStep) {
    const struct {
        float x, y, strength, backgroundFade, step, force;
        double ax, ay;
    } rows[] = {
        {1.0f, 0.0f, AttractorPull, 1.0f, 1.0f, 300.0f, -300.0, 0.0},    // near: the cap
        {0.0f, -2.0f, AttractorPush, 0.0f, 1.0f, -600.0f, 0.0, -600.0},  // pushed: its cap
        {0.0f, 50.0f, AttractorPull, 1.0f, 2.0f, 2.0f, 0.0, -2.0},       // far: inverse square
    };
    for (const auto& row : rows) {
        Swarm.AttractorStrength = row.strength;
        BackgroundFade = row.backgroundFade;
        Frame.FrameStep = row.step;
        Particle& p = PlaceParticle(row.x, row.y);
        DrawParticleSwarm(false);
        EXPECT_FLOAT_EQ(p.force, row.force) << row.y;
        EXPECT_DOUBLE_EQ(p.ax, row.ax) << row.y;
        EXPECT_DOUBLE_EQ(p.ay, row.ay) << row.y;
    }
}

// A section pick sets the push and restarts the cross-fade, which then rises
// by 0.01 before the swarm runs in each frame.
TEST_F(EffectsTest, PushLastsExactlyAsLongAsTheCrossFade) {
    Swarm.AttractorStrength = AttractorPush;
    DrawParticleSwarm(false);
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPull);  // no cross-fade: one frame
    Swarm.AttractorStrength = AttractorPush;
    BackgroundFade = 0.0f;
    DrawParticleSwarm(false);  // the frame of the pick
    int pushFrames = 0;
    for (int frame = 0; frame < 200; ++frame) {
        if (BackgroundFade < 1.0f) BackgroundFade += 0.01f;
        if (Swarm.AttractorStrength < 0.0f) ++pushFrames;
        DrawParticleSwarm(false);
    }
    EXPECT_EQ(pushFrames, 101);
    EXPECT_EQ(Swarm.AttractorStrength, AttractorPull);
}

struct Expected {
    QuadKind kind;
    float alpha, x;
    GLenum destination = GL_ONE;
    int32_t slot = AnySlot;
};

constexpr QuadKind Textured = QuadKind::Textured, Tinted = QuadKind::Tinted, Blank = QuadKind::Blank;

// The slides are mid-way, so a bar that travels with its panel shows it.
TEST_F(BarTest, EachKindOfButtonDrawsItsOwnLook) {
    const struct Row {
        const char* what;
        int32_t shown, chosen, pick;
        bool hovered, clicked;
        std::vector<Expected> quads;
    } rows[] = {
        {"shown section dimmed", Introduction, WelcomeTopic, 0, false, false, {{Textured, 0.5f, -30.0f}}},
        {"playing song dimmed", Introduction, WelcomeTopic, 8, false, false, {{Textured, 0.5f, -39.6f}}},
        {"chosen intro topic", Introduction, WelcomeTopic, 78, false, false, {{Tinted, 0.4f, 50.0f}}},
        {"bare hit area", Introduction, WelcomeTopic, 79, false, false, {{Tinted, 0.0f, 40.0f}}},
        {"hidden section's topic", Introduction, WelcomeTopic, 15, false, false, {}},
        {"chosen chart", AmigaCharts, 20, 20, false, false, {{Tinted, 0.4f, -32.0f}}},
        {"Introduction again", Introduction, NoTopic, 0, false, false,
         {{Tinted, 0.035f, -20.0f}, {Textured, 0.5f, -30.0f}}},
        {"no chart chosen", AmigaCharts, NoTopic, 0, false, false, {{Textured, 1.0f, -30.0f}}},
        {"hovered section", Introduction, WelcomeTopic, 3, true, false,
         {{Textured, 1.0f, -2.5f}, {Blank, 1.0f, -2.5f}, {Textured, 1.0f, -2.5f, GL_ONE_MINUS_SRC_COLOR}}},
        {"hovered, clicked section", Introduction, WelcomeTopic, 6, true, true,
         {{Textured, 1.0f, 23.5f}, {Blank, 1.0f, 23.5f}, {Textured, 0.1f, 23.5f, GL_ONE_MINUS_SRC_COLOR}}},
        {"hovered topic", AmigaCharts, NoTopic, 20, true, false, {{Tinted, 0.0f, -32.0f}, {Tinted, 0.45f, -42.0f}}},
        {"hovered arrow", AmigaCharts, NoTopic, 88, true, false,
         {{Textured, 1.0f, 19.0f, GL_ONE, ArrowRightHighSlot}, {Textured, 0.45f, 19.0f, GL_ONE, ArrowRightHighSlot}}},
        {"hovered arrow, Messages", Messages, NoTopic, 88, true, false,
         {{Textured, 1.0f, 19.0f}, {Textured, 1.0f, 19.0f}}},
        {"arrow", Messages, NoTopic, 87, false, false, {{Textured, 1.0f, -19.0f, GL_ONE, ArrowLeftSlot}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Panels.PanelSlide[Introduction] = Panels.PanelSlide[AmigaCharts] = -10.0f;
        Content.ActiveSection = row.shown;
        SelectTopic(row.chosen);
        MenuButtons[row.pick].hovered = row.hovered;
        MenuButtons[row.pick].clicked = row.clicked;
        Drawn.destination = GL_ZERO;  // DrawMenu sets the standing blend function itself
        DrawMenu();
        std::vector<RecordedQuad> quads;
        for (const RecordedQuad& quad : Drawn.quads)
            if (quad.name == GLuint(row.pick)) quads.push_back(quad);
        ASSERT_EQ(quads.size(), row.quads.size());
        for (size_t k = 0; k < quads.size(); ++k) {
            const Expected& expected = row.quads[k];
            EXPECT_EQ(quads[k].kind, expected.kind) << k;
            EXPECT_FLOAT_EQ(quads[k].alpha, expected.alpha) << k;
            EXPECT_FLOAT_EQ(quads[k].x, expected.x) << k;
            EXPECT_EQ(quads[k].destination, expected.destination) << k;
            EXPECT_TRUE(expected.slot == AnySlot || quads[k].slot == expected.slot) << k;
        }
        EXPECT_EQ(Drawn.destination, GLenum(GL_ONE));
        EXPECT_EQ(MenuButtons[row.pick].clicked, 0);
    }
}

// A chart panel slides in within 104 frames, the Introduction's within 131, a
// fade takes 75; back mid-fade a panel rests at once, faded out it slides anew.
TEST_F(BarTest, PanelsTakeTheirFramesAndRestOrSlideAnewWhenShownAgain) {
    for (const auto& [section, frames] : {std::pair{Introduction, 131}, {AmigaCharts, 104}, {FunCharts, 104}}) {
        Content.ActiveSection = section;
        int frame = 0;
        for (; Panels.PanelSlide[section] < 0.0f && frame < 1000; ++frame) DrawSectionPanels();
        EXPECT_EQ(frame, frames) << section;
    }
    DrawSectionPanels();  // at rest
    EXPECT_EQ(Panels.PanelAlpha[FunCharts], 0.75f);
    Content.ActiveSection = Messages;
    for (int frame = 1; frame <= 75; ++frame) DrawSectionPanels();
    EXPECT_NEAR(Panels.PanelAlpha[FunCharts], 0.0f, 1e-5f);  // float steps leave a trace above 0

    Content.ActiveSection = C64Charts;
    for (int frame = 0; frame < 110; ++frame) DrawSectionPanels();
    Content.ActiveSection = PcCharts;
    for (int frame = 0; frame < 10; ++frame) DrawSectionPanels();
    Content.ActiveSection = C64Charts;
    DrawSectionPanels();
    EXPECT_EQ(Panels.PanelAlpha[C64Charts], 0.75f);
    EXPECT_GE(Panels.PanelSlide[C64Charts], 0.0f);
    Content.ActiveSection = Introduction;
    for (int frame = 0; frame < 80; ++frame) DrawSectionPanels();
    EXPECT_EQ(Panels.PanelSlide[C64Charts], PanelStart.PanelSlide[C64Charts]);
    EXPECT_EQ(Panels.PanelSlide[PcCharts], PanelStart.PanelSlide[PcCharts]);
}

}  // namespace
