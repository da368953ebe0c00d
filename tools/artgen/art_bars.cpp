// Header and footer bars, the text backdrop and the spare window picture.
//
// The bars are drawn opaque before the section background is added over the
// whole screen, so they only need to carry the band structure; anything
// bright here would wash out the background's colours. Row r of the header
// picture lies at screen row r + 2, row r of the footer at screen row r + 549.
#include <algorithm>
#include <cmath>

#include "artgen.h"
#include "lettering.h"
#include "shapes.h"

namespace {

const Rgb Line{0.22f, 0.32f, 0.55f};
const Rgb Band{0.025f, 0.035f, 0.07f};

// A horizontal band from row top to row bottom: dark body, scanlines, a
// bright rule along each edge that fades out towards the picture's sides.
void PaintBand(Canvas& c, int top, int bottom, uint32_t seed) {
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < c.width; ++x) {
            const float side = Smoothstep(0.0f, 160.0f, std::min(x, c.width - 1 - x) + 0.0f);
            const float grain = 0.6f + 0.4f * Fbm(x / 90.0f, y / 30.0f, 3, seed);
            const float scan = (y % 2 == 0) ? 1.0f : 0.7f;
            PaintOver(c, x, y, Scale(Band, grain * scan * (0.4f + 0.6f * side)), 1.0f);
        }
    for (int x = 0; x < c.width; ++x) {
        const float side = Smoothstep(0.0f, 260.0f, std::min(x, c.width - 1 - x) + 0.0f);
        PaintOver(c, x, top, Scale(Line, side), 1.0f);
        PaintOver(c, x, bottom, Scale(Line, side), 1.0f);
        PaintOver(c, x, top + 2, Scale(Line, side * 0.35f), 1.0f);
        PaintOver(c, x, bottom - 2, Scale(Line, side * 0.35f), 1.0f);
    }
}

void TickMarks(Canvas& c, int y, int spacing, Rgb colour) {
    for (int x = spacing; x < c.width; x += spacing) {
        PaintOver(c, x, y, colour, 1.0f);
        PaintOver(c, x, y + 1, colour, 0.5f);
    }
}

}  // namespace

// Screen rows 96..176 hold the exit button, the song and music switches and
// the logo carousel.
Canvas PaintHeaderBar(int) {
    Canvas c = MakeCanvas(1024, 256);
    PaintBand(c, 92, 176, 11);
    TickMarks(c, 97, 32, Scale(Line, 0.6f));
    DrawText(c, FontTahoma, 8, 260.0f, 112, "TALLYBOARD  *  ISSUE 15  *  THE SCENE CHARTS", Scale(Line, 1.2f),
             LetteringMono);
    return c;
}

// Screen rows 618..760 hold the section buttons and, below them, the page
// arrows and the page title.
Canvas PaintFooterBar(int) {
    Canvas c = MakeCanvas(1024, 256);
    PaintBand(c, 72, 96, 23);
    PaintBand(c, 118, 210, 37);
    TickMarks(c, 205, 32, Scale(Line, 0.6f));
    return c;
}

// Behind the lower right of the page text: a faint wordmark and a dot grid.
Canvas PaintTextBackdrop(int) {
    Canvas c = MakeCanvas(512, 128);
    for (int y = 4; y < 128; y += 6)
        for (int x = 4; x < 512; x += 6) {
            const float fade = Smoothstep(0.0f, 60.0f, std::min({x, 511 - x, y * 4, (127 - y) * 4}) + 0.0f);
            PaintOver(c, x, y, Scale(Line, 0.5f * fade), 1.0f);
        }
    Canvas word = MakeCanvas(512, 128);
    DrawTextCentred(word, FontBlack, 64, 256.0f, 88, "TALLYBOARD", {0.06f, 0.08f, 0.16f}, LetteringSmooth, 1.0f, 2.0f);
    AddCanvas(c, word, 0, 0, 1.0f);
    DrawTextCentred(c, FontTahoma, 11, 256.0f, 112, "issue fifteen  -  the scene charts", Scale(Line, 0.8f),
                    LetteringMono);
    return c;
}

Canvas PaintEmptyWindow(int) {
    Canvas c = MakeCanvas(256, 256);
    FillRect(c, 2, 2, 253, 253, {0.02f, 0.03f, 0.06f});
    FrameRect(c, 2, 2, 253, 253, Line);
    FrameRect(c, 5, 5, 250, 250, Scale(Line, 0.4f));
    return c;
}
