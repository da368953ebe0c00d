// A fixed run of the whole program through the scenes whose pixels must not
// change when the presentation changes: loading, intro moments, a chart,
// panels sliding, a Messages page and the group photo. Fake frame clock at 75
// frames a second, fixed seed, no sound, intro clock set by hand.
#pragma once
#include <vector>

constexpr int SceneWidth = 1024, SceneHeight = 768;

struct SceneShot {
    const char* name;                // the reference file's name, without ".png"
    std::vector<unsigned char> rgb;  // top row first
};

// Runs from the first frame through every scene in the current window (GL
// state as at start-up, working directory the issue's); frame() draws one
// frame into the back buffer without swapping.
std::vector<SceneShot> RunScenes(void (*frame)());
// Moves into a fresh working directory holding a copy of the generated
// issue's data/ (leave it with LeaveTempWorkDir); false, with a message,
// without the issue.
bool EnterIssueCopy();
// One frame on the fake clock: clear, timing, page clamp, scene states.
void RunFixedFrameBody();
