// Logos of the magazine and its three partner groups, with the blurred twins
// the carousel lays around them for a glow.
//
// A logo is shown 509 x 32 pixels at its peak, so its picture is 512 x 32:
// a wide, tracked word with a two-tone fill and hairlines running out to
// both sides.
#include <algorithm>
#include <cmath>

#include "artgen.h"
#include "lettering.h"
#include "shapes.h"

namespace {

struct LogoStyle {
    const char* word;
    Rgb top, bottom;
    float tracking;
};

const LogoStyle Logos[4] = {
    {"QUILLON", {1.0f, 0.86f, 0.45f}, {0.75f, 0.35f, 0.08f}, 9.0f},
    {"TARNHEX", {0.55f, 1.0f, 0.75f}, {0.05f, 0.45f, 0.45f}, 9.0f},
    {"VELMORA", {1.0f, 0.6f, 0.95f}, {0.4f, 0.15f, 0.75f}, 9.0f},
    {"TALLYBOARD", {0.85f, 0.95f, 1.0f}, {0.2f, 0.4f, 1.0f}, 5.0f},
};

// The word in white on black, then recoloured row by row onto black (opaque)
// or onto nothing (withAlpha).
Canvas LogoPicture(int logo, bool withAlpha) {
    const LogoStyle& style = Logos[std::clamp(logo, 0, 3)];
    Canvas mask = MakeCanvas(512, 32);
    const TextBox box = DrawTextCentred(mask, FontBlack, 27, 256.0f, 26, style.word, {1, 1, 1}, LetteringSmooth,
                                        1.0f, style.tracking);
    for (int x = 0; x < 512; ++x) {
        const bool left = x < box.x0 - 10, right = x > box.x1 + 10;
        if (!left && !right) continue;
        const float reach = left ? (box.x0 - 10 - x) / 200.0f : (x - box.x1 - 10) / 200.0f;
        const float v = std::max(0.0f, 1.0f - reach) * 0.8f;
        PaintOver(mask, x, 15, {v, v, v}, 1.0f);
        PaintOver(mask, x, 17, {v * 0.4f, v * 0.4f, v * 0.4f}, 1.0f);
    }
    Canvas c = MakeCanvas(512, 32, {0, 0, 0}, withAlpha ? 0.0f : 1.0f);
    for (int y = 0; y < 32; ++y) {
        // A chrome horizon just below the middle, as on the logos of the time.
        const float t = y / 31.0f;
        Rgb fill = Mix(style.top, style.bottom, Smoothstep(0.0f, 0.55f, t));
        if (y >= 17) fill = Mix(style.bottom, style.top, Smoothstep(0.55f, 1.0f, t) * 0.8f);
        for (int x = 0; x < 512; ++x) {
            const float v = PixelAt(mask, x, y)[0];
            PaintOver(c, x, y, fill, v);
        }
    }
    return c;
}

}  // namespace

Canvas PaintLogo(int logo) { return LogoPicture(logo, false); }

Canvas PaintLogoBlur(int logo) {
    Canvas c = LogoPicture(logo, false);
    Blur(c, 6.0f);
    Expose(c, 2.2f);
    return c;
}

Canvas PaintLogoAlpha(int) {
    Canvas word = LogoPicture(3, true);
    Canvas c = MakeCanvas(512, 64, {0, 0, 0}, 0.0f);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 512; ++x) {
            const float* p = PixelAt(word, x, y);
            PaintOver(c, x, y + 16, {p[0], p[1], p[2]}, p[3]);
        }
    return c;
}

// The desktop icon: the magazine's initials in the logo's chrome, glowing on
// a dark blue disc, 256 x 256.
Canvas PaintIcon(int) {
    const LogoStyle& style = Logos[3];
    Canvas mask = MakeCanvas(256, 256);
    DrawTextCentred(mask, FontBlack, 150, 128.0f, 182, "TB", {1, 1, 1}, LetteringSmooth, 1.0f, 0.0f);
    Canvas glow = mask;
    Blur(glow, 10.0f);
    Canvas c = MakeCanvas(256, 256, {0, 0, 0}, 0.0f);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            const float r = std::hypot(x - 127.5f, y - 127.5f) / 128.0f;
            PaintOver(c, x, y, {0.02f, 0.05f, 0.14f}, 1.0f - Smoothstep(0.92f, 1.0f, r));
            PaintAdd(c, x, y, {0.2f, 0.4f, 1.0f}, PixelAt(glow, x, y)[0] * 0.8f);
            const Rgb fill = Mix(style.top, style.bottom, Smoothstep(0.2f, 0.8f, y / 255.0f));
            PaintOver(c, x, y, fill, PixelAt(mask, x, y)[0]);
        }
    return c;
}
