#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace {

struct Bounds {
    int x0, y0, x1, y1;
};

Bounds Around(const Canvas& c, float x0, float y0, float x1, float y1, float margin) {
    return {std::max(0, static_cast<int>(std::floor(std::min(x0, x1) - margin))),
            std::max(0, static_cast<int>(std::floor(std::min(y0, y1) - margin))),
            std::min(c.width - 1, static_cast<int>(std::ceil(std::max(x0, x1) + margin))),
            std::min(c.height - 1, static_cast<int>(std::ceil(std::max(y0, y1) + margin)))};
}

// Distance from a point to a segment; along receives where on the segment
// (0 at the start, 1 at the end) the nearest point lies.
float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1, float* along = nullptr) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float len2 = dx * dx + dy * dy;
    const float t = len2 > 0.0f ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
    const float ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
    if (along) *along = t;
    return std::sqrt(ex * ex + ey * ey);
}

// Approximate distance from a point to an ellipse's outline (negative inside),
// good enough for soft strokes a few pixels wide.
float EllipseDistance(float px, float py, float cx, float cy, float rx, float ry, float turn) {
    const float cs = std::cos(turn), sn = std::sin(turn);
    const float lx = (px - cx) * cs + (py - cy) * sn;
    const float ly = -(px - cx) * sn + (py - cy) * cs;
    const float k = std::sqrt((lx * lx) / (rx * rx) + (ly * ly) / (ry * ry));
    return (k - 1.0f) * std::min(rx, ry);
}

float Light(float distance, float radius, float glow) {
    if (distance <= radius) return 1.0f;
    return glow > 0.0f ? std::exp(-(distance - radius) / glow) : 0.0f;
}

}  // namespace

uint32_t Hash(uint32_t v) {
    v ^= v >> 16;
    v *= 0x7feb352dU;
    v ^= v >> 15;
    v *= 0x846ca68bU;
    v ^= v >> 16;
    return v;
}

float HashUnit(int x, int y, uint32_t seed) {
    const uint32_t h =
        Hash(static_cast<uint32_t>(x) * 0x9E3779B1U ^ Hash(static_cast<uint32_t>(y) + seed * 0x85EBCA77U));
    return (h >> 8) * (1.0f / 16777216.0f);
}

float Smoothstep(float edge0, float edge1, float v) {
    const float t = std::clamp((v - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

float ValueNoise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Smoothstep(0.0f, 1.0f, x - fx), ty = Smoothstep(0.0f, 1.0f, y - fy);
    const float a = HashUnit(ix, iy, seed), b = HashUnit(ix + 1, iy, seed);
    const float c = HashUnit(ix, iy + 1, seed), d = HashUnit(ix + 1, iy + 1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float Fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += ValueNoise(x, y, seed + static_cast<uint32_t>(i) * 101U) * weight;
        norm += weight;
        x = x * 2.03f + 17.1f;
        y = y * 2.03f - 9.7f;
        weight *= 0.5f;
    }
    return sum / norm;
}

float NextUnit(Rng& rng) {
    rng.state = rng.state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<float>(rng.state >> 40) * (1.0f / 16777216.0f);
}

float NextRange(Rng& rng, float lo, float hi) { return lo + (hi - lo) * NextUnit(rng); }

void GlowStroke(Canvas& c, float x0, float y0, float x1, float y1, float radius, float glow, Rgb colour,
                float amount) {
    const Bounds b = Around(c, x0, y0, x1, y1, radius + glow * 5.0f);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const float d = SegmentDistance(x + 0.5f, y + 0.5f, x0, y0, x1, y1);
            PaintAdd(c, x, y, colour, amount * Light(d, radius, glow));
        }
}

void GlowPolyline(Canvas& c, const float* xs, const float* ys, int count, float startRadius, float endRadius,
                  float glow, Rgb colour, float startAmount, float endAmount) {
    count = std::clamp(count, 0, 32);
    if (count < 2) return;
    float x0 = xs[0], y0 = ys[0], x1 = xs[0], y1 = ys[0];
    for (int i = 1; i < count; ++i) {
        x0 = std::min(x0, xs[i]), y0 = std::min(y0, ys[i]);
        x1 = std::max(x1, xs[i]), y1 = std::max(y1, ys[i]);
    }
    const Bounds b = Around(c, x0, y0, x1, y1, std::max(startRadius, endRadius) + glow * 5.0f);
    const float last = static_cast<float>(count - 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            // The light of the nearest part of the line, by its own radius.
            float best = 0.0f;
            for (int i = 0; i + 1 < count; ++i) {
                float t;
                const float d = SegmentDistance(x + 0.5f, y + 0.5f, xs[i], ys[i], xs[i + 1], ys[i + 1], &t);
                const float f = (i + t) / last;
                const float light = (startAmount + (endAmount - startAmount) * f) *
                                    Light(d, startRadius + (endRadius - startRadius) * f, glow);
                best = std::max(best, light);
            }
            PaintAdd(c, x, y, colour, best);
        }
}

void GlowEllipse(Canvas& c, float cx, float cy, float rx, float ry, float turn, float width, float glow,
                 Rgb colour, float amount) {
    const float reach = std::max(rx, ry) + width + glow * 5.0f;
    const Bounds b = Around(c, cx - reach, cy - reach, cx + reach, cy + reach, 1.0f);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const float d = std::fabs(EllipseDistance(x + 0.5f, y + 0.5f, cx, cy, rx, ry, turn));
            PaintAdd(c, x, y, colour, amount * Light(d, width * 0.5f, glow));
        }
}

void FillEllipse(Canvas& c, float cx, float cy, float rx, float ry, float turn, float edge, Rgb colour, float a) {
    const float reach = std::max(rx, ry) + edge;
    const Bounds b = Around(c, cx - reach, cy - reach, cx + reach, cy + reach, 1.0f);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const float d = EllipseDistance(x + 0.5f, y + 0.5f, cx, cy, rx, ry, turn);
            const float cover = 1.0f - Smoothstep(-edge * 0.5f, edge * 0.5f + 1e-3f, d);
            PaintOver(c, x, y, colour, a * cover);
        }
}

void GlowDot(Canvas& c, float cx, float cy, float radius, Rgb colour, float amount) {
    const Bounds b = Around(c, cx, cy, cx, cy, radius * 3.0f);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const float dx = (x + 0.5f - cx) / radius, dy = (y + 0.5f - cy) / radius;
            PaintAdd(c, x, y, colour, amount * std::exp(-(dx * dx + dy * dy)));
        }
}
