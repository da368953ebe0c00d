// Lettering with FreeType: the fonts the pictures use, text measurement and
// text drawn into a canvas.
//
// Fonts are opened from fixed paths of Debian packages (fonts-wine,
// fonts-dejavu-core), never through a font matcher, so a picture does not
// change with what else is installed. Mono lettering is hinted and aliased
// for pixel-exact small text under nearest filtering (at the sizes of
// Tahoma's bitmap strikes, 8 to 16 pixels, it is those hand-drawn bitmaps);
// smooth lettering is anti-aliased. Glyph bitmaps are clipped to the canvas.
#pragma once
#include "canvas.h"

enum FontId {
    FontTahoma,      // pixel lettering (its bitmap strikes), panel lists
    FontTahomaBold,  // headings and arrows
    FontBlack,       // DejaVu Sans Bold: title cards and logos
    FontCount
};

enum Lettering { LetteringSmooth, LetteringMono };

struct TextBox {
    int x0, y0, x1, y1;  // inked pixels, inclusive; x0 > x1 when nothing was inked
};

// Opens every font; false with a message naming the missing file.
bool OpenFonts();
void CloseFonts();

// Advance width in pixels of text at the given pixel size.
float TextWidth(FontId font, int pixelSize, const char* text, Lettering mode, float tracking = 0.0f);
// The largest pixel size, at most maxSize, at which text fits in maxWidth.
int FittingSize(FontId font, int maxSize, const char* text, float maxWidth, float tracking = 0.0f);
// Draws text with its baseline at y, starting at pen position x; tracking
// adds pixels between letters. Returns the box of the inked pixels.
TextBox DrawText(Canvas& c, FontId font, int pixelSize, float x, int baseline, const char* text, Rgb colour,
                 Lettering mode, float alpha = 1.0f, float tracking = 0.0f);
// The same, centred horizontally on centreX.
TextBox DrawTextCentred(Canvas& c, FontId font, int pixelSize, float centreX, int baseline, const char* text,
                        Rgb colour, Lettering mode, float alpha = 1.0f, float tracking = 0.0f);
