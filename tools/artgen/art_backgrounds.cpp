// The seven section backgrounds: medical and microscope imagery after their
// file names (a child's outline, a brain, a skull, an x-ray hand, a
// fertilisation, a flood of cells, cells against a tumour).
//
// They fill the window behind white text, so they stay dim: the brightest
// light is kept near 0.4. Each is composed at the 1024 x 768 it is seen at
// and stored as a square 1024 x 1024 RGB picture, since the cube-map option
// uploads the same files as square three-byte faces.
#include <algorithm>
#include <cmath>

#include "artgen.h"
#include "shapes.h"

namespace {

constexpr int Width = 1024, Height = 768;

// A dim, grainy field of the given tint, darker towards the corners.
void Backdrop(Canvas& c, Rgb tint, float scale, uint32_t seed) {
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const float dx = (x - 512.0f) / 560.0f, dy = (y - 384.0f) / 430.0f;
            const float vignette = std::max(0.0f, 1.0f - 0.75f * (dx * dx + dy * dy));
            const float cloud = Fbm(x / scale, y / scale, 5, seed);
            const float grain = 0.85f + 0.3f * HashUnit(x, y, seed + 9);
            PaintOver(c, x, y, Scale(tint, vignette * cloud * grain), 1.0f);
        }
}

// A swimming cell: an oval head and a tail that waves less towards its end.
void Sperm(Canvas& c, float x, float y, float heading, float size, float phase, Rgb colour, float amount) {
    const float dx = std::cos(heading), dy = std::sin(heading);
    GlowEllipse(c, x, y, 7.0f * size, 4.5f * size, heading, 1.2f * size, 2.0f * size, colour, amount);
    GlowDot(c, x, y, 3.0f * size, colour, amount * 0.6f);
    constexpr int TailPoints = 17;
    float xs[TailPoints], ys[TailPoints];
    for (int i = 0; i < TailPoints; ++i) {
        const float along = 7.0f * size + i * 4.5f * size;
        const float sway = std::sin(phase + i * 0.55f) * 5.0f * size * (i / 16.0f);
        xs[i] = x - dx * along - dy * sway;
        ys[i] = y - dy * along + dx * sway;
    }
    GlowPolyline(c, xs, ys, TailPoints, 0.6f * size, 0.05f * size, 1.2f * size, colour, amount * 0.8f,
                 amount * 0.1f);
}

// A bone of the x-ray hand: a faint flesh halo, a bright cortex and a darker
// marrow, with knobbed ends.
void Bone(Canvas& c, float x0, float y0, float x1, float y1, float radius, Rgb colour) {
    GlowStroke(c, x0, y0, x1, y1, radius * 2.2f, radius * 1.5f, colour, 0.04f);
    GlowStroke(c, x0, y0, x1, y1, radius, radius * 0.35f, colour, 0.22f);
    GlowDot(c, x0, y0, radius * 1.1f, colour, 0.12f);
    GlowDot(c, x1, y1, radius * 1.1f, colour, 0.12f);
}

// Lights the tissue of a mask the way an ultrasound shows it: grainy body,
// brighter echoes along its edges.
void Echo(Canvas& c, Canvas mask, Rgb tone, uint32_t seed) {
    // Overlapping limbs add up; the tissue is one body, so cap it first.
    for (float& v : mask.pixels) v = std::min(v, 1.0f);
    Canvas inner = mask;
    Blur(inner, 10.0f);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const float m = PixelAt(mask, x, y)[0];
            const float edge = std::clamp((m - PixelAt(inner, x, y)[0]) * 2.5f, 0.0f, 1.0f);
            const float speckle = 0.45f + 0.55f * Fbm(x / 4.0f, y / 4.0f, 2, seed) * HashUnit(x, y, seed + 1);
            PaintAdd(c, x, y, tone, m * 0.45f * speckle + edge * 0.9f);
        }
}

Canvas Child() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.36f, 0.29f, 0.2f};
    // The ultrasound fan: speckle inside a sector opening downwards.
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const float dx = x - 512.0f, dy = y + 80.0f;
            const float r = std::sqrt(dx * dx + dy * dy), a = std::atan2(dx, dy);
            const float inside = Smoothstep(0.68f, 0.62f, std::fabs(a)) * Smoothstep(150.0f, 190.0f, r) *
                                 Smoothstep(830.0f, 780.0f, r);
            const float speckle = Fbm(a * 60.0f, r / 9.0f, 3, 41) * (0.6f + 0.5f * HashUnit(x, y, 42));
            const float depth = 1.0f - r / 1100.0f;
            PaintOver(c, x, y, Scale(tone, inside * speckle * depth * 0.55f), 1.0f);
        }
    // The sac is dark fluid; the child lies curled inside it.
    FillEllipse(c, 520.0f, 440.0f, 280.0f, 215.0f, 0.1f, 30.0f, {0.01f, 0.008f, 0.005f}, 0.85f);
    GlowEllipse(c, 520.0f, 440.0f, 282.0f, 217.0f, 0.1f, 6.0f, 10.0f, tone, 0.3f);
    Canvas body = MakeCanvas(Width, Height);
    const Rgb white{1, 1, 1};
    FillEllipse(body, 420.0f, 350.0f, 98.0f, 90.0f, 0.0f, 2.0f, white, 1.0f);      // head
    FillEllipse(body, 590.0f, 460.0f, 150.0f, 95.0f, 0.55f, 2.0f, white, 1.0f);    // back and belly
    FillEllipse(body, 488.0f, 410.0f, 40.0f, 34.0f, 0.0f, 2.0f, white, 1.0f);      // neck
    GlowStroke(body, 505.0f, 455.0f, 445.0f, 430.0f, 15.0f, 0.0f, white, 1.0f);    // forearm to the face
    GlowStroke(body, 540.0f, 470.0f, 505.0f, 455.0f, 17.0f, 0.0f, white, 1.0f);    // upper arm
    GlowStroke(body, 690.0f, 530.0f, 600.0f, 590.0f, 26.0f, 0.0f, white, 1.0f);    // thigh
    GlowStroke(body, 600.0f, 590.0f, 500.0f, 560.0f, 20.0f, 0.0f, white, 1.0f);    // shin folded back
    FillEllipse(body, 488.0f, 552.0f, 26.0f, 14.0f, 0.4f, 2.0f, white, 1.0f);      // foot
    Blur(body, 2.0f);
    Echo(c, body, tone, 43);
    // The spine follows the curled back, just inside the body's upper edge.
    const float turn = 0.55f, cs = std::cos(turn), sn = std::sin(turn);
    for (int i = 0; i < 16; ++i) {
        const float t = -2.7f + i * 0.15f;
        const float lx = 150.0f * 0.8f * std::cos(t), ly = 95.0f * 0.8f * std::sin(t);
        GlowDot(c, 590.0f + lx * cs - ly * sn, 460.0f + lx * sn + ly * cs, 5.0f, tone, 0.4f);
    }
    return c;
}

Canvas Brain() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.2f, 0.15f, 0.34f};
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const float dx = (x - 512.0f) / 300.0f, dy = (y - 384.0f) / 345.0f;
            const float d = std::sqrt(dx * dx + dy * dy);
            const float inside = Smoothstep(1.0f, 0.96f, d);
            // Folds: stripes of a warped field, split by the dark midline.
            const float warp = Fbm(x / 90.0f, y / 90.0f, 3, 13);
            const float folds = 0.5f + 0.5f * std::sin(warp * 40.0f + dx * 6.0f);
            const float midline = Smoothstep(0.0f, 0.05f, std::fabs(dx));
            const float skull = std::exp(-std::fabs(d - 1.06f) * 40.0f);
            const float v = inside * (0.3f + 0.3f * folds * folds) * midline * (1.0f - 0.5f * d) + skull * 0.7f;
            const float haze = 0.15f * Fbm(x / 200.0f, y / 200.0f, 3, 14);
            PaintOver(c, x, y, Scale(tone, v + haze), 1.0f);
        }
    return c;
}

// A skull seen from the front on an x-ray film: one bone mask (vault, cheek
// bones, jaw, teeth) with the orbits and the nose cut out, lit like tissue.
Canvas Skull() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.2f, 0.32f, 0.42f};
    Backdrop(c, Scale(tone, 0.35f), 220.0f, 21);
    Canvas bone = MakeCanvas(Width, Height);
    const Rgb white{1, 1, 1}, black{0, 0, 0};
    FillEllipse(bone, 512.0f, 300.0f, 235.0f, 255.0f, 0.0f, 3.0f, white, 1.0f);  // vault
    FillEllipse(bone, 512.0f, 490.0f, 150.0f, 75.0f, 0.0f, 3.0f, white, 1.0f);   // upper jaw
    for (int side = -1; side <= 1; side += 2) {
        FillEllipse(bone, 512.0f + side * 165.0f, 455.0f, 48.0f, 30.0f, side * 0.3f, 3.0f, white, 1.0f);  // cheek
        FillEllipse(bone, 512.0f + side * 92.0f, 398.0f, 70.0f, 58.0f, side * 0.15f, 4.0f, black, 1.0f);  // orbit
    }
    FillEllipse(bone, 512.0f, 492.0f, 27.0f, 48.0f, 0.0f, 4.0f, black, 1.0f);  // nose
    const float jawX[5] = {382.0f, 398.0f, 512.0f, 626.0f, 642.0f};
    const float jawY[5] = {470.0f, 655.0f, 690.0f, 655.0f, 470.0f};
    GlowPolyline(bone, jawX, jawY, 5, 16.0f, 16.0f, 0.0f, white, 1.0f, 1.0f);
    FillEllipse(bone, 512.0f, 655.0f, 95.0f, 35.0f, 0.0f, 3.0f, white, 1.0f);  // chin
    // Two rows of teeth, each tooth set apart by a dark seam.
    for (int i = -5; i <= 5; ++i) {
        const float x = 512.0f + i * 16.5f, lift = i * i * 0.8f;
        FillEllipse(bone, x, 572.0f - lift, 7.0f, 14.0f, 0.0f, 2.0f, white, 1.0f);
        FillEllipse(bone, x, 608.0f - lift, 7.0f, 13.0f, 0.0f, 2.0f, white, 1.0f);
        FillRect(bone, static_cast<int>(x + 8.0f), static_cast<int>(555.0f - lift), static_cast<int>(x + 9.0f),
                 static_cast<int>(622.0f - lift), black);
    }
    FillRect(bone, 400, 589, 624, 592, black);
    Blur(bone, 1.5f);
    Echo(c, bone, tone, 22);
    return c;
}

Canvas Hand() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.3f, 0.42f, 0.48f};
    Backdrop(c, Scale(tone, 0.25f), 240.0f, 31);
    FillEllipse(c, 515.0f, 640.0f, 150.0f, 160.0f, 0.0f, 80.0f, Scale(tone, 0.22f), 1.0f);  // palm flesh
    // Five rays of metacarpal and phalanges, splayed from the wrist; the thumb
    // has no middle phalanx.
    static const float Angles[5] = {-0.95f, -0.3f, -0.08f, 0.14f, 0.36f};
    static const float Lengths[5] = {0.8f, 1.0f, 1.08f, 1.0f, 0.8f};
    static const float BaseX[5] = {415.0f, 458.0f, 512.0f, 566.0f, 614.0f};
    static const float BaseY[5] = {720.0f, 700.0f, 695.0f, 700.0f, 712.0f};
    for (int f = 0; f < 5; ++f) {
        const float dx = std::sin(Angles[f]), dy = -std::cos(Angles[f]);
        const float baseX = BaseX[f], baseY = BaseY[f];
        float x = baseX, y = baseY;
        const float segments[4] = {175.0f, 125.0f, 82.0f, 58.0f};
        for (int s = 0; s < 4; ++s) {
            if (f == 0 && s == 2) continue;
            const float len = segments[s] * Lengths[f];
            const float nx = x + dx * len, ny = y + dy * len;
            Bone(c, x, y, nx - dx * 8.0f, ny - dy * 8.0f, 15.0f - s * 2.5f, tone);
            x = nx;
            y = ny;
        }
        GlowStroke(c, baseX, baseY, x, y, 30.0f - f * 2.0f, 20.0f, tone, 0.05f);
    }
    for (int i = 0; i < 8; ++i)  // carpal bones
        GlowEllipse(c, 455.0f + (i % 4) * 44.0f, 740.0f + (i / 4) * 34.0f, 21.0f, 16.0f, i * 0.7f, 4.0f, 5.0f,
                    tone, 0.25f);
    return c;
}

Canvas Fertilisation() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.42f, 0.28f, 0.18f};
    Backdrop(c, Scale(tone, 0.3f), 160.0f, 51);
    const float ex = 640.0f, ey = 400.0f, er = 250.0f;
    FillEllipse(c, ex, ey, er, er, 0.0f, 30.0f, Scale(tone, 0.35f), 0.9f);
    GlowEllipse(c, ex, ey, er, er, 0.0f, 8.0f, 14.0f, tone, 0.55f);
    GlowEllipse(c, ex, ey, er + 26.0f, er + 26.0f, 0.0f, 3.0f, 10.0f, tone, 0.2f);
    GlowDot(c, ex - 40.0f, ey - 30.0f, 60.0f, {0.5f, 0.3f, 0.25f}, 0.25f);  // nucleus
    Rng rng{52};
    for (int i = 0; i < 140; ++i) {  // corona of follicle cells
        const float a = NextRange(rng, 0.0f, 6.2832f), r = er + NextRange(rng, 35.0f, 80.0f);
        GlowDot(c, ex + std::cos(a) * r, ey + std::sin(a) * r, NextRange(rng, 4.0f, 9.0f), tone, 0.25f);
    }
    for (int i = 0; i < 16; ++i) {  // swimmers converging on the egg
        const float a = NextRange(rng, 2.0f, 4.4f), r = er + NextRange(rng, 90.0f, 420.0f);
        const float x = ex + std::cos(a) * r, y = ey + std::sin(a) * r;
        Sperm(c, x, y, std::atan2(ey - y, ex - x), NextRange(rng, 1.0f, 1.5f), NextRange(rng, 0.0f, 6.0f),
              {0.45f, 0.38f, 0.3f}, 0.5f);
    }
    return c;
}

Canvas Flood() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.15f, 0.36f, 0.38f};
    Backdrop(c, Scale(tone, 0.35f), 200.0f, 61);
    Rng rng{62};
    for (int i = 0; i < 170; ++i) {
        const float x = NextRange(rng, -60.0f, 1084.0f), y = NextRange(rng, -60.0f, 828.0f);
        // The current runs from lower left to upper right with eddies.
        const float heading = -0.5f + (Fbm(x / 300.0f, y / 300.0f, 2, 63) - 0.5f) * 2.5f;
        const float near = NextUnit(rng);
        Sperm(c, x, y, heading, 0.6f + near * 0.9f, NextRange(rng, 0.0f, 6.0f), tone, 0.25f + near * 0.45f);
    }
    return c;
}

Canvas Tumour() {
    Canvas c = MakeCanvas(Width, Height);
    const Rgb tone{0.42f, 0.12f, 0.2f};
    Backdrop(c, Scale(tone, 0.3f), 180.0f, 71);
    const float tx = 560.0f, ty = 390.0f;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const float dx = x - tx, dy = y - ty;
            const float a = std::atan2(dy, dx), r = std::sqrt(dx * dx + dy * dy);
            const float edge = 170.0f + 70.0f * Fbm(std::cos(a) * 2.0f + 5.0f, std::sin(a) * 2.0f + 5.0f, 3, 72);
            const float body = Smoothstep(edge, edge - 20.0f, r);
            const float rim = std::exp(-std::fabs(r - edge) / 6.0f);
            const float lumps = Fbm(x / 25.0f, y / 25.0f, 4, 73);
            PaintAdd(c, x, y, tone, body * (0.25f + 0.45f * lumps * lumps) + rim * 0.45f);
        }
    Rng rng{74};
    for (int i = 0; i < 60; ++i) {  // the attackers ring the mass
        const float a = NextRange(rng, 0.0f, 6.2832f), r = NextRange(rng, 250.0f, 520.0f);
        const float x = tx + std::cos(a) * r * 1.2f, y = ty + std::sin(a) * r;
        Sperm(c, x, y, std::atan2(ty - y, tx - x) + NextRange(rng, -0.3f, 0.3f), NextRange(rng, 0.8f, 1.4f),
              NextRange(rng, 0.0f, 6.0f), {0.32f, 0.32f, 0.42f}, 0.45f);
    }
    return c;
}

}  // namespace

Canvas PaintBackground(int index) {
    Canvas (*const painters[7])() = {Child, Brain, Skull, Hand, Fertilisation, Flood, Tumour};
    Canvas c = painters[std::clamp(index, 0, 6)]();
    // Nothing may come out brighter than the dim ceiling, whatever overlapped.
    for (size_t i = 0; i < c.pixels.size(); i += 4)
        for (int ch = 0; ch < 3; ++ch) {
            float& v = c.pixels[i + ch];
            v = v < 0.3f ? v : 0.3f + 0.12f * std::tanh((v - 0.3f) / 0.12f);
        }
    return Resized(c, 1024, 1024);
}
