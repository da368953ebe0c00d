// Intro and loading pictures, the television static of the intro, and the
// group photo of the Bonus page.
//
// The full-screen intro picture is composed at the 1024 x 768 it is seen at
// and stretched into a 1024 x 1024 texture, since the window stretches it
// anyway. Title cards and the date are drawn additively over it, so they are
// light on black.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "artgen.h"
#include "lettering.h"
#include "shapes.h"

namespace {

const Rgb Ice{0.80f, 0.88f, 1.0f};
const Rgb Cyan{0.3f, 0.75f, 1.0f};
const Rgb Violet{0.45f, 0.2f, 0.9f};

// A word with a vertical gradient, a glow of its own colour and a hairline
// under it, centred on centreX.
void GlowWord(Canvas& c, FontId font, int size, float centreX, int baseline, const char* text, Rgb top,
              Rgb bottom, float tracking, float glow) {
    Canvas mask = MakeCanvas(c.width, c.height);
    const TextBox box =
        DrawTextCentred(mask, font, size, centreX, baseline, text, {1, 1, 1}, LetteringSmooth, 1.0f, tracking);
    Canvas fill = MakeCanvas(c.width, c.height);
    const float span = std::max(1, box.y1 - box.y0);
    for (int y = std::max(0, box.y0); y <= std::min(c.height - 1, box.y1); ++y) {
        const Rgb colour = Mix(top, bottom, (y - box.y0) / span);
        for (int x = std::max(0, box.x0); x <= std::min(c.width - 1, box.x1); ++x)
            PaintOver(fill, x, y, colour, PixelAt(mask, x, y)[0]);
    }
    if (glow > 0.0f) {
        Canvas halo = fill;
        Blur(halo, glow);
        AddCanvas(c, halo, 0, 0, 1.4f);
    }
    AddCanvas(c, fill, 0, 0, 1.0f);
}

// A microscope reticle: rings, a crosshair with ticks.
void Reticle(Canvas& c, float cx, float cy, float radius, Rgb colour) {
    GlowEllipse(c, cx, cy, radius, radius, 0.0f, 1.5f, 2.0f, colour, 0.5f);
    GlowEllipse(c, cx, cy, radius * 0.62f, radius * 0.62f, 0.0f, 1.0f, 1.5f, colour, 0.25f);
    GlowStroke(c, cx - radius * 1.15f, cy, cx + radius * 1.15f, cy, 0.5f, 1.0f, colour, 0.25f);
    GlowStroke(c, cx, cy - radius * 1.15f, cx, cy + radius * 1.15f, 0.5f, 1.0f, colour, 0.25f);
    for (int i = -10; i <= 10; ++i) {
        const float d = radius * i / 10.0f;
        const float len = (i % 5 == 0) ? 9.0f : 4.0f;
        GlowStroke(c, cx + d, cy - len, cx + d, cy + len, 0.4f, 0.6f, colour, 0.3f);
        GlowStroke(c, cx - len, cy + d, cx + len, cy + d, 0.4f, 0.6f, colour, 0.3f);
    }
}

// Cells under the lens: soft membranes with a bright nucleus.
void CellCluster(Canvas& c, float cx, float cy, float radius, uint32_t seed) {
    Rng rng{seed};
    for (int i = 0; i < 38; ++i) {
        const float a = NextRange(rng, 0.0f, 6.2832f), r = radius * std::sqrt(NextUnit(rng));
        const float x = cx + std::cos(a) * r, y = cy + std::sin(a) * r;
        const float size = NextRange(rng, 14.0f, 34.0f);
        const Rgb tint = Mix(Cyan, Violet, NextUnit(rng));
        GlowEllipse(c, x, y, size, size * NextRange(rng, 0.75f, 1.0f), NextRange(rng, 0.0f, 3.0f), 1.2f, 3.0f,
                    tint, 0.28f);
        GlowDot(c, x + size * 0.2f, y - size * 0.1f, size * 0.22f, tint, 0.35f);
    }
}

// Tally marks on the slide: gates of four strokes and a fifth across them,
// the count growing from left to right like votes coming in.
void TallyGates(Canvas& c, float left, float baseline, int gates, Rgb from, Rgb to) {
    Rng rng{15};
    for (int gate = 0; gate < gates; ++gate) {
        const Rgb colour = Mix(from, to, gate / float(std::max(1, gates - 1)));
        const float x0 = left + gate * 128.0f, height = 70.0f;
        for (int stroke = 0; stroke < 4; ++stroke) {
            const float x = x0 + stroke * 20.0f + NextRange(rng, -2.0f, 2.0f);
            GlowStroke(c, x, baseline - height + NextRange(rng, -4.0f, 4.0f), x + NextRange(rng, -4.0f, 4.0f),
                       baseline, 2.5f, 6.0f, colour, 0.55f);
        }
        GlowStroke(c, x0 - 14.0f, baseline - 12.0f, x0 + 74.0f, baseline - height + 10.0f, 2.5f, 6.0f, colour, 0.6f);
    }
}

}  // namespace

// The intro picture shows what the magazine does, votes counted under the
// lens, and no words: the title cards drawn over it carry the name, the
// issue and the theme.
Canvas PaintIntroPicture(int) {
    Canvas c = MakeCanvas(1024, 768);
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const float dx = (x - 512.0f) / 512.0f, dy = (y - 384.0f) / 384.0f;
            const float vignette = std::max(0.0f, 1.0f - 0.8f * (dx * dx + dy * dy));
            const float cloud = Fbm(x / 180.0f, y / 180.0f, 5, 71);
            PaintOver(c, x, y, Scale({0.05f, 0.07f, 0.16f}, vignette * (0.4f + cloud)), 1.0f);
        }
    CellCluster(c, 512.0f, 384.0f, 230.0f, 5);
    Reticle(c, 512.0f, 384.0f, 300.0f, Cyan);
    TallyGates(c, 222.0f, 735.0f, 5, Ice, Violet);
    for (int y = 0; y < 768; y += 3) FillRect(c, 0, y, 1023, y, {0, 0, 0}, 0.25f);
    return Resized(c, 1024, 1024);
}

// Three cards: the magazine's name, the issue, the theme.
Canvas PaintTitleCard(int card) {
    static const char* const Words[3] = {"TALLYBOARD", "ISSUE FIFTEEN", "THE SCENE CHARTS"};
    static const char* const Lines[3] = {"quillon  -  tarnhex  -  velmora  present",
                                         "sixty-three charts  -  eight sections",
                                         "amiga  -  pc  -  c64  -  warez  -  fun"};
    const int index = std::clamp(card, 1, 3) - 1;
    Canvas c = MakeCanvas(1024, 256);
    // Room is left at both ends for the glow and for the shake of the first card.
    const int size = FittingSize(FontBlack, 132, Words[index], 880.0f, 3.0f);
    GlowWord(c, FontBlack, size, 512.0f, 170, Words[index], {1, 1, 1}, index == 1 ? Cyan : Violet, 3.0f, 12.0f);
    GlowWord(c, FontTahomaBold, 22, 512.0f, 222, Lines[index], Ice, Ice, 4.0f, 0.0f);
    for (int x = 120; x < 904; ++x) {
        const float v = 0.5f * (1.0f - std::fabs(x - 512.0f) / 392.0f);
        PaintAdd(c, x, 36, Cyan, v);
        PaintAdd(c, x, 236, Cyan, v);
    }
    return c;
}

Canvas PaintIssueDate(int) {
    Canvas c = MakeCanvas(256, 64);
    GlowWord(c, FontBlack, 26, 128.0f, 32, "TALLYBOARD 15", {1, 1, 1}, Cyan, 1.0f, 3.0f);
    DrawTextCentred(c, FontTahoma, 11, 128.0f, 52, "winter edition  -  scene charts", Ice, LetteringMono);
    return c;
}

Canvas PaintLoading(int) {
    Canvas c = MakeCanvas(512, 64);
    GlowWord(c, FontBlack, 24, 256.0f, 30, "LOADING TALLYBOARD 15", {1, 1, 1}, Cyan, 3.0f, 3.0f);
    FrameRect(c, 96, 42, 415, 49, Scale(Cyan, 0.7f));
    for (int x = 99; x <= 412; x += 4) FillRect(c, x, 45, x + 1, 46, Scale(Ice, 0.35f + 0.65f * (x - 99) / 313.0f));
    return c;
}

// Television static: grain per pixel, brighter and darker line bands, and a
// little horizontal tearing. Each frame has its own seed.
Canvas PaintStatic(int frame) {
    Canvas c = MakeCanvas(512, 512);
    const uint32_t seed = 1000u + static_cast<uint32_t>(frame) * 7919u;
    for (int y = 0; y < 512; ++y) {
        const float band = 0.75f + 0.5f * ValueNoise(0.0f, y / 23.0f, seed + 1);
        const int tear = static_cast<int>((ValueNoise(1.0f, y / 7.0f, seed + 2) - 0.5f) * 10.0f);
        const float scan = (y & 1) ? 0.8f : 1.0f;
        for (int x = 0; x < 512; ++x) {
            const float grain = HashUnit((x + tear) & 511, y, seed);
            const float fine = HashUnit(x >> 1, y, seed + 3);
            const float v = std::clamp((grain * 0.7f + fine * 0.3f) * band * scan, 0.0f, 1.0f);
            PaintOver(c, x, y, {v * 0.92f, v * 0.96f, v}, 1.0f);
        }
    }
    return c;
}

// The group of Brennik on stage: a dusk backdrop with two spotlights, three
// rows of backlit silhouettes (head, shoulders, a cap or long hair here and
// there), the name above them.
namespace {

void Figure(Canvas& c, float x, float base, float s, Rgb fill, Rgb rim, Rng& rng) {
    const float headY = base - 62.0f * s;
    const int extra = static_cast<int>(NextUnit(rng) * 5.0f);  // 0 cap, 1 hair, else plain
    for (int pass = 0; pass < 2; ++pass) {
        // The rim pass paints the figure slightly larger in the light colour.
        const float grow = pass == 0 ? 1.5f : 0.0f;
        const Rgb colour = pass == 0 ? rim : fill;
        const float a = pass == 0 ? 0.7f : 1.0f;
        FillEllipse(c, x, headY, 11.0f * s + grow, 13.0f * s + grow, 0.0f, 1.5f, colour, a);
        FillEllipse(c, x, headY + 16.0f * s, 5.0f * s + grow, 6.0f * s + grow, 0.0f, 1.5f, colour, a);
        FillEllipse(c, x, headY + 40.0f * s, 30.0f * s + grow, 20.0f * s + grow, 0.0f, 1.5f, colour, a);
        FillEllipse(c, x, headY + 80.0f * s, 27.0f * s + grow, 50.0f * s + grow, 0.0f, 1.5f, colour, a);
        if (extra == 0)
            FillEllipse(c, x + 3.0f * s, headY - 9.0f * s, 13.0f * s + grow, 5.0f * s + grow, 0.0f, 1.5f, colour, a);
        if (extra == 1) FillEllipse(c, x, headY + 6.0f * s, 12.5f * s + grow, 17.0f * s + grow, 0.0f, 1.5f, colour, a);
    }
}

}  // namespace

Canvas PaintGroupPhoto(int) {
    Canvas c = MakeCanvas(512, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 512; ++x) {
            const float t = y / 255.0f;
            const Rgb sky = Mix({0.10f, 0.06f, 0.22f}, {0.35f, 0.14f, 0.28f}, t);
            const float haze = Fbm(x / 60.0f, y / 40.0f, 4, 19);
            PaintOver(c, x, y, Scale(sky, 0.7f + 0.5f * haze), 1.0f);
        }
    GlowStroke(c, 120.0f, 0.0f, 210.0f, 256.0f, 14.0f, 40.0f, {0.6f, 0.5f, 0.9f}, 0.18f);
    GlowStroke(c, 400.0f, 0.0f, 300.0f, 256.0f, 14.0f, 40.0f, {0.4f, 0.6f, 1.0f}, 0.18f);
    DrawTextCentred(c, FontBlack, 30, 256.0f, 44, "BRENNIK", {1.0f, 0.85f, 0.55f}, LetteringSmooth, 0.9f, 8.0f);
    Rng rng{2003};
    const float rowBase[3] = {175.0f, 215.0f, 262.0f};
    const float rowScale[3] = {0.62f, 0.8f, 1.0f};
    const int rowCount[3] = {11, 9, 6};
    for (int row = 0; row < 3; ++row) {
        // Farther rows sit in more of the stage haze.
        const float shade = 0.07f - 0.025f * row;
        const Rgb fill{shade, shade * 0.8f, shade * 1.4f};
        for (int i = 0; i < rowCount[row]; ++i) {
            const float s = rowScale[row] * NextRange(rng, 0.88f, 1.08f);
            const float x = 20.0f + (472.0f * (i + 0.5f)) / rowCount[row] + NextRange(rng, -9.0f, 9.0f);
            const Rgb rim = Mix({0.95f, 0.6f, 0.85f}, {0.5f, 0.7f, 1.0f}, NextUnit(rng));
            Figure(c, x, rowBase[row] + NextRange(rng, -5.0f, 5.0f), s, fill, rim, rng);
        }
    }
    return c;
}
