// Hover and click picking through OpenGL selection mode, and the pointer sprite.
//
// A pick renders the real button bar (DrawMenu) through a one-pixel pick
// region at the pointer, so it sees exactly the buttons of the current frame.
// The nearest hit wins; on equal depth the record that came first, which is
// the lower pick name, since records follow the drawing order.
#include "menu/picking.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "app/input.h"
#include "platform/pick_context.h"
#include "menu/menu.h"
#include "render/primitives.h"
#include "resources/textures.h"

namespace {

constexpr int32_t PointerSlot = 43;  // "data/mousepointer.png"
constexpr int HitRecordWords = 4;    // name count (always 1), min depth, max depth, name

// Renders the menu in selection mode at the pointer; returns the nearest
// button's pick name, or -1 when nothing (or an overflowing buffer) was hit.
int32_t PickInCurrentContext() {
    GLuint buffer[PickBufferSize];
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    if (viewport[2] - viewport[0] <= 0 || viewport[3] - viewport[1] <= 0)
        return -1;  // a window of no size shows no button and has no aspect
    glSelectBuffer(PickBufferSize, buffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(PointerX, double(viewport[3]) - PointerY, 1.0, 1.0, viewport);
    gluPerspective(80.0, double(viewport[2] - viewport[0]) / double(viewport[3] - viewport[1]), 1.0, 5000.0);
    glMatrixMode(GL_MODELVIEW);
    DrawMenu();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    GLint hits = glRenderMode(GL_RENDER);
    if (hits < 1)
        return -1;
    GLuint winner = buffer[3];
    GLuint bestDepth = buffer[1];
    for (GLint record = 1; record < hits && (record + 1) * HitRecordWords <= PickBufferSize; ++record) {
        const GLuint* hit = buffer + record * HitRecordWords;
        if (hit[1] < bestDepth) {
            bestDepth = hit[1];
            winner = hit[3];
        }
    }
    return winner < GLuint(MenuButtonCount) ? int32_t(winner) : -1;
}

// Picks in a context of its own where one can be made (see pick_context.h).
// Over the bars around the layout there is nothing to pick.
int32_t PickNearestButton() {
    if (!PointerOverLayout) return -1;
    int separate = BeginPickContext();
    int32_t winner = PickInCurrentContext();
    if (separate) EndPickContext();
    return winner;
}

}  // namespace

uint8_t HoverPickDue = 0;

void PickPendingHover() {
    if (!HoverPickDue) return;
    HoverPickDue = 0;
    PickHover();
}

void PickHover() {
    int32_t winner = PickNearestButton();
    for (int32_t i = 0; i < MenuButtonCount; ++i)
        MenuButtons[i].hovered = i == winner;
}

void PickClick() {
    int32_t winner = PickNearestButton();
    if (winner >= 0)
        MenuButtons[winner].clicked = 1;
}

void DrawPointerQuad(float halfWidth, float halfHeight, int textureSlot) {
    glBindTexture(GL_TEXTURE_2D, TextureTable[textureSlot]);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-halfWidth, -halfHeight, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(halfWidth, -halfHeight, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(halfWidth, halfHeight, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-halfWidth, halfHeight, 0.0f);
    glEnd();
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

void DrawPointer() {
    OverlayBegin();
    glLoadIdentity();
    glTranslatef(float(PointerX) + 8.0f, float(PointerY) + 10.0f, 0.0f);
    glRotatef(180.0f, 0.0f, 0.0f, 1.0f);
    DrawPointerQuad(16.0f, 16.0f, PointerSlot);
    OverlayEnd();
}
