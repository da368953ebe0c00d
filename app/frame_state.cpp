// Scene and timing state, read by every animated part of the program; kept
// apart from the frame driver so that those parts link without it.
#include "app/frame.h"

int32_t SceneState = LoadingFadeIn;
float InstantFrameRate = 0.0f;
float FrameSeconds = 0.0f;
const float ReferenceFrameRate = 75.0f;
float FrameStep = 0.0f;
float AverageFrameStep = 0.0f;
float LoadingAlpha = 0.0f;
float IntroEndFade = 1.0f;
