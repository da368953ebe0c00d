// A fixed run of the whole program through the scenes whose pixels must not
// change when the presentation changes: loading, intro moments, a chart,
// panels sliding, a Messages page and the group photo. The run is the same
// every time: a fake frame clock at exactly 75 frames a second, a fixed seed
// for the effects, no sound (so no spectrum), the intro clock set by hand
// and the pointer parked on the layout.
#pragma once
#include <vector>

constexpr int SceneWidth = 1024, SceneHeight = 768;

struct SceneShot {
    const char* name;                  // also the reference file's name, without ".png"
    std::vector<unsigned char> rgb;    // SceneWidth x SceneHeight, top row first
};

// Runs the program from its first frame through every scene in the current
// window of SceneWidth x SceneHeight (the GL state already set up as at
// start-up, the working directory the issue's); frame() draws one frame into
// the back buffer without swapping. Returns the shots in a fixed order.
std::vector<SceneShot> RunScenes(void (*frame)());
// Makes a fresh working directory holding a copy of the generated issue's
// data/ (loading unpacks into it and deletes again) and moves into it; leave
// it with LeaveTempWorkDir. False, with a message, without the issue.
bool EnterIssueCopy();
// One frame on the fake clock: clear, timing, page clamp, scene states.
void RunFixedFrameBody();
