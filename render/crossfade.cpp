// The cross-fade between two section backgrounds, a plain per-frame ramp.
#include <GL/gl.h>

#include "app/startup.h"
#include "render/primitives.h"

float BackgroundFade = 1.0f;

void DrawBackgroundCrossfade(int32_t fromSlot, int32_t toSlot) {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    // One hundredth per frame, whatever the frame rate: 100 float additions
    // end just below 1.0, so the 101st frame is the first that settles.
    if (BackgroundFade < 1.0f) BackgroundFade += 0.01f;
    SetProjection(WindowWidth, WindowHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - BackgroundFade);
    if (BackgroundFade < 1.0f) DrawScreenImage(fromSlot, 0, 0);
    glColor4f(1.0f, 1.0f, 1.0f, BackgroundFade);
    DrawScreenImage(toSlot, 0, 0);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}
