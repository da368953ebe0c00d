// The frame timer on a fake counter: the step every animation scales by.
#include <gtest/gtest.h>

#include <cmath>

#include "app/frame.h"

namespace {

constexpr int64_t Nanoseconds = 1000000000;

// Runs one frame of the given length in ticks and derives its step.
void Frame(int64_t* clock, int64_t ticks) {
    *clock += ticks;
    FrameTimerAt(*clock);
    UpdateFrameStep();
}

TEST(FrameTimer, SeventyFiveFramesASecondIsOneStep) {
    int64_t clock = 5000;
    StartFrameTimerAt(75000, clock);
    Frame(&clock, 1000);
    EXPECT_FLOAT_EQ(InstantFrameRate, 75.0f);
    EXPECT_FLOAT_EQ(FrameStep, 1.0f);
    Frame(&clock, 500);
    EXPECT_FLOAT_EQ(FrameStep, 0.5f);
    Frame(&clock, 2000);
    EXPECT_FLOAT_EQ(FrameStep, 2.0f);
}

TEST(FrameTimer, ZeroLengthFrameStandsStillThenMeasuresNormally) {
    int64_t clock = 123456;
    StartFrameTimerAt(75000, clock);
    Frame(&clock, 0);
    EXPECT_TRUE(std::isinf(InstantFrameRate));
    EXPECT_EQ(FrameSeconds, 0.0f);
    EXPECT_EQ(FrameStep, 0.0f);
    Frame(&clock, 1000);
    EXPECT_FLOAT_EQ(FrameStep, 1.0f);
    Frame(&clock, -1000);  // a counter running backwards counts as zero long too
    EXPECT_EQ(FrameStep, 0.0f);
}

// The loading frame easily takes longer than 2^31 nanoseconds; the low-word
// difference would turn such a frame negative.
TEST(FrameTimer, ThreeSecondFrameMeasuresThreeSeconds) {
    int64_t clock = (int64_t(1) << 32) - 1000;  // the low word wraps on the way
    StartFrameTimerAt(Nanoseconds, clock);
    Frame(&clock, 3 * Nanoseconds);
    EXPECT_FLOAT_EQ(FrameSeconds, 3.0f);
    EXPECT_FLOAT_EQ(FrameStep, 225.0f);
}

TEST(FrameTimer, FastCounterBeyondThirtyOneBits) {
    int64_t frequency = int64_t(3) << 31;  // 6.4 GHz
    int64_t clock = 0;
    StartFrameTimerAt(frequency, clock);
    Frame(&clock, frequency / 75);
    EXPECT_NEAR(FrameStep, 1.0f, 1e-5f);
}

TEST(FrameTimer, AverageIsZeroForTwentyFourFramesThenTheMean) {
    int64_t clock = 0;
    StartFrameTimerAt(75000, clock);
    for (int frame = 1; frame <= 24; ++frame) {
        Frame(&clock, frame % 2 ? 500 : 1500);  // steps 0.5 and 1.5
        EXPECT_EQ(AverageFrameStep, 0.0f) << "frame " << frame;
    }
    Frame(&clock, 1000);
    EXPECT_NEAR(AverageFrameStep, 1.0f, 1e-5f);
    // Constant in between, refreshed on the 50th frame.
    for (int frame = 26; frame <= 49; ++frame) {
        Frame(&clock, 2000);
        EXPECT_NEAR(AverageFrameStep, 1.0f, 1e-5f) << "frame " << frame;
    }
    Frame(&clock, 2000);
    EXPECT_NEAR(AverageFrameStep, 2.0f, 1e-5f);
}

}  // namespace
