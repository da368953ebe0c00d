// Logo carousel: the logo being shown rises from level 0 to 2 and falls back
// (0.005 per reference frame, 400 steps each way), then hands over to the
// next. Phases are visited in ascending order within one frame, so a
// hand-over 0->1, 1->2 or 2->3 also runs the first step of the next logo in
// that frame, while 3->0 takes effect in the next frame.
#include "effects/logo_carousel.h"

#include "app/frame.h"
#include "render/primitives.h"

namespace {

struct LogoEntry {
    int32_t logoSlot;
    int32_t blurSlot;
    float x;
};

const LogoEntry Logos[LogoCount] = {
    {29, 54, 33.0f},  // "data/quillon-logo.png", "data/quillon-logoBLUR.png"
    {30, 55, 33.0f},  // "data/tarnhex-logo.png", "data/tarnhex-logoBLUR.png"
    {31, 56, 33.0f},  // "data/velmora-logo.png", "data/velmora-logoBLUR.png"
    {57, 58, 28.0f},  // "data/tallyboard-logo.png", "data/tallyboard-logoBLUR.png"
};

constexpr float LogoY = 23.5f;
constexpr float LogoZ = -46.0f;
constexpr float LogoHalfWidth = 25.6f;
constexpr float LogoHalfHeight = 1.6f;
constexpr float LogoTopLevel = 2.0f;
constexpr float LogoLevelStep = 0.005f;

// The glow: two bluish blurred copies, slightly larger, that only show near
// the peak (negative alphas draw nothing).
void DrawLogo(const LogoEntry& logo, float level) {
    DrawTintedQuad(logo.blurSlot, 1, LogoHalfWidth + level * 0.25f, LogoHalfHeight + level * 0.25f,
                   logo.x, LogoY, LogoZ, 0.8f, 0.8f, 1.0f, level * 0.8f - 0.75f);
    DrawTintedQuad(logo.blurSlot, 1, LogoHalfWidth + level / 6.0f, LogoHalfHeight + level / 6.0f,
                   logo.x, LogoY, LogoZ, 0.8f, 0.8f, 1.0f, level - 0.75f);
    DrawTexturedQuad(logo.logoSlot, 1, LogoHalfWidth, LogoHalfHeight, logo.x, LogoY, LogoZ, level);
}

void StepLogo(int32_t k) {
    if (Carousel.LogoLevel[k] > LogoTopLevel) Carousel.LogoDirection[k] = -1;
    if (Carousel.LogoLevel[k] < 0.0f) {
        // Restart from zero: a short frame after a long one would otherwise
        // leave the level below zero, and on its next turn the logo would
        // hand over at once and be skipped.
        Carousel.LogoLevel[k] = 0.0f;
        Carousel.LogoDirection[k] = 1;
        Carousel.LogoPhase = (k + 1) % LogoCount;
    }
    Carousel.LogoLevel[k] += Carousel.LogoDirection[k] * Frame.FrameStep * LogoLevelStep;
    DrawLogo(Logos[k], Carousel.LogoLevel[k]);
}

}  // namespace

CarouselState Carousel = CarouselStart;

void DrawLogoCarousel() {
    for (int32_t k = 0; k < LogoCount; ++k) {
        if (Carousel.LogoPhase == k) StepLogo(k);
    }
}
