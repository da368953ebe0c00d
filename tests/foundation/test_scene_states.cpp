// The loading states of the frame driver with the whole program linked: the
// fade-in, the one frame that loads everything, the fade-out, and where the
// loading picture lands in the 512 x 512 window (at 1024 x 768 it is
// tests/canvas' loading picture); a projection for a window of no height.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>

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

// From the first frame to the end of the fade-in: 41 frames, nothing loaded.
void FadeIn(int width, int height) {
    ASSERT_FALSE(EnterTempWorkDir().empty());
    ASSERT_TRUE(WriteSolidPng("data/loading.png", 512, 64, 0xFFFFFF));
    OpenTestWindow(width, height);
    InitGraphicsState();
    Frame = FrameStart;
    TextureTable[0] = 0;
    for (int frame = 1; frame <= 41; ++frame) RunFrame();
    EXPECT_EQ(Frame.SceneState, LoadingFadeIn);
    EXPECT_EQ(TextureTable[0], 0u) << "loaded early";
}

TEST(SceneStates, FadeInLoadFadeOut) {
    FadeIn(1024, 768);
    RunFrame();  // the fade-in ends, everything loads, the fade-out begins
    EXPECT_EQ(Frame.SceneState, LoadingFadeOut);
    EXPECT_NE(TextureTable[0], 0u);
    EXPECT_NEAR(Frame.LoadingAlpha, 1.0f, 1e-5f);
    int fadeOutSteps = 1;
    for (RunFrame(); Frame.SceneState == LoadingFadeOut && fadeOutSteps < 100; RunFrame()) ++fadeOutSteps;
    EXPECT_EQ(fadeOutSteps, 42);
    EXPECT_TRUE(Frame.SceneState == Intro || Frame.SceneState == Magazine);
    EXPECT_LE(Frame.LoadingAlpha, 0.0f);
    LeaveTempWorkDir();
}

TEST(SceneStates, WindowLayoutIsNotCentred) {
    FadeIn(512, 512);
    // Centre (384, 278.6): the right half of the picture leaves the window.
    EXPECT_EQ(ReadBackBufferPixel(130, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(511, 278), 0xFFFFFFu);
    EXPECT_EQ(ReadBackBufferPixel(126, 278), 0u);
    EXPECT_EQ(ReadBackBufferPixel(300, 244), 0u);
    LeaveTempWorkDir();
}

TEST(SceneStates, ProjectionSurvivesAWindowOfNoHeight) {
    OpenTestWindow(512, 512);
    SetProjection(512, 0);
    float matrix[16];
    glGetFloatv(GL_PROJECTION_MATRIX, matrix);
    for (float value : matrix) EXPECT_TRUE(std::isfinite(value));
}

}  // namespace
