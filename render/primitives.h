// Overlay and quad primitives: every screen element is one immediate-mode quad.
//
// Overlay coordinates are logical pixels, origin top-left, y downward; quads are
// given by centre and half-size. Each primitive leaves a documented GL state
// behind that its callers rely on (see the .cpp).
#pragma once
#include <cstdint>

extern float BackgroundFade;  // section cross-fade progress, 1.0 = settled

void OverlayBegin();
void OverlayEnd();
void ResetOverlayState();

// Quads in the current (perspective) projection, in scene units.
void DrawTexturedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float z, float alpha);
void DrawTintedQuad(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                    float x, float y, float z, float red, float green, float blue, float alpha);
void DrawBlankQuad(int32_t blend, float halfWidth, float halfHeight,
                   float x, float y, float z, float alpha);

// Quads in the overlay, in logical pixels.
void DrawOverlayImage(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha);
void DrawOverlayShade(int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha);
void DrawOverlayImageRotated(int32_t slot, int32_t blend, float halfWidth, float halfHeight,
                             float x, float y, float alpha, float angle);
void DrawLoadingImage(int32_t index, int32_t blend, float halfWidth, float halfHeight,
                      float x, float y, float alpha);

// Full-window quads.
void DrawScreenImage(int32_t slot, int32_t overscanX, int32_t overscanY);
void DrawScreenZoom(int32_t slot, float u, float v);
void DrawScreenBoundTexture();

void DrawBackgroundCrossfade(int32_t fromSlot, int32_t toSlot);
// The state a settled cross-fade to the slot leaves behind (projection,
// colour, blending on, depth testing off, its texture bound), for a frame
// that laid a kept copy of the background instead of drawing it.
void LeaveSettledBackgroundState(int32_t toSlot);
