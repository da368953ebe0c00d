// The content state at the start of the magazine, after resource
// initialisation: the Welcome page, no cross-fade running.
#pragma once
#include "content/content.h"
#include "render/primitives.h"

inline void StartMagazineContent() {
    ActiveSection = Introduction;
    IntroTopic = WelcomeTopic;
    AmigaTopic = PcTopic = C64Topic = WarezTopic = FunTopic = 0;
    CurrentPage = 0;
    PageTextAlpha = 0.0f;
    ChartReveal = ChartRevealStart;
    BackgroundSection = PreviousBackgroundSection = 0;
    BackgroundFade = 1.0f;
}
