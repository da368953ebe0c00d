// Intro noise flicker: six noise pictures cycled over the whole window, about
// 2.9 reference frames each, at an opacity that follows the bass.
#include "effects/intro_noise.h"

#include <cmath>

#include "app/frame.h"
#include "app/startup.h"
#include "audio/audio.h"
#include "render/primitives.h"

namespace {

constexpr int32_t FirstNoiseSlot = 74;  // "data/stoy1.png" .. "data/stoy6.png" in 74..79
constexpr float NoisePictureCount = 6.0f;
constexpr float NoisePhaseStep = 0.35f;
constexpr int BassBins = 10;

// The fourth root makes faint bass visible and keeps loud bass below full
// strength: a mean magnitude of 1 gives half opacity at level 1.
float NoiseAlpha(float level) {
    float sum = 0.0f;
    for (int i = 0; i < BassBins; ++i) sum += Spectrum[i];
    const float bass = sum * 0.1f;
    return std::sqrt(std::sqrt(bass)) * level * 0.5f;
}

}  // namespace

float NoisePhase = 0.0f;

void DrawIntroNoise(float level) {
    const float alpha = NoiseAlpha(level);
    if (NoisePhase >= 0.0f && NoisePhase < NoisePictureCount) {
        const int32_t slot = FirstNoiseSlot + static_cast<int32_t>(NoisePhase);
        const int32_t halfWidth = WindowWidth / 2;
        const int32_t halfHeight = WindowHeight / 2;
        DrawOverlayImageRotated(slot, 1, halfWidth, halfHeight, halfWidth, halfHeight, alpha, 0.0f);
    }
    NoisePhase += Frame.FrameStep * NoisePhaseStep;
    // Past the last picture the cycle restarts at the first, not at the
    // remainder; the negated test also catches a phase that is not a number.
    if (!(NoisePhase <= NoisePictureCount)) NoisePhase = 0.0f;
}
