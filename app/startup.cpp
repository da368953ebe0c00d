// Everything between glutInit and the first frame.
#include "app/startup.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstring>

#include "app/frame.h"
#include "pack/pack.h"
#include "resources/fonts.h"
#include "resources/textures.h"

void ParseCommandLine(int argc, char** argv) {
    if (argc < 2 || !argv[1]) return;
    if (std::strcmp(argv[1], "-enablecubemap") == 0) {
        std::fputs("Cubemap On", stdout);
        CubeMapDisabled = 0;
    } else if (std::strcmp(argv[1], "-noati") == 0) {
        std::fputs("ATI is not compatible with this mode\n", stdout);
    }
}

void EnterDisplayMode() {
    // Closing the window from the window manager ends the program the way
    // the exit button does (WindowClosed), not by GLUT's own exit.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    if (FullScreen) {
        glutGameModeString(GameModeString);
        // Possible only where the display offers exactly 1024 x 768 (not on
        // Xvfb, most Wayland sessions or most of today's screens); even then
        // the mode switch can be refused, and the window below is used instead.
        if (!glutGameModeGet(GLUT_GAME_MODE_POSSIBLE) || !glutEnterGameMode())
            FullScreen = 0;
    }
    if (!FullScreen) {
        WindowWidth = 512;
        WindowHeight = 512;
        // Placed explicitly: with no window manager X puts it where it likes,
        // and the overlay and the screenshots expect the top-left corner.
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(512, 512);
        glutCreateWindow("Tallyboard");
    }
}

void InitGraphicsState() {
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    // Additive blending is the standing mode; whoever changes it changes it back.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glutSetCursor(GLUT_CURSOR_NONE);
    ExtractLoadingImage();
    LoadLoadingTexture();
    CreateTahomaFont();
    CreateCourierFont();
    StartFrameTimer();
}
