// Buttons, labels, arrows, pointer and bars of the magazine scene.
//
// Everything scene-side is drawn additively (source alpha, one) over the
// backgrounds, so black is transparent and the lettering is light on black.
// The button faces are read with nearest filtering at one texel per pixel,
// so their lettering uses Tahoma's hand-drawn 8-pixel bitmaps.
#include <algorithm>
#include <cmath>
#include <iterator>

#include "artgen.h"
#include "menu/menu.h"
#include "lettering.h"
#include "shapes.h"

namespace {

const Rgb Ice{0.80f, 0.88f, 1.0f};
// Button faces stay near white: on hover the menu cuts them out of a white
// plate with (zero, one minus source colour), and any strong tint would show
// there as its complement instead of as dark lettering.
const Rgb Face{0.74f, 0.84f, 1.0f};
const Rgb DeepBlue{0.10f, 0.22f, 0.55f};
const Rgb Steel{0.35f, 0.45f, 0.65f};
constexpr int PixelFontSize = 8;  // Tahoma's embedded bitmap strike

// Caps of the 8-pixel strike stand six rows tall above the baseline; the
// lettering runs from white at its top row to the colour at its baseline,
// the shading pixel fonts of the time had.
Canvas PixelLabel(int width, int height, int baseline, float centreX, const char* text, Rgb colour) {
    Canvas c = MakeCanvas(width, height);
    const TextBox box = DrawTextCentred(c, FontTahoma, PixelFontSize, centreX, baseline, text, {1, 1, 1},
                                        LetteringMono);
    for (int y = box.y0; y <= box.y1; ++y) {
        const Rgb shade =
            Mix(Mix(colour, {1, 1, 1}, 0.6f), colour, (y - box.y0) / std::max(1.0f, box.y1 - box.y0 + 0.0f));
        for (int x = 0; x < width; ++x) {
            float* p = PixelAt(c, x, y);
            p[0] *= shade.r;
            p[1] *= shade.g;
            p[2] *= shade.b;
        }
    }
    return c;
}

// A right-pointing triangle of light, mirrored for the left arrow.
void ArrowHead(Canvas& c, float tipX, float midY, float length, float halfSpan, bool pointsLeft, Rgb colour) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            const float along = pointsLeft ? (x + 0.5f - tipX) : (tipX - (x + 0.5f));
            if (along < 0.0f || along > length) continue;
            const float span = halfSpan * along / length;
            const float off = std::fabs(y + 0.5f - midY);
            const float cover = std::clamp(span - off + 0.5f, 0.0f, 1.0f);
            PaintOver(c, x, y, Mix(colour, Scale(colour, 0.55f), along / length), cover);
        }
}

}  // namespace

const char* const SectionLabels[8] = {"INTRODUCTION", "AMIGA CHARTS", "PC CHARTS", "C64 CHARTS",
                                      "WAREZ CHARTS", "FUN CHARTS", "MESSAGES", "CREDITS"};

// As wide as the button at 10 texels per scene unit, as the panels.
Canvas PaintSectionButton(int section) {
    section &= 7;
    SetMenuButtons();
    const int width = int(std::lround(MenuButtons[section].halfWidth * 2.0f * 10.0f));
    return PixelLabel(width, 8, 7, width * 0.5f, SectionLabels[section], Face);
}

Canvas PaintSongButton(int song) {
    char label[4] = {'0', static_cast<char>('0' + song), 0, 0};
    if (song == 5) label[0] = label[1] = '-';
    return PixelLabel(32, 16, 12, 16.0f, label, Face);
}

Canvas PaintSongLabel(int) { return PixelLabel(32, 16, 12, 16.0f, "song", Steel); }
Canvas PaintSwitchLabel(int) { return PixelLabel(32, 16, 11, 14.0f, "music", Steel); }
Canvas PaintOnButton(int) { return PixelLabel(16, 8, 7, 8.0f, "on", Face); }

// The off button is twice as wide as its word; the word sits at its left end,
// right after the separator.
Canvas PaintOffButton(int) {
    const float width = TextWidth(FontTahoma, PixelFontSize, "off", LetteringMono);
    return PixelLabel(32, 8, 7, 4.0f + width * 0.5f, "off", Face);
}

// The separator between the music switches. One of its catalogue slots loads
// it with alpha, so it carries real alpha: opaque stroke, clear elsewhere.
Canvas PaintSlash(int) {
    Canvas c = MakeCanvas(8, 8, {0, 0, 0}, 0.0f);
    for (int i = 0; i < 6; ++i) PaintOver(c, 6 - (i * 4 + 2) / 5, 1 + i, Steel, 1.0f);
    return c;
}

Canvas PaintExitButton(int) {
    Canvas c = MakeCanvas(32, 32);
    FrameRect(c, 3, 3, 28, 28, Steel);
    FrameRect(c, 4, 4, 27, 27, DeepBlue);
    for (int i = 0; i < 14; ++i) {
        PaintOver(c, 9 + i, 9 + i, Ice, 1.0f);
        PaintOver(c, 10 + i, 9 + i, Ice, 1.0f);
        PaintOver(c, 22 - i, 9 + i, Ice, 1.0f);
        PaintOver(c, 23 - i, 9 + i, Ice, 1.0f);
    }
    Canvas glow = c;
    Blur(glow, 3.0f);
    AddCanvas(c, glow, 0, 0, 0.6f);
    return c;
}

// Arrows: a chevron and the word, pale blue; the lit versions add a wide
// bloom and a brighter face so that the hovered arrow glows.
Canvas PaintArrow(int variant) {
    const bool left = (variant & 1) == 0;
    const bool lit = variant >= 2;
    Canvas c = MakeCanvas(128, 32);
    const Rgb face = lit ? Rgb{1.0f, 1.0f, 1.0f} : Ice;
    if (left) ArrowHead(c, 8.0f, 16.0f, 18.0f, 9.0f, true, face);
    else ArrowHead(c, 120.0f, 16.0f, 18.0f, 9.0f, false, face);
    const float textCentre = left ? 72.0f : 56.0f;
    DrawTextCentred(c, FontTahomaBold, 11, textCentre, 20, left ? "PREVIOUS" : "NEXT PAGE", face, LetteringMono);
    FillRect(c, left ? 30 : 14, 25, left ? 114 : 98, 25, Scale(Steel, lit ? 1.0f : 0.6f));
    if (lit) {
        Canvas bloom = c;
        Blur(bloom, 5.0f);
        for (size_t i = 0; i < bloom.pixels.size(); i += 4) {
            bloom.pixels[i] *= 0.5f;
            bloom.pixels[i + 1] *= 0.8f;
        }
        AddCanvas(c, bloom, 0, 0, 1.6f);
    }
    return c;
}

// The topic highlight, tinted light blue by the menu: a bar with soft ends
// and bright top and bottom rules, dim in the middle so that the name under
// it stays readable.
Canvas PaintMark(int) {
    Canvas c = MakeCanvas(128, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 128; ++x) {
            const float ends = Smoothstep(0.0f, 12.0f, x + 0.5f) * Smoothstep(0.0f, 12.0f, 128.0f - x - 0.5f);
            const float rule = (y == 1 || y == 14) ? 0.9f : ((y == 0 || y == 15) ? 0.3f : 0.35f);
            const float v = ends * rule;
            PaintOver(c, x, y, {v, v, v}, 1.0f);
        }
    return c;
}

// The pointer sprite is drawn turned by half a turn about the view axis, so
// on screen it appears mirrored left to right: the file holds the arrow
// mirrored, with its tip at texel (24, 6), which lands on the pointer
// position. The shadow falls down and to the right on screen, that is down
// and to the left in the file.
Canvas PaintPointer(int) {
    static const char* const Arrow[] = {
        "X           ", "XX          ", "X.X         ", "X..X        ", "X...X       ",
        "X....X      ", "X.....X     ", "X......X    ", "X.......X   ", "X........X  ",
        "X.........X ", "X......XXXXX", "X...X..X    ", "X..XX..X    ", "X.X  X..X   ",
        "XX   X..X   ", "X     X..X  ", "      X..X  ", "       XX   ",
    };
    const int tipX = 24, tipY = 6;
    Canvas shape = MakeCanvas(32, 32, {0, 0, 0}, 0.0f);
    for (int row = 0; row < static_cast<int>(std::size(Arrow)); ++row)
        for (int k = 0; Arrow[row][k]; ++k) {
            const char cell = Arrow[row][k];
            if (cell == ' ') continue;
            const Rgb colour = cell == 'X' ? Rgb{0.04f, 0.06f, 0.16f} : Mix(Rgb{1, 1, 1}, Ice, row / 19.0f);
            PaintOver(shape, tipX - k, tipY + row, colour, 1.0f);
        }
    Canvas shadow = shape;
    Blur(shadow, 2.0f);
    Canvas out = MakeCanvas(32, 32, {0, 0, 0}, 0.0f);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const float* s = PixelAt(shadow, x + 2, y - 2);
            if (s) PaintOver(out, x, y, {0, 0, 0}, s[3] * 0.6f);
        }
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const float* p = PixelAt(shape, x, y);
            if (p[3] > 0.0f) PaintOver(out, x, y, {p[0], p[1], p[2]}, p[3]);
        }
    return out;
}

Canvas PaintParticle(int withAlpha) {
    Canvas c = MakeCanvas(32, 32, {0, 0, 0}, withAlpha ? 0.0f : 1.0f);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const float dx = (x + 0.5f - 16.0f) / 16.0f, dy = (y + 0.5f - 16.0f) / 16.0f;
            const float r2 = dx * dx + dy * dy;
            const float v = std::max(0.0f, std::exp(-r2 * 4.0f) - std::exp(-4.0f)) + 0.6f * std::exp(-r2 * 40.0f);
            if (withAlpha) PaintOver(c, x, y, {1, 1, 1}, v);
            else PaintOver(c, x, y, {v, v, v}, 1.0f);
        }
    return c;
}
