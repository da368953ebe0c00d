// The two bitmap fonts: each font's 256 Windows-1252 glyphs in one texture.
#pragma once
#include <cstdint>

// Where a glyph's ink lies in its font's texture and how it sits on the
// baseline (as GlyphBitmap of platform/font_bitmaps.h has it).
struct AtlasGlyph {
    int16_t width, rows;  // 0 for a blank glyph
    int16_t u, v;         // top-left texel of the ink box
    int16_t left, top;
    float advance;
};

struct FontAtlas {
    uint32_t texture;  // 0 when the font could not be made: its prints draw nothing
    int32_t textureWidth, textureHeight;
    AtlasGlyph glyphs[256];
};

extern FontAtlas TahomaFont;
extern FontAtlas CourierFont;

void CreateTahomaFont();
void CreateCourierFont();
void DeleteTahomaFont();
void DeleteCourierFont();

// Baseline origin at (x, 768 - y) in the current projection; null draws nothing.
void PrintTahoma(float x, float y, const char* text);
void PrintCourier(float x, float y, const char* text);

// What the prints do with their font: text drawn exactly as bitmap glyphs
// from the raster position would be, as one batch of textured quads.
void DrawAtlasText(const FontAtlas& font, float x, float y, const char* text);
