// Limits: glyphs are taken as FreeType renders them 1-bit; an embedded grey
// strike is thresholded at half intensity. A glyph bitmap is bounded by
// MaxGlyphSide pixels a side; larger ones are cut to that box (the faces
// asked for here are 8 to 16 pixels high).
#include "platform/font_bitmaps.h"

#include <GL/gl.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
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

void FindFace(const char* family, const char* fallbackFamily, char* file, int capacity, int* index) {
    *index = 0;
    if (MatchFamily(family, file, capacity, index) || !fallbackFamily) return;
    char fallback[1024];
    int fallbackIndex = 0;
    if (MatchFamily(fallbackFamily, fallback, sizeof fallback, &fallbackIndex) &&
        std::strlen(fallback) < size_t(capacity)) {
        std::strcpy(file, fallback);
        *index = fallbackIndex;
    }
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

bool SetRequestedSize(FT_Face face, int32_t height) {
    if (!FT_IS_SCALABLE(face)) return SelectNearestStrike(face, height);
    double pixels = height < 0 ? -height : height * double(face->units_per_EM) / CellUnits(face);
    FT_UInt ppem = FT_UInt(pixels + 0.5);
    return FT_Set_Pixel_Sizes(face, 0, ppem > 0 ? ppem : 1) == 0;
}

bool GlyphBit(const FT_Bitmap& bitmap, int x, int y) {
    const unsigned char* row = bitmap.buffer + y * bitmap.pitch;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) return (row[x >> 3] >> (7 - (x & 7))) & 1;
    if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) return row[x] >= 128;
    return false;
}

// One glBitmap list. GL wants rows bottom first, most significant bit leftmost.
void CompileGlyph(uint32_t list, FT_GlyphSlot slot) {
    static unsigned char bits[MaxGlyphSide * (MaxGlyphSide / 8)];
    const FT_Bitmap& bitmap = slot->bitmap;
    int width = bitmap.buffer ? std::min(int(bitmap.width), MaxGlyphSide) : 0;
    int rows = bitmap.buffer ? std::min(int(bitmap.rows), MaxGlyphSide) : 0;
    int rowBytes = (width + 7) / 8;
    std::memset(bits, 0, sizeof bits);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < width; ++x)
            if (GlyphBit(bitmap, x, y)) bits[(rows - 1 - y) * rowBytes + (x >> 3)] |= 0x80 >> (x & 7);
    float advance = float((slot->advance.x + 32) >> 6);
    glNewList(list, GL_COMPILE);
    // An empty glyph still needs a valid pointer: Mesa drops a glBitmap with
    // a null bitmap from the list, and the glyph would lose its advance.
    glBitmap(width, rows, float(-slot->bitmap_left), float(rows - slot->bitmap_top), advance, 0.0f, bits);
    glEndList();
}

void CompileGlyphs(FT_Face face, uint32_t listBase) {
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_LSB_FIRST, GL_FALSE);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    for (int code = 0; code < GlyphCount; ++code) {
        FT_UInt glyph = FT_Get_Char_Index(face, Cp1252ToUnicode(uint8_t(code)));
        // Monochrome rendering keeps thin strokes that a grey render cut at a
        // threshold would lose.
        if (FT_Load_Glyph(face, glyph, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO | FT_LOAD_MONOCHROME) == 0)
            CompileGlyph(listBase + uint32_t(code), face->glyph);
    }
    glPopClientAttrib();
}

}  // namespace

void FindFontFile(const char* family, const char* fallbackFamily, char* out, int capacity) {
    int index = 0;
    FindFace(family, fallbackFamily, out, capacity, &index);
}

bool UseFontBitmaps(const char* family, int32_t height, const char* fallbackFamily,
                    uint32_t listBase) {
    char file[1024];
    int index = 0;
    FindFace(family, fallbackFamily, file, sizeof file, &index);
    if (!file[0]) return false;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face face = nullptr;
    bool ok = FT_New_Face(library, file, index, &face) == 0;
    if (ok) {
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
        ok = SetRequestedSize(face, height);
        if (ok) CompileGlyphs(face, listBase);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return ok;
}
