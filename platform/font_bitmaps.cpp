// Limits: glyphs are taken as FreeType renders them 1-bit; an embedded grey
// strike is thresholded at half intensity. A glyph bitmap is bounded by
// MaxGlyphSide pixels a side; larger ones are cut to that box (the faces
// asked for here are 8 to 16 pixels high), and a size beyond it is refused.
#include "platform/font_bitmaps.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "platform/cp1252.h"

namespace {

constexpr int MaxGlyphSide = 128;
constexpr int GlyphCount = 256;

// Debian's fonts-wine installs its Windows look-alikes outside fontconfig's
// directories, and Debian's fontconfig rejects bitmap-only faces, which the
// Wine "Courier" is; the process's own font set takes the directory and
// accepts that family by name.
const char WineFontConfig[] =
    "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">"
    "<fontconfig><dir>/usr/share/wine/fonts</dir>"
    "<selectfont><acceptfont><pattern>"
    "<patelt name=\"family\"><string>Courier</string></patelt>"
    "</pattern></acceptfont></selectfont></fontconfig>";

FcConfig* ProcessFontConfig() {
    static FcConfig* config = nullptr;
    if (config) return config;
    config = FcInitLoadConfig();
    if (!config) return nullptr;
    FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(WineFontConfig), FcFalse);
    FcConfigBuildFonts(config);
    FcConfigSetCurrent(config);
    return config;
}

// The best face for family; true only when its family is the one asked for.
bool MatchFamily(const char* family, char* file, int capacity, int* index) {
    FcConfig* config = ProcessFontConfig();
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    bool exact = false;
    FcChar8* path = nullptr;
    FcChar8* matchedFamily = nullptr;
    file[0] = '\0';
    if (match && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch &&
        std::strlen(reinterpret_cast<char*>(path)) < size_t(capacity)) {
        std::strcpy(file, reinterpret_cast<char*>(path));
        if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
        exact = FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
                strcasecmp(reinterpret_cast<char*>(matchedFamily), family) == 0;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return exact;
}

// Windows measures a cell as the OS/2 Windows ascent plus descent.
double CellUnits(FT_Face face) {
    const TT_OS2* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) return os2->usWinAscent + os2->usWinDescent;
    return face->ascender - face->descender;
}

// A bitmap-only face offers fixed strikes: take the one nearest the request.
bool SelectNearestStrike(FT_Face face, int32_t height) {
    int best = -1;
    int bestDistance = 1 << 30;
    for (int i = 0; i < face->num_fixed_sizes; ++i) {
        const FT_Bitmap_Size& size = face->available_sizes[i];
        int measure = height < 0 ? int((size.y_ppem + 32) >> 6) : size.height;
        int distance = std::abs(measure - std::abs(height));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best >= 0 && FT_Select_Size(face, best) == 0;
}

// Refuses a face whose metrics give no size, an infinite one or one far
// beyond the glyph box.
bool SetRequestedSize(FT_Face face, int32_t height) {
    if (!FT_IS_SCALABLE(face)) return SelectNearestStrike(face, height);
    if (face->units_per_EM == 0) return false;
    const double cell = CellUnits(face);
    if (height > 0 && cell <= 0) return false;
    double pixels = height < 0 ? -double(height) : height * double(face->units_per_EM) / cell;
    if (!(pixels >= 0.5 && pixels <= MaxGlyphSide)) return false;
    return FT_Set_Pixel_Sizes(face, 0, FT_UInt(pixels + 0.5)) == 0;
}

bool GlyphBit(const FT_Bitmap& bitmap, int x, int y) {
    const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return row[x] >= 128;
    return false;
}

void VisitGlyph(int32_t code, FT_GlyphSlot slot, GlyphVisitor visit, void* context) {
    static uint8_t ink[MaxGlyphSide * MaxGlyphSide];
    const FT_Bitmap& bitmap = slot->bitmap;
    GlyphBitmap glyph;
    glyph.width = bitmap.buffer ? std::min(int(bitmap.width), MaxGlyphSide) : 0;
    glyph.rows = bitmap.buffer ? std::min(int(bitmap.rows), MaxGlyphSide) : 0;
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.advance = float((slot->advance.x + 32) >> 6);
    for (int y = 0; y < glyph.rows; ++y)
        for (int x = 0; x < glyph.width; ++x) ink[y * glyph.width + x] = GlyphBit(bitmap, x, y);
    glyph.ink = ink;
    visit(code, glyph, context);
}

enum class FaceResult { Rendered, Unopened, UnusableMetrics };

FaceResult RenderFace(const char* file, int index, int32_t height, GlyphVisitor visit, void* context) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return FaceResult::Unopened;
    FT_Face face = nullptr;
    FaceResult result = FaceResult::Unopened;
    if (FT_New_Face(library, file, index, &face) == 0) {
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        result = SetRequestedSize(face, height) ? FaceResult::Rendered : FaceResult::UnusableMetrics;
        for (int code = 0; result == FaceResult::Rendered && code < GlyphCount; ++code) {
            FT_UInt glyph = FT_Get_Char_Index(face, Cp1252ToUnicode(uint8_t(code)));
            // Monochrome rendering keeps thin strokes that a grey render cut at
            // a threshold would lose.
            if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0)
                VisitGlyph(code, face->glyph, visit, context);
        }
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return result;
}

// fontconfig would otherwise put in whatever face it finds nearest, often
// much wider than the fixed layout allows; a named stand-in of known metrics
// is used instead, and said so.
bool RenderFallback(const char* family, const char* reason, int32_t height, const char* fallbackFamily,
                    const char* nearestFile, int nearestIndex, GlyphVisitor visit, void* context) {
    char file[1024];
    int index = 0;
    if (fallbackFamily && MatchFamily(fallbackFamily, file, sizeof file, &index)) {
        std::printf("%s font %s, using %s\n", family, reason, fallbackFamily);
        return RenderFace(file, index, height, visit, context) == FaceResult::Rendered;
    }
    if (!nearestFile[0]) return false;
    std::printf("%s font %s, using %s\n", family, reason, nearestFile);
    return RenderFace(nearestFile, nearestIndex, height, visit, context) == FaceResult::Rendered;
}

}  // namespace

bool RenderFontGlyphs(const char* family, int32_t height, const char* fallbackFamily,
                      GlyphVisitor visit, void* context) {
    char file[1024];
    int index = 0;
    if (!MatchFamily(family, file, sizeof file, &index))
        return RenderFallback(family, "not found", height, fallbackFamily, file, index, visit, context);
    switch (RenderFace(file, index, height, visit, context)) {
    case FaceResult::Rendered: return true;
    case FaceResult::UnusableMetrics:
        return RenderFallback(family, "has unusable metrics", height, fallbackFamily, "", 0, visit, context);
    case FaceResult::Unopened: break;
    }
    return RenderFallback(family, "cannot be opened", height, fallbackFamily, "", 0, visit, context);
}
