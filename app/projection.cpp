// The perspective projection of the magazine scene: the menu, panels, labels
// and logos lie in the plane at depth 46 of it.
#include <GL/glu.h>

#include "app/startup.h"

void SetProjection(int32_t width, int32_t height) {
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // A window dragged to height 0 keeps a usable projection instead of
    // dividing by zero.
    double aspect = height != 0 ? double(width) / double(height) : double(width);
    gluPerspective(80.0, aspect, 1.0, 500.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
