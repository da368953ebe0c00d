#include "lettering.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>

namespace {

const char* const FontPaths[FontCount] = {
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
};

FT_Library Library = nullptr;
FT_Face Faces[FontCount] = {};

FT_Int32 LoadFlags(Lettering mode) {
    return mode == LetteringMono ? (FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME)
                                 : (FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT);
}

bool LoadGlyph(FontId font, int pixelSize, unsigned char ch, Lettering mode) {
    FT_Face face = Faces[font];
    if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0) return false;
    return FT_Load_Char(face, ch, LoadFlags(mode)) == 0;
}

float Coverage(const FT_Bitmap& bm, int col, int row) {
    const unsigned char* line = bm.buffer + row * bm.pitch;
    if (bm.pixel_mode == FT_PIXEL_MODE_MONO) return (line[col >> 3] & (0x80 >> (col & 7))) ? 1.0f : 0.0f;
    return line[col] / 255.0f;
}

void Include(TextBox& box, int x, int y) {
    box.x0 = std::min(box.x0, x);
    box.y0 = std::min(box.y0, y);
    box.x1 = std::max(box.x1, x);
    box.y1 = std::max(box.y1, y);
}

}  // namespace

bool OpenFonts() {
    if (!Library && FT_Init_FreeType(&Library) != 0) {
        std::fprintf(stderr, "artgen: FreeType did not start\n");
        return false;
    }
    for (int i = 0; i < FontCount; ++i) {
        if (Faces[i]) continue;
        if (FT_New_Face(Library, FontPaths[i], 0, &Faces[i]) != 0) {
            Faces[i] = nullptr;
            std::fprintf(stderr, "artgen: cannot open font %s (run tools/setup.sh)\n", FontPaths[i]);
            return false;
        }
    }
    return true;
}

void CloseFonts() {
    for (FT_Face& face : Faces) {
        if (face) FT_Done_Face(face);
        face = nullptr;
    }
    if (Library) FT_Done_FreeType(Library);
    Library = nullptr;
}

float TextWidth(FontId font, int pixelSize, const char* text, Lettering mode, float tracking) {
    float width = 0.0f;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (!LoadGlyph(font, pixelSize, *p, mode)) continue;
        width += Faces[font]->glyph->advance.x / 64.0f + (p[1] ? tracking : 0.0f);
    }
    return width;
}

int FittingSize(FontId font, int maxSize, const char* text, float maxWidth, float tracking) {
    int size = maxSize;
    while (size > 6 && TextWidth(font, size, text, LetteringSmooth, tracking) > maxWidth) --size;
    return size;
}

TextBox DrawText(Canvas& c, FontId font, int pixelSize, float x, int baseline, const char* text, Rgb colour,
                 Lettering mode, float alpha, float tracking) {
    TextBox box{c.width, c.height, -1, -1};
    float pen = x;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
        if (!LoadGlyph(font, pixelSize, *p, mode)) continue;
        const FT_GlyphSlot g = Faces[font]->glyph;
        const int left = static_cast<int>(pen + 0.5f) + g->bitmap_left;
        const int top = baseline - g->bitmap_top;
        for (unsigned row = 0; row < g->bitmap.rows; ++row)
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const float a = Coverage(g->bitmap, static_cast<int>(col), static_cast<int>(row)) * alpha;
                const int px = left + static_cast<int>(col), py = top + static_cast<int>(row);
                if (a <= 0.0f || !PixelAt(c, px, py)) continue;
                PaintOver(c, px, py, colour, a);
                Include(box, px, py);
            }
        pen += g->advance.x / 64.0f + tracking;
    }
    return box;
}

TextBox DrawTextCentred(Canvas& c, FontId font, int pixelSize, float centreX, int baseline, const char* text,
                        Rgb colour, Lettering mode, float alpha, float tracking) {
    const float width = TextWidth(font, pixelSize, text, mode, tracking);
    return DrawText(c, font, pixelSize, centreX - width * 0.5f, baseline, text, colour, mode, alpha, tracking);
}
