// Bitmap glyphs from the system's fonts, in place of Windows' CreateFontA +
// wglUseFontBitmapsA.
//
// Faces are found through fontconfig, with Wine's look-alikes of the Windows
// faces added to the process's own font set, and rendered 1-bit by FreeType.
#pragma once
#include <cstdint>

// One glyph as it lands on screen: ink box width x rows pixels, its top-left
// corner `left` pixels right of and `top` pixels above the origin on the
// baseline; the origin then moves `advance` pixels right.
struct GlyphBitmap {
    int32_t width, rows;
    int32_t left, top;
    float advance;
    const uint8_t* ink;  // width x rows bytes, top row first, 1 where the pixel is set
};

using GlyphVisitor = void (*)(int32_t code, const GlyphBitmap& glyph, void* context);

// Renders Windows-1252 codes 0..255 of the family at height and hands each to
// visit, in code order; a code the face cannot render is skipped.
//
// height follows CreateFontA: negative is the character (em) height in
// pixels, positive the cell height (ascent + descent). When fontconfig has no
// face of the family, or the face's metrics are unusable, fallbackFamily is
// used and one line on standard output names it. Returns false when no face
// could be opened (nothing is visited).
bool RenderFontGlyphs(const char* family, int32_t height, const char* fallbackFamily,
                      GlyphVisitor visit, void* context);
