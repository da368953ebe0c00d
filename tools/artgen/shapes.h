// Deterministic randomness and soft shapes for the painters.
//
// Everything here is a pure function of its arguments (integer hashing, no
// library random generator), so a picture comes out the same on every run
// and every machine. Shapes paint only inside their bounding boxes.
#pragma once
#include <cstdint>

#include "canvas.h"

struct Rng {
    uint64_t state;
};

uint32_t Hash(uint32_t v);
// A hash of a lattice point, 0..1.
float HashUnit(int x, int y, uint32_t seed);
// Smooth value noise, 0..1, one lattice cell per unit.
float ValueNoise(float x, float y, uint32_t seed);
// Sum of octaves of value noise, 0..1 (roughly), detail doubling per octave.
float Fbm(float x, float y, int octaves, uint32_t seed);
float NextUnit(Rng& rng);                 // 0 <= v < 1
float NextRange(Rng& rng, float lo, float hi);
float Smoothstep(float edge0, float edge1, float v);

// Adds a glowing stroke from (x0, y0) to (x1, y1): full light within radius,
// then an exponential falloff of length glow.
void GlowStroke(Canvas& c, float x0, float y0, float x1, float y1, float radius, float glow, Rgb colour,
                float amount);
// Adds one glowing stroke along the points (count at most 32), its radius
// and light tapering linearly from the first point to the last. Joints are
// lit once, not once per segment.
void GlowPolyline(Canvas& c, const float* xs, const float* ys, int count, float startRadius, float endRadius,
                  float glow, Rgb colour, float startAmount, float endAmount);
// Adds a glowing outline of the ellipse (centre, radii, turn in radians).
void GlowEllipse(Canvas& c, float cx, float cy, float rx, float ry, float turn, float width, float glow,
                 Rgb colour, float amount);
// Paints a filled ellipse over the picture with a soft edge of the given width.
void FillEllipse(Canvas& c, float cx, float cy, float rx, float ry, float turn, float edge, Rgb colour, float a);
// Adds a round blob of light with a Gaussian profile.
void GlowDot(Canvas& c, float cx, float cy, float radius, Rgb colour, float amount);
