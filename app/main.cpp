// Entry point: GLUT, the command line, the display mode, then the frame loop.
#include <GL/freeglut.h>

#include <cstdio>

#include "app/canvas.h"
#include "app/frame.h"
#include "app/input.h"
#include "app/startup.h"
#include "platform/gl_driver.h"

int main(int argc, char** argv) {
    // Messages are single lines; keep them in order with anything else the
    // process prints, even when standard output is a pipe.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_ALPHA | GLUT_DEPTH);
    ParseCommandLine(argc, argv);
    EnterDisplayMode();
    PinGlDriver();
    InstallExitGuards();
    CreateLayoutCanvas();
    InitGraphicsState();
    glutDisplayFunc(FrameDriver);
    glutReshapeFunc(WindowReshaped);
    glutCloseFunc(WindowClosed);
    glutMouseFunc(MouseHandler);
    glutPassiveMotionFunc(MotionHandler);
    glutKeyboardFunc(KeyboardHandler);
    glutSpecialFunc(SpecialKeyHandler);
    glutIdleFunc(FrameDriver);
    glutMainLoop();
    return 0;
}
