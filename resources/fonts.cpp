// The two bitmap fonts and their print operations.
#include "resources/fonts.h"

#include <GL/gl.h>

#include <cstring>

#include "platform/font_bitmaps.h"

uint32_t TahomaListBase = 0;
uint32_t CourierListBase = 0;

namespace {

constexpr int32_t GlyphLists = 256;
// Text is laid out on a fixed 1024 x 768 screen, y measured up from the bottom.
constexpr float LayoutHeight = 768.0f;

uint32_t CreateFontLists(const char* family, int32_t height, const char* fallbackFamily) {
    uint32_t base = glGenLists(GlyphLists);
    if (base) UseFontBitmaps(family, height, fallbackFamily, base);
    return base;
}

// A base of 0 means "no lists": deleting from 0 would free other lists.
void DeleteFontLists(uint32_t* base) {
    if (*base) glDeleteLists(*base, GlyphLists);
    *base = 0;
}

void PrintWithLists(uint32_t base, float x, float y, const char* text) {
    if (!text) return;
    glRasterPos3f(x, LayoutHeight - y, 0.0f);
    glPushAttrib(GL_LIST_BIT);
    glListBase(base);
    glCallLists(GLsizei(std::strlen(text)), GL_UNSIGNED_BYTE, text);
    glPopAttrib();
}

}  // namespace

// Character height 10 pixels, as Windows sizes a negative font height.
void CreateTahomaFont() { TahomaListBase = CreateFontLists("Tahoma", -10, nullptr); }

// Cell height 12 pixels. Wine's bitmap Courier has a 13-pixel strike, the
// one Windows' font mapper would pick too; without it the nearest scalable
// fixed-pitch face stands in.
void CreateCourierFont() { CourierListBase = CreateFontLists("Courier", 12, "Liberation Mono"); }

void DeleteTahomaFont() { DeleteFontLists(&TahomaListBase); }
void DeleteCourierFont() { DeleteFontLists(&CourierListBase); }

void PrintTahoma(float x, float y, const char* text) { PrintWithLists(TahomaListBase, x, y, text); }
void PrintCourier(float x, float y, const char* text) { PrintWithLists(CourierListBase, x, y, text); }
