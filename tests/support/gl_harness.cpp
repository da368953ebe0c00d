#include "tests/support/gl_harness.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include "app/startup.h"

static int harnessWindow = 0;

// Tests draw and read back on their own; GLUT only insists on a callback.
static void IgnoreDisplayRequest() {}

void OpenTestWindow(int width, int height) {
    if (!harnessWindow) {
        int argc = 1;
        char name[] = "tallyboard-test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
        glutInitWindowPosition(0, 0);
        glutInitWindowSize(width, height);
        harnessWindow = glutCreateWindow("Tallyboard");
        glutDisplayFunc(IgnoreDisplayRequest);
        PinGlDriver();
    } else {
        glutSetWindow(harnessWindow);
        glutReshapeWindow(width, height);
    }
    // GLUT carries out window changes from its event loop; the drawable has
    // the new size only once the server has confirmed it.
    for (int round = 0; round < 200; ++round) {
        glutMainLoopEvent();
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height) break;
        usleep(1000);
    }
    glutSetWindow(harnessWindow);
    // Mesa takes the drawable's new size at the next swap.
    glutSwapBuffers();
    glViewport(0, 0, width, height);
    WindowWidth = width;
    WindowHeight = height;
}

unsigned ReadBackBufferPixel(int x, int yFromTop) {
    unsigned char rgb[3] = {0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, WindowHeight - 1 - yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return (unsigned(rgb[0]) << 16) | (unsigned(rgb[1]) << 8) | rgb[2];
}
