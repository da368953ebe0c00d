// Four logos taking turns at the top right of the magazine scene, each
// swelling in and out with a bluish glow near its peak.
#pragma once
#include <cstdint>

enum { LogoCount = 4 };

struct CarouselState {
    int32_t LogoPhase = LogoCount - 1;              // logo being shown, 3 (our own) at start
    float LogoLevel[LogoCount] = {};                // fade level of each logo, nominally 0..2
    int32_t LogoDirection[LogoCount] = {1, 1, 1, 1};  // +1 rising, -1 falling
};
inline constexpr CarouselState CarouselStart{};
extern CarouselState Carousel;

// One frame: advances the logo being shown and draws it with its two glow layers.
void DrawLogoCarousel();
