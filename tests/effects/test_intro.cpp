// The intro timeline and the intro branch of the frame driver, through the
// recording primitives: which pictures a clock value draws, where and how.
#include <gtest/gtest.h>

#include <cmath>

#include "app/frame.h"
#include "app/intro.h"
#include "audio/audio.h"
#include "effects/intro_noise.h"
#include "tests/effects/draw_recorder.h"

namespace {

constexpr int32_t DateSlot = 69;
constexpr int32_t LargeSlot = 70;

class IntroTest : public ::testing::Test {
protected:
    void SetUp() override {
        DateAlpha = 0.0f;
        PictureInsetU = 0.3f;
        PictureInsetV = 0.5f;
        PictureFade = 1.0f;
        FlashPhase = 0.0f;
        DateStretchWidth = 12.8f;
        DateStretchHeight = 3.2f;
        ShakePhase = 0.0f;
        ShakeAmplitude = 10.0f;
        TitleCrossFade = 1.0f;
        GhostDepth = 0.0f;
        SecondWidthFactor = 4.0f;
        ThirdWidthFactor = 5.0f;
        FrameStep = 1.0f;
        IntroEndFade = 1.0f;
        NoisePhase = 0.0f;
        SceneState = Intro;
        for (float& bin : Spectrum) bin = 0.0f;
        ClearDrawn();
    }

    void DrawAt(uint32_t clock) {
        IntroClock = clock;
        DrawIntroTimeline();
    }

    static std::vector<RecordedQuad> QuadsOfSlot(int32_t slot) {
        std::vector<RecordedQuad> result;
        for (const RecordedQuad& quad : Drawn.quads)
            if (quad.slot == slot) result.push_back(quad);
        return result;
    }
};

TEST_F(IntroTest, DateFadesInStrictlyBetween750And2950) {
    DrawAt(750);
    EXPECT_TRUE(Drawn.quads.empty());
    DrawAt(751);
    ASSERT_EQ(Drawn.quads.size(), 1u);
    const RecordedQuad date = Drawn.quads[0];
    EXPECT_EQ(date.slot, DateSlot);
    EXPECT_EQ(date.blend, 1);
    EXPECT_FLOAT_EQ(date.halfWidth, 12.8f);
    EXPECT_FLOAT_EQ(date.halfHeight, 3.2f);
    EXPECT_FLOAT_EQ(date.z, -46.0f);
    EXPECT_FLOAT_EQ(date.alpha, 0.0015f);

    // Up to 2900 only the fade-in draws; from 2901 the date line is drawn again last.
    ClearDrawn();
    DrawAt(2900);
    EXPECT_EQ(Drawn.quads.size(), 1u);
    ClearDrawn();
    DrawAt(2901);
    EXPECT_EQ(QuadsOfSlot(DateSlot).size(), 2u);
}

TEST_F(IntroTest, StrobeStepsAndTheirExactEdges) {
    struct Expected {
        uint32_t clock;
        float grey, u, v;
    };
    const Expected steps[] = {
        {2915, 0.1f, 0.0f, 0.0f}, {2925, 0.7f, 0.5f, 0.0f},
        {2935, 0.3f, 0.0f, 0.3f}, {2945, 1.0f, 0.4f, 0.7f},
    };
    for (const Expected& step : steps) {
        ClearDrawn();
        DrawAt(step.clock);
        const auto zooms = QuadsOf(QuadKind::ScreenZoom);
        ASSERT_EQ(zooms.size(), 1u) << step.clock;
        EXPECT_EQ(zooms[0].slot, LargeSlot);
        EXPECT_FLOAT_EQ(zooms[0].red, step.grey);
        EXPECT_FLOAT_EQ(zooms[0].alpha, 1.0f);
        EXPECT_FLOAT_EQ(zooms[0].u, step.u);
        EXPECT_FLOAT_EQ(zooms[0].v, step.v);
    }
    // The edges belong to no step, and 2950 shows no large picture yet.
    for (uint32_t edge : {2910u, 2920u, 2930u, 2940u, 2950u}) {
        ClearDrawn();
        DrawAt(edge);
        EXPECT_TRUE(QuadsOf(QuadKind::ScreenZoom).empty()) << edge;
    }
    EXPECT_FLOAT_EQ(PictureInsetU, 0.3f);
}

TEST_F(IntroTest, LargePictureOpensFromALineAndClampsAtZero) {
    DrawAt(2951);
    auto zooms = QuadsOf(QuadKind::ScreenZoom);
    ASSERT_EQ(zooms.size(), 1u);
    EXPECT_NEAR(zooms[0].u, 0.29f, 1e-6);
    EXPECT_NEAR(zooms[0].v, 0.49f, 1e-6);
    EXPECT_FLOAT_EQ(zooms[0].red, 1.0f);

    // A very slow frame steps far past 0: both insets stop at 0.
    FrameStep = 100.0f;
    ClearDrawn();
    DrawAt(3000);
    EXPECT_EQ(PictureInsetU, 0.0f);
    EXPECT_EQ(PictureInsetV, 0.0f);
    zooms = QuadsOf(QuadKind::ScreenZoom);
    ASSERT_EQ(zooms.size(), 1u);
    EXPECT_EQ(zooms[0].u, 0.0f);
    EXPECT_EQ(zooms[0].v, 0.0f);
}

TEST_F(IntroTest, FirstFlashDrawsZoomAndOverlayBetween4300And4350) {
    PictureInsetU = PictureInsetV = 0.0f;
    DrawAt(4300);
    EXPECT_EQ(QuadsOf(QuadKind::ScreenZoom).size(), 1u);
    EXPECT_TRUE(QuadsOf(QuadKind::ScreenBound).empty());
    EXPECT_EQ(FlashPhase, 0.0f);

    ClearDrawn();
    DrawAt(4301);
    const auto zooms = QuadsOf(QuadKind::ScreenZoom);
    ASSERT_EQ(zooms.size(), 2u);
    EXPECT_FLOAT_EQ(FlashPhase, 0.001f);
    // The colour is set before the phase moves; the insets use the new phase.
    EXPECT_FLOAT_EQ(zooms[1].alpha, 1.0f);
    EXPECT_FLOAT_EQ(zooms[1].u, std::sin(0.001f * 100.0f));
    EXPECT_FLOAT_EQ(zooms[1].v, 0.001f + std::cos(0.001f * 25.0f));
    const auto overlays = QuadsOf(QuadKind::ScreenBound);
    ASSERT_EQ(overlays.size(), 1u);
    EXPECT_FLOAT_EQ(overlays[0].alpha, 3.0f - 0.01f);
    EXPECT_FALSE(Drawn.blend);
    EXPECT_TRUE(Drawn.depthTest);

    ClearDrawn();
    DrawAt(4350);
    EXPECT_TRUE(QuadsOf(QuadKind::ScreenBound).empty());
}

TEST_F(IntroTest, SecondFlashOnlyStrictlyInside5850To5900) {
    PictureInsetU = PictureInsetV = 0.0f;
    FlashPhase = 0.05f;
    DrawAt(5850);
    EXPECT_EQ(QuadsOf(QuadKind::ScreenZoom).size(), 1u);
    ClearDrawn();
    DrawAt(5851);
    const auto zooms = QuadsOf(QuadKind::ScreenZoom);
    ASSERT_EQ(zooms.size(), 2u);
    EXPECT_FLOAT_EQ(zooms[1].alpha, 0.5f - 0.05f);
    EXPECT_FLOAT_EQ(zooms[1].u, 0.06f);
    EXPECT_FLOAT_EQ(zooms[1].v, 0.06f);
}

TEST_F(IntroTest, LargePictureFadesToBlackAfter9200) {
    DrawAt(9200);
    EXPECT_FLOAT_EQ(PictureFade, 1.0f);
    ClearDrawn();
    DrawAt(9201);
    const auto zooms = QuadsOf(QuadKind::ScreenZoom);
    ASSERT_EQ(zooms.size(), 1u);
    EXPECT_FLOAT_EQ(zooms[0].red, 0.995f);
    EXPECT_FLOAT_EQ(zooms[0].alpha, 0.995f);
}

TEST_F(IntroTest, DateStretchesAwayAfter3150) {
    DateAlpha = 1.0f;
    DrawAt(3151);
    const auto dates = QuadsOfSlot(DateSlot);
    ASSERT_EQ(dates.size(), 3u);
    EXPECT_FLOAT_EQ(dates[0].halfWidth, 13.3f);
    EXPECT_FLOAT_EQ(dates[0].halfHeight, 3.19f);
    EXPECT_FLOAT_EQ(dates[0].alpha, 0.985f);
    EXPECT_FLOAT_EQ(dates[1].halfWidth, 12.8f);
    EXPECT_FLOAT_EQ(dates[1].alpha, 0.985f - 0.3f);
    EXPECT_FLOAT_EQ(dates[2].alpha, 0.985f);  // the date line, last
}

TEST_F(IntroTest, TitlePicturesByInterval) {
    DrawAt(4300);
    EXPECT_TRUE(QuadsOfSlot(71).empty());

    ClearDrawn();
    DrawAt(4301);  // the shake, then the ghost one unit nearer
    auto first = QuadsOfSlot(71);
    ASSERT_EQ(first.size(), 2u);
    const float s = std::sin(ShakePhase) * 9.0f;
    EXPECT_GE(ShakePhase, 10.0f);
    EXPECT_LE(ShakePhase, 19.0f);
    EXPECT_FLOAT_EQ(first[0].halfWidth, 51.2f + s);
    EXPECT_FLOAT_EQ(first[0].halfHeight, 12.8f + s);
    EXPECT_FLOAT_EQ(first[1].z, -45.0f);
    EXPECT_FLOAT_EQ(first[1].alpha, 0.975f);

    ClearDrawn();
    DrawAt(5850);  // first to second: the second enters four times as wide
    auto second = QuadsOfSlot(72);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_FLOAT_EQ(second[0].halfWidth, 3.85f * 51.2f);

    ClearDrawn();
    DrawAt(6650);
    EXPECT_EQ(QuadsOfSlot(73).size(), 1u);
    EXPECT_FLOAT_EQ(QuadsOfSlot(73)[0].halfWidth, 4.55f * 51.2f);

    ClearDrawn();
    ThirdWidthFactor = 1.0f;
    DrawAt(8200);  // the third turns into a thin tall strip
    const auto leaving = QuadsOfSlot(73);
    ASSERT_EQ(leaving.size(), 1u);
    EXPECT_FLOAT_EQ(leaving[0].halfWidth, 51.2f / 8.0f);
    EXPECT_FLOAT_EQ(leaving[0].halfHeight, 2.0f * 12.8f);
}

TEST_F(IntroTest, LongFrameClampsTheThirdWidthButNotTheCrossFade) {
    FrameStep = 100.0f;
    DrawAt(7000);
    EXPECT_EQ(ThirdWidthFactor, 1.0f);
    EXPECT_LT(TitleCrossFade, 0.0f);  // overshoots by up to one step
    const auto third = QuadsOfSlot(73);
    ASSERT_EQ(third.size(), 1u);
    EXPECT_FLOAT_EQ(third[0].halfWidth, 51.2f);
}

TEST_F(IntroTest, LongFrameNeverMirrorsTheSecondTitle) {
    FrameStep = 100.0f;
    DrawAt(6000);
    EXPECT_EQ(SecondWidthFactor, 1.0f);
    const auto second = QuadsOfSlot(72);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_FLOAT_EQ(second[0].halfWidth, 51.2f);
}

TEST_F(IntroTest, ShakeAmplitudeStopsAtZero) {
    FrameStep = 25.0f;
    DrawAt(5000);
    EXPECT_EQ(ShakeAmplitude, 0.0f);
}

// ---- the intro branch of the frame driver

// The start flag lives for the whole process, so this holds whichever case
// ran the first intro frame.
TEST_F(IntroTest, StreamStartsOnTheFirstFrameOnly) {
    FakeStreamPosition = 0;
    IntroFrame();
    IntroFrame();
    EXPECT_EQ(IntroStreamStarts, 1);
    EXPECT_EQ(Drawn.spectrumReads, 2);
}

TEST_F(IntroTest, StalledClockDrawsNothingButTheNoise) {
    FakeStreamPosition = 0;
    for (int frame = 0; frame < 50; ++frame) IntroFrame();
    EXPECT_EQ(Drawn.quads.size(), 50u);
    EXPECT_EQ(QuadsOf(QuadKind::OverlayRotated).size(), 50u);
    EXPECT_EQ(SceneState, Intro);
}

TEST_F(IntroTest, TimelineSeesTheClockOfTheFrameBefore) {
    IntroClock = 0;
    FakeStreamPosition = 751000;
    IntroFrame();
    EXPECT_EQ(IntroClock, 751u);
    EXPECT_TRUE(QuadsOfSlot(DateSlot).empty());
    IntroFrame();
    EXPECT_EQ(QuadsOfSlot(DateSlot).size(), 1u);
}

TEST_F(IntroTest, MagazineBeginsOnceTheClockPasses10700) {
    IntroClock = 10700;
    FakeStreamPosition = 10700999;
    IntroFrame();
    EXPECT_EQ(SceneState, Intro);
    FakeStreamPosition = 10701000;
    IntroFrame();
    EXPECT_EQ(SceneState, Intro);  // the switch sees the clock on the next frame
    IntroFrame();
    EXPECT_EQ(SceneState, Magazine);
}

TEST_F(IntroTest, NoiseFadesFrom8000On) {
    for (int bin = 0; bin < 10; ++bin) Spectrum[bin] = 1.0f;
    IntroClock = 7999;
    FakeStreamPosition = 7999000;
    IntroFrame();
    EXPECT_FLOAT_EQ(QuadsOf(QuadKind::OverlayRotated).back().alpha, 0.5f);
    EXPECT_EQ(IntroEndFade, 1.0f);

    FakeStreamPosition = 8000000;
    IntroFrame();  // sees 7999 still
    IntroFrame();
    EXPECT_FLOAT_EQ(IntroEndFade, 0.995f);
    EXPECT_FLOAT_EQ(QuadsOf(QuadKind::OverlayRotated).back().alpha, 0.5f * 0.995f);

    // Once the fade has reached 0 it stays there and the flicker is invisible.
    FrameStep = 1000.0f;
    IntroFrame();
    IntroFrame();
    EXPECT_LE(IntroEndFade, 0.0f);
    EXPECT_GE(IntroEndFade, -5.0f);
    EXPECT_LE(QuadsOf(QuadKind::OverlayRotated).back().alpha, 0.0f);
}

}  // namespace
