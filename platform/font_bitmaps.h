// Bitmap glyphs for GL display lists from the system's fonts, in place of
// Windows' CreateFontA + wglUseFontBitmapsA.
//
// Faces are found through fontconfig, with Wine's look-alikes of the Windows
// faces added to the process's own font set, and rendered 1-bit by FreeType.
#pragma once
#include <cstdint>

// Fills the 256 display lists listBase .. listBase + 255 with one glBitmap
// each, list listBase + c drawing Windows-1252 character c with its origin
// on the baseline and advancing the raster position by the glyph's width.
//
// height follows CreateFontA: negative is the character (em) height in
// pixels, positive the cell height (ascent + descent). When fontconfig has no
// face of the family, fallbackFamily is used if given, else fontconfig's
// nearest face. Returns false when no face could be opened (the lists are
// left undefined, so calling them draws nothing).
bool UseFontBitmaps(const char* family, int32_t height, const char* fallbackFamily,
                    uint32_t listBase);

// Path of the font file UseFontBitmaps would take for family (with the same
// fallback rule) into out; an empty string when there is none.
void FindFontFile(const char* family, const char* fallbackFamily, char* out, int capacity);
