// The two bitmap fonts. Each font's glyphs are rendered once into one
// texture; a print draws one textured quad per inked glyph in a single batch,
// covering exactly the pixels a glBitmap of the glyph would set at the same
// raster position, so the text looks as the bitmap glyphs did at a fraction
// of the driver's cost per character.
#include "resources/fonts.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "platform/font_bitmaps.h"

FontAtlas TahomaFont = {};
FontAtlas CourierFont = {};

namespace {

// Text is laid out on a fixed 1024 x 768 screen, y measured up from the bottom.
constexpr float LayoutHeight = 768.0f;
// A bitmap's corner is the raster position less its origin, plus this, cut
// to whole pixels: GL implementations nudge it so that a position a rounding
// error below a pixel edge still lands on that pixel.
constexpr float RasterEpsilon = 0.0001f;

// The glyphs are packed on shelves into a staging image this wide; 256
// glyphs of the sizes asked for (8 to 16 pixels) take well under half of it.
constexpr int StagingWidth = 256, StagingHeight = 256;
uint8_t Staging[StagingWidth * StagingHeight];

struct Packer {
    FontAtlas* font;
    int x, y, shelfHeight;
};

bool Reserve(Packer& packer, int width, int rows) {
    if (packer.x + width > StagingWidth) {
        packer.x = 0;
        packer.y += packer.shelfHeight + 1;
        packer.shelfHeight = 0;
    }
    if (width > StagingWidth || packer.y + rows > StagingHeight) return false;
    if (rows > packer.shelfHeight) packer.shelfHeight = rows;
    return true;
}

void PackGlyph(int32_t code, const GlyphBitmap& bitmap, void* context) {
    Packer& packer = *static_cast<Packer*>(context);
    AtlasGlyph& glyph = packer.font->glyphs[code];
    glyph = {0, 0, 0, 0, int16_t(bitmap.left), int16_t(bitmap.top), bitmap.advance};
    if (bitmap.width <= 0 || bitmap.rows <= 0 || !Reserve(packer, bitmap.width, bitmap.rows)) return;
    glyph.width = int16_t(bitmap.width);
    glyph.rows = int16_t(bitmap.rows);
    glyph.u = int16_t(packer.x);
    glyph.v = int16_t(packer.y);
    for (int row = 0; row < bitmap.rows; ++row)
        for (int column = 0; column < bitmap.width; ++column)
            Staging[(packer.y + row) * StagingWidth + packer.x + column] =
                bitmap.ink[row * bitmap.width + column] ? 255 : 0;
    packer.x += bitmap.width + 1;
}

int PowerOfTwoAtLeast(int value) {
    int size = 1;
    while (size < value) size <<= 1;
    return size;
}

uint32_t UploadStaging(int width, int height) {
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    for (GLenum filter : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        glTexParameteri(GL_TEXTURE_2D, filter, GL_NEAREST);  // texel for pixel, as the bitmap
    for (GLenum wrap : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T}) glTexParameteri(GL_TEXTURE_2D, wrap, GL_CLAMP);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    glPixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA8, width, height, 0, GL_ALPHA, GL_UNSIGNED_BYTE, Staging);
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    return texture;
}

void CreateFontAtlas(FontAtlas& font, const char* family, int32_t height, const char* fallbackFamily) {
    font = {};
    std::memset(Staging, 0, sizeof Staging);
    Packer packer = {&font, 0, 0, 0};
    if (!RenderFontGlyphs(family, height, fallbackFamily, PackGlyph, &packer)) return;
    font.textureWidth = StagingWidth;
    font.textureHeight = PowerOfTwoAtLeast(packer.y + packer.shelfHeight);
    font.texture = UploadStaging(font.textureWidth, font.textureHeight);
}

void DeleteFontAtlas(FontAtlas& font) {
    if (font.texture) {
        GLuint texture = font.texture;
        glDeleteTextures(1, &texture);
    }
    font = {};
}

// The same pixels glBitmap sets: its corner is the raster position plus the
// nudge, less the glyph's origin, cut to whole pixels, and the position moves
// on by each glyph's advance.
void EmitGlyphQuads(const FontAtlas& font, const GLfloat* raster, const char* text) {
    const float du = 1.0f / float(font.textureWidth), dv = 1.0f / float(font.textureHeight);
    const float z = raster[2];
    float penX = raster[0];
    glBegin(GL_QUADS);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c; ++c) {
        const AtlasGlyph& glyph = font.glyphs[*c];
        if (glyph.width > 0) {
            const float left = std::floor(penX + RasterEpsilon + float(glyph.left));
            const float bottom = std::floor(raster[1] + RasterEpsilon - float(glyph.rows - glyph.top));
            const float right = left + float(glyph.width), top = bottom + float(glyph.rows);
            const float u0 = float(glyph.u) * du, u1 = float(glyph.u + glyph.width) * du;
            const float vTop = float(glyph.v) * dv, vBottom = float(glyph.v + glyph.rows) * dv;
            glTexCoord2f(u0, vBottom); glVertex3f(left, bottom, z);
            glTexCoord2f(u1, vBottom); glVertex3f(right, bottom, z);
            glTexCoord2f(u1, vTop); glVertex3f(right, top, z);
            glTexCoord2f(u0, vTop); glVertex3f(left, top, z);
        }
        penX += glyph.advance;
    }
    glEnd();
}

// Window coordinates for the quads: x and y in pixels of the viewport, z the
// window depth itself (near 0, far -1 maps z to z).
void BeginWindowCoordinates() {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], 0.0, -1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void EndWindowCoordinates(GLint matrixMode) {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GLenum(matrixMode));
}

// The alpha test keeps exactly the glyph's set pixels (texel alpha 1, else
// 0). A bitmap in a colour of alpha 0 still sets depth where it has ink and
// changes no colour under blending: such text draws with colour writes off.
void DrawGlyphQuads(const FontAtlas& font, const GLfloat* raster, const char* text, bool inkless) {
    GLint matrixMode = GL_MODELVIEW, texture = 0;
    glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    const GLboolean textured = glIsEnabled(GL_TEXTURE_2D);
    GLfloat colour[4];
    if (inkless) {
        glGetFloatv(GL_CURRENT_COLOR, colour);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    BeginWindowCoordinates();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, font.texture);
    glAlphaFunc(GL_GREATER, 0.0f);
    glEnable(GL_ALPHA_TEST);
    EmitGlyphQuads(font, raster, text);
    glDisable(GL_ALPHA_TEST);
    glBindTexture(GL_TEXTURE_2D, GLuint(texture));
    if (!textured) glDisable(GL_TEXTURE_2D);
    EndWindowCoordinates(matrixMode);
    if (inkless) {
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        glColor4fv(colour);
    }
}

}  // namespace

// Character height 10 pixels, as Windows sizes a negative font height.
// Liberation Sans (Arial's widths) is the nearest of the installed faces.
void CreateTahomaFont() { CreateFontAtlas(TahomaFont, "Tahoma", -10, "Liberation Sans"); }

// Cell height 12 pixels. Wine's bitmap Courier has a 13-pixel strike, the
// one Windows' font mapper would pick too; without it Liberation Mono
// (Courier New's widths) stands in.
void CreateCourierFont() { CreateFontAtlas(CourierFont, "Courier", 12, "Liberation Mono"); }

void DeleteTahomaFont() { DeleteFontAtlas(TahomaFont); }
void DeleteCourierFont() { DeleteFontAtlas(CourierFont); }

// The raster position and colour are taken as glBitmap takes them: through
// the current matrices, in the current colour, and nothing is drawn when the
// position falls outside the window.
void DrawAtlasText(const FontAtlas& font, float x, float y, const char* text) {
    if (!text || !font.texture) return;
    glRasterPos3f(x, LayoutHeight - y, 0.0f);
    if (!*text) return;
    GLboolean valid = GL_FALSE;
    glGetBooleanv(GL_CURRENT_RASTER_POSITION_VALID, &valid);
    if (!valid) return;
    GLfloat raster[4], rasterColour[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
    glGetFloatv(GL_CURRENT_RASTER_COLOR, rasterColour);
    const bool inkless = rasterColour[3] <= 0.0f && glIsEnabled(GL_BLEND);
    if (inkless && !glIsEnabled(GL_DEPTH_TEST)) return;
    DrawGlyphQuads(font, raster, text, inkless);
}
