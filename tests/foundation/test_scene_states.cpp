// The loading states of the frame driver with the whole program linked: the
// fade-in, the one frame that loads everything, the fade-out, and where the
// loading picture lands.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/frame.h"
#include "app/startup.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

// One frame as the driver runs it, without the clock: clear, states, and the
// back buffer left for reading until the next frame's swap.
void RunFrame() {
    glutSwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RunSceneStates();
}

TEST(LoadingPicture, PlacedForEitherLogicalSize) {
    WindowWidth = 1024;
    WindowHeight = 768;
    EXPECT_FLOAT_EQ(LoadingImageX(), 512.0f);
    EXPECT_NEAR(LoadingImageY(), 353.9f, 0.05f);
    WindowWidth = WindowHeight = 512;
    EXPECT_FLOAT_EQ(LoadingImageX(), 384.0f);
    EXPECT_NEAR(LoadingImageY(), 278.6f, 0.05f);
}

class SceneStates : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        OpenTestWindow(1024, 768);
        ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0xFFFFFF));
        InitGraphicsState();
        SceneState = LoadingFadeIn;
        LoadingAlpha = 0.0f;
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

TEST_F(SceneStates, FadeInLoadFadeOut) {
    for (int frame = 1; frame <= 41; ++frame) {
        RunFrame();
        ASSERT_EQ(SceneState, LoadingFadeIn) << "frame " << frame;
        ASSERT_EQ(TextureTable[0], 0u) << "loaded early, frame " << frame;
    }
    EXPECT_GE(LoadingAlpha, 1.0f);
    // The picture at full strength covers 256..768 x 322..386 of the overlay.
    EXPECT_EQ(ReadBackBufferPixel(260, 354), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(250, 354), 0u);
    EXPECT_EQ(ReadBackBufferPixel(764, 325), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(512, 318), 0u);
    EXPECT_EQ(ReadBackBufferPixel(512, 390), 0u);

    RunFrame();  // frame 42: the fade-in ends, everything loads, the fade-out begins
    EXPECT_EQ(SceneState, LoadingFadeOut);
    EXPECT_NE(TextureTable[0], 0u);
    EXPECT_NEAR(LoadingAlpha, 1.0f, 1e-5f);

    int fadeOutSteps = 1;
    while (SceneState == LoadingFadeOut && fadeOutSteps < 100) {
        RunFrame();
        if (SceneState == LoadingFadeOut) ++fadeOutSteps;
    }
    EXPECT_EQ(fadeOutSteps, 42);
    EXPECT_EQ(SceneState == Intro || SceneState == Magazine, true);
    EXPECT_LE(LoadingAlpha, 0.0f);
}

TEST_F(SceneStates, WindowLayoutIsNotCentred) {
    OpenTestWindow(512, 512);
    for (int frame = 1; frame <= 41; ++frame) RunFrame();
    // Centre (384, 278.6): the right half of the picture leaves the window.
    EXPECT_EQ(ReadBackBufferPixel(130, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(126, 278), 0u);
    EXPECT_EQ(ReadBackBufferPixel(511, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(300, 244), 0u);
    std::string shot = std::string(std::getenv("TB_BINARY_DIR") ? std::getenv("TB_BINARY_DIR") : ".") +
                       "/loading-window.png";
    EXPECT_TRUE(SaveBackBufferPng(shot.c_str(), 512, 512));
}

}  // namespace
