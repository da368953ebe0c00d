// The intro noise flicker, the spectrum trace and the logo carousel.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

#include "app/frame.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "effects/intro_noise.h"
#include "effects/logo_carousel.h"
#include "effects/spectrum_trace.h"
#include "tests/effects/draw_recorder.h"

namespace {

class EffectsTest : public ::testing::Test {
protected:
    void SetUp() override {
        FrameStep = 1.0f;
        WindowWidth = 1024;
        WindowHeight = 768;
        NoisePhase = 0.0f;
        LogoPhase = 3;
        for (int k = 0; k < LogoCount; ++k) {
            LogoLevel[k] = 0.0f;
            LogoDirection[k] = 1;
        }
        for (float& bin : Spectrum) bin = 0.0f;
        ClearDrawn();
    }

    static RecordedQuad OnlyNoiseQuad() {
        const auto quads = QuadsOf(QuadKind::OverlayRotated);
        EXPECT_EQ(quads.size(), 1u);
        return quads.empty() ? RecordedQuad{} : quads[0];
    }
};

// ---- intro noise flicker

TEST_F(EffectsTest, NoiseCoversTheWindowWithThePictureOfThePhase) {
    const struct {
        float phase;
        int32_t slot;
    } cases[] = {{0.0f, 74}, {0.99f, 74}, {2.5f, 76}, {5.99f, 79}};
    for (const auto& c : cases) {
        ClearDrawn();
        NoisePhase = c.phase;
        DrawIntroNoise(1.0f);
        const RecordedQuad quad = OnlyNoiseQuad();
        EXPECT_EQ(quad.slot, c.slot) << c.phase;
        EXPECT_EQ(quad.blend, 1);
        EXPECT_EQ(quad.angle, 0.0f);
        EXPECT_EQ(quad.halfWidth, 512.0f);
        EXPECT_EQ(quad.halfHeight, 384.0f);
        EXPECT_EQ(quad.x, 512.0f);
        EXPECT_EQ(quad.y, 384.0f);
    }
    ClearDrawn();
    WindowWidth = WindowHeight = 511;  // halves by integer division
    DrawIntroNoise(1.0f);
    EXPECT_EQ(OnlyNoiseQuad().halfWidth, 255.0f);
}

TEST_F(EffectsTest, NoiseOpacityFollowsTheTenLowestBins) {
    DrawIntroNoise(1.0f);
    EXPECT_EQ(OnlyNoiseQuad().alpha, 0.0f);  // silence: drawn, invisibly

    for (int bin = 10; bin < SpectrumSize; ++bin) Spectrum[bin] = 100.0f;
    ClearDrawn();
    DrawIntroNoise(1.0f);
    EXPECT_EQ(OnlyNoiseQuad().alpha, 0.0f);

    for (int bin = 0; bin < 10; ++bin) Spectrum[bin] = 1.0f;
    ClearDrawn();
    DrawIntroNoise(1.0f);
    EXPECT_FLOAT_EQ(OnlyNoiseQuad().alpha, 0.5f);

    Spectrum[0] = 15.0f + 1.0f;  // mean 2.5... of which the fourth root
    ClearDrawn();
    DrawIntroNoise(0.5f);
    EXPECT_FLOAT_EQ(OnlyNoiseQuad().alpha, std::sqrt(std::sqrt(2.5f)) * 0.25f);

    for (float level : {0.0f, -0.004f}) {
        ClearDrawn();
        DrawIntroNoise(level);
        EXPECT_LE(OnlyNoiseQuad().alpha, 0.0f) << level;
    }
}

TEST_F(EffectsTest, NoisePhaseAdvancesAndWrapsToZero) {
    DrawIntroNoise(1.0f);
    EXPECT_FLOAT_EQ(NoisePhase, 0.35f);

    NoisePhase = 6.0f;  // no picture for exactly 6, wrap on the next advance
    ClearDrawn();
    DrawIntroNoise(1.0f);
    EXPECT_TRUE(Drawn.quads.empty());
    EXPECT_EQ(NoisePhase, 0.0f);

    NoisePhase = 5.9f;  // a large step wraps to 0, not to the remainder
    FrameStep = 10.0f;
    DrawIntroNoise(1.0f);
    EXPECT_EQ(NoisePhase, 0.0f);

    NoisePhase = 5.8f;  // landing exactly on 6 does not wrap yet
    FrameStep = 0.2f / 0.35f;
    DrawIntroNoise(1.0f);
    EXPECT_LE(NoisePhase, 6.0f);
    EXPECT_GT(NoisePhase, 5.99f);
}

// ---- spectrum trace

// Eye coordinates of the trace: bins run down from y 63, amplitude to the right.
TEST_F(EffectsTest, SilentTraceIsAStraightVerticalLine) {
    DrawSpectrumTrace();
    ASSERT_EQ(Drawn.primitives.size(), 2u * 126u);
    for (size_t i = 0; i < Drawn.primitives.size(); ++i) {
        const RecordedPrimitive& line = Drawn.primitives[i];
        ASSERT_EQ(line.mode, GLenum(GL_LINES));
        ASSERT_EQ(line.vertices.size(), 2u);
        EXPECT_FALSE(line.textured);
        const bool wide = i % 2 == 0;
        EXPECT_EQ(line.lineWidth, wide ? 4.0f : 1.0f);
        EXPECT_FLOAT_EQ(line.alpha, wide ? 0.1f : 0.15f);
        for (const RecordedVertex& v : line.vertices) {
            EXPECT_NEAR(v.x, -157.0f, 1e-4);
            EXPECT_FLOAT_EQ(v.z, -145.0f);
        }
    }
    EXPECT_NEAR(Drawn.primitives.front().vertices[0].y, 63.0f, 1e-4);
    EXPECT_NEAR(Drawn.primitives.back().vertices[1].y, -63.0f, 1e-4);
    EXPECT_TRUE(Drawn.texture2d);
    EXPECT_FALSE(Drawn.blend);
    EXPECT_TRUE(Drawn.depthTest);
}

TEST_F(EffectsTest, TraceHeightIsWeightedRootAndStopsAt25) {
    Spectrum[10] = 0.01f;
    Spectrum[50] = 1e6f;
    DrawSpectrumTrace();
    // Segment k (two lines) starts at bin k and ends at bin k + 1.
    const auto startOf = [](int bin) { return Drawn.primitives[2 * (bin - 2)].vertices[0]; };
    const auto endOf = [](int bin) { return Drawn.primitives[2 * (bin - 3)].vertices[1]; };
    EXPECT_NEAR(startOf(10).x, -157.0f + 60.0f * std::sqrt(std::log(10.0f) * 0.01f), 1e-4);
    EXPECT_NEAR(endOf(10).x, startOf(10).x, 1e-5);
    EXPECT_NEAR(startOf(50).x, -157.0f + 25.0f, 1e-4);
    EXPECT_NEAR(startOf(50).y, 65.0f - 50.0f, 1e-4);
}

TEST_F(EffectsTest, BinsOutsideTwoTo128DoNotMoveTheTrace) {
    Spectrum[0] = Spectrum[1] = 1e6f;
    for (int bin = 129; bin < SpectrumSize; ++bin) Spectrum[bin] = 1e6f;
    DrawSpectrumTrace();
    for (const RecordedPrimitive& line : Drawn.primitives)
        for (const RecordedVertex& v : line.vertices) EXPECT_NEAR(v.x, -157.0f, 1e-4);
    Spectrum[128] = 1e6f;  // the last segment ends on bin 128
    ClearDrawn();
    DrawSpectrumTrace();
    EXPECT_NEAR(Drawn.primitives.back().vertices[1].x, -157.0f + 25.0f, 1e-4);
}

// ---- logo carousel

TEST_F(EffectsTest, CarouselStartsWithOurOwnLogoAndItsGlow) {
    DrawLogoCarousel();
    ASSERT_EQ(Drawn.quads.size(), 3u);
    const RecordedQuad& outer = Drawn.quads[0];
    const RecordedQuad& inner = Drawn.quads[1];
    const RecordedQuad& logo = Drawn.quads[2];
    const float level = 0.005f;
    EXPECT_EQ(outer.kind, QuadKind::Tinted);
    EXPECT_EQ(outer.slot, 58);
    EXPECT_FLOAT_EQ(outer.alpha, level * 0.8f - 0.75f);
    EXPECT_FLOAT_EQ(outer.halfWidth, 25.6f + level * 0.25f);
    EXPECT_FLOAT_EQ(outer.blue, 1.0f);
    EXPECT_FLOAT_EQ(outer.red, 0.8f);
    EXPECT_FLOAT_EQ(inner.alpha, level - 0.75f);
    EXPECT_FLOAT_EQ(inner.halfHeight, 1.6f + level / 6.0f);
    EXPECT_EQ(logo.kind, QuadKind::Textured);
    EXPECT_EQ(logo.slot, 57);
    EXPECT_FLOAT_EQ(logo.alpha, level);
    EXPECT_FLOAT_EQ(logo.halfWidth, 25.6f);
    for (const RecordedQuad& quad : Drawn.quads) {
        EXPECT_EQ(quad.blend, 1);
        EXPECT_FLOAT_EQ(quad.x, 28.0f);
        EXPECT_FLOAT_EQ(quad.y, 23.5f);
        EXPECT_FLOAT_EQ(quad.z, -46.0f);
    }
}

// 400 steps of 0.005 each way; the turns test the level, so it overshoots 2
// and undershoots 0 by at most one step, and float sums may add a step.
TEST_F(EffectsTest, EachLogoRisesAndFallsIn400StepsOvershootingByAtMostOne) {
    int rising = 0;
    int falling = 0;
    float highest = 0.0f;
    float lowest = 0.0f;
    while (LogoPhase == 3 && rising + falling < 2000) {
        DrawLogoCarousel();
        (LogoDirection[3] > 0 ? rising : falling) += 1;
        highest = std::max(highest, LogoLevel[3]);
        lowest = std::min(lowest, LogoLevel[3]);
    }
    EXPECT_EQ(LogoPhase, 0);
    EXPECT_GE(rising, 400);
    EXPECT_LE(rising, 402);
    EXPECT_GE(falling, 400);
    EXPECT_LE(falling, 402);
    EXPECT_LE(highest, 2.0f + 0.005f + 1e-5f);
    EXPECT_GE(lowest, -0.005f - 1e-5f);
}

TEST_F(EffectsTest, HandOversUpTo3RunTheNextLogoInTheSameFrame) {
    const int32_t logoSlots[] = {29, 30, 31, 57};
    for (int32_t k = 0; k < 3; ++k) {
        ClearDrawn();
        LogoPhase = k;
        LogoLevel[k] = -0.001f;
        LogoDirection[k] = -1;
        DrawLogoCarousel();
        EXPECT_EQ(LogoPhase, k + 1);
        const auto logos = QuadsOf(QuadKind::Textured);
        ASSERT_EQ(logos.size(), 2u) << k;
        EXPECT_EQ(logos[0].slot, logoSlots[k]);  // the ending logo, once more near 0
        EXPECT_NEAR(logos[0].alpha, 0.004f, 1e-6);
        EXPECT_EQ(logos[1].slot, logoSlots[k + 1]);
        EXPECT_FLOAT_EQ(logos[1].alpha, 0.005f);
        EXPECT_EQ(LogoDirection[k], 1);
    }
}

TEST_F(EffectsTest, HandOverFrom3To0TakesEffectInTheNextFrame) {
    LogoLevel[3] = -0.001f;
    LogoDirection[3] = -1;
    DrawLogoCarousel();
    EXPECT_EQ(LogoPhase, 0);
    auto logos = QuadsOf(QuadKind::Textured);
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_EQ(logos[0].slot, 57);
    ClearDrawn();
    DrawLogoCarousel();
    logos = QuadsOf(QuadKind::Textured);
    ASSERT_EQ(logos.size(), 1u);
    EXPECT_EQ(logos[0].slot, 29);
    EXPECT_FLOAT_EQ(logos[0].x, 33.0f);
}

TEST_F(EffectsTest, LargeFrameStepNeverStallsTheCycle) {
    FrameStep = 150.0f;
    for (int frame = 0; frame < 12; ++frame) DrawLogoCarousel();
    EXPECT_NE(LogoPhase, 3);
}

}  // namespace
