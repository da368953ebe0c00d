// The quad primitives in a real GL context: the picture's orientation, the
// state each leaves behind, the full-window quads and the cross-fade.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <functional>
#include <vector>

#include "app/resource_init.h"
#include "app/startup.h"
#include "render/primitives.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Side = 256;
constexpr unsigned Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;
constexpr int32_t RedSlot = 0, QuadrantSlot = 3, BlueSlot = 4;

// A picture stored bottom row first, as the loader delivers it.
void MakeTexture(int32_t slot, int side, const std::vector<unsigned char>& bottomFirst) {
    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst.data());
}

std::vector<unsigned char> ReadWholeBuffer() {
    std::vector<unsigned char> pixels(Side * Side * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Side, Side, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

class Primitives : public testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(Side, Side);
        glGenTextures(TextureSlotCount, TextureTable);
        // Red top left, green top right, blue bottom left, white bottom right.
        MakeTexture(QuadrantSlot, 2, {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0});
        MakeTexture(BlueSlot, 1, {0, 0, 255});
        MakeTexture(RedSlot, 1, {255, 0, 0});
    }
    void SetUp() override {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glColor4f(1, 1, 1, 1);  // the full-window quads draw in the caller's colour
        SetProjection(Side, Side);
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_EQ(Integer(GL_PROJECTION_STACK_DEPTH), 1);
        EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
    }
};

// The quadrant picture over about 64..192 both ways, read at the centres of
// its quarters: top left, top right, bottom left, bottom right.
TEST_F(Primitives, PicturesAreUprightAndTurnCounterClockwise) {
    const struct {
        const char* name;
        std::function<void()> draw;
        unsigned quarters[4];
    } cases[] = {
        {"overlay", [] { DrawOverlayImage(QuadrantSlot, 0, 64, 64, 128, 128, 1); }, {Red, Green, Blue, White}},
        {"rotated", [] { DrawOverlayImageRotated(QuadrantSlot, 0, 64, 64, 128, 128, 1, 90); },
         {Green, White, Red, Blue}},
        // At depth -20 the 80-degree view spans about 16.8 units each way.
        {"scene", [] { DrawTexturedQuad(QuadrantSlot, 0, 8, 8, 0, 0, -20, 1); }, {Red, Green, Blue, White}},
        {"tinted green", [] { DrawTintedQuad(QuadrantSlot, 0, 8, 8, 0, 0, -20, 0, 1, 0, 1); }, {0, Green, 0, Green}},
        // A 512 x 512 logical size on the 256-pixel window halves the overlay.
        {"logical size",
         [] {
             WindowWidth = WindowHeight = 512;
             DrawOverlayImage(QuadrantSlot, 0, 128, 128, 256, 256, 1);
             WindowWidth = WindowHeight = Side;
         },
         {Red, Green, Blue, White}},
    };
    for (const auto& c : cases) {
        glClear(GL_COLOR_BUFFER_BIT);
        c.draw();
        const unsigned seen[4] = {ReadBackBufferPixel(96, 96), ReadBackBufferPixel(160, 96),
                                  ReadBackBufferPixel(96, 160), ReadBackBufferPixel(160, 160)};
        for (int q = 0; q < 4; ++q) EXPECT_EQ(seen[q], c.quarters[q]) << c.name << ", quarter " << q;
        EXPECT_EQ(ReadBackBufferPixel(60, 128) | ReadBackBufferPixel(128, 196), 0u) << c.name << " spills over";
    }
}

// Blended quads leave blending off and depth testing on; unblended ones
// leave both as they found them. Texturing is left on, except by the shade.
TEST_F(Primitives, StateLeftBehind) {
    for (int32_t blend : {1, 0}) {
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        DrawOverlayShade(blend, 8, 8, 20, 20, 0.5f);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        DrawBlankQuad(blend, 1, 1, 0, 0, -46, 1);
        EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
        DrawOverlayImage(QuadrantSlot, blend, 8, 8, 20, 20, 1);
        DrawTexturedQuad(QuadrantSlot, blend, 1, 1, 0, 0, -46, 1);
        EXPECT_EQ(glIsEnabled(GL_BLEND), blend ? GL_FALSE : GL_TRUE);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), blend ? GL_TRUE : GL_FALSE);
    }
    DrawTintedQuad(BlueSlot, 0, 1, 1, 0, 0, -46, 1, 1, 1, 1);
    EXPECT_EQ(GLuint(Integer(GL_TEXTURE_BINDING_2D)), TextureTable[BlueSlot]);
    ResetOverlayState();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glDisable(GL_DEPTH_TEST);
}

// Zooming by nothing and the bound-texture quad equal the plain picture.
TEST_F(Primitives, FullWindowQuads) {
    DrawScreenImage(QuadrantSlot, 0, 0);
    const std::vector<unsigned char> plain = ReadWholeBuffer();
    EXPECT_EQ(ReadBackBufferPixel(10, 10), Red);
    EXPECT_EQ(ReadBackBufferPixel(Side - 10, Side - 10), White);
    for (auto draw : {+[] { DrawScreenZoom(QuadrantSlot, 0, 0); }, +[] { DrawScreenBoundTexture(); }}) {
        glClear(GL_COLOR_BUFFER_BIT);
        draw();
        EXPECT_TRUE(ReadWholeBuffer() == plain);
    }
}

// Half way the two backgrounds mix evenly; at the end the fade stays on the
// new one.
TEST_F(Primitives, Crossfade) {
    CubeMapActive = 0;  // the plain pictures, as a run without -enablecubemap
    BackgroundFade = 0.49f;  // 0.5 after this frame's step
    DrawBackgroundCrossfade(RedSlot, BlueSlot);
    const unsigned mixed = ReadBackBufferPixel(128, 128);
    EXPECT_NEAR(int(mixed >> 16), 128, 2);
    EXPECT_NEAR(int(mixed & 0xFFFF), 128, 2);  // no green, half blue
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    for (int frame = 0; frame < 60; ++frame) DrawBackgroundCrossfade(RedSlot, BlueSlot);
    const float settled = BackgroundFade;
    EXPECT_GE(settled, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawBackgroundCrossfade(RedSlot, BlueSlot);
    EXPECT_EQ(BackgroundFade, settled);
    EXPECT_EQ(ReadBackBufferPixel(128, 128), Blue);
}

TEST_F(Primitives, ProjectionSurvivesZeroHeight) {
    SetProjection(Side, 0);
    float matrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (float value : matrix) EXPECT_TRUE(std::isfinite(value));
    SetProjection(Side, Side);
}

}  // namespace
