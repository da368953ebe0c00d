// Four logos taking turns at the top right of the magazine scene, each
// swelling in and out with a bluish glow near its peak.
#pragma once
#include <cstdint>

enum { LogoCount = 4 };

extern int32_t LogoPhase;                // logo being shown, 3 (our own) at start
extern float LogoLevel[LogoCount];       // fade level of each logo, nominally 0..2
extern int32_t LogoDirection[LogoCount]; // +1 rising, -1 falling

// One frame: advances the logo being shown and draws it with its two glow layers.
void DrawLogoCarousel();
