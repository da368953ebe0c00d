// The cross-fade between two section backgrounds, a plain per-frame ramp.
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>

#include "app/resource_init.h"
#include "app/startup.h"
#include "render/primitives.h"
#include "resources/textures.h"

float BackgroundFade = 1.0f;

namespace {

constexpr float MirrorDepth = 46.0f;  // the scene plane of the magazine
constexpr float HalfFieldOfViewRadians = 40.0f * 3.14159265f / 180.0f;
constexpr GLenum GeneratedCoordinates[] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R};

// What the cube-map option is for: each background seen as the environment
// of its own cube map, reflected in a mirror that fills the view. The target
// is enabled only for this quad, since while enabled it overrides every 2D
// texture (the loading picture and the intro would show none of theirs).
void DrawReflectedBackground(int32_t background) {
    const float halfHeight = MirrorDepth * std::tan(HalfFieldOfViewRadians);
    const float halfWidth = halfHeight * float(WindowWidth) / float(WindowHeight);
    glEnable(GL_TEXTURE_CUBE_MAP_ARB);
    glBindTexture(GL_TEXTURE_CUBE_MAP_ARB, CubeMapTextures[background]);
    for (GLenum coordinate : GeneratedCoordinates) glEnable(coordinate);
    glLoadIdentity();
    glNormal3f(0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(-halfWidth, -halfHeight, -MirrorDepth);
    glVertex3f(halfWidth, -halfHeight, -MirrorDepth);
    glVertex3f(halfWidth, halfHeight, -MirrorDepth);
    glVertex3f(-halfWidth, halfHeight, -MirrorDepth);
    glEnd();
    for (GLenum coordinate : GeneratedCoordinates) glDisable(coordinate);
    glDisable(GL_TEXTURE_CUBE_MAP_ARB);
}

void DrawBackground(int32_t slot) {
    if (CubeMapActive)
        DrawReflectedBackground(slot);
    else
        DrawScreenImage(slot, 0, 0);
}

}  // namespace

void DrawBackgroundCrossfade(int32_t fromSlot, int32_t toSlot) {
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    // One hundredth per frame, whatever the frame rate: 100 float additions
    // end just below 1.0, so the 101st frame is the first that settles.
    if (BackgroundFade < 1.0f) BackgroundFade += 0.01f;
    SetProjection(WindowWidth, WindowHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - BackgroundFade);
    if (BackgroundFade < 1.0f) DrawBackground(fromSlot);
    glColor4f(1.0f, 1.0f, 1.0f, BackgroundFade);
    DrawBackground(toSlot);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}

void LeaveSettledBackgroundState(int32_t toSlot) {
    SetProjection(WindowWidth, WindowHeight);
    glColor4f(1.0f, 1.0f, 1.0f, BackgroundFade);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, TextureTable[toSlot]);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
}
