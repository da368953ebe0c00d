// The frame timer: the last frame's length on the 64-bit monotonic clock,
// turned into the animation step every moving thing scales by.
#include <cmath>

#include "app/frame.h"
#include "platform/clock.h"

namespace {

constexpr int32_t AveragedFrames = 25;

int64_t PreviousCounter = 0;
int64_t CounterFrequency = 1;
int32_t AveragingCount = 0;
float AveragingSum = 0.0f;

}  // namespace

void StartFrameTimerAt(int64_t frequency, int64_t now) {
    CounterFrequency = frequency;
    PreviousCounter = now;
    AveragingCount = 0;
    AveragingSum = 0.0f;
    Frame.AverageFrameStep = 0.0f;
}

void StartFrameTimer() { StartFrameTimerAt(ClockFrequency(), ClockNow()); }

void FrameTimerAt(int64_t now) {
    // The whole 64-bit difference: the loading frame alone can take longer
    // than 2^31 nanosecond ticks. A frame that reads the same counter (or,
    // impossibly for a monotonic clock, an earlier one) counts as zero long,
    // so nothing moves in it.
    int64_t ticks = now - PreviousCounter;
    Frame.InstantFrameRate = ticks > 0 ? float(double(CounterFrequency) / double(ticks)) : INFINITY;
    PreviousCounter = now;
}

void FrameTimer() { FrameTimerAt(ClockNow()); }

void UpdateFrameStep() {
    Frame.FrameSeconds = 1.0f / Frame.InstantFrameRate;
    AveragingCount += 1;
    AveragingSum += Frame.FrameSeconds;
    if (AveragingCount == AveragedFrames) {
        Frame.AverageFrameStep = AveragingSum * 0.04f * ReferenceFrameRate;
        AveragingCount = 0;
        AveragingSum = 0.0f;
    }
    Frame.FrameStep = ReferenceFrameRate * Frame.FrameSeconds;
}
