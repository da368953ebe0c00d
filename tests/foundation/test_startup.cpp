// Start-up's command line (only the first argument, only two exact switches)
// and the frame timer on a fake counter (the step every animation scales by).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/frame.h"
#include "app/startup.h"

namespace {

TEST(CommandLine, OnlyAnExactFirstArgumentCounts) {
    const char* const ati = "ATI is not compatible with this mode\n";
    const struct {
        std::vector<const char*> arguments;
        const char* printed;
        int cubeMapDisabled;
    } cases[] = {
        {{}, "", 1}, {{"tallyboard"}, "", 1}, {{"tallyboard", "-enablecubemap"}, "Cubemap On", 0},
        {{"tallyboard", "-noati"}, ati, 1}, {{"tallyboard", "-noati", "-enablecubemap"}, ati, 1},
        {{"tallyboard", "other", "-enablecubemap"}, "", 1}, {{"tallyboard", "-EnableCubeMap"}, "", 1},
        {{"tallyboard", "-enablecubemapx"}, "", 1}, {{"tallyboard", "-noat"}, "", 1}};
    for (auto c : cases) {
        SCOPED_TRACE(c.arguments.size() > 1 ? c.arguments[1] : "(none)");
        c.arguments.push_back(nullptr);
        CubeMapDisabled = 1;
        testing::internal::CaptureStdout();
        ParseCommandLine(int(c.arguments.size()) - 1, const_cast<char**>(c.arguments.data()));
        std::fflush(stdout);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
        EXPECT_EQ(CubeMapDisabled, c.cubeMapDisabled);
    }
}

// Runs one frame of the given length in ticks and derives its step.
void RunFrame(int64_t* clock, int64_t ticks) {
    *clock += ticks;
    FrameTimerAt(*clock);
    UpdateFrameStep();
}

// The 3-second frame starts just below 2^32 so that the low word wraps: the
// loading frame is longer than 2^31 nanosecond ticks. 6.4 GHz needs more than
// 31 bits. A frame of no length, or with the counter running back, stands still.
TEST(FrameTimer, StepIsFrameLengthAtSeventyFivePerSecond) {
    const struct {
        int64_t frequency, start, ticks;
        float step;
    } frames[] = {{75000, 5000, 1000, 1.0f},
                  {75000, 5000, 500, 0.5f},
                  {1000000000, (int64_t(1) << 32) - 1000, 3000000000, 225.0f},
                  {int64_t(3) << 31, 0, (int64_t(3) << 31) / 75, 1.0f},
                  {75000, 123456, 0, 0.0f},
                  {75000, 123456, -1000, 0.0f}};
    for (const auto& f : frames) {
        SCOPED_TRACE(std::to_string(f.frequency) + " Hz, " + std::to_string(f.ticks) + " ticks");
        int64_t clock = f.start;
        StartFrameTimerAt(f.frequency, clock);
        RunFrame(&clock, f.ticks);
        EXPECT_NEAR(Frame.FrameStep, f.step, f.step * 1e-5f);
        EXPECT_NEAR(Frame.FrameSeconds, float(double(std::max<int64_t>(f.ticks, 0)) / f.frequency), 1e-6f);
    }
}

TEST(FrameTimer, AverageIsZeroForTwentyFourFramesThenTheMeanOfTwentyFive) {
    int64_t clock = 0;
    StartFrameTimerAt(75000, clock);
    for (int frame = 1; frame <= 50; ++frame) {
        RunFrame(&clock, frame <= 24 ? (frame % 2 ? 500 : 1500) : frame == 25 ? 1000 : 2000);
        const float expected = frame < 25 ? 0.0f : frame < 50 ? 1.0f : 2.0f;
        ASSERT_NEAR(Frame.AverageFrameStep, expected, 1e-5f) << "frame " << frame;
    }
}

}  // namespace
