// The intro noise flicker, the spectrum trace and the logo carousel.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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
        Frame.FrameStep = 1.0f;
        WindowWidth = 1024;
        WindowHeight = 768;
        NoisePhase = 0.0f;
        Carousel = CarouselStart;
        for (float& bin : Spectrum) bin = 0.0f;
        ClearDrawn();
    }

    // Draws one noise frame and returns its only quad.
    static RecordedQuad NoiseQuad(float level) {
        ClearDrawn();
        DrawIntroNoise(level);
        const auto quads = QuadsOf(QuadKind::OverlayRotated);
        EXPECT_EQ(quads.size(), 1u);
        return quads.empty() ? RecordedQuad{} : quads[0];
    }

    // Eye x of the trace where each segment starts, and where the last ends,
    // from the wide pass; the thin pass draws the same segments.
    static std::vector<float> TraceXs() {
        ClearDrawn();
        DrawSpectrumTrace();
        EXPECT_EQ(Drawn.primitives.size(), 2u);
        const std::vector<RecordedVertex>& wide = Drawn.primitives.front().vertices;
        std::vector<float> xs;
        for (size_t i = 0; i < wide.size(); i += 2) xs.push_back(wide[i].x);
        xs.push_back(wide.back().x);
        for (size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(wide[i].x, Drawn.primitives.back().vertices.at(i).x);
        return xs;
    }
};

// ---- intro noise flicker

// Six pictures over the whole window; past the last the cycle restarts at
// the first, not at the remainder.
TEST_F(EffectsTest, NoiseCoversTheWindowWithThePictureOfThePhaseAndWraps) {
    const struct {
        float phase, step;
        int32_t slot;  // 0: no picture
        float next;
    } rows[] = {{0.0f, 1.0f, 74, 0.35f}, {0.99f, 1.0f, 74, 1.34f}, {5.99f, 1.0f, 79, 0.0f},
                {6.0f, 1.0f, 0, 0.0f},   {5.9f, 10.0f, 79, 0.0f},   {5.8f, 0.2f / 0.35f, 79, 6.0f}};
    for (const auto& row : rows) {
        NoisePhase = row.phase;
        Frame.FrameStep = row.step;
        ClearDrawn();
        DrawIntroNoise(1.0f);
        EXPECT_FLOAT_EQ(NoisePhase, row.next) << row.phase;
        if (!row.slot) {
            EXPECT_TRUE(Drawn.quads.empty());
            continue;
        }
        ASSERT_EQ(Drawn.quads.size(), 1u) << row.phase;
        EXPECT_EQ(Drawn.quads[0].slot, row.slot) << row.phase;
        EXPECT_EQ(Drawn.quads[0].halfWidth, 512.0f);
        EXPECT_EQ(Drawn.quads[0].y, 384.0f);
    }
    NoisePhase = 0.0f;
    WindowWidth = WindowHeight = 511;  // halves by integer division
    EXPECT_EQ(NoiseQuad(1.0f).halfWidth, 255.0f);
}

TEST_F(EffectsTest, NoiseOpacityFollowsTheTenLowestBinsAndTheLevel) {
    EXPECT_EQ(NoiseQuad(1.0f).alpha, 0.0f);  // silence: drawn, invisibly
    for (int bin = 10; bin < SpectrumSize; ++bin) Spectrum[bin] = 100.0f;
    EXPECT_EQ(NoiseQuad(1.0f).alpha, 0.0f);
    for (int bin = 0; bin < 10; ++bin) Spectrum[bin] = 1.0f;
    EXPECT_FLOAT_EQ(NoiseQuad(1.0f).alpha, 0.5f);
    for (float level : {0.0f, -0.004f}) EXPECT_LE(NoiseQuad(level).alpha, 0.0f) << level;
}

// ---- spectrum trace

// A vertical line from eye y 63 down to -63 at x -157: only bins 2..128 move
// it to the right, and no peak goes past 25.
TEST_F(EffectsTest, TraceTakesBinsTwoTo128AndStopsAt25) {
    Spectrum[0] = Spectrum[1] = 1e6f;
    for (int bin = 129; bin < SpectrumSize; ++bin) Spectrum[bin] = 1e6f;
    const std::vector<float> silent = TraceXs();
    EXPECT_EQ(silent.size(), 127u);
    for (float x : silent) EXPECT_NEAR(x, -157.0f, 1e-4);
    EXPECT_NEAR(Drawn.primitives.front().vertices[0].y, 63.0f, 1e-4);
    EXPECT_NEAR(Drawn.primitives.back().vertices.back().y, -63.0f, 1e-4);
    EXPECT_TRUE(Drawn.texture2d);
    EXPECT_FALSE(Drawn.blend);
    EXPECT_TRUE(Drawn.depthTest);

    Spectrum[2] = Spectrum[50] = Spectrum[128] = 1e6f;
    Spectrum[10] = 0.01f;
    const std::vector<float> xs = TraceXs();
    for (int bin : {2, 50, 128}) EXPECT_NEAR(xs[bin - 2], -157.0f + 25.0f, 1e-4) << bin;
    EXPECT_GT(xs[10 - 2], -157.0f + 1.0f);
    EXPECT_LT(xs[10 - 2], -157.0f + 25.0f);
}

// ---- logo carousel

// 400 steps of 0.005 each way; the turns test the level, so it overshoots 2
// and undershoots 0 by at most one step, and float sums may add a step.
TEST_F(EffectsTest, EachLogoRisesAndFallsIn400StepsOvershootingByAtMostOne) {
    int frames[2] = {0, 0};  // falling, rising
    float highest = 0.0f;
    float lowest = 0.0f;
    while (Carousel.LogoPhase == 3 && frames[0] + frames[1] < 2000) {
        DrawLogoCarousel();
        ++frames[Carousel.LogoDirection[3] > 0];
        highest = std::max(highest, Carousel.LogoLevel[3]);
        lowest = std::min(lowest, Carousel.LogoLevel[3]);
    }
    for (int count : frames) EXPECT_TRUE(count >= 400 && count <= 402) << count;
    EXPECT_LE(highest, 2.0f + 0.005f + 1e-5f);
    EXPECT_GE(lowest, -0.005f - 1e-5f);
}

// Phases run in ascending order within a frame: a hand-over up to 3 also
// draws the next logo in that frame, the one from 3 back to 0 only in the next.
TEST_F(EffectsTest, HandOversDrawTheNextLogoInTheSameOrTheNextFrame) {
    const int32_t logoSlots[] = {29, 30, 31, 57};
    for (int32_t k = 0; k < LogoCount; ++k) {
        ClearDrawn();
        Carousel.LogoPhase = k;
        Carousel.LogoLevel[k] = -0.001f;
        Carousel.LogoDirection[k] = -1;
        DrawLogoCarousel();
        EXPECT_EQ(Carousel.LogoPhase, (k + 1) % LogoCount);
        EXPECT_EQ(Carousel.LogoDirection[k], 1);
        const auto logos = QuadsOf(QuadKind::Textured);
        ASSERT_EQ(logos.size(), k < 3 ? 2u : 1u) << k;
        EXPECT_EQ(logos[0].slot, logoSlots[k]);  // the ending logo, once more near 0
        if (k < 3) {
            EXPECT_EQ(logos[1].slot, logoSlots[k + 1]);
        }
    }
    ClearDrawn();
    DrawLogoCarousel();
    EXPECT_EQ(QuadsOf(QuadKind::Textured)[0].slot, logoSlots[0]);
}

// A long frame takes a logo well below zero and a short one hands it over:
// it must not stay below zero, or on its next turn it would hand over at
// once and be skipped.
TEST_F(EffectsTest, ALogoHandedOverByAShortFrameGetsItsWholeNextTurn) {
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
}

TEST_F(EffectsTest, LargeFrameStepNeverStallsTheCycle) {
    Frame.FrameStep = 150.0f;
    for (int frame = 0; frame < 12; ++frame) DrawLogoCarousel();
    EXPECT_NE(Carousel.LogoPhase, 3);
}

}  // namespace
