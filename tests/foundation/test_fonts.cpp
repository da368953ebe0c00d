// The two bitmap fonts in a real GL context: faces, sizes, the baseline and
// what a print leaves behind.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdlib>
#include <string>

#include "platform/font_bitmaps.h"
#include "render/primitives.h"
#include "resources/fonts.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Width = 1024, Height = 768;

// Lit rows of the back buffer within a column range, counted from the top.
struct InkExtent {
    int top = -1, bottom = -1, left = -1, right = -1;
    bool Any() const { return top >= 0; }
};

InkExtent FindInk(int x0, int x1) {
    static unsigned char pixels[Width * Height * 3];
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Width, Height, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    InkExtent ink;
    for (int y = 0; y < Height; ++y)
        for (int x = x0; x < x1; ++x)
            if (pixels[(y * Width + x) * 3]) {
                int fromTop = Height - 1 - y;
                if (ink.top < 0 || fromTop < ink.top) ink.top = fromTop;
                if (fromTop > ink.bottom) ink.bottom = fromTop;
                if (ink.left < 0 || x < ink.left) ink.left = x;
                if (x > ink.right) ink.right = x;
            }
    return ink;
}

float RasterX() {
    float position[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, position);
    return position[0];
}

// Pixels a string advances the raster position by.
float Advance(void (*print)(float, float, const char*), const char* text) {
    print(0.0f, 384.0f, "");
    float start = RasterX();
    print(0.0f, 384.0f, text);
    return RasterX() - start;
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
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_TEXTURE_2D);
        glColor3f(1, 1, 1);
        OverlayBegin();
    }
    void TearDown() override {
        OverlayEnd();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
};

TEST_F(Fonts, FacesComeFromWineWithLiberationAsFallback) {
    char file[1024];
    FindFontFile("Tahoma", nullptr, file, sizeof file);
    EXPECT_STREQ(file, "/usr/share/wine/fonts/tahoma.ttf");
    FindFontFile("Courier", "Liberation Mono", file, sizeof file);
    EXPECT_STREQ(file, "/usr/share/wine/fonts/courier.ttf");
    FindFontFile("No Such Family Anywhere", "Liberation Mono", file, sizeof file);
    EXPECT_NE(std::string(file).find("LiberationMono-Regular"), std::string::npos) << file;
}

TEST_F(Fonts, SizedLikeTheRequestedFonts) {
    // Tahoma at a 10-pixel character height: capitals 7 to 8 pixels high.
    PrintTahoma(100, 400, "HHHH");
    InkExtent tahoma = FindInk(0, Width);
    ASSERT_TRUE(tahoma.Any());
    EXPECT_EQ(tahoma.bottom, Height - 1 - 400);
    int capital = tahoma.bottom - tahoma.top + 1;
    EXPECT_GE(capital, 7);
    EXPECT_LE(capital, 8);
    // Courier: the 13-pixel strike, 8 pixels a character, fixed pitch.
    EXPECT_EQ(Advance(PrintCourier, "i"), 8.0f);
    EXPECT_EQ(Advance(PrintCourier, "iiiiiiii"), Advance(PrintCourier, "WWWWWWWW"));
    float tahomaI = Advance(PrintTahoma, "i"), tahomaW = Advance(PrintTahoma, "W");
    EXPECT_LT(tahomaI, tahomaW);  // proportional
    EXPECT_GT(tahomaI, 0.0f);
}

TEST_F(Fonts, BaselineAtZeroIsTheBottomEdge) {
    PrintTahoma(10, 0, "H");
    InkExtent ink = FindInk(0, 100);
    ASSERT_TRUE(ink.Any());
    EXPECT_EQ(ink.bottom, Height - 1);
    glClear(GL_COLOR_BUFFER_BIT);
    PrintCourier(10, 100, "H");
    ink = FindInk(0, 100);
    ASSERT_TRUE(ink.Any());
    EXPECT_EQ(ink.bottom, Height - 1 - 100);
    EXPECT_GE(ink.left, 10);
}

TEST_F(Fonts, DescendersHangBelowTheBaseline) {
    PrintTahoma(10, 300, "g");
    InkExtent ink = FindInk(0, 100);
    ASSERT_TRUE(ink.Any());
    EXPECT_GT(ink.bottom, Height - 1 - 300);
}

TEST_F(Fonts, NullAndEmptyDrawNothing) {
    PrintTahoma(10, 10, "x");
    glClear(GL_COLOR_BUFFER_BIT);
    float before[4], after[4];
    glGetFloatv(GL_CURRENT_RASTER_POSITION, before);
    PrintCourier(500, 500, nullptr);
    PrintTahoma(500, 500, nullptr);
    glGetFloatv(GL_CURRENT_RASTER_POSITION, after);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(before[i], after[i]);
    PrintCourier(500, 500, "");
    PrintTahoma(500, 500, "");
    EXPECT_FALSE(FindInk(0, Width).Any());
}

TEST_F(Fonts, HighBytesDrawTheirGlyphs) {
    for (const char* text : {"\xC4", "\xE9", "\x80", "\xA9", "\xFF"}) {
        glClear(GL_COLOR_BUFFER_BIT);
        PrintTahoma(100, 400, text);
        EXPECT_TRUE(FindInk(0, Width).Any()) << "Tahoma " << int((unsigned char)text[0]);
        glClear(GL_COLOR_BUFFER_BIT);
        PrintCourier(100, 400, text);
        EXPECT_TRUE(FindInk(0, Width).Any()) << "Courier " << int((unsigned char)text[0]);
    }
}

TEST_F(Fonts, EmptyGlyphsStillAdvance) {
    EXPECT_GT(Advance(PrintTahoma, " "), 0.0f);
    EXPECT_EQ(Advance(PrintCourier, " "), 8.0f);
    EXPECT_EQ(Advance(PrintTahoma, "a b"), Advance(PrintTahoma, "a") + Advance(PrintTahoma, " ") +
                                               Advance(PrintTahoma, "b"));
}

TEST_F(Fonts, CallersListBaseSurvives) {
    glListBase(77);
    PrintTahoma(10, 10, "abc");
    PrintCourier(10, 10, "abc");
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    EXPECT_EQ(base, 77);
    glListBase(0);
}

TEST_F(Fonts, TextTakesTheCurrentColour) {
    glColor3f(0, 1, 0);
    PrintCourier(10, 100, "M");
    EXPECT_FALSE(FindInk(0, Width).Any());  // the red channel stays dark
    glColor3f(1, 1, 1);
}

// A frame of both fonts for the eye, kept with the build.
TEST_F(Fonts, Screenshot) {
    PrintTahoma(40, 700, "Tahoma: Tallyboard scene charts - Amiga, PC, C64, Warez, Fun");
    PrintTahoma(40, 680, "0123456789 \xC4\xD6\xDC \xE4\xF6\xFC\xDF \x80 \x85 \xA9 \"quotes\" (brackets) ?!");
    glColor3f(1.0f, 0.8f, 0.3f);
    PrintCourier(40, 640, "Courier: 01. Some Group      - Some Production   123");
    PrintCourier(40, 622, "Courier: \xC4\xD6\xDC\xE4\xF6\xFC\xDF \x80 \x93quoted\x94 [fixed pitch]");
    std::string path = std::string(std::getenv("TB_BINARY_DIR") ? std::getenv("TB_BINARY_DIR") : ".") +
                       "/fonts.png";
    EXPECT_TRUE(SaveBackBufferPng(path.c_str(), Width, Height));
}

// Last in the suite: it deletes the Courier lists.
TEST_F(Fonts, DeletingTwiceLeavesOtherListsAlone) {
    ASSERT_TRUE(glIsList(TahomaListBase + 'A'));
    DeleteCourierFont();
    EXPECT_EQ(CourierListBase, 0u);
    DeleteCourierFont();  // a base of 0 must not free lists 1..255
    EXPECT_TRUE(glIsList(TahomaListBase + 'A'));
    EXPECT_TRUE(glIsList(TahomaListBase + 255));
}

}  // namespace
