// Cue points of the intro timeline, in IntroClock units (1000 bytes of the
// 44.1 kHz 16-bit stereo stream). The timeline draws on them and the
// soundtrack generator composes on them, so picture and music stay together.
#pragma once

inline constexpr int StrobeCue = 2910;       // the strobe's first step
inline constexpr int OpeningCue = 2950;      // the large picture opens
inline constexpr int FirstFlashCue = 4300;   // flash; the first title shakes in
inline constexpr int SecondFlashCue = 5850;  // flash; the second title comes
inline constexpr int SecondTitleCue = 6650;  // the third title takes over
inline constexpr int ThirdTitleCue = 8200;   // the third title leaves
inline constexpr int PictureFadeCue = 9200;  // the large picture fades to black
inline constexpr int IntroEndCue = 10700;    // the magazine begins past this
