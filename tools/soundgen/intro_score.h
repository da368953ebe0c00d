// The intro soundtrack, composed around the intro timeline's cue points.
//
// The timeline runs on the stream position: one clock unit is 1000 bytes of
// 44.1 kHz 16-bit stereo output, that is 250 frames or about 5.67 ms. The
// score is written in those units on a grid of eighth notes of 50 units
// (a beat of 100 units, about 106 beats per minute) whose downbeats fall on
// the opening at 2950, so every cue lies on the grid.
#pragma once

#include "app/intro_cues.h"
#include "tools/soundgen/synth.h"

constexpr int IntroSampleRate = 44100;
constexpr int FramesPerClockUnit = 250;
constexpr int IntroLengthUnits = 11290;  // about 64 s: the intro ends at 10700

struct StereoSignal {
    Signal left;
    Signal right;
};

// The whole soundtrack at IntroSampleRate, peak just below full scale.
StereoSignal ComposeIntro();
