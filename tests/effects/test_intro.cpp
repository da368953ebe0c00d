// The intro timeline and the intro branch of the frame driver, through the
// recording primitives: which pictures a clock value draws, and how the
// choreography survives long frames.
#include <gtest/gtest.h>

#include "app/frame.h"
#include "app/intro.h"
#include "audio/audio.h"
#include "effects/intro_noise.h"
#include "tests/effects/draw_recorder.h"

namespace {

constexpr int32_t DateSlot = 69;
constexpr float TitleHalfWidth = 51.2f;

class IntroTest : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }

    // The intro's values as the program starts with them.
    static void Reset() {
        Timeline = TimelineStart;
        Frame = FrameStart;
        Frame.FrameStep = 1.0f;
        Frame.SceneState = Intro;
        Audio.IntroClock = 0;
        FakeStreamPosition = 0;
        NoisePhase = 0.0f;
        ClearDrawn();
    }

    static void DrawAt(uint32_t clock) {
        Audio.IntroClock = clock;
        DrawIntroTimeline();
    }

    static std::vector<RecordedQuad> QuadsOfSlot(int32_t slot) {
        std::vector<RecordedQuad> result;
        for (const RecordedQuad& quad : Drawn.quads)
            if (quad.slot == slot) result.push_back(quad);
        return result;
    }
};

// Every interval is open at both ends, so each boundary and its neighbours
// are listed: date copies, large picture draws, flash overlays and the three
// title pictures (slots 71..73). The large picture fades to black after 9200.
TEST_F(IntroTest, EachBoundaryOfTheChoreography) {
    const struct {
        uint32_t clock;
        size_t dates, zooms, overlays, first, second, third;
    } rows[] = {
        {750, 0, 0, 0, 0, 0, 0},     {751, 1, 0, 0, 0, 0, 0},     {2900, 1, 0, 0, 0, 0, 0},
        {2901, 2, 0, 0, 0, 0, 0},    {2910, 2, 0, 0, 0, 0, 0},    {2915, 2, 1, 0, 0, 0, 0},
        {2920, 2, 0, 0, 0, 0, 0},    {2925, 2, 1, 0, 0, 0, 0},    {2940, 2, 0, 0, 0, 0, 0},
        {2949, 2, 1, 0, 0, 0, 0},    {2950, 1, 0, 0, 0, 0, 0},    {2951, 1, 1, 0, 0, 0, 0},
        {3150, 1, 1, 0, 0, 0, 0},    {3151, 3, 1, 0, 0, 0, 0},    {4300, 3, 1, 0, 0, 0, 0},
        {4301, 3, 2, 1, 2, 0, 0},    {4349, 3, 2, 1, 2, 0, 0},    {4350, 3, 1, 0, 2, 0, 0},
        {5849, 3, 1, 0, 2, 0, 0},    {5850, 3, 1, 0, 1, 1, 0},    {5851, 3, 2, 0, 1, 1, 0},
        {5900, 3, 1, 0, 1, 1, 0},    {6649, 3, 1, 0, 1, 1, 0},    {6650, 3, 1, 0, 0, 1, 1},
        {8199, 3, 1, 0, 0, 1, 1},    {8200, 3, 1, 0, 0, 0, 1},    {9200, 3, 1, 0, 0, 0, 1},
        {9201, 3, 1, 0, 0, 0, 1},
    };
    for (const auto& row : rows) {
        Reset();
        DrawAt(row.clock);
        EXPECT_EQ(QuadsOfSlot(DateSlot).size(), row.dates) << row.clock;
        const auto zooms = QuadsOf(QuadKind::ScreenZoom);
        EXPECT_EQ(zooms.size(), row.zooms) << row.clock;
        const bool fading = !zooms.empty() && zooms[0].alpha < 1.0f;
        EXPECT_EQ(fading, row.clock > 9200) << row.clock;
        EXPECT_EQ(QuadsOf(QuadKind::ScreenBound).size(), row.overlays) << row.clock;
        EXPECT_EQ(QuadsOfSlot(71).size(), row.first) << row.clock;
        EXPECT_EQ(QuadsOfSlot(72).size(), row.second) << row.clock;
        EXPECT_EQ(QuadsOfSlot(73).size(), row.third) << row.clock;
        if (!Drawn.quads.empty()) {
            EXPECT_FALSE(Drawn.blend) << row.clock;
            EXPECT_TRUE(Drawn.depthTest) << row.clock;
        }
    }
}

// A very slow frame steps far past each target: the picture never opens past
// its edges, no title is drawn mirrored or shrunk below its width.
TEST_F(IntroTest, LongFramesStopAtTheirTargets) {
    Frame.FrameStep = 100.0f;
    DrawAt(3000);
    const RecordedQuad picture = QuadsOf(QuadKind::ScreenZoom)[0];
    EXPECT_EQ(picture.u, 0.0f);
    EXPECT_EQ(picture.v, 0.0f);

    const struct {
        uint32_t clock;
        float step;
        int32_t slot;
    } rows[] = {{5000, 25.0f, 71}, {6000, 100.0f, 72}, {7000, 100.0f, 73}};
    for (const auto& row : rows) {
        Reset();
        Frame.FrameStep = row.step;
        DrawAt(row.clock);
        ASSERT_FALSE(QuadsOfSlot(row.slot).empty()) << row.clock;
        EXPECT_FLOAT_EQ(QuadsOfSlot(row.slot)[0].halfWidth, TitleHalfWidth) << row.clock;
    }
}

// ---- the intro branch of the frame driver

// The start flag lives for the whole process, so the count holds whichever
// case ran the first intro frame. The clock is read at the end of a frame:
// the timeline and the switch to the magazine see the frame before's value.
TEST_F(IntroTest, FrameDriverStartsTheStreamOnceAndSeesTheClockOfTheFrameBefore) {
    for (int frame = 0; frame < 50; ++frame) IntroFrame();  // stalled: only the noise
    EXPECT_EQ(IntroStreamStarts, 1);
    EXPECT_EQ(Drawn.spectrumReads, 50);
    EXPECT_EQ(QuadsOf(QuadKind::OverlayRotated).size(), 50u);
    EXPECT_EQ(Drawn.quads.size(), 50u);

    FakeStreamPosition = 751000;
    IntroFrame();
    EXPECT_TRUE(QuadsOfSlot(DateSlot).empty());
    IntroFrame();
    EXPECT_EQ(QuadsOfSlot(DateSlot).size(), 1u);

    Audio.IntroClock = 10700;
    FakeStreamPosition = 10701000;
    IntroFrame();
    EXPECT_EQ(Frame.SceneState, Intro);
    IntroFrame();
    EXPECT_EQ(Frame.SceneState, Magazine);
}

TEST_F(IntroTest, NoiseFadesFrom8000OnAndStaysOut) {
    for (int bin = 0; bin < 10; ++bin) Spectrum[bin] = 1.0f;
    Audio.IntroClock = 7999;
    FakeStreamPosition = 8000000;
    IntroFrame();  // still sees 7999
    EXPECT_EQ(Frame.IntroEndFade, 1.0f);
    IntroFrame();
    EXPECT_FLOAT_EQ(QuadsOf(QuadKind::OverlayRotated).back().alpha, 0.5f * 0.995f);

    Frame.FrameStep = 1000.0f;
    IntroFrame();
    IntroFrame();
    EXPECT_LE(Frame.IntroEndFade, 0.0f);
    EXPECT_GE(Frame.IntroEndFade, -5.0f);  // stopped after the step that crossed 0
    EXPECT_LE(QuadsOf(QuadKind::OverlayRotated).back().alpha, 0.0f);
}

}  // namespace
