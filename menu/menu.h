// The button bar: 89 buttons whose table index is their OpenGL pick name.
#pragma once
#include <cstdint>

enum {
    MenuButtonCount = 89,
    FirstSongButton = 8,
    SilentGapButton = 12,
    MusicOnButton = 13,
    MusicOffButton = 14,
    FirstTopicButton = 15,
    FirstIntroTopicButton = 78,
    LastTopicButton = 85,
    ExitButton = 86,
    PageBackButton = 87,
    PageForwardButton = 88,
};

struct MenuButton {
    uint8_t clicked;  // set by the click pick, cleared once DrawMenu acted on it
    uint8_t hovered;  // set by the hover pick for the one button under the pointer
    int32_t textureSlot;
    float x, y, z;  // centre in eye coordinates (identity model-view)
    float halfWidth, halfHeight;
    float alpha;  // opacity as set up; each pass computes its own look from the state
};

extern MenuButton MenuButtons[MenuButtonCount];
extern int32_t ExitRequested;

// Stores one row and clears its flags; indices outside 0..88 are ignored.
void SetButton(int32_t index, int32_t textureSlot, float x, float y, float z,
               float halfWidth, float halfHeight, float alpha);
// Fills the whole table in ascending order (resource initialisation).
void SetMenuButtons();
// Draws all buttons, acting on a recorded click and painting the hover.
// Also the geometry of the selection passes.
void DrawMenu();
