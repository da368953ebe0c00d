// The intro branch of the frame driver: the timeline on the stream's clock,
// the noise flicker over it, and the hand-over to the magazine.
//
// IntroClock is read at the end of the frame, so the timeline of a frame sees
// the position read in the frame before.
#include "app/frame.h"
#include "app/intro.h"
#include "app/intro_cues.h"
#include "audio/audio.h"
#include "effects/intro_noise.h"

namespace {

constexpr uint32_t NoiseFadeClock = 8000;     // the flicker fades from here on
constexpr float NoiseFadePerFrame = 0.005f;

bool IntroStreamPending = true;

float IntroNoiseLevel() {
    if (Audio.IntroClock < NoiseFadeClock) return 1.0f;
    if (Frame.IntroEndFade > 0.0f) Frame.IntroEndFade -= NoiseFadePerFrame * Frame.FrameStep;
    return Frame.IntroEndFade;
}

}  // namespace

void IntroFrame() {
    if (IntroStreamPending) {
        StartIntroStream();
        IntroStreamPending = false;
    }
    DrawIntroTimeline();
    if (Audio.IntroClock > IntroEndCue) Frame.SceneState = Magazine;
    IntroAudioFrame();
    DrawIntroNoise(IntroNoiseLevel());
    ReadIntroClock();
}
