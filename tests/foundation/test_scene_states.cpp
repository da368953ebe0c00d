// The loading states of the frame driver with the whole program linked: the
// fade-in, the one frame that loads everything, the fade-out, and where the
// loading picture lands.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include "app/frame.h"
#include "app/startup.h"
#include "resources/textures.h"
#include "tests/support/gl_harness.h"
#include "tests/support/test_files.h"

namespace {

// One frame as the driver runs it, without the clock, leaving the back
// buffer for reading until the next frame's swap.
void RunFrame() {
    glutSwapBuffers();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    RunSceneStates();
}

class SceneStates : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EnterTempWorkDir().empty());
        OpenTestWindow(1024, 768);
        ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0xFFFFFF));
        InitGraphicsState();
        Frame.SceneState = LoadingFadeIn;
        Frame.LoadingAlpha = 0.0f;
    }
    void TearDown() override { LeaveTempWorkDir(); }
};

TEST_F(SceneStates, FadeInLoadFadeOut) {
    for (int frame = 1; frame <= 41; ++frame) {
        RunFrame();
        ASSERT_EQ(Frame.SceneState, LoadingFadeIn) << "frame " << frame;
        ASSERT_EQ(TextureTable[0], 0u) << "loaded early, frame " << frame;
    }
    // At full strength the picture covers 256..768 x 322..386 of the overlay.
    EXPECT_EQ(ReadBackBufferPixel(260, 354), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(764, 325), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(250, 354), 0u);
    EXPECT_EQ(ReadBackBufferPixel(512, 318), 0u);
    EXPECT_EQ(ReadBackBufferPixel(512, 390), 0u);

    RunFrame();  // the fade-in ends, everything loads, the fade-out begins
    EXPECT_EQ(Frame.SceneState, LoadingFadeOut);
    EXPECT_NE(TextureTable[0], 0u);
    EXPECT_NEAR(Frame.LoadingAlpha, 1.0f, 1e-5f);

    int fadeOutSteps = 1;
    for (RunFrame(); Frame.SceneState == LoadingFadeOut && fadeOutSteps < 100; RunFrame()) ++fadeOutSteps;
    EXPECT_EQ(fadeOutSteps, 42);
    EXPECT_TRUE(Frame.SceneState == Intro || Frame.SceneState == Magazine);
    EXPECT_LE(Frame.LoadingAlpha, 0.0f);
}

TEST_F(SceneStates, WindowLayoutIsNotCentred) {
    OpenTestWindow(512, 512);
    for (int frame = 1; frame <= 41; ++frame) RunFrame();
    // Centre (384, 278.6): the right half of the picture leaves the window.
    EXPECT_EQ(ReadBackBufferPixel(130, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(511, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(126, 278), 0u);
    EXPECT_EQ(ReadBackBufferPixel(300, 244), 0u);
}

}  // namespace
