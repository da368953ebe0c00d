// The intro timeline: a fixed choreography of pictures on the intro stream's
// clock (IntroClock, stream bytes / 1000). Its values start as given here and
// are never reset by the program: the intro runs once per program run.
#pragma once

struct TimelineState {
    float DateAlpha = 0.0f;          // opacity of the issue-date picture
    float PictureInsetU = 0.3f;      // texture insets of the large picture; 0 shows it whole
    float PictureInsetV = 0.5f;
    float PictureFade = 1.0f;        // grey level of the large picture in the fade to black
    float FlashPhase = 0.0f;         // phase of the two flashes
    float DateStretchWidth = 12.8f;  // half-size of the stretched date copy
    float DateStretchHeight = 3.2f;
    float ShakePhase = 0.0f;         // shake of the first title picture
    float ShakeAmplitude = 10.0f;
    float TitleCrossFade = 1.0f;     // cross-fade between the title pictures
    float GhostDepth = 0.0f;         // how far the ghost of the first title has flown
    float SecondWidthFactor = 4.0f;  // width factor of the second title picture
    float ThirdWidthFactor = 5.0f;   // width factor of the third title picture
};
inline constexpr TimelineState TimelineStart{};
extern TimelineState Timeline;

// Draws the intro for the current IntroClock and advances the values above by
// FrameStep. Whatever it draws leaves blending off and the depth test on.
void DrawIntroTimeline();
