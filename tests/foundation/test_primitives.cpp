// The quad primitives in a real GL context: the state each leaves behind,
// the picture's orientation, and the background cross-fade.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cmath>
#include <vector>

#include "app/startup.h"
#include "render/primitives.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"

namespace {

constexpr int Side = 256;
constexpr unsigned Red = 0xFF0000, Green = 0x00FF00, Blue = 0x0000FF, White = 0xFFFFFF;
constexpr int32_t QuadrantSlot = 3;  // the asymmetric test picture
constexpr int32_t BlueSlot = 4;

// A 2 x 2 picture, stored bottom row first as the loader delivers it:
// red top left, green top right, blue bottom left, white bottom right.
void MakeQuadrantTexture(int32_t slot) {
    const unsigned char bottomFirst[] = {0, 0, 255, 255, 255, 255, 255, 0, 0, 0, 255, 0};
    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, bottomFirst);
}

void MakeSolidTexture(int32_t slot, unsigned char r, unsigned char g, unsigned char b) {
    const unsigned char pixel[] = {r, g, b};
    glBindTexture(GL_TEXTURE_2D, TextureTable[slot]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, pixel);
}

std::vector<unsigned char> ReadWholeBuffer() {
    std::vector<unsigned char> pixels(Side * Side * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, Side, Side, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// Quadrant colours at the centres of the four quarters of the quad drawn
// over 64..192 in both axes.
struct Quadrants {
    unsigned topLeft, topRight, bottomLeft, bottomRight;
};

Quadrants ReadQuadrants() {
    return {ReadBackBufferPixel(96, 96), ReadBackBufferPixel(160, 96), ReadBackBufferPixel(96, 160),
            ReadBackBufferPixel(160, 160)};
}

class Primitives : public testing::Test {
protected:
    static void SetUpTestSuite() {
        OpenTestWindow(Side, Side);
        glGenTextures(TextureSlotCount, TextureTable);
        MakeQuadrantTexture(QuadrantSlot);
        MakeSolidTexture(BlueSlot, 0, 0, 255);
        MakeSolidTexture(0, 255, 0, 0);
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
        GLint depth = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
};

TEST_F(Primitives, OverlayImageIsUpright) {
    DrawOverlayImage(QuadrantSlot, 0, 64, 64, 128, 128, 1.0f);
    Quadrants seen = ReadQuadrants();
    EXPECT_EQ(seen.topLeft, Red);
    EXPECT_EQ(seen.topRight, Green);
    EXPECT_EQ(seen.bottomLeft, Blue);
    EXPECT_EQ(seen.bottomRight, White);
    EXPECT_EQ(ReadBackBufferPixel(60, 128), 0u);  // nothing outside the quad
    EXPECT_EQ(ReadBackBufferPixel(128, 196), 0u);
}

TEST_F(Primitives, RotatedNinetyTurnsCounterClockwise) {
    DrawOverlayImageRotated(QuadrantSlot, 0, 64, 64, 128, 128, 1.0f, 90.0f);
    Quadrants seen = ReadQuadrants();
    EXPECT_EQ(seen.topLeft, Green);
    EXPECT_EQ(seen.topRight, White);
    EXPECT_EQ(seen.bottomLeft, Red);
    EXPECT_EQ(seen.bottomRight, Blue);
}

TEST_F(Primitives, SceneQuadIsUprightInThePerspective) {
    // At depth -20 the 80-degree view spans about 16.8 units each way.
    DrawTexturedQuad(QuadrantSlot, 0, 8.0f, 8.0f, 0.0f, 0.0f, -20.0f, 1.0f);
    EXPECT_EQ(ReadBackBufferPixel(100, 100), Red);
    EXPECT_EQ(ReadBackBufferPixel(156, 100), Green);
    EXPECT_EQ(ReadBackBufferPixel(100, 156), Blue);
    EXPECT_EQ(ReadBackBufferPixel(156, 156), White);
}

// Blended quads leave blending off and depth testing on; unblended ones
// leave both as they found them.
TEST_F(Primitives, BlendFlagAndTheStateLeftBehind) {
    for (int32_t blend : {1, 0}) {
        glEnable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        DrawOverlayImage(QuadrantSlot, blend, 8, 8, 20, 20, 1.0f);
        DrawTexturedQuad(QuadrantSlot, blend, 1, 1, 0, 0, -46, 1.0f);
        DrawBlankQuad(blend, 1, 1, 0, 0, -46, 1.0f);
        DrawOverlayShade(blend, 8, 8, 20, 20, 0.5f);
        EXPECT_EQ(glIsEnabled(GL_BLEND), blend ? GL_FALSE : GL_TRUE);
        EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), blend ? GL_TRUE : GL_FALSE);
    }
    glDisable(GL_DEPTH_TEST);
}

TEST_F(Primitives, TexturingLeftBehind) {
    DrawOverlayShade(0, 8, 8, 20, 20, 0.5f);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    DrawOverlayImage(QuadrantSlot, 0, 8, 8, 20, 20, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    glDisable(GL_TEXTURE_2D);
    DrawBlankQuad(0, 1, 1, 0, 0, -46, 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    DrawTintedQuad(BlueSlot, 0, 1, 1, 0, 0, -46, 1, 1, 1, 1.0f);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), TextureTable[BlueSlot]);
    ResetOverlayState();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    glDisable(GL_DEPTH_TEST);
}

TEST_F(Primitives, ShadeAndTintColours) {
    glColor4f(1, 1, 1, 1);
    DrawOverlayImage(BlueSlot, 0, 20, 20, 30, 30, 1.0f);
    DrawOverlayShade(0, 10, 10, 30, 30, 1.0f);
    EXPECT_EQ(ReadBackBufferPixel(30, 30), 0u);
    EXPECT_EQ(ReadBackBufferPixel(45, 30), Blue);
    glEnable(GL_TEXTURE_2D);
    DrawTintedQuad(QuadrantSlot, 0, 8.0f, 8.0f, 0.0f, 0.0f, -20.0f, 0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_EQ(ReadBackBufferPixel(156, 100), Green);
    EXPECT_EQ(ReadBackBufferPixel(100, 100), 0u);  // red tinted green is black
}

TEST_F(Primitives, ZoomWithoutZoomEqualsScreenImage) {
    DrawScreenImage(QuadrantSlot, 0, 0);
    std::vector<unsigned char> plain = ReadWholeBuffer();
    EXPECT_EQ(ReadBackBufferPixel(10, 10), Red);
    EXPECT_EQ(ReadBackBufferPixel(Side - 10, Side - 10), White);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawScreenZoom(QuadrantSlot, 0.0f, 0.0f);
    EXPECT_TRUE(ReadWholeBuffer() == plain);
    glClear(GL_COLOR_BUFFER_BIT);
    DrawScreenBoundTexture();
    EXPECT_TRUE(ReadWholeBuffer() == plain);
}

TEST_F(Primitives, ZoomShowsTheCentre) {
    // u = v = 0.25 stretches the middle half: each quadrant colour still
    // fills a quarter of the window.
    DrawScreenZoom(QuadrantSlot, 0.25f, 0.25f);
    EXPECT_EQ(ReadBackBufferPixel(64, 64), Red);
    EXPECT_EQ(ReadBackBufferPixel(192, 192), White);
}

TEST_F(Primitives, OverscanReachesPastTheWindow) {
    // Overscan pushes the picture's edges out, so its middle stays put.
    DrawScreenImage(QuadrantSlot, 100, 0);
    EXPECT_EQ(ReadBackBufferPixel(10, 10), Red);
    EXPECT_EQ(ReadBackBufferPixel(Side - 10, 10), Green);
}

TEST_F(Primitives, CrossfadeTakesOneHundredAndOneFrames) {
    BackgroundFade = 0.0f;
    for (int frame = 1; frame <= 100; ++frame) {
        DrawBackgroundCrossfade(0, BlueSlot);
        ASSERT_LT(BackgroundFade, 1.0f) << "frame " << frame;
    }
    DrawBackgroundCrossfade(0, BlueSlot);
    EXPECT_GE(BackgroundFade, 1.0f);
    float settled = BackgroundFade;
    DrawBackgroundCrossfade(0, BlueSlot);
    EXPECT_EQ(BackgroundFade, settled);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
}

TEST_F(Primitives, CrossfadeMixesTheTwoBackgrounds) {
    BackgroundFade = 0.49f;  // 0.5 after this frame's step
    DrawBackgroundCrossfade(0, BlueSlot);
    unsigned mixed = ReadBackBufferPixel(128, 128);
    EXPECT_NEAR(int(mixed >> 16), 128, 2);
    EXPECT_EQ((mixed >> 8) & 0xFF, 0u);
    EXPECT_NEAR(int(mixed & 0xFF), 128, 2);
    glClear(GL_COLOR_BUFFER_BIT);
    BackgroundFade = 1.0f;
    DrawBackgroundCrossfade(0, BlueSlot);
    EXPECT_EQ(ReadBackBufferPixel(128, 128), Blue);
}

TEST_F(Primitives, ProjectionSurvivesZeroHeight) {
    SetProjection(Side, 0);
    float matrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (float value : matrix) EXPECT_TRUE(std::isfinite(value));
    SetProjection(Side, Side);
}

TEST_F(Primitives, OverlayFollowsTheLogicalSize) {
    // A 512 x 512 logical size on a 256-pixel window halves everything.
    WindowWidth = WindowHeight = 512;
    DrawOverlayImage(BlueSlot, 0, 64, 64, 128, 128, 1.0f);
    WindowWidth = WindowHeight = Side;
    EXPECT_EQ(ReadBackBufferPixel(64, 64), Blue);
    EXPECT_EQ(ReadBackBufferPixel(100, 100), 0u);
}

}  // namespace
