// The sliding topic panels of sections 0..5.
#pragma once
#include <cstdint>

enum { PanelCount = 6 };

// Where each panel lies, in scene units. Section 0's panel enters from the
// right, the chart panels from the left. The artwork generator paints every
// panel's topic names to sit under their hit areas at these places.
struct PanelRow {
    int32_t textureSlot;
    float halfWidth, halfHeight;
    float restX, z;
    float slideStart;  // also the slide's scale, as a positive number
};

inline constexpr PanelRow PanelRows[PanelCount] = {
    {39, 12.8f, 12.8f, 40.0f, -46.0f, -40.0f},
    {16, 12.8f, 25.6f, -32.0f, -45.9f, -32.0f},
    {15, 12.8f, 25.6f, -32.0f, -45.9f, -32.0f},
    {17, 12.8f, 12.8f, -32.0f, -45.9f, -32.0f},
    {18, 12.8f, 25.6f, -32.0f, -45.9f, -32.0f},
    {19, 12.8f, 6.4f, -32.0f, -45.9f, -32.0f},
};

// Every panel starts out of view, one slide's length from its place.
struct PanelState {
    float PanelSlide[PanelCount] = {  // climbs to 0 while sliding in
        PanelRows[0].slideStart, PanelRows[1].slideStart, PanelRows[2].slideStart,
        PanelRows[3].slideStart, PanelRows[4].slideStart, PanelRows[5].slideStart,
    };
    float PanelAlpha[PanelCount] = {};  // opacity while fading out
};
inline constexpr PanelState PanelStart{};
extern PanelState Panels;

void DrawSectionPanels();
void SlidePanelIn(int32_t section);
void FadePanelOut(int32_t section);
