// The content state at the start of the magazine, after resource
// initialisation: the Welcome page, no cross-fade running.
#pragma once
#include "content/content.h"
#include "render/primitives.h"

inline void StartMagazineContent() {
    Content = ContentStart;
    Content.IntroTopic = WelcomeTopic;
    BackgroundFade = 1.0f;
}
