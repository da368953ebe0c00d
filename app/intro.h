// The intro timeline: a fixed choreography of pictures on the intro stream's
// clock (IntroClock, stream bytes / 1000). The values below start as given
// and are never reset: the intro runs once per program run.
#pragma once

extern float DateAlpha;          // opacity of the issue-date picture
extern float PictureInsetU;      // texture insets of the large picture; 0 shows it whole
extern float PictureInsetV;
extern float PictureFade;        // grey level of the large picture in the fade to black
extern float FlashPhase;         // phase of the two flashes
extern float DateStretchWidth;   // half-size of the stretched date copy
extern float DateStretchHeight;
extern float ShakePhase;         // shake of the first title picture
extern float ShakeAmplitude;
extern float TitleCrossFade;     // cross-fade between the title pictures
extern float GhostDepth;         // how far the ghost of the first title has flown
extern float SecondWidthFactor;  // width factor of the second title picture
extern float ThirdWidthFactor;   // width factor of the third title picture

// Draws the intro for the current IntroClock and advances the values above by
// FrameStep. Whatever it draws leaves blending off and the depth test on.
void DrawIntroTimeline();
