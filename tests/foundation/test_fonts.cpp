// The two bitmap fonts in a real GL context: faces, sizes, the baseline, the
// 256 codes and what a print leaves behind.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstring>
#include <string>

#include "render/primitives.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024, Height = 768;

// The lit (red) pixels of the back buffer, rows counted from the top.
struct InkExtent {
    int top = -1, bottom = -1, left = -1;
    bool Any() const { return top >= 0; }
};

InkExtent FindInk() {
    static unsigned char pixels[Width * Height * 3];
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    InkExtent ink;
    for (int y = Height - 1; y >= 0; --y)
        for (int x = 0; x < Width; ++x)
            if (pixels[(y * Width + x) * 3]) {
                if (ink.top < 0) ink.top = Height - 1 - y;
                ink.bottom = Height - 1 - y;
                if (ink.left < 0 || x < ink.left) ink.left = x;
            }
    return ink;
}

// Pixels a print moves on by over the bytes (code 0 included, which a
// printed string cannot hold).
float Advance(const FontAtlas& font, const std::string& bytes) {
    float advance = 0.0f;
    for (unsigned char c : bytes) advance += font.glyphs[c].advance;
    return advance;
}

InkExtent InkOf(void (*print)(float, float, const char*), float x, float y, const char* text) {
    glClear(GL_COLOR_BUFFER_BIT);
    print(x, y, text);
    return FindInk();
}

class Fonts : public testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(Width, Height);
        CreateTahomaFont();
        CreateCourierFont();
    }
    void SetUp() override {
        glClearColor(0, 0, 0, 0);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        OverlayBegin();
    }
    void TearDown() override {
        OverlayEnd();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
};

// Tahoma at a 10-pixel character height has 7 to 8 pixel capitals and is
// proportional; y = 0 is the bottom edge.
TEST_F(Fonts, SizesAndBaseline) {
    const InkExtent capitals = InkOf(PrintTahoma, 100, 400, "HHHH");
    EXPECT_EQ(capitals.bottom, Height - 1 - 400);
    EXPECT_GE(capitals.bottom - capitals.top + 1, 7);
    EXPECT_LE(capitals.bottom - capitals.top + 1, 8);
    EXPECT_EQ(InkOf(PrintTahoma, 10, 0, "H").bottom, Height - 1);
    EXPECT_GT(InkOf(PrintTahoma, 10, 300, "g").bottom, Height - 1 - 300);
    const InkExtent courier = InkOf(PrintCourier, 10, 100, "H");
    EXPECT_EQ(courier.bottom, Height - 1 - 100);
    EXPECT_GE(courier.left, 10);
    EXPECT_LT(Advance(TahomaFont, "i"), Advance(TahomaFont, "W"));
}

// Every code has its glyph: blank ones still advance, Courier's 13-pixel
// strike by 8 pixels; the high half of Windows-1252 draws its signs.
TEST_F(Fonts, EveryCodeFromZeroTo255) {
    for (int code = 0; code < 256; ++code) {
        EXPECT_GT(Advance(TahomaFont, std::string(1, char(code))), 0.0f) << "Tahoma " << code;
        EXPECT_EQ(Advance(CourierFont, std::string(1, char(code))), 8.0f) << "Courier " << code;
    }
    for (const char* text : {"\x80", "\xA9", "\xC4", "\xE9", "\xFF"}) {
        EXPECT_TRUE(InkOf(PrintTahoma, 100, 400, text).Any()) << "Tahoma " << int((unsigned char)text[0]);
        EXPECT_TRUE(InkOf(PrintCourier, 100, 400, text).Any()) << "Courier " << int((unsigned char)text[0]);
    }
}

TEST_F(Fonts, NullAndEmptyDrawNothing) {
    glClear(GL_COLOR_BUFFER_BIT);
    for (const char* text : {static_cast<const char*>(nullptr), ""}) {
        PrintCourier(500, 500, text);
        PrintTahoma(500, 500, text);
    }
    EXPECT_FALSE(FindInk().Any());
}

// A print draws in the current colour and leaves the caller's matrices,
// texture, matrix mode and alpha test as they were.
TEST_F(Fonts, PrintLeavesTheCallersStateAlone) {
    glColor3f(0, 1, 0);
    EXPECT_FALSE(InkOf(PrintCourier, 10, 100, "M").Any());  // the red channel stays dark
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    GLfloat before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    PrintTahoma(10, 10, "abc");
    glGetFloatv(GL_PROJECTION_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    GLint mode = 0, texture = -1;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
    EXPECT_EQ(mode, GL_PROJECTION);
    EXPECT_EQ(texture, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_ALPHA_TEST));
    glMatrixMode(GL_MODELVIEW);
}

// Last in the suite: it deletes the Courier texture.
TEST_F(Fonts, DeletingTwiceLeavesTheOtherFontAlone) {
    ASSERT_TRUE(glIsTexture(TahomaFont.texture));
    DeleteCourierFont();
    EXPECT_EQ(CourierFont.texture, 0u);
    DeleteCourierFont();
    EXPECT_TRUE(glIsTexture(TahomaFont.texture));
    EXPECT_FALSE(InkOf(PrintCourier, 10, 100, "M").Any());
}

}  // namespace
