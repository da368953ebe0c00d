// The display mode as start-up chooses it under an X server without the
// video-mode extension (Xvfb): the window path, with what the program asks of it.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include "app/startup.h"
#include "tests/support/gl_harness.h"

namespace {

void IgnoreDisplayRequest() {}

TEST(DisplayMode, FallsBackToTheWindowAtTheCorner) {
    int argc = 1;
    char name[] = "tallyboard";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    EnterDisplayMode();
    EXPECT_EQ(FullScreen, 0);
    EXPECT_EQ(WindowWidth, 512);
    EXPECT_EQ(WindowHeight, 512);
    glutDisplayFunc(IgnoreDisplayRequest);
    PinGlDriver();
    for (int round = 0; round < 20; ++round) glutMainLoopEvent();
    EXPECT_EQ(glutGet(GLUT_WINDOW_WIDTH), 512);
    EXPECT_EQ(glutGet(GLUT_WINDOW_HEIGHT), 512);
    EXPECT_EQ(glutGet(GLUT_WINDOW_X), 0);
    EXPECT_EQ(glutGet(GLUT_WINDOW_Y), 0);
    // Destination alpha and depth, which the additive blending and the
    // depth-tested menu rely on.
    EXPECT_GT(glutGet(GLUT_WINDOW_ALPHA_SIZE), 0);
    EXPECT_GT(glutGet(GLUT_WINDOW_DEPTH_SIZE), 0);
    EXPECT_TRUE(glutGet(GLUT_WINDOW_DOUBLEBUFFER));
}

}  // namespace
